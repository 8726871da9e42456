#pragma once

#include "device/ReceiverContract.h"

// The receivers VoxBench opens (vendor 0x5A17), one row each: product id, the
// headset model (which picks the mode codes and, for model one, plays 7.1 through
// the stereo algorithm) and the picture its stereo page shows instead of the live
// spectrum. Adding a receiver is one row here and its default preset file.
//
// Exactly the ids with a default preset file in resources/DefaultFile (a receiver
// without one cannot be opened), which the default-file test checks. The models
// count in decimal digits, 0x4151 to 0x4159 and then 0x4160: there is no 0x415A.
// packaging/product-ids.cmake reads the rows to write the udev rule and the
// software centre's list, so program, rule and metainfo cannot drift apart: keep
// one "0x" and four hex digits first in each row; a row in a comment is not one.

struct ReceiverModelRow
{
    int productId;
    int headsetModel;
    const char *picture; // below ":/headset/pic/headset/", or none
};

// clang-format off
constexpr ReceiverModelRow kReceiverModels[] = {
    {0x0F06, kGenericModel, nullptr},
    {0x1027, kGenericModel, nullptr},
    {0x1029, kHeadsetModelTwo, "HeadsetB"},
    {0x1032, kGenericModel, nullptr},
    {0x104D, kHeadsetModelThree, "HeadsetC"},
    {0x104F, kGenericModel, nullptr},
    {0x1054, kHeadsetModelOne, "HeadsetA"},
    {0x1056, kGenericModel, nullptr},
    {0x1064, kGenericModel, nullptr},
    {0x1065, kGenericModel, nullptr},
    {0x4000, kGenericModel, nullptr},
    {0x4131, kGenericModel, nullptr},
    {0x4132, kGenericModel, nullptr},
    {0x4133, kGenericModel, nullptr},
    {0x4134, kGenericModel, nullptr},
    {0x4135, kGenericModel, nullptr},
    {0x4136, kGenericModel, nullptr},
    {0x4151, kGenericModel, nullptr},
    {0x4152, kGenericModel, nullptr},
    {0x4153, kGenericModel, nullptr},
    {0x4154, kGenericModel, nullptr},
    {0x4155, kGenericModel, nullptr},
    {0x4156, kGenericModel, nullptr},
    {0x4157, kGenericModel, nullptr},
    {0x4158, kGenericModel, nullptr},
    {0x4159, kGenericModel, nullptr},
    {0x4160, kGenericModel, nullptr},
    {0x4161, kGenericModel, nullptr},
    {0x4162, kGenericModel, nullptr},
    {0x4163, kGenericModel, nullptr},
    {0x4164, kGenericModel, nullptr},
    {0x4165, kGenericModel, nullptr},
};
// clang-format on

// The row of a product id, or nullptr for a receiver VoxBench does not open.
constexpr const ReceiverModelRow *receiverModelOf(int productId)
{
    for (const ReceiverModelRow &row : kReceiverModels) {
        if (row.productId == productId)
            return &row;
    }
    return nullptr;
}

// The one 7.1 rule: the receiver says it offers 7.1, or its model plays 7.1
// through the stereo algorithm anyway.
constexpr bool offersSurround(int headsetModel, bool receiverReports71)
{
    return receiverReports71 || headsetModel == kHeadsetModelOne;
}
