// Turns one binary archive file into one [FILE] section of a text archive.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vostrand::lib {

class BufferedReader;
class BufferedWriter;

class ArchiveConverter
{
public:
    // The four bytes at the end of every binary archive: its check value, never content.
    static constexpr std::size_t kCheckValueSize = 4;

    // `source` must hold back the check value (BufferedReader(path, kCheckValueSize)).
    ArchiveConverter(BufferedReader& source, BufferedWriter& target);

    // A block that is missing or does not match ends the section early, never the conversion.
    void writeSection(std::uint32_t number);

private:
    struct BlockHeader
    {
        std::uint8_t marker = 0;
        std::uint8_t type = 0;
        std::uint16_t length = 0;
    };

    struct Parameters
    {
        std::uint32_t stepSeconds = 0;
        std::uint8_t recordSize = 0;
    };

    struct Event
    {
        std::uint8_t code = 0;
        std::vector<std::uint8_t> text; // the whole block, only for codes above 3
    };

    std::optional<BlockHeader> readHeader();
    std::optional<BlockHeader> readBlock(std::uint8_t type, std::uint16_t minLength,
                                         std::uint16_t maxLength);
    bool convertTime();
    std::optional<Event> readEvent(const BlockHeader& header);
    std::optional<Parameters> readParameters(const BlockHeader& header);
    void writeDescription(const Parameters& parameters, const Event& event,
                          const std::vector<std::uint8_t>& descriptor);
    void copyData();

    BufferedReader& m_source;
    BufferedWriter& m_target;
};

} // namespace vostrand::lib
