#include "core/lang.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

namespace vostrand::core {
namespace {

void writeUtf8(const QString& path, const QString& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content.toUtf8());
}

QString shippedFolder()
{
    return QStringLiteral(VOSTRAND_TEST_SOURCE_DIR "/share/lang");
}

TEST(Lang, builtInRussianTexts)
{
    const Lang lang;
    EXPECT_EQ(lang.text(u"Err_Port2"), "Порт не открывается. Проверьте");
    EXPECT_EQ(lang.text(u"Zone_D"), "Показ зоны допуска");
    EXPECT_EQ(lang.text(u"Close_Query"), "Завершение VostrandNet\r\n\r\n Вы уверены ?");
    EXPECT_EQ(lang.text(u"Ch_zapr"), "Символ \"_\" запрещен. Замненен на пробел");
    EXPECT_EQ(lang.text(u"name_SENSOR"), "Имя датчика") << "names compare without case";
    EXPECT_EQ(lang.text(u"Not_a_constant"), "Not_a_constant");
    EXPECT_EQ(lang.currentId(), Lang::kRussianId);
}

TEST(Lang, builtInTableHasEveryNameOnce)
{
    QSet<QString> keys;
    for (const LangConstant& constant : Lang::russianTable()) {
        EXPECT_FALSE(constant.text.isEmpty()) << constant.name.toString().toStdString();
        const QString key = LanguageFile::key(constant.name);
        EXPECT_FALSE(keys.contains(key)) << "twice: " << key.toStdString();
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), static_cast<qsizetype>(Lang::russianTable().size()));
}

TEST(Lang, languageFileFormat)
{
    const QString content = QString::fromUtf8("\xEF\xBB\xBF; comment\r\n"
                                              "[Language]\r\n"
                                              "Name = Deutsch \r\n"
                                              "Id=1031\r\n"
                                              "[Constants]\r\n"
                                              "Warning=Achtung\r\n"
                                              "SpeedButton2= Start\r\n"
                                              "Close_Query=Beenden?\\r\\n\\tJa\\\\Nein\\x\r\n"
                                              "# another comment\r\n"
                                              "line without equals\r\n"
                                              "Formula=a=b\n");
    QTemporaryDir dir;
    writeUtf8(dir.filePath("de.lng"), content);
    const auto file = LanguageFile::load(dir.filePath("de.lng"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->name, "Deutsch");
    EXPECT_EQ(file->id, 1031);
    EXPECT_EQ(file->texts.value("warning"), "Achtung");
    EXPECT_EQ(file->texts.value("speedbutton2"), " Start");
    EXPECT_EQ(file->texts.value("close_query"), "Beenden?\r\n\tJa\\Nein\\x");
    EXPECT_EQ(file->texts.value("formula"), "a=b");
    EXPECT_EQ(file->texts.size(), 4);

    EXPECT_EQ(LanguageFile::unescape(LanguageFile::escape(u"a\\b\r\n\tc")), "a\\b\r\n\tc");

    QString error;
    EXPECT_FALSE(LanguageFile::parse(u"[Constants]\nWarning=x\n", "nameless.lng", &error));
    EXPECT_TRUE(error.contains("nameless.lng"));
}

TEST(Lang, loadsFoldersAndSwitchesAtRunTime)
{
    QTemporaryDir first;
    QTemporaryDir second;
    writeUtf8(first.filePath("b.lng"),
              "[Language]\nName=Beta\nId=2\n[Constants]\nWarning=Beware\n");
    writeUtf8(first.filePath("a.lng"), "[Language]\nName=Alpha\nId=1\n[Constants]\n");
    writeUtf8(first.filePath("broken.lng"), "no header at all\n");
    writeUtf8(first.filePath("ignored.txt"), "[Language]\nName=Txt\n");
    writeUtf8(second.filePath("beta.lng"), "[Language]\nName=beta\n[Constants]\nWarning=Other\n");

    Lang lang;
    QStringList errors;
    EXPECT_EQ(lang.loadFolder(first.path(), &errors), 2);
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(lang.loadFolder(second.path()), 0) << "a known language name is not added twice";
    EXPECT_EQ(lang.languageNames(), QStringList({Lang::kRussianName, "Alpha", "Beta"}));

    std::vector<int> signalled;
    QObject::connect(&lang, &Lang::languageChanged, [&](int index) { signalled.push_back(index); });

    EXPECT_TRUE(lang.setCurrentIndex(2));
    EXPECT_EQ(lang.currentId(), 2);
    EXPECT_EQ(lang.text(u"Warning"), "Beware");
    EXPECT_EQ(lang.text(u"Zone_D"), "Показ зоны допуска") << "falls back to the built-in text";

    EXPECT_TRUE(lang.setCurrentIndex(2));
    EXPECT_FALSE(lang.setCurrentIndex(3));
    EXPECT_FALSE(lang.setCurrentIndex(-1));
    EXPECT_EQ(lang.currentIndex(), 2);

    EXPECT_TRUE(lang.setCurrentIndex(0));
    EXPECT_EQ(lang.text(u"Warning"), "Внимание");
    EXPECT_EQ(signalled, (std::vector<int>{2, 0}));
}

TEST(Lang, shippedEnglishTranslatesEveryBuiltInConstant)
{
    const auto english = LanguageFile::load(QDir(shippedFolder()).filePath("English.lng"));
    ASSERT_TRUE(english);
    EXPECT_EQ(english->name, "English");
    QSet<QString> builtIn;
    for (const LangConstant& constant : Lang::russianTable()) {
        const QString key = LanguageFile::key(constant.name);
        builtIn.insert(key);
        EXPECT_FALSE(english->texts.value(key).isEmpty()) << constant.name.toString().toStdString();
    }
    for (auto it = english->texts.cbegin(); it != english->texts.cend(); ++it)
        EXPECT_TRUE(builtIn.contains(it.key()))
            << "not a built-in constant: " << it.key().toStdString();

    Lang lang;
    EXPECT_EQ(lang.loadFolder(shippedFolder()), 1);
    ASSERT_TRUE(lang.setCurrentIndex(1));
    EXPECT_EQ(lang.text(u"Close_Query"), "Closing VostrandNet\r\n\r\n Are you sure?");
}

} // namespace
} // namespace vostrand::core
