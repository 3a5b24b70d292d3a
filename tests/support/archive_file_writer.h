// Builds binary archive files block by block, well-formed or deliberately broken, for tests,
// fuzz seeds and benchmarks. Plain C++: no Qt, no GUI.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <vector>

namespace vostrand::testing {

class ArchiveFileWriter
{
public:
    using Bytes = std::vector<std::uint8_t>;

    enum class BlockType : std::uint8_t
    {
        Parameters = 1,
        Descriptor = 2,
        Data = 3,
        Event = 4,
        Time = 5,
    };

    enum class Trailer
    {
        Correct, // the check value the converter accepts
        Broken,  // the correct one with its first byte flipped
        None,
    };

    struct Channel
    {
        std::uint8_t unit = 0;
        std::uint8_t type = 0; // 16 = 16-bit float, else scaled integer
        std::uint8_t decimals = 0;
        std::uint8_t unused = 0;
    };

    static constexpr std::uint16_t kDataLength = 0xFFFF;

    // Any header, e.g. a wrong marker, type or length.
    ArchiveFileWriter& header(std::uint8_t type, std::uint16_t length, std::uint8_t marker = 0x01);
    ArchiveFileWriter& header(BlockType type, std::uint16_t length);
    ArchiveFileWriter& raw(std::span<const std::uint8_t> bytes);
    ArchiveFileWriter& raw(std::initializer_list<std::uint8_t> bytes);
    // A header with the length of `content`, then the content.
    ArchiveFileWriter& block(BlockType type, std::span<const std::uint8_t> content);

    // Six big-endian words; `highBytes` fills the unused high byte of each.
    ArchiveFileWriter& timeBlock(std::uint8_t year, std::uint8_t month, std::uint8_t day,
                                 std::uint8_t hour, std::uint8_t minute, std::uint8_t second,
                                 std::uint8_t highBytes = 0);
    // `length` bytes: byte 0 = 0xEE, byte 1 = code, then 0x00, 0x01, ...
    ArchiveFileWriter& eventBlock(std::uint8_t code, std::uint16_t length = 2);
    ArchiveFileWriter& parametersBlock(std::uint32_t stepMs, std::uint8_t recordSize,
                                       std::span<const std::uint8_t> extra = {});
    ArchiveFileWriter& descriptorBlock(std::span<const Channel> channels);
    ArchiveFileWriter& descriptorBlock(std::initializer_list<Channel> channels);
    // The data header (type 3, length 0xFFFF) followed by the records.
    ArchiveFileWriter& dataBlock(std::span<const std::uint16_t> words);
    ArchiveFileWriter& dataBlock(std::span<const std::uint8_t> bytes);
    ArchiveFileWriter& dataBlock(std::initializer_list<std::uint8_t> bytes);

    const Bytes& content() const { return m_content; }
    // Offsets at which each block added so far ends: truncate(blockEnd(i)) cuts after block i.
    const std::vector<std::size_t>& blockEnds() const { return m_blockEnds; }
    ArchiveFileWriter& truncate(std::size_t size);

    Bytes bytes(Trailer trailer = Trailer::Correct) const;
    // Throws std::runtime_error when the file cannot be written.
    void save(const std::filesystem::path& path, Trailer trailer = Trailer::Correct) const;

    // The check value that makes `content` pass: the CRC register over it, low byte first.
    static std::array<std::uint8_t, 4> checkValue(std::span<const std::uint8_t> content);

private:
    void endBlock() { m_blockEnds.push_back(m_content.size()); }

    Bytes m_content;
    std::vector<std::size_t> m_blockEnds;
};

} // namespace vostrand::testing
