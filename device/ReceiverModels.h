#pragma once

#include "device/ReceiverContract.h"

// The receivers VoxBench opens (vendor 0x5A17), one row each: product id and
// what its headset does beyond a plain receiver (ReceiverCapabilities). Every
// rule that differs between receivers asks the row's capabilities, never the
// product id. Adding a receiver is one row here and its default preset file.
//
// Exactly the ids with a default preset file in resources/DefaultFile (a receiver
// without one cannot be opened): the build refuses a file without a row or a row
// without a file, and tst_PresetJson checks the ids inside the files. The models
// count in decimal digits, 0x4151 to 0x4159 and then 0x4160: there is no 0x415A.
// packaging/product-ids.cmake reads the rows to write the udev rule and the
// software centre's list, so program, rule and metainfo cannot drift apart: keep
// one "0x" and four hex digits first in each row; a row in a comment is not one.

struct ReceiverModelRow
{
    int productId;
    ReceiverCapabilities capabilities;
};

namespace Headsets {
constexpr ReceiverCapabilities kPlain{};
// Offers 7.1 whatever the receiver says, and plays it as stereo.
constexpr ReceiverCapabilities kHeadsetA{true, true, "HeadsetA"};
constexpr ReceiverCapabilities kHeadsetB{false, false, "HeadsetB"};
constexpr ReceiverCapabilities kHeadsetC{false, false, "HeadsetC"};
} // namespace Headsets

// clang-format off
constexpr ReceiverModelRow kReceiverModels[] = {
    {0x0F06, Headsets::kPlain},
    {0x1027, Headsets::kPlain},
    {0x1029, Headsets::kHeadsetB},
    {0x1032, Headsets::kPlain},
    {0x104D, Headsets::kHeadsetC},
    {0x104F, Headsets::kPlain},
    {0x1054, Headsets::kHeadsetA},
    {0x1056, Headsets::kPlain},
    {0x1064, Headsets::kPlain},
    {0x1065, Headsets::kPlain},
    {0x4000, Headsets::kPlain},
    {0x4131, Headsets::kPlain},
    {0x4132, Headsets::kPlain},
    {0x4133, Headsets::kPlain},
    {0x4134, Headsets::kPlain},
    {0x4135, Headsets::kPlain},
    {0x4136, Headsets::kPlain},
    {0x4151, Headsets::kPlain},
    {0x4152, Headsets::kPlain},
    {0x4153, Headsets::kPlain},
    {0x4154, Headsets::kPlain},
    {0x4155, Headsets::kPlain},
    {0x4156, Headsets::kPlain},
    {0x4157, Headsets::kPlain},
    {0x4158, Headsets::kPlain},
    {0x4159, Headsets::kPlain},
    {0x4160, Headsets::kPlain},
    {0x4161, Headsets::kPlain},
    {0x4162, Headsets::kPlain},
    {0x4163, Headsets::kPlain},
    {0x4164, Headsets::kPlain},
    {0x4165, Headsets::kPlain},
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

// What the receiver of a product id does: its row's capabilities, or a plain
// receiver's for one VoxBench does not know.
constexpr ReceiverCapabilities capabilitiesOf(int productId)
{
    const ReceiverModelRow *row = receiverModelOf(productId);
    return row ? row->capabilities : Headsets::kPlain;
}
