// The fixed prefix code for the upper six bits of a match offset, and the two
// 256-entry decoding tables built from it (at compile time here; the decoder
// fills its own copy at run time).
//
//   u       code length   codes
//   0       3             000
//   1-3     4             0010 .. 0100
//   4-11    5             01010 .. 10001
//   12-23   6             100100 .. 101111
//   24-47   7             1100000 .. 1110111
//   48-63   8             11110000 .. 11111111
//
// The codes are canonical: handed out in increasing order of u, each length
// continuing from the previous one. The lower six bits follow verbatim.
#pragma once
#include <array>
#include <cstdint>

namespace vorn {

constexpr int kOffsetLowBits = 6;

constexpr int OffsetCodeLength(int u)
{
    return u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
}

// The canonical codes, one per value of u.
constexpr std::array<uint8_t, 64> MakeOffsetCodes()
{
    std::array<uint8_t, 64> codes{};
    int code = 0;
    for (int u = 0; u < 64; ++u) {
        if (u > 0)
            code = (code + 1) << (OffsetCodeLength(u) - OffsetCodeLength(u - 1));
        codes[u] = static_cast<uint8_t>(code);
    }
    return codes;
}

struct OffsetTables {
    std::array<uint8_t, 256> high;    // PositionHighTable: u whose code prefixes byte b
    std::array<uint8_t, 256> length;  // PositionCodeLength: that code's length
};

// Each u with code length L fills the next 2^(8-L) entries.
constexpr void FillOffsetTables(OffsetTables& t)
{
    int b = 0;
    for (int u = 0; u < 64; ++u) {
        int length = OffsetCodeLength(u);
        for (int k = 0; k < (1 << (8 - length)); ++k, ++b) {
            t.high[b] = static_cast<uint8_t>(u);
            t.length[b] = static_cast<uint8_t>(length);
        }
    }
}

// The same at run time (decoder/offset_tables.cpp), for the decoder's own copy.
void BuildOffsetTables(OffsetTables& t);

constexpr OffsetTables MakeOffsetTables()
{
    OffsetTables t{};
    FillOffsetTables(t);
    return t;
}

inline constexpr std::array<uint8_t, 64> kOffsetCodes = MakeOffsetCodes();
inline constexpr OffsetTables kOffsetTables = MakeOffsetTables();

static_assert(kOffsetCodes[0] == 0b000 && kOffsetCodes[1] == 0b0010 && kOffsetCodes[4] == 0b01010 &&
              kOffsetCodes[12] == 0b100100 && kOffsetCodes[24] == 0b1100000 &&
              kOffsetCodes[47] == 0b1110111 && kOffsetCodes[48] == 0b11110000 &&
              kOffsetCodes[63] == 0b11111111, "offset codes as tabled");
static_assert(kOffsetTables.high[255] == 63 && kOffsetTables.length[0] == 3,
              "offset tables fill all 256 entries");

}  // namespace vorn
