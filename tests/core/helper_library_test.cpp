#include "core/helper_library.h"

#include "archive_file_writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vostrand::core {
namespace {

const QString kBinDir = QStringLiteral(VOSTRAND_TEST_BIN_DIR);

QString builtLibrary()
{
    return QDir(kBinDir).filePath(QStringLiteral("libvostrand_lib.so"));
}

TEST(HelperLibrarySearch, installFolderIsTheOnlyPlaceWhenConfigured)
{
    EXPECT_EQ(HelperLibrary::searchPaths(QStringLiteral("/opt/vn"), QStringLiteral("/usr/bin")),
              QStringList{QStringLiteral("/opt/vn/libvostrand_lib.so")});
}

TEST(HelperLibrarySearch, besideTheProgramThenInstalledFolderThenBareName)
{
    EXPECT_EQ(HelperLibrary::searchPaths(std::nullopt, QStringLiteral("/usr/bin")),
              (QStringList{QStringLiteral("/usr/bin/libvostrand_lib.so"),
                           QStringLiteral("/usr/bin/../lib/vostrandnet/libvostrand_lib.so"),
                           QStringLiteral("libvostrand_lib.so")}));
}

TEST(HelperLibraryBinding, missingLibraryFailsEveryPathWithItsMessage)
{
    const QTemporaryDir empty;
    const HelperLibrary library(HelperLibrary::searchPaths(empty.path(), {}));
    ASSERT_FALSE(library.isLoaded());
    EXPECT_EQ(library.loadError(),
              QStringLiteral("Ошибка - не доступна библиотека vostrand_lib.dll"));

    const LibraryCall conversion = library.vsb2vsa(QStringLiteral("a.vsb"),
                                                   QStringLiteral("a.vsa"), 1);
    EXPECT_FALSE(conversion.bound());
    EXPECT_EQ(conversion.bindingError, library.loadError());

    QByteArray frame;
    const LibraryCall tcp = library.convertModbusAsciiToTcp(":010300000002FA\r\n", 0, frame);
    EXPECT_FALSE(tcp.bound());
    EXPECT_EQ(tcp.bindingError,
              QStringLiteral("Ошибка - не доступна функция convert_MODBUS_ASCII_to_TCP "
                             "библиотеки vostrand_lib.dll"));
}

TEST(HelperLibraryBinding, missingExportNamesTheFunction)
{
    const HelperLibrary library(
        HelperLibrary::searchPaths(QDir(kBinDir).filePath(QStringLiteral("partial")), {}));
    ASSERT_TRUE(library.isLoaded());
    EXPECT_EQ(library.vsb2vsa({}, {}, 1).bindingError,
              QStringLiteral("Ошибка - не доступна функция vsb2vsa библиотеки vostrand_lib.dll"));
    EXPECT_EQ(library.vsb2vsa_m({}, {}).bindingError,
              QStringLiteral("Ошибка - не доступна функция vsb2vsa_m библиотеки vostrand_lib.dll"));
}

TEST(HelperLibraryBinding, frameConversionThroughTheBinding)
{
    const HelperLibrary library({builtLibrary()});
    ASSERT_TRUE(library.isLoaded()) << builtLibrary().toStdString();
    QByteArray frame;
    const LibraryCall call = library.convertModbusAsciiToTcp(":010300000002FA\r\n", 0, frame);
    ASSERT_TRUE(call.bound());
    EXPECT_EQ(*call.result, 12);
    EXPECT_EQ(frame.toHex(), QByteArray("000000000006010300000002"));

    const LibraryCall badLrc = library.convertModbusAsciiToTcp(":010300000002FB\r\n", 0, frame);
    EXPECT_EQ(*badLrc.result, 0);
    EXPECT_TRUE(frame.isEmpty());
}
QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeArchive(const QString& path, testing::ArchiveFileWriter::Trailer trailer)
{
    testing::ArchiveFileWriter writer;
    writer.timeBlock(24, 3, 15, 10, 30, 0)
        .parametersBlock(60000, 1)
        .descriptorBlock({{.unit = 0, .type = 0, .decimals = 1}})
        .dataBlock({0x01, 0x02});
    writer.save(QFile::encodeName(path).toStdString(), trailer);
}

TEST(HelperLibraryBinding, archiveConversionsThroughTheBinding)
{
    const QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("arc.vsb"));
    const QString target = folder.filePath(QStringLiteral("arc.vsa"));
    writeArchive(source, testing::ArchiveFileWriter::Trailer::Correct);
    const HelperLibrary library({builtLibrary()});

    const LibraryCall single = library.vsb2vsa(source, target, 0x0A);
    ASSERT_TRUE(single.bound());
    EXPECT_EQ(*single.result, 1);
    EXPECT_TRUE(readAll(target).startsWith("[ARCFILE]\r\nversion=from vostrand loaded\r\n"
                                           "format=ASCII-HEX\r\n[DEVICE]\r\nadress=0A\r\n"));
    EXPECT_TRUE(readAll(target).endsWith("[DATA]\r\n0102\r\n"));

    const LibraryCall folderCall = library.vsb2vsa_m(folder.path(), target);
    EXPECT_EQ(folderCall.result, std::optional<std::int32_t>(1));

    writeArchive(source, testing::ArchiveFileWriter::Trailer::Broken);
    EXPECT_EQ(library.vsb2vsa(source, target, 1).result, std::optional<std::int32_t>(0));
    EXPECT_EQ(library.vsb2vsa_m(folder.path(), target).result, std::optional<std::int32_t>(0));
}

} // namespace
} // namespace vostrand::core
