#include "crc32.h"

#include "buffered_reader.h"

#include <array>

namespace vostrand::lib {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

using CrcTable = std::array<std::uint32_t, 256>;

// Eight tables let the loop fold eight bytes per step (slicing by eight): the check reads
// every archive once before it is converted, so it must not be the slow half.
constexpr std::array<CrcTable, 8> kTables = [] {
    std::array<CrcTable, 8> tables{};
    for (std::uint32_t index = 0; index < 256; ++index) {
        std::uint32_t value = index;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1u) != 0 ? (value >> 1) ^ kPolynomial : value >> 1;
        }
        tables[0][index] = value;
    }
    for (std::size_t slice = 1; slice < tables.size(); ++slice) {
        for (std::size_t index = 0; index < 256; ++index) {
            const std::uint32_t previous = tables[slice - 1][index];
            tables[slice][index] = (previous >> 8) ^ tables[0][previous & 0xFFu];
        }
    }
    return tables;
}();

constexpr std::uint32_t littleEndian32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

} // namespace

void Crc32::update(std::span<const std::uint8_t> bytes)
{
    std::uint32_t crc = m_register;
    const std::uint8_t* next = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 8; left -= 8, next += 8) {
        const std::uint32_t low = crc ^ littleEndian32(next);
        const std::uint32_t high = littleEndian32(next + 4);
        crc = kTables[7][low & 0xFFu] ^ kTables[6][(low >> 8) & 0xFFu] ^
              kTables[5][(low >> 16) & 0xFFu] ^ kTables[4][low >> 24] ^ kTables[3][high & 0xFFu] ^
              kTables[2][(high >> 8) & 0xFFu] ^ kTables[1][(high >> 16) & 0xFFu] ^
              kTables[0][high >> 24];
    }
    for (; left > 0; --left, ++next) {
        crc = (crc >> 8) ^ kTables[0][(crc ^ *next) & 0xFFu];
    }
    m_register = crc;
}

bool fileCrcCorrect(const char* path)
{
    BufferedReader reader(path);
    if (!reader.isOpen()) {
        return false;
    }
    Crc32 crc;
    for (auto chunk = reader.peek(); !chunk.empty(); chunk = reader.peek()) {
        crc.update(chunk);
        reader.consume(chunk.size());
    }
    return !reader.failed() && crc.value() == 0;
}

} // namespace vostrand::lib
