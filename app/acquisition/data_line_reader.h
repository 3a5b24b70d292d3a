#pragma once

#include "core/regional_format.h"

#include <optional>

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vostrand::acquisition {

// Reads record lines of data table files: the one reader the cycle, the recorders and the
// server share.
class DataLineReader
{
public:
    static constexpr int kMaxValueTokens = 3;
    static constexpr qsizetype kMaxTokenLength = 20;
    // Characters after the first blank in which '-', '.' and '/' are read as the regional
    // date separator, so that files written with another date separator still read.
    static constexpr qsizetype kDateSeparatorWindow = 17;

    explicit DataLineReader(core::RegionalFormat regional);

    // Blank-separated tokens the regional date-time takes: 2 for "10.12.2026 9:05:07",
    // 3 for "12/10/2026 9:05:07 AM".
    int dateTimeTokenCount() const { return m_dateTimeTokens; }

    // The record number in front; null when the line does not start with one.
    static std::optional<int> recordNumber(QStringView line);
    // The record date-time; null when it cannot be read.
    std::optional<QDateTime> dateTime(QStringView line) const;

    // The value tokens of the sensor's group ("^" + address + " "), up to the next "^" or the
    // end of the line, at most three. Null when the line has no group for the address. A
    // token longer than 20 characters is no value and comes back as "X".
    static std::optional<QStringList> valueTexts(QStringView line, QStringView address);
    // The same tokens as numbers; null for "X" or anything that is not a regional number.
    std::optional<QList<std::optional<double>>> values(QStringView line, QStringView address) const;

    const core::RegionalFormat& regional() const { return m_regional; }

private:
    core::RegionalFormat m_regional;
    int m_dateTimeTokens;
    int m_dateTokens;
};

} // namespace vostrand::acquisition
