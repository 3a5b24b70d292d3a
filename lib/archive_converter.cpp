#include "archive_converter.h"

#include "buffered_reader.h"
#include "buffered_writer.h"
#include "hex.h"

#include <array>
#include <string>

namespace vostrand::lib {
namespace {

constexpr std::uint8_t kBlockMarker = 0x01;
constexpr std::uint8_t kParametersBlock = 1;
constexpr std::uint8_t kDescriptorBlock = 2;
constexpr std::uint8_t kDataBlock = 3;
constexpr std::uint8_t kEventBlock = 4;
constexpr std::uint8_t kTimeBlock = 5;

constexpr std::uint16_t kTimeLength = 12;
constexpr std::uint16_t kMaxShortBlock = 249; // event and descriptor blocks
constexpr std::uint16_t kMinParametersLength = 6;
constexpr std::uint16_t kDataLength = 0xFFFF; // the records run up to the check value
constexpr std::uint8_t kLastPlainEvent = 3;   // codes above carry their block as text

std::uint16_t bigEndian16(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::uint16_t>(high << 8 | low);
}

} // namespace

ArchiveConverter::ArchiveConverter(BufferedReader& source, BufferedWriter& target)
    : m_source(source)
    , m_target(target)
{}

std::optional<ArchiveConverter::BlockHeader> ArchiveConverter::readHeader()
{
    std::array<std::uint8_t, 4> bytes{};
    if (!m_source.read(bytes)) {
        return std::nullopt;
    }
    return BlockHeader{bytes[0], bytes[1], bigEndian16(bytes[2], bytes[3])};
}

std::optional<ArchiveConverter::BlockHeader>
ArchiveConverter::readBlock(std::uint8_t type, std::uint16_t minLength, std::uint16_t maxLength)
{
    auto header = readHeader();
    if (!header || header->marker != kBlockMarker || header->type != type ||
        header->length < minLength || header->length > maxLength) {
        return std::nullopt;
    }
    return header;
}

bool ArchiveConverter::convertTime()
{
    if (!readBlock(kTimeBlock, kTimeLength, kTimeLength)) {
        return false;
    }
    std::array<std::uint8_t, kTimeLength> words{};
    if (!m_source.read(words)) {
        return false;
    }
    // Only the low byte of each big-endian word counts.
    std::array<std::uint8_t, kTimeLength / 2> fields{};
    for (std::size_t index = 0; index < fields.size(); ++index) {
        fields[index] = words[2 * index + 1];
    }
    m_target.write(std::string_view("time="));
    m_target.writeHex(fields);
    m_target.writeLineEnd();
    return true;
}

std::optional<ArchiveConverter::Event> ArchiveConverter::readEvent(const BlockHeader& header)
{
    std::vector<std::uint8_t> block(header.length);
    if (!m_source.read(block)) {
        return std::nullopt;
    }
    Event event;
    // A block too short to hold a code reads as "undefined" rather than past its end.
    event.code = block.size() > 1 ? block[1] : 0;
    if (event.code > kLastPlainEvent) {
        event.text = std::move(block);
    }
    return event;
}

std::optional<ArchiveConverter::Parameters>
ArchiveConverter::readParameters(const BlockHeader& header)
{
    if (header.marker != kBlockMarker || header.type != kParametersBlock ||
        header.length < kMinParametersLength) {
        return std::nullopt;
    }
    std::array<std::uint8_t, kMinParametersLength> bytes{};
    if (!m_source.read(bytes) || !m_source.skip(header.length - kMinParametersLength)) {
        return std::nullopt;
    }
    // Low half of the step first, each half big-endian.
    const std::uint32_t stepMs = static_cast<std::uint32_t>(bigEndian16(bytes[2], bytes[3])) << 16 |
                                 bigEndian16(bytes[0], bytes[1]);
    return Parameters{stepMs / 1000, bytes[4]};
}

void ArchiveConverter::writeDescription(const Parameters& parameters, const Event& event,
                                        const std::vector<std::uint8_t>& descriptor)
{
    const auto channels = static_cast<std::uint32_t>(descriptor.size() / 4);
    m_target.writeLine("timestep=" + hexNumber(parameters.stepSeconds, 4));
    m_target.writeLine("arcchannels=" + hexNumber(channels, 4));
    m_target.writeLine("recordsize=" + hexNumber(parameters.recordSize, 4));
    m_target.writeLine("event=" + hexNumber(event.code, 2));
    m_target.write(std::string_view("eventtext="));
    m_target.writeHex(event.text);
    m_target.writeLineEnd();
    m_target.write(std::string_view("descriptor="));
    m_target.writeHex(descriptor);
    m_target.writeLineEnd();
}

void ArchiveConverter::copyData()
{
    m_target.writeLine("[DATA]");
    for (auto chunk = m_source.peek(); !chunk.empty(); chunk = m_source.peek()) {
        m_target.writeHex(chunk);
        m_source.consume(chunk.size());
    }
    m_target.writeLineEnd();
}

// The lines from "timestep=" to "descriptor=" are written together or not at all, so a file
// that ends anywhere between the time block and a complete descriptor block - the event block
// included, whether the next header is wholly or partly missing - ends its section after
// "time=". The event lines are never written on their own.
void ArchiveConverter::writeSection(std::uint32_t number)
{
    m_target.writeLine("[FILE]");
    m_target.writeLine("number=" + hexNumber(number, 4));
    if (!convertTime()) {
        return;
    }
    auto header = readHeader();
    if (!header) {
        return;
    }
    Event event;
    if (header->marker == kBlockMarker && header->type == kEventBlock &&
        header->length <= kMaxShortBlock) {
        auto read = readEvent(*header);
        header = readHeader();
        if (!read || !header) {
            return;
        }
        event = std::move(*read);
    }
    const auto parameters = readParameters(*header);
    if (!parameters) {
        return;
    }
    const auto descriptorHeader = readBlock(kDescriptorBlock, 0, kMaxShortBlock);
    if (!descriptorHeader) {
        return;
    }
    std::vector<std::uint8_t> descriptor(descriptorHeader->length);
    if (!m_source.read(descriptor)) {
        return;
    }
    writeDescription(*parameters, event, descriptor);
    if (readBlock(kDataBlock, kDataLength, kDataLength)) {
        copyData();
    }
}

} // namespace vostrand::lib
