#include "core/lang.h"

#include <algorithm>

#include <QDir>
#include <QHash>

namespace vostrand::core {

namespace {

const QHash<QString, QString>& russianTexts()
{
    static const QHash<QString, QString> texts = [] {
        QHash<QString, QString> byKey;
        for (const LangConstant& constant : Lang::russianTable())
            byKey.insert(LanguageFile::key(constant.name), constant.text.toString());
        return byKey;
    }();
    return texts;
}

} // namespace

const QString Lang::kRussianName = QStringLiteral("Русский");

Lang::Lang(QObject* parent)
    : QObject(parent)
{}

QStringList Lang::searchFolders(const QString& programFolder)
{
    const QDir program(programFolder);
    return {QDir::cleanPath(programFolder),
            QDir::cleanPath(program.filePath(QStringLiteral("lang"))),
            QDir::cleanPath(program.filePath(QStringLiteral("../share/vostrandnet/lang")))};
}

int Lang::loadFolder(const QString& folder, QStringList* errors)
{
    const QDir dir(folder);
    const QStringList files =
        dir.entryList({QStringLiteral("*.lng")}, QDir::Files | QDir::Readable, QDir::Name);
    int added = 0;
    for (const QString& fileName : files) {
        QString error;
        auto language = LanguageFile::load(dir.filePath(fileName), &error);
        if (!language) {
            if (errors)
                errors->append(error);
            continue;
        }
        if (addLanguage(std::move(*language)))
            ++added;
    }
    return added;
}

bool Lang::addLanguage(LanguageFile language)
{
    const auto sameName = [&](const QString& name) {
        return name.compare(language.name, Qt::CaseInsensitive) == 0;
    };
    if (sameName(kRussianName) ||
        std::any_of(m_languages.begin(), m_languages.end(),
                    [&](const LanguageFile& known) { return sameName(known.name); }))
        return false;
    m_languages.push_back(std::move(language));
    return true;
}

QStringList Lang::languageNames() const
{
    QStringList names{kRussianName};
    for (const LanguageFile& language : m_languages)
        names.append(language.name);
    return names;
}

int Lang::currentId() const
{
    return m_current == 0 ? kRussianId : m_languages[static_cast<std::size_t>(m_current - 1)].id;
}

bool Lang::setCurrentIndex(int index)
{
    if (index < 0 || index >= languageCount())
        return false;
    if (index != m_current) {
        m_current = index;
        emit languageChanged(index);
    }
    return true;
}

QString Lang::text(QStringView name) const
{
    const QString key = LanguageFile::key(name);
    if (m_current > 0) {
        const auto& texts = m_languages[static_cast<std::size_t>(m_current - 1)].texts;
        const auto found = texts.constFind(key);
        if (found != texts.constEnd())
            return *found;
    }
    return russianTexts().value(key, name.toString());
}

} // namespace vostrand::core
