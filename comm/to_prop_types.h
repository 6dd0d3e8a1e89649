#pragma once

// Bit rates of the two card buses, shared by the settings objects and the
// CAN and Profibus DP drivers. Scoped: both lists have a B_500K.

enum class TCanBaudRate : int {
    B_5K, B_8K, B_10K, B_20K, B_25K, B_40K, B_50K, B_100K,
    B_125K, B_200K, B_250K, B_400K, B_500K, B_800K, B_1000K,
};

// Bit rate of a TCanBaudRate; values outside the enumeration give 0.
constexpr int CanBaudRateBits(TCanBaudRate b)
{
    constexpr int table[] = {5000,   8000,   10000,  20000,  25000,  40000,  50000,  100000,
                             125000, 200000, 250000, 400000, 500000, 800000, 1000000};
    const int i = static_cast<int>(b);
    return (i >= 0 && i < int(sizeof(table) / sizeof(table[0]))) ? table[i] : 0;
}

enum class TPbsBaudRate : int {
    B_9K6, B_19K2, B_45K45, B_93K75, B_187K5, B_500K, B_750K, B_1M5, B_3M, B_6M, B_12M,
};
