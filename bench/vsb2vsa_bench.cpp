// Converts a 64 MiB binary archive with vsb2vsa and dumps the same file with `xxd -p`, then
// prints both throughputs and their ratio. Best of a few runs each, to damp cache noise.
#include "archive_file_writer.h"
#include "temp_folder.h"
#include "vostrand_lib.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using vostrand::testing::ArchiveFileWriter;
using vostrand::testing::TempFolder;

constexpr std::size_t kArchiveBytes = 64u << 20;
constexpr int kRuns = 3;

void writeArchive(const fs::path& path)
{
    std::vector<std::uint8_t> records(kArchiveBytes);
    std::mt19937 random(2024);
    for (auto& byte : records) {
        byte = static_cast<std::uint8_t>(random());
    }
    ArchiveFileWriter archive;
    archive.timeBlock(24, 5, 17, 12, 30, 0)
        .eventBlock(1)
        .parametersBlock(1000, 8)
        .descriptorBlock({{0, 0, 1}, {1, 16, 0}, {0, 0, 1}, {0, 0, 1}})
        .dataBlock(std::span<const std::uint8_t>(records));
    archive.save(path);
}

template <typename Run> double bestSeconds(Run run)
{
    double best = 1e300;
    for (int attempt = 0; attempt < kRuns; ++attempt) {
        const auto start = Clock::now();
        if (!run()) {
            return -1;
        }
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

double mibPerSecond(std::uintmax_t bytes, double seconds)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds;
}

} // namespace

int main()
{
    const TempFolder folder;
    const fs::path source = folder.path() / "bench.vsb";
    const fs::path converted = folder.path() / "bench.vsa";
    const fs::path dumped = folder.path() / "bench.xxd";
    writeArchive(source);
    const std::uintmax_t size = fs::file_size(source);

    const double convertSeconds =
        bestSeconds([&] { return vsb2vsa(source.c_str(), converted.c_str(), 1) == 1; });
    const std::string xxd = "xxd -p '" + source.string() + "' > '" + dumped.string() + "'";
    const double xxdSeconds = bestSeconds([&] { return std::system(xxd.c_str()) == 0; });
    if (convertSeconds <= 0 || xxdSeconds <= 0) {
        std::fprintf(stderr, "benchmark failed: vsb2vsa %s, xxd %s\n",
                     convertSeconds > 0 ? "ok" : "failed", xxdSeconds > 0 ? "ok" : "failed");
        return 1;
    }
    const double ours = mibPerSecond(size, convertSeconds);
    const double theirs = mibPerSecond(size, xxdSeconds);
    std::printf("input %.1f MiB, best of %d runs\n", static_cast<double>(size) / (1 << 20), kRuns);
    std::printf("vsb2vsa  %8.1f MiB/s (CRC pass + conversion)\n", ours);
    std::printf("xxd -p   %8.1f MiB/s\n", theirs);
    std::printf("ratio    %8.2f x\n", ours / theirs);
    return 0;
}
