#pragma once

#include <optional>

#include <QHash>
#include <QString>
#include <QStringView>

namespace vostrand::core {

// One language file "*.lng": UTF-8 text (a BOM is allowed) in two sections,
//
//   [Language]
//   Name=English
//   Id=1033
//
//   [Constants]
//   Err_Port2=Port will not open. Check
//
// Lines beginning with ';' or '#' are comments. A text is everything after the first '=',
// blanks included; "\r", "\n", "\t" and "\\" stand for CR, LF, TAB and a backslash. Constant
// names compare without regard to case. Lines without '=' are ignored.
struct LanguageFile
{
    QString name;
    int id = 0;
    QString path;
    QHash<QString, QString> texts; // keyed by the lower-case constant name

    static QString key(QStringView constantName) { return constantName.toString().toLower(); }
    static QString unescape(QStringView text);
    static QString escape(QStringView text);

    // Nullopt (with the reason in `error` when given) for a file without a language name.
    static std::optional<LanguageFile> parse(QStringView content, const QString& path,
                                             QString* error = nullptr);
    static std::optional<LanguageFile> load(const QString& path, QString* error = nullptr);
};

} // namespace vostrand::core
