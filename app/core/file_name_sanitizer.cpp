#include "core/file_name_sanitizer.h"

#include <QStringList>

namespace vostrand::core {

namespace {

bool isForbidden(QChar c)
{
    static constexpr QStringView kForbidden = u"/\\<>:\"|?*";
    return c.unicode() < 0x20 || c.unicode() == 0x7F || kForbidden.contains(c);
}

QString replaceForbidden(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text)
        result.append(isForbidden(c) ? FileNameSanitizer::kReplacement : c);
    return result;
}

// Runs of dots would name a parent folder ("..") once separators are gone elsewhere.
QString collapseDotRuns(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'.' && i + 1 < text.size() && text[i + 1] == u'.') {
            while (i + 1 < text.size() && text[i + 1] == u'.')
                ++i;
            result.append(FileNameSanitizer::kReplacement);
            continue;
        }
        result.append(text[i]);
    }
    return result;
}

// Windows drops trailing dots and blanks; leading dots hide files elsewhere.
QString trimEnds(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin].isSpace() || text[begin] == u'.'))
        ++begin;
    while (end > begin && (text[end - 1].isSpace() || text[end - 1] == u'.'))
        --end;
    return text.mid(begin, end - begin);
}

QString truncated(const QString& text)
{
    if (text.size() <= FileNameSanitizer::kMaxLength)
        return text;
    qsizetype length = FileNameSanitizer::kMaxLength;
    if (text[length - 1].isHighSurrogate())
        --length;
    return trimEnds(text.left(length));
}

bool isReservedDeviceName(const QString& name)
{
    static const QStringList kReserved = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                          QStringLiteral("AUX"), QStringLiteral("NUL")};
    const QString stem = name.section(u'.', 0, 0).trimmed().toUpper();
    if (kReserved.contains(stem))
        return true;
    const bool numberedPort =
        stem.size() == 4 &&
        (stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))) &&
        stem[3] >= u'1' && stem[3] <= u'9';
    return numberedPort;
}

} // namespace

QString FileNameSanitizer::sanitize(QStringView text, QStringView fallback)
{
    QString name = trimEnds(collapseDotRuns(trimEnds(replaceForbidden(text))));
    if (name.isEmpty())
        return fallback.toString();
    if (isReservedDeviceName(name))
        name.prepend(kReplacement);
    return truncated(name);
}

} // namespace vostrand::core
