#include "archive_file_writer.h"
#include "temp_folder.h"
#include "vostrand_lib.h"

#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using vostrand::testing::ArchiveFileWriter;
using vostrand::testing::TempFolder;
using vostrand::testing::writeFileBytes;
using Trailer = ArchiveFileWriter::Trailer;

std::vector<uint8_t> randomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(count);
    for (auto& byte : bytes) {
        byte = static_cast<uint8_t>(random());
    }
    return bytes;
}

ArchiveFileWriter rawFile(std::size_t size, unsigned seed)
{
    ArchiveFileWriter file;
    file.raw(randomBytes(size, seed));
    return file;
}

bool check(const std::filesystem::path& path)
{
    return file_CRC32_correct(path.c_str()) == 1;
}

TEST(FileCrc32, smallestFilesAndKnownVector)
{
    const TempFolder folder;
    struct Case
    {
        std::string bytes;
        bool passes;
    };
    // "123456789" has the standard CRC-32 0xCBF43926; the register is its complement.
    const std::vector<Case> cases = {
        {"", false},
        {"\xFF\xFF\xFF\xFF", true},
        {"\xFF\xFF\xFF", false},
        {"123456789\xD9\xC6\x0B\x34", true},
        {"123456789\x26\x39\xF4\xCB", false},
    };
    for (const auto& c : cases) {
        writeFileBytes(folder / "file", c.bytes);
        EXPECT_EQ(check(folder / "file"), c.passes) << c.bytes.size() << " bytes";
    }
}

// Sizes around the read buffer and the eight-byte steps of the register loop.
TEST(FileCrc32, acceptsTheCheckValueAndNothingElseAtAnySize)
{
    const TempFolder folder;
    for (const std::size_t size : {1u, 7u, 8u, 9u, 65531u, 65532u, 65536u, 65537u, 200003u}) {
        SCOPED_TRACE(size);
        const ArchiveFileWriter file = rawFile(size, static_cast<unsigned>(size));
        file.save(folder / "good", Trailer::Correct);
        file.save(folder / "broken", Trailer::Broken);
        file.save(folder / "bare", Trailer::None);
        EXPECT_TRUE(check(folder / "good"));
        EXPECT_FALSE(check(folder / "broken"));
        EXPECT_FALSE(check(folder / "bare"));

        auto flipped = file.bytes();
        flipped[size / 2] ^= 0x10;
        writeFileBytes(folder / "flipped",
                       std::string(reinterpret_cast<const char*>(flipped.data()), flipped.size()));
        EXPECT_FALSE(check(folder / "flipped"));
    }
}

TEST(FileCrc32, failsForWhatCannotBeRead)
{
    const TempFolder folder;
    EXPECT_FALSE(check(folder / "missing"));
    EXPECT_FALSE(check(folder.path()));
    EXPECT_EQ(file_CRC32_correct(nullptr), 0);
}

// Each check owns its register: parallel checks of different files must not disturb each other.
TEST(FileCrc32, checksRunInParallelIndependently)
{
    const TempFolder folder;
    constexpr int kFiles = 6;
    for (int index = 0; index < kFiles; ++index) {
        rawFile(300000 + 17 * static_cast<std::size_t>(index), static_cast<unsigned>(index))
            .save(folder / std::to_string(index),
                  index % 2 == 0 ? Trailer::Correct : Trailer::Broken);
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&, thread] {
            for (int round = 0; round < 15; ++round) {
                const int index = (thread + round) % kFiles;
                if (check(folder / std::to_string(index)) != (index % 2 == 0)) {
                    ++wrong;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
