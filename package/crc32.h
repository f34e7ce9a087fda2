// CRC-32 of ISO-HDLC, IEEE 802.3 and zlib: reflected polynomial 0xEDB88320,
// initial value 0xFFFFFFFF, final complement, one byte at a time by table.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace vorn {

constexpr uint32_t kCrcPolynomial = 0xEDB88320;  // p(x) reflected, with x^32 implied
constexpr uint32_t kCrcInitial = 0xFFFFFFFF;

// The table's entry for byte n: n's CRC register after its eight steps.
constexpr uint32_t CrcTableEntry(uint32_t n)
{
    uint32_t c = n;
    for (int k = 0; k < 8; ++k)
        c = (c & 1) ? kCrcPolynomial ^ (c >> 1) : c >> 1;
    return c;
}

using CrcTable = std::array<uint32_t, 256>;

constexpr void FillCrcTable(CrcTable& table)
{
    for (uint32_t n = 0; n < 256; ++n)
        table[n] = CrcTableEntry(n);
}

constexpr CrcTable MakeCrcTable()
{
    CrcTable table{};
    FillCrcTable(table);
    return table;
}

inline constexpr CrcTable kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x77073096 && kCrcTable[255] == 0x2D02EF8D, "standard CRC-32 table");

// Running form: start from kCrcInitial, complement the result at the end.
constexpr uint32_t CrcUpdate(const CrcTable& table, uint32_t crc, uint8_t byte)
{
    return table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

constexpr uint32_t CrcUpdate(uint32_t crc, uint8_t byte)
{
    return CrcUpdate(kCrcTable, crc, byte);
}

constexpr uint32_t Crc32(const uint8_t* data, size_t length)
{
    uint32_t crc = kCrcInitial;
    for (size_t i = 0; i < length; ++i)
        crc = CrcUpdate(crc, data[i]);
    return ~crc;
}

}  // namespace vorn
