#include "acquisition/data_line_list.h"

#include "acquisition/data_line_reader.h"
#include "core/sensor_address.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vostrand::acquisition {

namespace {

constexpr QByteArrayView kLineEnd = "\r\n";
// Lines are handed to the file in batches of about this size, so a rewrite needs no second
// copy of the whole file in memory.
constexpr qsizetype kWriteChunk = 1 << 20;

// The lines of a file's bytes, split at CR LF, LF or a lone CR. `exact` tells whether the
// bytes are just these lines each ended by CR LF, as a write would give them back.
struct SplitLines
{
    std::vector<QByteArray> lines;
    bool exact = true;
};

SplitLines splitLines(QByteArrayView bytes)
{
    SplitLines split;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        split.lines.emplace_back(bytes.sliced(start, i - start).toByteArray());
        if (c == '\r' && i + 1 < size && bytes[i + 1] == '\n')
            ++i;
        else
            split.exact = false;
        start = i + 1;
    }
    if (start < size) {
        split.lines.emplace_back(bytes.sliced(start).toByteArray());
        split.exact = false;
    }
    return split;
}

// Writes lines [from, to) each with CR LF; false as soon as the device refuses.
bool writeLines(QIODevice& device, const std::vector<QByteArray>& lines, std::size_t from,
                std::size_t to)
{
    QByteArray chunk;
    chunk.reserve(kWriteChunk + kWriteChunk / 4);
    for (std::size_t i = from; i < to; ++i) {
        chunk += lines[i];
        chunk += kLineEnd;
        const bool last = i + 1 == to;
        if (chunk.size() >= kWriteChunk || last) {
            if (device.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    return true;
}

QString sameFileKey(const QString& fileName)
{
    return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
}

// Heap bytes of one allocation of `payload` bytes: Qt's array header, the allocator's own
// header, rounded to its 16-byte granule.
std::size_t heapBytes(qsizetype payload)
{
    constexpr std::size_t kQtHeader = 16;
    constexpr std::size_t kMallocHeader = 8;
    constexpr std::size_t kGranule = 16;
    const std::size_t raw = static_cast<std::size_t>(payload) + kQtHeader + kMallocHeader;
    return (raw + kGranule - 1) / kGranule * kGranule;
}

} // namespace

DataLineLoad DataLineList::load(const QString& dataFile)
{
    clear();
    QFile file(dataFile);
    if (!file.exists())
        return {core::FileResult::success(dataFile), true};
    const bool opened = file.open(QIODevice::ReadOnly);
    const QByteArray bytes = opened ? file.readAll() : QByteArray();
    if (!opened || file.error() != QFileDevice::NoError) {
        // What the file holds is unknown, so it is never replaced: the new lines go after it.
        m_unread = UnreadFile{sameFileKey(dataFile), 0};
        return {core::FileResult::failure(dataFile, file.errorString()), false};
    }
    file.close();

    SplitLines split = splitLines(bytes);
    m_lines = std::move(split.lines);
    // A file in our own form can be continued by appending; any other is rewritten whole at
    // the first write, so that the file ends up exactly as the list.
    if (split.exact)
        noteWritten(dataFile);
    return {core::FileResult::success(dataFile), false};
}

void DataLineList::append(QStringView line)
{
    QByteArray bytes = core::TextCodec::encode(line);
    // A line end inside a line would split it in the file and shift the numbering.
    bytes.replace('\r', ' ').replace('\n', ' ');
    bytes.squeeze();
    m_lines.push_back(std::move(bytes));
}

void DataLineList::clear()
{
    m_lines.clear();
    m_lines.shrink_to_fit();
    m_disk.reset();
    m_unread.reset();
}

QString DataLineList::line(int index) const
{
    return core::TextCodec::decode(lineBytes(index));
}

QByteArrayView DataLineList::lineBytes(int index) const
{
    return m_lines.at(static_cast<std::size_t>(index));
}

std::optional<QString> DataLineList::lastLine() const
{
    if (m_lines.empty())
        return std::nullopt;
    return core::TextCodec::decode(m_lines.back());
}

std::optional<QDateTime> DataLineList::lastLineTime(const core::RegionalFormat& regional) const
{
    const std::optional<QString> last = lastLine();
    if (!last)
        return std::nullopt;
    return DataLineReader(regional).dateTime(*last);
}

bool DataLineList::hasUnwrittenLines() const
{
    if (m_unread)
        return m_unread->appendedLines < m_lines.size();
    return !m_disk || m_disk->lineCount < m_lines.size();
}

DataLineWrite DataLineList::write(const DataFilePaths& paths, const QStringList& namesLines)
{
    const QString dataFile = paths.dataFile();
    DataLineWrite outcome;
    if (!QDir().mkpath(paths.folder)) {
        m_disk.reset();
        outcome.data = core::FileResult::failure(
            dataFile, QStringLiteral("cannot create the folder %1").arg(paths.folder));
        return outcome;
    }

    if (m_unread && m_unread->fileName == sameFileKey(dataFile)) {
        outcome.data = appendToUnread();
        outcome.appended = outcome.data.ok;
    } else if (std::optional<core::FileResult> appended = tryAppend(dataFile)) {
        outcome.data = *appended;
        outcome.appended = appended->ok;
    } else {
        outcome.data = rewrite(dataFile);
    }
    if (outcome.data.ok && !namesLines.isEmpty())
        outcome.names = writeNamesFile(paths.namesFile(), namesLines);
    return outcome;
}

core::FileResult DataLineList::rewrite(const QString& fileName)
{
    m_disk.reset();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return core::FileResult::failure(fileName, file.errorString());
    if (!writeLines(file, m_lines, 0, m_lines.size())) {
        const QString error = file.errorString();
        file.cancelWriting();
        return core::FileResult::failure(fileName, error);
    }
    if (!file.commit())
        return core::FileResult::failure(fileName, file.errorString());
    noteWritten(fileName);
    return core::FileResult::success(fileName);
}

std::optional<core::FileResult> DataLineList::tryAppend(const QString& fileName)
{
    if (!diskMatches(fileName))
        return std::nullopt;
    const std::size_t from = m_disk->lineCount;
    m_disk.reset(); // unknown until the new lines are through
    core::FileResult result = appendFrom(fileName, from);
    if (result.ok)
        noteWritten(fileName);
    return result;
}

core::FileResult DataLineList::appendToUnread()
{
    const QString& fileName = m_unread->fileName;
    core::FileResult result = appendFrom(fileName, m_unread->appendedLines);
    if (result.ok)
        m_unread->appendedLines = m_lines.size();
    return result;
}

core::FileResult DataLineList::appendFrom(const QString& fileName, std::size_t from) const
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return core::FileResult::failure(fileName, file.errorString());
    const qint64 oldSize = file.size();
    if (!writeLines(file, m_lines, from, m_lines.size()) || !file.flush()) {
        const QString error = file.errorString();
        // Back to the file as it was, rather than one that ends in half a line.
        file.resize(oldSize);
        return core::FileResult::failure(fileName, error);
    }
    file.close();
    return core::FileResult::success(fileName);
}

bool DataLineList::diskMatches(const QString& fileName) const
{
    if (!m_disk || m_disk->fileName != sameFileKey(fileName) || m_disk->lineCount > m_lines.size())
        return false;
    const QFileInfo info(fileName);
    if (!info.isFile() || info.size() != m_disk->size || info.lastModified() != m_disk->modified)
        return false;
    if (m_disk->lineCount == 0)
        return m_disk->size == 0;

    // Size and time can survive an edit within the clock's resolution; the last line seldom.
    const QByteArray expected = m_lines[m_disk->lineCount - 1] + kLineEnd.toByteArray();
    if (expected.size() > m_disk->size)
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_disk->size - expected.size()))
        return false;
    return file.read(expected.size()) == expected;
}

void DataLineList::noteWritten(const QString& fileName)
{
    const QFileInfo info(fileName);
    m_disk = DiskState{sameFileKey(fileName), info.size(), info.lastModified(), m_lines.size()};
}

std::size_t DataLineList::memoryBytes() const
{
    std::size_t bytes = sizeof(*this) + m_lines.capacity() * sizeof(QByteArray);
    for (const QByteArray& line : m_lines)
        bytes += heapBytes(line.capacity() + 1);
    return bytes;
}

QStringList DataLineList::namesLines(const core::SensorTable& sensors)
{
    QStringList lines;
    for (const core::SensorRecord& sensor : sensors.records()) {
        const QString address = core::SensorAddress::textOf(sensor);
        // A sensor without an address never appears in a data line.
        if (!address.isEmpty())
            lines.append(address + u'/' + sensor.Name + u'/' + sensor.Dimension);
    }
    return lines;
}

core::FileResult DataLineList::writeNamesFile(const QString& fileName, const QStringList& lines)
{
    return core::TextCodec::writeLines(fileName, lines);
}

} // namespace vostrand::acquisition
