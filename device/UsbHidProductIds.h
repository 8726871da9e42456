#pragma once

// The product ids of the receivers VoxBench opens (vendor 0x5A17), one per line.
// packaging/udev-rule.cmake reads this list to write the udev rule, so the program
// and the rule cannot drift apart: keep one "0x" and four hex digits per entry.
// clang-format off
constexpr int kAcceptedProductIds[] = {
    0x0F06,
    0x1027,
    0x1029,
    0x1032,
    0x104D,
    0x104F,
    0x1054,
    0x1056,
    0x1064,
    0x1065,
    0x4000,
    0x4131,
    0x4132,
    0x4133,
    0x4134,
    0x4135,
    0x4136,
    0x4151,
    0x4152,
    0x4153,
    0x4154,
    0x4155,
    0x4156,
    0x4157,
    0x4158,
    0x4159,
    0x415A,
    0x415B,
    0x415C,
    0x415D,
    0x415E,
    0x415F,
    0x4160,
    0x4161,
    0x4162,
    0x4163,
    0x4164,
};
// clang-format on
