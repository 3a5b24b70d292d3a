#include "archive_file_writer.h"
#include "archive_test_helpers.h"
#include "temp_folder.h"
#include "vostrand_lib.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace vostrand::testing;
using Trailer = ArchiveFileWriter::Trailer;

// A complete archive whose minute tells the files apart in the output.
ArchiveFileWriter archiveAt(uint8_t minute)
{
    ArchiveFileWriter file;
    file.timeBlock(24, 1, 2, 3, minute, 5)
        .parametersBlock(1000, 1)
        .descriptorBlock({{0, 0, 1}})
        .dataBlock({0xAB, 0xCD});
    return file;
}

std::string sectionFor(uint32_t number, uint8_t minute)
{
    static const char* const digits = "0123456789ABCDEF";
    const std::string minuteHex = {digits[minute >> 4], digits[minute & 0x0F]};
    return "[FILE]\r\nnumber=000" + std::to_string(number) + "\r\ntime=18010203" + minuteHex +
           "05\r\ntimestep=0001\r\narcchannels=0001\r\nrecordsize=0001\r\nevent=00\r\n"
           "eventtext=\r\ndescriptor=00000001\r\n[DATA]\r\nABCD\r\n";
}

class Vsb2vsaM : public ::testing::Test
{
protected:
    int32_t convert() { return vsb2vsa_m(m_folder.path().c_str(), target().c_str()); }
    std::string output() const { return readFileBytes(target()); }
    std::filesystem::path target() const { return m_out / "all.vsa"; }

    TempFolder m_folder;
    TempFolder m_out;
};

TEST_F(Vsb2vsaM, convertsArchiveFilesInNameOrderAfterTheDeviceInfo)
{
    const std::string deviceInfo = "[DEVICE]\r\nadress=0C\r\nchannels=4\r\nname=\xD2\xD0\xCC-138";
    writeFileBytes(m_folder / "dev_info.vsi", deviceInfo);
    archiveAt(2).save(m_folder / "b.vsb");
    archiveAt(1).save(m_folder / "a.vsb");
    archiveAt(3).save(m_folder / "C.VSB");     // the pattern ignores case
    archiveAt(9).save(m_folder / "notes.txt"); // other names are not archives
    archiveAt(9).save(m_folder / "a.vsb.bak");
    std::filesystem::create_directory(m_folder / "folder.vsb");

    EXPECT_EQ(convert(), 1);
    EXPECT_EQ(output(), kArchiveHeader + deviceInfo + "\r\n" + sectionFor(1, 3) + sectionFor(2, 1) +
                            sectionFor(3, 2));
}

TEST_F(Vsb2vsaM, withoutDeviceInfoTheAddressIsOne)
{
    archiveAt(1).save(m_folder / "a.vsb");
    EXPECT_EQ(convert(), 1);
    EXPECT_EQ(output(), kArchiveHeader + "[DEVICE]\r\nadress=01\r\n" + sectionFor(1, 1));
}

// 20 bytes hold nothing to convert: such files are ignored whatever their check value.
TEST_F(Vsb2vsaM, ignoresFilesOfTwentyBytesOrLess)
{
    ArchiveFileWriter twenty;
    twenty.timeBlock(1, 1, 1, 1, 1, 1);
    ASSERT_EQ(twenty.bytes().size(), 20u);
    twenty.save(m_folder / "a.vsb");
    twenty.save(m_folder / "b.vsb", Trailer::Broken);
    writeFileBytes(m_folder / "c.vsb", "");
    ArchiveFileWriter twentyOne = twenty;
    twentyOne.raw({0x01});
    twentyOne.save(m_folder / "d.vsb");
    archiveAt(5).save(m_folder / "e.vsb");

    EXPECT_EQ(convert(), 1);
    EXPECT_EQ(output(), kArchiveHeader + "[DEVICE]\r\nadress=01\r\n" +
                            "[FILE]\r\nnumber=0001\r\ntime=010101010101\r\n" + sectionFor(2, 5));
}

TEST_F(Vsb2vsaM, aFileFailingTheCheckFailsTheResultButNotTheOthers)
{
    archiveAt(1).save(m_folder / "a.vsb");
    archiveAt(2).save(m_folder / "b.vsb", Trailer::Broken);
    archiveAt(3).save(m_folder / "c.vsb", Trailer::None);
    archiveAt(4).save(m_folder / "d.vsb");

    EXPECT_EQ(convert(), 0);
    EXPECT_EQ(output(),
              kArchiveHeader + "[DEVICE]\r\nadress=01\r\n" + sectionFor(1, 1) + sectionFor(2, 4));
}

TEST_F(Vsb2vsaM, failsWhenTheTargetCannotBeCreated)
{
    archiveAt(1).save(m_folder / "a.vsb");
    EXPECT_EQ(vsb2vsa_m(m_folder.path().c_str(), (m_out / "no" / "such.vsa").c_str()), 0);
    EXPECT_EQ(vsb2vsa_m(m_folder.path().c_str(), m_out.path().c_str()), 0);
    EXPECT_EQ(vsb2vsa_m(m_folder.path().c_str(), nullptr), 0);
}

// A folder that cannot be listed converted nothing: that is a failure, not an empty success.
TEST_F(Vsb2vsaM, failsForAFolderThatDoesNotExist)
{
    EXPECT_EQ(vsb2vsa_m((m_folder / "gone").c_str(), target().c_str()), 0);
    EXPECT_EQ(output(), kArchiveHeader + "[DEVICE]\r\nadress=01\r\n");
}

} // namespace
