#include "archive_file_writer.h"
#include "archive_test_helpers.h"
#include "temp_folder.h"
#include "vostrand_lib.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace vostrand::testing;
using Bytes = ArchiveFileWriter::Bytes;
using Block = ArchiveFileWriter::BlockType;
using Trailer = ArchiveFileWriter::Trailer;

class Vsb2vsa : public ::testing::Test
{
protected:
    // Converts `file` (finished with `trailer`) and returns the text archive.
    std::string convert(const ArchiveFileWriter& file, int32_t address = 1,
                        Trailer trailer = Trailer::Correct)
    {
        file.save(source(), trailer);
        m_result = vsb2vsa(source().c_str(), target().c_str(), address);
        return readFileBytes(target());
    }

    // The lines of the [FILE] section.
    std::vector<std::string> section(const ArchiveFileWriter& file)
    {
        const std::string text = convert(file);
        EXPECT_EQ(m_result, 1);
        auto lines = archiveLines(text);
        lines.erase(lines.begin(), lines.begin() + 5); // header and device section
        return lines;
    }

    std::string line(const ArchiveFileWriter& file, const std::string& key)
    {
        for (const auto& text : section(file)) {
            if (text.starts_with(key + "=")) {
                return text.substr(key.size() + 1);
            }
        }
        return "<missing>";
    }

    std::filesystem::path source() const { return m_folder / "archive.vsb"; }
    std::filesystem::path target() const { return m_folder / "archive.vsa"; }

    TempFolder m_folder;
    int32_t m_result = -1;
};

// Time, parameters and descriptor in the shape the recorder writes; callers add to it.
ArchiveFileWriter recorderFile(bool withEvent = false)
{
    ArchiveFileWriter file;
    file.timeBlock(24, 5, 17, 12, 30, 45);
    if (withEvent) {
        file.eventBlock(1);
    }
    file.parametersBlock(60000, 2).descriptorBlock({{0, 0, 1}, {0, 0, 1}});
    return file;
}

TEST_F(Vsb2vsa, convertsAHandBuiltArchiveExactly)
{
    ArchiveFileWriter file;
    file.timeBlock(24, 5, 17, 12, 30, 45, 0x07) // high bytes of the words are not used
        .eventBlock(0x5F, 4)
        .parametersBlock(1500, 4)
        .descriptorBlock({{0, 0, 1}, {1, 16, 0}})
        .dataBlock(std::vector<uint16_t>{0x00FA, 0x0BFF, 0x0001, 0x8000});
    writeFileBytes(target(), std::string(100000, 'x')); // an older, longer archive goes away

    const std::string text = convert(file, 0x0A);

    EXPECT_EQ(m_result, 1);
    EXPECT_EQ(text, kArchiveHeader + "[DEVICE]\r\nadress=0A\r\n"
                                     "[FILE]\r\nnumber=0001\r\ntime=1805110C1E2D\r\n"
                                     "timestep=0001\r\narcchannels=0002\r\nrecordsize=0004\r\n"
                                     "event=5F\r\neventtext=EE5F0001\r\n"
                                     "descriptor=0000000100011000\r\n"
                                     "[DATA]\r\n00FA0BFF00018000\r\n");
}

TEST_F(Vsb2vsa, writesTheLowByteOfTheAddress)
{
    const std::vector<std::pair<int32_t, std::string>> cases = {
        {0, "00"}, {0x0A, "0A"}, {0xFE, "FE"}, {0x1AB, "AB"}, {-1, "FF"}};
    for (const auto& [address, hex] : cases) {
        const auto lines = archiveLines(convert(recorderFile(), address));
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(lines[4], "adress=" + hex);
    }
}

enum class Cut
{
    AfterNumber,
    AfterTime,
    AfterDescriptor,
    None,
};

