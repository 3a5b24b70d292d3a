// The write at the end of a day (86,400 lines of 64 channels) against a write of the same last
// 20 lines alone, and the memory the day's list takes per line. A write must cost about the
// same late in the day as early: the target is a ratio within 2.
#include "acquisition/data_line_list.h"
#include "acquisition/record_line.h"
#include "core/no_value.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace {

using Clock = std::chrono::steady_clock;
using vostrand::acquisition::DataFilePaths;
using vostrand::acquisition::DataLineList;
using vostrand::acquisition::RecordLine;
using vostrand::acquisition::RecordLineFormat;
using vostrand::acquisition::RecordSensorValues;

constexpr int kLinesPerDay = 86400;
constexpr int kChannels = 64;
constexpr int kChannelsPerDevice = 8;
constexpr int kTailLines = 20;
constexpr int kRuns = 15;
constexpr double kTargetRatio = 2.0;

QString makeLine(int number, const QDateTime& start, const RecordLineFormat& format)
{
    RecordLine line(number, start.addSecs(number - 1), format);
    for (int channel = 0; channel < kChannels; ++channel) {
        const float t = 20.0f + static_cast<float>((number * 7 + channel * 13) % 9000) / 10.0f;
        const float sp = channel % 5 == 0 ? vostrand::core::NO_VALUE : 250.0f;
        const QString address = QStringLiteral("%1.%2")
                                    .arg(channel / kChannelsPerDevice + 1)
                                    .arg(channel % kChannelsPerDevice + 1);
        line.addSensor(address, RecordSensorValues{t, sp, vostrand::core::NO_VALUE, 1, 0});
    }
    return line.text();
}

// Allocated bytes, the large blocks the allocator maps on their own included; 0 where the
// C library does not tell (the estimate is printed beside it).
std::size_t heapInUse()
{
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    return 0;
#endif
}

double medianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

template <typename Prepare, typename Run> double medianOf(Prepare prepare, Run run)
{
    std::vector<double> samples;
    for (int i = 0; i < kRuns; ++i) {
        prepare(i);
        const auto start = Clock::now();
        if (!run(i))
            return -1.0;
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return medianMs(samples);
}

} // namespace

int main()
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const RecordLineFormat format;
    const QDateTime start(QDate(2026, 12, 10), QTime(8, 0));
    const QStringList names = {QStringLiteral("1.1/Печь 1/°C")};

    // The day's lines, once as the list keeps them and once as plain QStrings for comparison.
    const std::size_t heapBefore = heapInUse();
    DataLineList day;
    for (int number = 1; number <= kLinesPerDay; ++number)
        day.append(makeLine(number, start, format));
    const std::size_t listHeap = heapInUse() - heapBefore;
    const std::size_t dayMemory = day.memoryBytes();

    const std::size_t stringsBefore = heapInUse();
    QStringList strings;
    for (int i = 0; i < day.count(); ++i)
        strings.append(day.line(i));
    const std::size_t stringsHeap = heapInUse() - stringsBefore;
    const double lineChars = static_cast<double>(day.lineBytes(day.count() - 1).size());
    strings.clear();

    const DataFilePaths dayPaths{folder.filePath(QStringLiteral("2026 Dec")),
                                 QStringLiteral("10.12.2026 08_00")};
    const auto fullStart = Clock::now();
    if (!day.write(dayPaths, names).ok()) {
        std::fprintf(stderr, "writing the day failed\n");
        return 1;
    }
    const double fullMs =
        std::chrono::duration<double, std::milli>(Clock::now() - fullStart).count();
    const double fileMiB =
        static_cast<double>(QFile(dayPaths.dataFile()).size()) / (1024.0 * 1024.0);

    // End of the day: 20 more lines since the last write, then the write.
    const double dayEndMs = medianOf(
        [&](int) {
            for (int i = 0; i < kTailLines; ++i)
                day.append(makeLine(day.nextNumber(), start, format));
        },
        [&](int) { return day.write(dayPaths, names).ok(); });

    // The same 20 lines as the whole file.
    std::vector<QString> tail;
    for (int i = day.count() - kTailLines; i < day.count(); ++i)
        tail.push_back(day.line(i));
    DataLineList small;
    const double smallMs = medianOf(
        [&](int) {
            small.clear();
            for (const QString& line : tail)
                small.append(line);
        },
        [&](int run) {
            const DataFilePaths paths{folder.filePath(QStringLiteral("small")),
                                      QStringLiteral("run %1").arg(run)};
            return small.write(paths, names).ok();
        });

    const double ratio = dayEndMs / smallMs;
    std::printf("day file: %d lines of %d channels, %.1f MiB, %.0f bytes per line of text\n",
                kLinesPerDay, kChannels, fileMiB, lineChars);
    std::printf("full rewrite of the day:          %9.2f ms\n", fullMs);
    std::printf("write at the end of the day (+%d): %9.3f ms (median of %d)\n", kTailLines,
                dayEndMs, kRuns);
    std::printf("write of the %d lines alone:      %9.3f ms (median of %d)\n", kTailLines, smallMs,
                kRuns);
    std::printf("ratio day end / lines alone:      %9.2f (target <= %.1f): %s\n", ratio,
                kTargetRatio, ratio <= kTargetRatio ? "met" : "MISSED");
    std::printf("memory per line, list (1251 bytes): %7.0f bytes measured, %7.0f estimated\n",
                static_cast<double>(listHeap) / kLinesPerDay,
                static_cast<double>(dayMemory) / kLinesPerDay);
    std::printf("memory per line, QString list:      %7.0f bytes measured\n",
                static_cast<double>(stringsHeap) / kLinesPerDay);
    return 0;
}
