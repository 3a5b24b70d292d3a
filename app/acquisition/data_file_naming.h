#pragma once

#include "core/regional_format.h"

#include <optional>

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTime>

namespace vostrand::acquisition {

// `ComboBox4`: how long one data table file runs.
enum class FilePeriod
{
    Daily = 0,
    Weekly = 1,
    Monthly = 2,
    PerStart = 3,
};

// A week (Monday to Sunday) and the month it belongs to: the month that holds its Thursday.
struct WeekOfMonth
{
    int week = 1; // 1..5
    int month = 1;
    int year = 2000;

    bool operator==(const WeekOfMonth&) const = default;
};

// Where the data table file and its names file lie. Always absolute, so that nothing
// depends on the process's current directory.
struct DataFilePaths
{
    QString folder; // data folder, plus the month subfolder when those are on
    QString baseName;

    QString dataFile() const;  // folder/base.vst
    QString namesFile() const; // folder/base.nm
};

// A data table file picked by the user (period 3 with `CheckBox36`): its folder becomes the
// data folder and its name, without ".vst", the base name.
struct ChosenDataFile
{
    QString dataFolder;
    QString baseName;
};

// Names and folders of the data table files.
class DataFileNaming
{
public:
    static constexpr QLatin1String kDataExtension{".vst"};
    static constexpr QLatin1String kNamesExtension{".nm"};
    static constexpr QLatin1String kPerStartPrefix{"Termogr "};

    // Null for an index other than 0..3.
    static std::optional<FilePeriod> filePeriod(int comboBox4Index);

    // "Jan" .. "Dec", with "Okt" for October.
    static QString monthName(int month);
    static WeekOfMonth weekOfMonth(QDate date);

    // The base name of the file for `now`. Daily and per-start names use the date of
    // (now − start time), so a daily file begun at 08:00 keeps the previous day's date until
    // 08:00; weekly and monthly names use `now` itself. An invalid start time counts as
    // midnight.
    static QString baseName(FilePeriod period, const QDateTime& now, QTime startTime,
                            const core::RegionalFormat& regional);

    // Separators that cannot stand in a file name: time separators and ':' become "_", TABs
    // blanks, date separators and '/' become "."; a trailing ".vst" is dropped.
    static QString cleanedBaseName(QString name, const core::RegionalFormat& regional);
    // Drops one trailing ".vst" (any case), so that a typed name gets no double extension.
    static QString withoutDataExtension(QString name);

    // "2026 Okt".
    static QString monthSubfolder(QDate date);
    // Absolute folder for a file written at `moment`: the data folder, plus the month
    // subfolder when `monthSubfolders` is on.
    static QString folderFor(const QString& dataFolder, bool monthSubfolders,
                             const QDateTime& moment);
    static DataFilePaths paths(const QString& dataFolder, bool monthSubfolders,
                               const QDateTime& moment, const QString& baseName);
    static ChosenDataFile fromChosenFile(const QString& filePath);

    // The moment the period holding `now` began: for the daily period the start time of the
    // day of (now − start time), otherwise today + start time as the cycle has it.
    static QDateTime periodBegin(FilePeriod period, const QDateTime& now, QTime startTime);
    // Whether a pass at `now` belongs to a later file than the one begun at `boundary`:
    // daily after more than a day, weekly when the week of the month changes, monthly when
    // the month changes, per start never.
    static bool startsNewFile(FilePeriod period, const QDateTime& boundary, const QDateTime& now);
};

} // namespace vostrand::acquisition