std::vector<std::string> expectedKeys(Cut cut)
{
    std::vector<std::string> keys = {"[FILE]", "number"};
    if (cut == Cut::AfterNumber) {
        return keys;
    }
    keys.push_back("time");
    if (cut == Cut::AfterTime) {
        return keys;
    }
    keys.insert(keys.end(),
                {"timestep", "arcchannels", "recordsize", "event", "eventtext", "descriptor"});
    if (cut == Cut::AfterDescriptor) {
        return keys;
    }
    keys.push_back("[DATA]");
    keys.push_back("DATA LINE");
    return keys;
}

struct CutCase
{
    const char* name;
    std::function<void(ArchiveFileWriter&)> build;
    Cut cut;
};

void time(ArchiveFileWriter& file)
{
    file.timeBlock(1, 2, 3, 4, 5, 6);
}
void parameters(ArchiveFileWriter& file)
{
    file.parametersBlock(1000, 2);
}
void descriptor(ArchiveFileWriter& file)
{
    file.descriptorBlock({{0, 0, 0}, {0, 0, 0}});
}
void data(ArchiveFileWriter& file)
{
    file.dataBlock({0x12, 0x34});
}
void upToDescriptor(ArchiveFileWriter& file)
{
    time(file);
    parameters(file);
    descriptor(file);
}

const std::vector<CutCase> kCutCases = {
    {"nothingButTheCheckValue", [](auto&) {}, Cut::AfterNumber},
    {"halfATimeHeader",
     [](auto& f) {
         f.raw({0x01, 0x05});
     },
     Cut::AfterNumber},
    {"timeWrongType", [](auto& f) { f.header(6, 12).raw(Bytes(12)); }, Cut::AfterNumber},
    {"timeWrongMarker", [](auto& f) { f.header(5, 12, 0x02).raw(Bytes(12)); }, Cut::AfterNumber},
    {"timeLength11", [](auto& f) { f.header(5, 11).raw(Bytes(11)); }, Cut::AfterNumber},
    {"timeLength13", [](auto& f) { f.header(5, 13).raw(Bytes(13)); }, Cut::AfterNumber},
    {"timeContentCut", [](auto& f) { f.header(5, 12).raw(Bytes(11)); }, Cut::AfterNumber},
    {"timeOnly", time, Cut::AfterTime},
    {"timeAndEventOnly",
     [](auto& f) {
         time(f);
         f.eventBlock(7, 6);
     },
     Cut::AfterTime},
    {"eventThenHalfAHeader",
     [](auto& f) {
         time(f);
         f.eventBlock(7, 6).raw({0x01, 0x01});
     },
     Cut::AfterTime},
    {"eventContentCut",
     [](auto& f) {
         time(f);
         f.header(4, 10).raw(Bytes(3));
     },
     Cut::AfterTime},
    {"event250IsNoEventBlock",
     [](auto& f) {
         time(f);
         f.eventBlock(7, 250);
         parameters(f);
         descriptor(f);
         data(f);
     },
     Cut::AfterTime},
    {"event249",
     [](auto& f) {
         time(f);
         f.eventBlock(7, 249);
         parameters(f);
         descriptor(f);
         data(f);
     },
     Cut::None},
    {"unknownBlockAfterTime",
     [](auto& f) {
         time(f);
         f.header(6, 2).raw({0, 0});
         parameters(f);
     },
     Cut::AfterTime},
    {"parametersLength5",
     [](auto& f) {
         time(f);
         f.header(1, 5).raw(Bytes(5));
     },
     Cut::AfterTime},
    {"parametersContentCut",
     [](auto& f) {
         time(f);
         f.header(1, 8).raw(Bytes(7));
     },
     Cut::AfterTime},
    {"parametersWithExtraBytes",
     [](auto& f) {
         time(f);
         f.parametersBlock(1000, 2, Bytes(300, 0x5A));
         descriptor(f);
         data(f);
     },
     Cut::None},
    {"noDescriptor",
     [](auto& f) {
         time(f);
         parameters(f);
     },
     Cut::AfterTime},
    {"dataWhereDescriptorBelongs",
     [](auto& f) {
         time(f);
         parameters(f);
         data(f);
     },
     Cut::AfterTime},
    {"descriptor250",
     [](auto& f) {
         time(f);
         parameters(f);
         f.header(2, 250).raw(Bytes(250));
         data(f);
     },
     Cut::AfterTime},
    {"descriptor249",
     [](auto& f) {
         time(f);
         parameters(f);
         f.header(2, 249).raw(Bytes(249));
         data(f);
     },
     Cut::None},
    // A block may not borrow the check value: its last bytes are never content.
    {"descriptorRunningIntoCheckValue",
     [](auto& f) {
         time(f);
         parameters(f);
         f.header(2, 8).raw(Bytes(4));
     },
     Cut::AfterTime},
    {"noDataBlock", upToDescriptor, Cut::AfterDescriptor},
    {"dataHeaderShortLength",
     [](auto& f) {
         upToDescriptor(f);
         f.header(3, 0x0010).raw(Bytes(16));
     },
     Cut::AfterDescriptor},
    {"halfADataHeader",
     [](auto& f) {
         upToDescriptor(f);
         f.raw({0x01, 0x03});
     },
     Cut::AfterDescriptor},
    {"dataHeaderWithoutRecords",
     [](auto& f) {
         upToDescriptor(f);
         f.header(3, 0xFFFF);
     },
     Cut::None},
    {"complete",
     [](auto& f) {
         upToDescriptor(f);
         data(f);
     },
     Cut::None},
};

