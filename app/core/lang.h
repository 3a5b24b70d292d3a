#pragma once

#include "core/language_file.h"

#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vostrand::core {

struct LangConstant
{
    QStringView name;
    QStringView text;
};

// The translatable user texts, looked up by constant name: the current language's text,
// else the built-in Russian one, else the name itself. Language 0 is the built-in Russian;
// the others come from "*.lng" files (see LanguageFile). The program owns one and passes it.
class Lang : public QObject
{
    Q_OBJECT

public:
    static constexpr int kRussianId = 1049;
    static const QString kRussianName;

    explicit Lang(QObject* parent = nullptr);

    static const std::vector<LangConstant>& russianTable();
    // Where language files are looked for beside the program and in the installed tree.
    static QStringList searchFolders(const QString& programFolder);

    // Adds every "*.lng" of `folder` in file-name order; a language whose name is already
    // known is skipped. Returns the number added; unreadable files are listed in `errors`.
    int loadFolder(const QString& folder, QStringList* errors = nullptr);
    // False when a language of that name is already known.
    bool addLanguage(LanguageFile language);

    int languageCount() const { return static_cast<int>(m_languages.size()) + 1; }
    QStringList languageNames() const;
    int currentIndex() const { return m_current; }
    int currentId() const;
    // False (and no change) for an index out of range.
    bool setCurrentIndex(int index);

    QString text(QStringView name) const;

signals:
    void languageChanged(int index);

private:
    std::vector<LanguageFile> m_languages;
    int m_current = 0;
};

} // namespace vostrand::core
