#include "acquisition/data_line_reader.h"

#include <algorithm>

#include <QDate>
#include <QTime>

namespace vostrand::acquisition {

namespace {

constexpr QChar kBlank = u' ';
constexpr QChar kGroupMark = u'^';
constexpr QStringView kMissing = u"X";

int tokenCount(const QString& text)
{
    return static_cast<int>(text.split(kBlank, Qt::SkipEmptyParts).size());
}

// A date-time with a two-digit day, month and hour in the afternoon, so that every field of
// the format shows in full.
QDateTime sampleDateTime()
{
    return QDateTime(QDate(2026, 12, 28), QTime(23, 59, 58));
}

// Where the `count`-th blank at or after `from` stands, or the end of the text.
qsizetype endOfTokens(QStringView text, qsizetype from, int count)
{
    qsizetype position = from;
    for (int i = 0; i < count; ++i) {
        const qsizetype blank = text.indexOf(kBlank, position);
        if (blank < 0)
            return text.size();
        if (i == count - 1)
            return blank;
        position = blank + 1;
    }
    return position;
}

} // namespace

DataLineReader::DataLineReader(core::RegionalFormat regional)
    : m_regional(std::move(regional))
    , m_dateTimeTokens(std::max(2, tokenCount(m_regional.formatDateTime(sampleDateTime()))))
    , m_dateTokens(std::max(1, tokenCount(m_regional.formatDate(sampleDateTime().date()))))
{}

std::optional<int> DataLineReader::recordNumber(QStringView line)
{
    const qsizetype blank = line.indexOf(kBlank);
    bool ok = false;
    const int number = line.left(blank < 0 ? line.size() : blank).toInt(&ok);
    if (!ok || number < 0)
        return std::nullopt;
    return number;
}

std::optional<QDateTime> DataLineReader::dateTime(QStringView line) const
{
    const qsizetype first = line.indexOf(kBlank);
    if (first < 0)
        return std::nullopt;
    const qsizetype start = first + 1;
    QString text = line.mid(start, endOfTokens(line, start, m_dateTimeTokens) - start).toString();

    // Only the date takes another separator; a time written with '.' must stay as it is.
    const qsizetype dateEnd = std::min(endOfTokens(text, 0, m_dateTokens), kDateSeparatorWindow);
    for (qsizetype i = 0; i < dateEnd; ++i) {
        if (text[i] == u'-' || text[i] == u'.' || text[i] == u'/')
            text[i] = m_regional.dateSeparator();
    }
    return m_regional.parseDateTime(text);
}

std::optional<QStringList> DataLineReader::valueTexts(QStringView line, QStringView address)
{
    const QString key = kGroupMark + address.toString() + kBlank;
    const qsizetype at = line.indexOf(key);
    if (at < 0)
        return std::nullopt;

    QStringList tokens;
    for (const QStringView token : line.mid(at + key.size()).tokenize(kBlank, Qt::SkipEmptyParts)) {
        if (token.startsWith(kGroupMark) || tokens.size() == kMaxValueTokens)
            break;
        tokens.append(token.size() > kMaxTokenLength ? kMissing.toString() : token.toString());
    }
    return tokens;
}

std::optional<QList<std::optional<double>>> DataLineReader::values(QStringView line,
                                                                   QStringView address) const
{
    const std::optional<QStringList> texts = valueTexts(line, address);
    if (!texts)
        return std::nullopt;
    QList<std::optional<double>> numbers;
    numbers.reserve(texts->size());
    for (const QString& text : *texts)
        numbers.append(text == kMissing ? std::nullopt : m_regional.parseNumber(text));
    return numbers;
}

} // namespace vostrand::acquisition
