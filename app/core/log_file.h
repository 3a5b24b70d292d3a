#pragma once

#include "core/regional_format.h"
#include "core/text_codec.h"

#include <mutex>

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

namespace vostrand::core {

// The program's append-only log "vostrandnet_log.txt" in the data folder: one entry per
// line, the regional date-time, a TAB and the text, in 1251 with CR LF. Every entry is
// flushed at once so that a crash keeps what was written. Safe to use from several threads.
class LogFile
{
public:
    static constexpr const char* kFileName = "vostrandnet_log.txt";

    explicit LogFile(RegionalFormat format);
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    static QString filePath(const QString& dataFolder);

    // Opens (creating when missing) the log of `dataFolder` for appending; a log already open
    // is closed first. On failure the log stays closed and entries are dropped.
    FileResult open(const QString& dataFolder);
    void close();
    bool isOpen() const;
    QString fileName() const;

    // Line breaks inside `text` become blanks, so that every entry stays one line.
    FileResult append(const QString& text);
    FileResult append(const QDateTime& when, const QString& text);
    // Lines written as they are, without a stamp (an archive download listing).
    FileResult appendLines(const QStringList& lines);

private:
    FileResult write(const QByteArray& bytes);

    const RegionalFormat m_format;
    mutable std::mutex m_mutex;
    QFile m_file;
};

} // namespace vostrand::core
