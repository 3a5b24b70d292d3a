#include "core/text_codec.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace vostrand::core {
namespace {

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int value : values)
        bytes.append(static_cast<char>(value));
    return bytes;
}

struct KnownText
{
    const char16_t* text;
    QByteArray bytes;
};

TEST(TextCodec, knownTextsEncodeAndDecode)
{
    const std::vector<KnownText> cases = {
        {u"Vostrand 1.2", "Vostrand 1.2"},
        {u"Печь", bytesOf({0xCF, 0xE5, 0xF7, 0xFC})},
        {u"АЯаяЁё", bytesOf({0xC0, 0xDF, 0xE0, 0xFF, 0xA8, 0xB8})},
        {u"°C ±№€", bytesOf({0xB0, 0x43, 0x20, 0xB1, 0xB9, 0x88})},
        {u"«—»", bytesOf({0xAB, 0x97, 0xBB})},
    };
    for (const auto& [text, bytes] : cases) {
        const QString string = QString::fromUtf16(text);
        EXPECT_EQ(TextCodec::encode(string), bytes) << string.toStdString();
        EXPECT_EQ(TextCodec::decode(bytes), string) << string.toStdString();
    }
}

TEST(TextCodec, everyByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int value = 0; value < 256; ++value)
        all.append(static_cast<char>(value));
    EXPECT_EQ(TextCodec::encode(TextCodec::decode(all)), all);
}

TEST(TextCodec, highHalfAgreesWithTheSystemConverter)
{
    QStringDecoder system("windows-1251");
    if (!system.isValid())
        GTEST_SKIP() << "this Qt has no windows-1251 converter to compare with";
    for (int value = 0x80; value < 0x100; ++value) {
        const QByteArray byte(1, static_cast<char>(value));
        EXPECT_EQ(TextCodec::decode(byte), QString(system(byte))) << "byte " << value;
    }
}

TEST(TextCodec, charactersOutside1251BecomeOneQuestionMarkEach)
{
    EXPECT_EQ(TextCodec::encode(u"a漢b"), QByteArray("a?b"));
    EXPECT_EQ(TextCodec::encode(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y"));
    EXPECT_EQ(TextCodec::encode(u"ä"), QByteArray("?"));
}

TEST(TextCodec, splitsLinesAtCrLfLfAndLoneCr)
{
    const std::vector<std::pair<QString, QStringList>> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\rb", {"a", "b"}},
        {"\r\n", {""}},
    };
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(TextCodec::splitLines(text), lines) << text.toStdString();
}

TEST(TextCodec, writesCrLfIn1251AndReadsItBack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("names.nm");
    const QStringList lines = {"1.1/Печь 1/°C", "", "1.2/Зона/%"};

    const FileResult written = TextCodec::writeLines(path, lines);
    ASSERT_TRUE(written.ok) << written.error.toStdString();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), TextCodec::encode(u"1.1/Печь 1/°C\r\n\r\n1.2/Зона/%\r\n"));

    const TextFileLines read = TextCodec::readLines(path);
    EXPECT_TRUE(read.result.ok);
    EXPECT_EQ(read.lines, lines);
}

TEST(TextCodec, rewritingReplacesTheWholeFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("data.vst");
    ASSERT_TRUE(TextCodec::writeLines(path, {"1 long old line", "2 another"}).ok);
    ASSERT_TRUE(TextCodec::writeLines(path, {"1"}).ok);
    EXPECT_EQ(TextCodec::readLines(path).lines, QStringList{"1"});
}

TEST(TextCodec, failuresComeBackWithTheFileName)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("no such folder/data.vst");

    const FileResult written = TextCodec::writeLines(missing, {"x"});
    EXPECT_FALSE(written.ok);
    EXPECT_EQ(written.fileName, missing);
    EXPECT_FALSE(written.error.isEmpty());

    const TextFileLines read = TextCodec::readLines(missing);
    EXPECT_FALSE(read.result.ok);
    EXPECT_TRUE(read.notFound);
    EXPECT_EQ(read.result.fileName, missing);
    EXPECT_TRUE(read.lines.isEmpty());

    const TextFileLines folder = TextCodec::readLines(dir.path());
    EXPECT_FALSE(folder.result.ok);
    EXPECT_FALSE(folder.notFound);
}

} // namespace
} // namespace vostrand::core
