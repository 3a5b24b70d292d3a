#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vostrand::core {

// The outcome of a file operation: on failure the file's name and the system's reason, so
// that the caller can report which file failed.
struct FileResult
{
    bool ok = true;
    QString fileName;
    QString error;

    static FileResult success(const QString& fileName) { return {true, fileName, {}}; }
    static FileResult failure(const QString& fileName, const QString& error)
    {
        return {false, fileName, error};
    }
};

// The lines of a text file, or why they could not be had. `notFound` tells a missing file
// (often simply "nothing stored yet") from one that exists but cannot be read.
struct TextFileLines
{
    FileResult result;
    bool notFound = false;
    QStringList lines;
};

// Windows-1251 text with CR LF line ends: the form of every text the program writes to
// files and to the wire. The table is our own, so the program does not depend on the
// conversions the platform's Qt happens to carry.
class TextCodec
{
public:
    static constexpr char kUnmappable = '?';

    // Characters that 1251 cannot hold become '?' (one per character, also outside the BMP).
    static QByteArray encode(QStringView text);
    static QString decode(QByteArrayView bytes);

    // Lines end at CR LF, LF or a lone CR; the last line needs no end.
    static QStringList splitLines(QStringView text);

    static TextFileLines readLines(const QString& fileName);
    // Every line, the last one too, ends with CR LF. The file is replaced atomically: a failed
    // write leaves the old file as it was.
    static FileResult writeLines(const QString& fileName, const QStringList& lines);
    static QByteArray joinLines(const QStringList& lines);
};

} // namespace vostrand::core
