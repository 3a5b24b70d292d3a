#include "archive_file_writer.h"

#include <fstream>
#include <stdexcept>

namespace vostrand::testing {
namespace {

// A plain byte-wise table, deliberately not the library's code, so the two check each other.
std::array<std::uint32_t, 256> crcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t index = 0; index < 256; ++index) {
        std::uint32_t value = index;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1u) != 0 ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        }
        table[index] = value;
    }
    return table;
}

void appendBigEndian(ArchiveFileWriter::Bytes& bytes, std::uint16_t word)
{
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    bytes.push_back(static_cast<std::uint8_t>(word));
}

} // namespace

ArchiveFileWriter& ArchiveFileWriter::header(std::uint8_t type, std::uint16_t length,
                                             std::uint8_t marker)
{
    m_content.push_back(marker);
    m_content.push_back(type);
    appendBigEndian(m_content, length);
    endBlock();
    return *this;
}

ArchiveFileWriter& ArchiveFileWriter::header(BlockType type, std::uint16_t length)
{
    return header(static_cast<std::uint8_t>(type), length);
}

ArchiveFileWriter& ArchiveFileWriter::raw(std::span<const std::uint8_t> bytes)
{
    m_content.insert(m_content.end(), bytes.begin(), bytes.end());
    endBlock();
    return *this;
}

ArchiveFileWriter& ArchiveFileWriter::raw(std::initializer_list<std::uint8_t> bytes)
{
    return raw(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
}

ArchiveFileWriter& ArchiveFileWriter::block(BlockType type, std::span<const std::uint8_t> content)
{
    m_content.push_back(0x01);
    m_content.push_back(static_cast<std::uint8_t>(type));
    appendBigEndian(m_content, static_cast<std::uint16_t>(content.size()));
    return raw(content);
}

ArchiveFileWriter& ArchiveFileWriter::timeBlock(std::uint8_t year, std::uint8_t month,
                                                std::uint8_t day, std::uint8_t hour,
                                                std::uint8_t minute, std::uint8_t second,
                                                std::uint8_t highBytes)
{
    Bytes content;
    for (const std::uint8_t field : {year, month, day, hour, minute, second}) {
        content.push_back(highBytes);
        content.push_back(field);
    }
    return block(BlockType::Time, content);
}

ArchiveFileWriter& ArchiveFileWriter::eventBlock(std::uint8_t code, std::uint16_t length)
{
    Bytes content(length);
    for (std::size_t index = 0; index < content.size(); ++index) {
        content[index] = static_cast<std::uint8_t>(index - 2);
    }
    if (length > 0) {
        content[0] = 0xEE;
    }
    if (length > 1) {
        content[1] = code;
    }
    return block(BlockType::Event, content);
}

ArchiveFileWriter& ArchiveFileWriter::parametersBlock(std::uint32_t stepMs, std::uint8_t recordSize,
                                                      std::span<const std::uint8_t> extra)
{
    Bytes content;
    appendBigEndian(content, static_cast<std::uint16_t>(stepMs & 0xFFFF));
    appendBigEndian(content, static_cast<std::uint16_t>(stepMs >> 16));
    content.push_back(recordSize);
    content.push_back(0);
    content.insert(content.end(), extra.begin(), extra.end());
    return block(BlockType::Parameters, content);
}

ArchiveFileWriter& ArchiveFileWriter::descriptorBlock(std::span<const Channel> channels)
{
    Bytes content;
    for (const Channel& channel : channels) {
        content.insert(content.end(),
                       {channel.unused, channel.unit, channel.type, channel.decimals});
    }
    return block(BlockType::Descriptor, content);
}

ArchiveFileWriter& ArchiveFileWriter::descriptorBlock(std::initializer_list<Channel> channels)
{
    return descriptorBlock(std::span<const Channel>(channels.begin(), channels.size()));
}

ArchiveFileWriter& ArchiveFileWriter::dataBlock(std::span<const std::uint16_t> words)
{
    Bytes content;
    content.reserve(2 * words.size());
    for (const std::uint16_t word : words) {
        appendBigEndian(content, word);
    }
    return dataBlock(std::span<const std::uint8_t>(content));
}

ArchiveFileWriter& ArchiveFileWriter::dataBlock(std::span<const std::uint8_t> bytes)
{
    header(BlockType::Data, kDataLength);
    return raw(bytes);
}

ArchiveFileWriter& ArchiveFileWriter::dataBlock(std::initializer_list<std::uint8_t> bytes)
{
    return dataBlock(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
}

ArchiveFileWriter& ArchiveFileWriter::truncate(std::size_t size)
{
    if (size < m_content.size()) {
        m_content.resize(size);
    }
    std::erase_if(m_blockEnds, [size](std::size_t end) { return end > size; });
    return *this;
}

ArchiveFileWriter::Bytes ArchiveFileWriter::bytes(Trailer trailer) const
{
    Bytes result = m_content;
    if (trailer != Trailer::None) {
        auto check = checkValue(m_content);
        if (trailer == Trailer::Broken) {
            check[0] ^= 0xFF;
        }
        result.insert(result.end(), check.begin(), check.end());
    }
    return result;
}

void ArchiveFileWriter::save(const std::filesystem::path& path, Trailer trailer) const
{
    const Bytes data = bytes(trailer);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::array<std::uint8_t, 4> ArchiveFileWriter::checkValue(std::span<const std::uint8_t> content)
{
    static const std::array<std::uint32_t, 256> table = crcTable();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : content) {
        crc = (crc >> 8) ^ table[(crc ^ byte) & 0xFFu];
    }
    return {static_cast<std::uint8_t>(crc), static_cast<std::uint8_t>(crc >> 8),
            static_cast<std::uint8_t>(crc >> 16), static_cast<std::uint8_t>(crc >> 24)};
}

} // namespace vostrand::testing
