#include "core/language_file.h"

#include <QFile>

namespace vostrand::core {

namespace {

enum class Section
{
    None,
    Language,
    Constants,
};

Section sectionOf(QStringView header)
{
    if (header.compare(u"Language", Qt::CaseInsensitive) == 0)
        return Section::Language;
    if (header.compare(u"Constants", Qt::CaseInsensitive) == 0)
        return Section::Constants;
    return Section::None;
}

} // namespace

QString LanguageFile::unescape(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            result.append(text[i]);
            continue;
        }
        const QChar next = text[i + 1];
        const QChar replacement = next == u'r'    ? QChar(u'\r')
                                  : next == u'n'  ? QChar(u'\n')
                                  : next == u't'  ? QChar(u'\t')
                                  : next == u'\\' ? QChar(u'\\')
                                                  : QChar();
        if (replacement.isNull()) {
            result.append(text[i]);
            continue;
        }
        result.append(replacement);
        ++i;
    }
    return result;
}

QString LanguageFile::escape(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\r':
            result.append(QLatin1String("\\r"));
            break;
        case u'\n':
            result.append(QLatin1String("\\n"));
            break;
        case u'\t':
            result.append(QLatin1String("\\t"));
            break;
        case u'\\':
            result.append(QLatin1String("\\\\"));
            break;
        default:
            result.append(c);
        }
    }
    return result;
}

std::optional<LanguageFile> LanguageFile::parse(QStringView content, const QString& path,
                                                QString* error)
{
    LanguageFile file;
    file.path = path;
    Section section = Section::None;
    for (QStringView line : content.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
            section = sectionOf(trimmed.mid(1, trimmed.size() - 2).trimmed());
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QStringView name = line.left(equals).trimmed();
        const QStringView value = line.mid(equals + 1);
        if (section == Section::Constants && !name.isEmpty()) {
            file.texts.insert(key(name), unescape(value));
        } else if (section == Section::Language) {
            if (name.compare(u"Name", Qt::CaseInsensitive) == 0)
                file.name = value.trimmed().toString();
            else if (name.compare(u"Id", Qt::CaseInsensitive) == 0)
                file.id = value.trimmed().toInt();
        }
    }
    if (file.name.isEmpty()) {
        if (error)
            *error = path + QStringLiteral(": no language name in [Language]");
        return std::nullopt;
    }
    return file;
}

std::optional<LanguageFile> LanguageFile::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = path + QStringLiteral(": ") + file.errorString();
        return std::nullopt;
    }
    QString content = QString::fromUtf8(file.readAll());
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);
    return parse(content, path, error);
}

} // namespace vostrand::core
