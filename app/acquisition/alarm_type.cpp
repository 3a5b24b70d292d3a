#include "acquisition/alarm_type.h"

namespace vostrand::acquisition {

QStringList AlarmType::choices()
{
    return {QStringLiteral("Выключена"), QStringLiteral("T>SP перегрев"),
            QStringLiteral("T<SP переохлаждение")};
}

std::optional<int> AlarmType::choiceOf(const ChannelRegisterResult& read)
{
    if (!read.good())
        return std::nullopt;
    // A type this program does not know is offered as "off".
    return *read.value < choices().size() ? static_cast<int>(*read.value) : 0;
}

QString AlarmType::unreadableText(const ChannelTarget& target, const QString& noAnswerText)
{
    return QStringLiteral("\rСигнализация\r") + target.deviceName + QStringLiteral("\r\r") +
           noAnswerText;
}

QString AlarmType::columnText(const ChannelRegisterResult& written, int choice)
{
    if (!written.good() || choice < 0 || choice >= choices().size())
        return QStringLiteral(" ? ");
    return choices().at(choice);
}

} // namespace vostrand::acquisition
