#include "core/log_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vostrand::core {
namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QDateTime kMoment(QDate(2026, 12, 10), QTime(9, 5, 7));

TEST(LogFile, appendsStampedLinesIn1251AndKeepsOldEntries)
{
    QTemporaryDir dir;
    const QString path = LogFile::filePath(dir.path());
    {
        LogFile log(RegionalFormat::russian());
        const FileResult opened = log.open(dir.path());
        ASSERT_TRUE(opened.ok) << opened.error.toStdString();
        EXPECT_EQ(opened.fileName, path);
        EXPECT_TRUE(log.append(kMoment, "Включена запись в базу данных").ok);
    }
    LogFile log(RegionalFormat::russian());
    ASSERT_TRUE(log.open(dir.path()).ok);
    EXPECT_TRUE(log.append(kMoment.addSecs(60), "Создан новый файл базы\n\r\n\rbase.db").ok);
    EXPECT_TRUE(log.appendLines({"Конец загрузки:", "\tВремя 5"}).ok);

    EXPECT_EQ(contents(path),
              TextCodec::encode(u"10.12.2026 9:05:07\tВключена запись в базу данных\r\n"
                                u"10.12.2026 9:06:07\tСоздан новый файл базы base.db\r\n"
                                u"Конец загрузки:\r\n"
                                u"\tВремя 5\r\n"));
}

TEST(LogFile, aLogThatCannotOpenReportsItsNameAndDropsEntries)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("missing");
    LogFile log(RegionalFormat::russian());

    const FileResult opened = log.open(folder);
    EXPECT_FALSE(opened.ok);
    EXPECT_EQ(opened.fileName, LogFile::filePath(folder));
    EXPECT_FALSE(log.isOpen());

    const FileResult appended = log.append("lost");
    EXPECT_FALSE(appended.ok);
    EXPECT_FALSE(QFile::exists(LogFile::filePath(folder)));
}

TEST(LogFile, closedLogRefusesEntries)
{
    QTemporaryDir dir;
    LogFile log(RegionalFormat::dotDecimal());
    ASSERT_TRUE(log.open(dir.path()).ok);
    log.close();
    EXPECT_FALSE(log.append(kMoment, "after close").ok);
    EXPECT_TRUE(contents(LogFile::filePath(dir.path())).isEmpty());
}

} // namespace
} // namespace vostrand::core
