#pragma once

// The product ids of the receivers VoxBench opens (vendor 0x5A17), one per line:
// exactly those with a default preset file in resources/DefaultFile (a receiver
// without one cannot be opened), which the default-file test checks. The models
// count in decimal digits, 0x4151 to 0x4159 and then 0x4160: there is no 0x415A.
// packaging/udev-rule.cmake reads this list to write the udev rule, so the program
// and the rule cannot drift apart: keep one "0x" and four hex digits per entry;
// an id in a comment is not in the list, nor in the rule.
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
    0x4160,
    0x4161,
    0x4162,
    0x4163,
    0x4164,
    0x4165,
};
// clang-format on