TEST_F(Vsb2vsa, endsTheSectionAtTheFirstBlockThatDoesNotMatch)
{
    for (const auto& c : kCutCases) {
        SCOPED_TRACE(c.name);
        ArchiveFileWriter file;
        c.build(file);
        auto keys = lineKeys(section(file));
        if (keys.size() == expectedKeys(Cut::None).size()) {
            keys.back() = "DATA LINE";
        }
        EXPECT_EQ(keys, expectedKeys(c.cut));
    }
}

TEST_F(Vsb2vsa, truncatedAfterAnyBlockStillConverts)
{
    ArchiveFileWriter full = recorderFile(true);
    full.dataBlock({1, 2, 3, 4, 5, 6, 7, 8});
    const std::vector<Cut> cutAfterBlock = {Cut::AfterTime,       Cut::AfterTime, Cut::AfterTime,
                                            Cut::AfterDescriptor, Cut::None,      Cut::None};
    ASSERT_EQ(full.blockEnds().size(), cutAfterBlock.size());
    for (std::size_t block = 0; block < cutAfterBlock.size(); ++block) {
        SCOPED_TRACE(block);
        ArchiveFileWriter file = full;
        file.truncate(full.blockEnds()[block]);
        auto keys = lineKeys(section(file));
        if (keys.size() == expectedKeys(Cut::None).size()) {
            keys.back() = "DATA LINE";
        }
        EXPECT_EQ(keys, expectedKeys(cutAfterBlock[block]));
    }
}

TEST_F(Vsb2vsa, writesTheEventCodeAndTextOnlyAboveThree)
{
    struct Case
    {
        const char* name;
        std::function<void(ArchiveFileWriter&)> event;
        std::string code;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"noEventBlock", [](auto&) {}, "00", ""},
        {"code2", [](auto& f) { f.eventBlock(2); }, "02", ""},
        {"code3", [](auto& f) { f.eventBlock(3, 5); }, "03", ""},
        {"code4", [](auto& f) { f.eventBlock(4, 3); }, "04", "EE0400"},
        {"code5F", [](auto& f) { f.eventBlock(0x5F, 6); }, "5F", "EE5F00010203"},
        {"blockTooShortForACode", [](auto& f) { f.eventBlock(0, 1); }, "00", ""},
        {"emptyBlock", [](auto& f) { f.eventBlock(0, 0); }, "00", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ArchiveFileWriter file;
        file.timeBlock(1, 1, 1, 0, 0, 0);
        c.event(file);
        file.parametersBlock(1000, 1).descriptorBlock({{0, 0, 0}});
        EXPECT_EQ(line(file, "event"), c.code);
        EXPECT_EQ(line(file, "eventtext"), c.text);
    }
}

