# Writes the udev rule from the program's own list of product ids:
#   cmake -DIDS=<device/ReceiverModels.h> -DOUT=<70-voxbench.rules> -P udev-rule.cmake
include(${CMAKE_CURRENT_LIST_DIR}/product-ids.cmake)
read_product_ids(${IDS})
list(LENGTH PRODUCT_IDS count)
set(rule "# VoxBench: let the logged-in user open the headset receiver's HID interfaces.\n")
string(APPEND rule "# uaccess hands the node to the user of the active seat; no world-writable modes.\n")
string(APPEND rule "# Generated from device/ReceiverModels.h: the ${count} product ids VoxBench opens.\n")
foreach(id ${PRODUCT_IDS})
    string(TOLOWER "${id}" id)
    string(APPEND rule "SUBSYSTEM==\"hidraw\", KERNEL==\"hidraw*\", ATTRS{idVendor}==\"5a17\", ATTRS{idProduct}==\"${id}\", TAG+=\"uaccess\"\n")
endforeach()
file(WRITE ${OUT} "${rule}")
