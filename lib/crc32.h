// CRC-32 register of the archive check (reflected polynomial 0xEDB88320, start 0xFFFFFFFF, no
// final inversion). Each check owns its register, so checks may run in parallel.
#pragma once

#include <cstdint>
#include <span>

namespace vostrand::lib {

class Crc32
{
public:
    static constexpr std::uint32_t kInitial = 0xFFFFFFFFu;

    void update(std::span<const std::uint8_t> bytes);
    std::uint32_t value() const { return m_register; }

private:
    std::uint32_t m_register = kInitial;
};

// True when the register over the whole file ends at 0, that is when its last four bytes
// hold the register of the bytes before them, least significant byte first.
bool fileCrcCorrect(const char* path);

} // namespace vostrand::lib