TEST_F(Vsb2vsa, writesStepRecordSizeAndChannels)
{
    struct Case
    {
        uint32_t stepMs;
        uint8_t recordSize;
        std::size_t descriptorBytes;
        std::string timestep, recordsize, arcchannels;
    };
    const std::vector<Case> cases = {
        {1500, 1, 4, "0001", "0001", "0001"},
        {60000, 3, 8, "003C", "0003", "0002"},
        {999, 0, 0, "0000", "0000", "0000"},
        {0x12345678, 0xFF, 10, "4A90B", "00FF", "0002"}, // both halves of the step count
        {0xFFFFFFFF, 16, 248, "418937", "0010", "003E"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stepMs);
        Bytes descriptorBytes(c.descriptorBytes);
        for (std::size_t at = 0; at < descriptorBytes.size(); ++at) {
            descriptorBytes[at] = static_cast<uint8_t>(at);
        }
        ArchiveFileWriter file;
        file.timeBlock(1, 1, 1, 0, 0, 0)
            .parametersBlock(c.stepMs, c.recordSize)
            .block(Block::Descriptor, descriptorBytes);
        EXPECT_EQ(line(file, "timestep"), c.timestep);
        EXPECT_EQ(line(file, "recordsize"), c.recordsize);
        EXPECT_EQ(line(file, "arcchannels"), c.arcchannels);
        EXPECT_EQ(line(file, "descriptor"), hexOf(descriptorBytes)); // leftover bytes included
    }
}

// Record sizes chosen so the check value lands on and around the edges of the read buffer.
TEST_F(Vsb2vsa, dataLineHoldsEveryRecordByteAndNeverTheCheckValue)
{
    const std::size_t prefix = [] {
        ArchiveFileWriter file = recorderFile();
        file.header(Block::Data, 0xFFFF);
        return file.content().size();
    }();
    std::vector<std::size_t> sizes = {0, 1, 3, 4, 5, 300001};
    for (std::size_t total = 65530; total <= 65542; ++total) {
        sizes.push_back(total - prefix);
    }
    std::mt19937 random(7);
    for (const std::size_t size : sizes) {
        SCOPED_TRACE(size);
        Bytes records(size);
        for (auto& byte : records) {
            byte = static_cast<uint8_t>(random());
        }
        ArchiveFileWriter file = recorderFile();
        file.dataBlock(std::span<const uint8_t>(records));
        const auto lines = section(file);
        ASSERT_EQ(lines.size(), 11u);
        EXPECT_EQ(lines[9], "[DATA]");
        EXPECT_TRUE(lines[10] == hexOf(records)) << "data line differs";
    }
}

TEST_F(Vsb2vsa, failsWithoutTouchingTheTargetWhenTheCheckFails)
{
    writeFileBytes(target(), "old");
    for (const Trailer trailer : {Trailer::Broken, Trailer::None}) {
        EXPECT_EQ(convert(recorderFile(), 1, trailer), "old");
        EXPECT_EQ(m_result, 0);
    }
    EXPECT_EQ(vsb2vsa((m_folder / "missing.vsb").c_str(), target().c_str(), 1), 0);
    EXPECT_EQ(readFileBytes(target()), "old");
}

TEST_F(Vsb2vsa, failsWhenTheTargetCannotBeCreated)
{
    recorderFile().save(source());
    EXPECT_EQ(vsb2vsa(source().c_str(), (m_folder / "no" / "such.vsa").c_str(), 1), 0);
    EXPECT_EQ(vsb2vsa(source().c_str(), m_folder.path().c_str(), 1), 0);
    EXPECT_EQ(vsb2vsa(source().c_str(), nullptr, 1), 0);
    EXPECT_EQ(vsb2vsa(nullptr, target().c_str(), 1), 0);
}

} // namespace
