#include "acquisition/program_status.h"

#include <cstdlib>

namespace vostrand::acquisition {

namespace {

constexpr int kScaledDigits = 4;
enum Word
{
    S0 = 0,
    S1,
    S2,
    S3,
    S4,
    S5,
    S6,
};
constexpr qint16 kRunning = 1;
constexpr qint16 kStopped = 0;
constexpr qint16 kPaused = 2;
constexpr qint16 kActionHold = 1;
constexpr qint16 kActionStop = 3;

// Actions that move the setpoint towards a target (ramp, step, heat or cool at a rate).
bool moving(qint16 action)
{
    return action == 0 || (action >= 4 && action <= 6);
}

} // namespace

ProgramWords ProgramWords::ofChannel(const core::DeviceRecord& device, int can)
{
    ProgramWords words;
    if (can < 0 || static_cast<std::size_t>(can) >= core::DeviceRecord::kMaxChannels) {
        words.status.fill(core::DeviceRecord::kNotRead);
        return words;
    }
    const auto channel = static_cast<std::size_t>(can);
    words.run = device.RunState[channel];
    for (std::size_t i = 0; i < words.status.size(); ++i)
        words.status[i] = device.StatusWords[i][channel];
    return words;
}

QString ProgramStatus::scaled(qint16 word, double mas)
{
    return comm::ValueText::fixed(word * mas, 0, kScaledDigits, QLatin1Char('.'));
}

QString ProgramStatus::stepPart(const ProgramWords& words)
{
    const auto& s = words.status;
    if (s[S0] == kNotRead)
        return QStringLiteral("? (Pr?)");
    const QString step = s[S1] == kNotRead ? QStringLiteral("?") : QString::number(s[S1] + 1);
    return step + QStringLiteral("(Pr") + QString::number(s[S0] + 1) + QLatin1Char(')');
}

QString ProgramStatus::text(const ProgramWords& words, double mas, const QString& setpointText)
{
    const auto& s = words.status;
    const QString p = stepPart(words);
    QString status;
    if (words.run != kRunning || s[S0] == kNotRead) {
        status = p + QStringLiteral(" ?");
    } else if (s[S2] == kNotRead || s[S5] == kNotRead || s[S6] == kNotRead) {
        status = QStringLiteral("?");
    } else if (moving(s[S2])) {
        QString minutesText;
        if (s[S4] != 0) {
            const int minutes = std::abs(s[S5] - s[S6]) * 60 / s[S4];
            minutesText = minutes < 1 ? QStringLiteral("<1m") : QString::number(minutes) + 'm';
        }
        status = p + ' ' + minutesText + ' ' + scaled(s[S5], mas) + '(' + scaled(s[S6], mas) + ')';
    }
    if (s[S2] == kActionStop && s[S0] != kNotRead) {
        status = QStringLiteral("Pr") + QString::number(s[S0] + 1);
    } else if (s[S2] == kActionHold) {
        status = s[S3] >= 1
                     ? p + ' ' + QString::number(s[S3]) + QStringLiteral("m ") + scaled(s[S5], mas)
                     : p + QStringLiteral(" <1m") + setpointText;
    }
    return status.left(core::SensorRecord::kStatusTextLength);
}

QString ProgramStatus::computedSetpointText(const ProgramWords& words, double mas, int canType,
                                            const comm::ValueTextFormat& format)
{
    const qint16 s5 = words.status[S5];
    if (s5 == kNotRead)
        return QStringLiteral(" ?");
    const auto text = comm::ValueText::format(static_cast<float>(s5 * mas),
                                              comm::ValueColumn::Setpoint, canType, 0, format);
    return text ? QLatin1Char(' ') + *text : QStringLiteral(" ?");
}

std::optional<qint16> ProgramStatus::icon(const ProgramWords& words)
{
    const auto& s = words.status;
    if (s[S0] == kNotRead)
        return kIconUnknown;
    switch (words.run) {
    case kRunning:
        if (moving(s[S2]))
            return s[S6] > s[S5] ? kIconRising : kIconLevel;
        if (s[S2] == kActionHold)
            return kIconHold;
        if (s[S2] == kActionStop)
            return kIconStopped;
        return std::nullopt;
    case kStopped:
        return kIconStopped;
    case kPaused:
        return kIconPaused;
    default:
        return std::nullopt;
    }
}

QString ProgramStatus::runStateText(qint16 run)
{
    switch (run) {
    case 0:
        return QStringLiteral(" остановлена ");
    case 1:
        return QStringLiteral(" работает ");
    case 2:
        return QStringLiteral(" на паузе ");
    default:
        return QStringLiteral(" статус не определен ");
    }
}

QString ProgramStatus::numberText(qint16 word)
{
    return word == kNotRead ? QStringLiteral("?") : QString::number(word + 1);
}

} // namespace vostrand::acquisition
