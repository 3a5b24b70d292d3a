#pragma once

#include "acquisition/channel_register_jobs.h"

#include <optional>

#include <QString>
#include <QStringList>

namespace vostrand::acquisition {

// The alarm type of a channel, register `MTyA019A`: 0 off, 1 overheat, 2 overcooling.
class AlarmType
{
public:
    static quint16 registerBase(const ChannelTarget& target)
    {
        return target.registers.at(core::RegisterMap::MTyA019A);
    }
    // "Выключена", "T>SP перегрев", "T<SP переохлаждение".
    static QStringList choices();
    // The choice to preselect; null when the register could not be read.
    static std::optional<int> choiceOf(const ChannelRegisterResult& read);
    // What the user is told when the register could not be read.
    static QString unreadableText(const ChannelTarget& target, const QString& noAnswerText);
    // The power column after the write: the chosen text, or " ? " when the write failed.
    static QString columnText(const ChannelRegisterResult& written, int choice);
};

} // namespace vostrand::acquisition
