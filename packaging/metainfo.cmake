# Writes the AppStream metainfo from its template, with one modalias per product
# id VoxBench opens, so that software centres offer it for the receivers it knows:
#   cmake -DIDS=<device/ReceiverModels.h> -DIN=<template> -DOUT=<metainfo.xml>
#         -DAPP_ID=<id> -DVERSION=<version> -P metainfo.cmake
include(${CMAKE_CURRENT_LIST_DIR}/product-ids.cmake)
read_product_ids(${IDS})
set(MODALIASES "")
foreach(id ${PRODUCT_IDS})
    string(APPEND MODALIASES "    <modalias>usb:v5A17p${id}d*</modalias>\n")
endforeach()
string(STRIP "${MODALIASES}" MODALIASES)
configure_file(${IN} ${OUT} @ONLY)
