#pragma once

#include "acquisition/data_file_naming.h"
#include "core/regional_format.h"
#include "core/sensor_table.h"
#include "core/text_codec.h"

#include <cstddef>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vostrand::acquisition {

// The outcome of loading a data table file for continuation. A missing file is no error
// (`notFound`); one that cannot be read leaves the list empty with `result` saying why, and
// is then never replaced: later writes to it only append, so what it held is kept.
struct DataLineLoad
{
    core::FileResult result;
    bool notFound = false;
};

// The outcome of writing the current file. `names` is null when no names file was due
// (no sensor rows, or the data file failed). On failure every line stays in the list and the
// next write carries it.
struct DataLineWrite
{
    core::FileResult data;
    std::optional<core::FileResult> names;
    bool appended = false; // only the lines since the last write went to disk

    bool ok() const { return data.ok && (!names || names->ok); }
};

// The current data-line list: every record line of the current file period, kept as
// Windows-1251 bytes (half the memory of QString) without line ends.
//
// Writing keeps the file equal to the list, line for line with CR LF. When the file on disk
// is still what this list last wrote (same path, size, modification time and last line),
// only the new lines are appended, so a write costs the same late in the day as early;
// otherwise the whole file is rewritten atomically (QSaveFile). Both give the same bytes. An
// append that fails is undone by cutting the file back to its old size.
class DataLineList
{
public:
    // Replaces the list with the lines of `dataFile`.
    DataLineLoad load(const QString& dataFile);

    void append(QStringView line);
    // Starts a new file period: no lines, nothing known about any file.
    void clear();

    int count() const { return static_cast<int>(m_lines.size()); }
    bool isEmpty() const { return m_lines.empty(); }
    // The number of the next record line.
    int nextNumber() const { return count() + 1; }
    QString line(int index) const;
    QByteArrayView lineBytes(int index) const;
    // Null when the list is empty.
    std::optional<QString> lastLine() const;
    // The date-time of the last line; null when empty or unreadable (the cycle takes now).
    std::optional<QDateTime> lastLineTime(const core::RegionalFormat& regional) const;

    // Lines added since the last successful write (all of them after a failed one).
    bool hasUnwrittenLines() const;

    // Creates the folder when missing, writes the data file, then the names file when
    // `namesLines` has rows.
    DataLineWrite write(const DataFilePaths& paths, const QStringList& namesLines);

    // Bytes the lines take in memory, with their containers (an estimate of the heap use).
    std::size_t memoryBytes() const;

    // The names file rows: "address/name/unit" for every sensor of the list, active or not.
    static QStringList namesLines(const core::SensorTable& sensors);
    static core::FileResult writeNamesFile(const QString& fileName, const QStringList& lines);

private:
    // What this list last put on disk, to tell whether appending is safe.
    struct DiskState
    {
        QString fileName;
        qint64 size = 0;
        QDateTime modified;
        std::size_t lineCount = 0;
    };

    // A file that existed but could not be read at load: its content is unknown, so it is
    // never replaced, only appended to.
    struct UnreadFile
    {
        QString fileName;
        std::size_t appendedLines = 0;
    };

    core::FileResult rewrite(const QString& fileName);
    std::optional<core::FileResult> tryAppend(const QString& fileName);
    core::FileResult appendToUnread();
    // Appends lines [from, end); a failed append cuts the file back to its old size.
    core::FileResult appendFrom(const QString& fileName, std::size_t from) const;
    bool diskMatches(const QString& fileName) const;
    void noteWritten(const QString& fileName);

    std::vector<QByteArray> m_lines;
    std::optional<DiskState> m_disk;
    std::optional<UnreadFile> m_unread;
};

} // namespace vostrand::acquisition
