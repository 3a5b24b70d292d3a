#include "core/log_file.h"

#include <QDir>
#include <QRegularExpression>

namespace vostrand::core {

namespace {

QString singleLine(const QString& text)
{
    static const QRegularExpression kBreaks(QStringLiteral("[\\r\\n]+"));
    QString line = text;
    return line.replace(kBreaks, QStringLiteral(" "));
}

} // namespace

LogFile::LogFile(RegionalFormat format)
    : m_format(std::move(format))
{}

QString LogFile::filePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QLatin1String(kFileName));
}

FileResult LogFile::open(const QString& dataFolder)
{
    const std::lock_guard lock(m_mutex);
    if (m_file.isOpen())
        m_file.close();
    m_file.setFileName(filePath(dataFolder));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return FileResult::failure(m_file.fileName(), m_file.errorString());
    return FileResult::success(m_file.fileName());
}

void LogFile::close()
{
    const std::lock_guard lock(m_mutex);
    m_file.close();
}

bool LogFile::isOpen() const
{
    const std::lock_guard lock(m_mutex);
    return m_file.isOpen();
}

QString LogFile::fileName() const
{
    const std::lock_guard lock(m_mutex);
    return m_file.fileName();
}

FileResult LogFile::append(const QString& text)
{
    return append(QDateTime::currentDateTime(), text);
}

FileResult LogFile::append(const QDateTime& when, const QString& text)
{
    const QString line = m_format.formatDateTime(when) + u'\t' + singleLine(text);
    return write(TextCodec::joinLines({line}));
}

FileResult LogFile::appendLines(const QStringList& lines)
{
    QStringList single;
    single.reserve(lines.size());
    for (const QString& line : lines)
        single.append(singleLine(line));
    return write(TextCodec::joinLines(single));
}

FileResult LogFile::write(const QByteArray& bytes)
{
    const std::lock_guard lock(m_mutex);
    if (!m_file.isOpen())
        return FileResult::failure(m_file.fileName(), QStringLiteral("log file is not open"));
    if (m_file.write(bytes) != bytes.size() || !m_file.flush())
        return FileResult::failure(m_file.fileName(), m_file.errorString());
    return FileResult::success(m_file.fileName());
}

} // namespace vostrand::core
