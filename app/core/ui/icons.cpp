#include "core/ui/icons.h"

#include <QFile>
#include <QHash>

namespace vostrand::core::ui {

namespace {

QString nameOf(int index)
{
    switch (index) {
    case Icons::Program:
        return QStringLiteral("program");
    case Icons::DataFile:
        return QStringLiteral("file-vst");
    case Icons::TextArchive:
        return QStringLiteral("file-vsa");
    case Icons::BinaryArchive:
        return QStringLiteral("file-vsb");
    case Icons::ProgramAction:
        return QStringLiteral("program-action");
    case Icons::ProgramEnded:
        return QStringLiteral("program-ended");
    case Icons::Unmarked:
        return QStringLiteral("unmarked");
    case Icons::Chart:
        return QStringLiteral("chart");
    case Icons::Marked:
        return QStringLiteral("marked");
    case Icons::ProgramWaiting:
        return QStringLiteral("program-waiting");
    case Icons::ProgramJump:
        return QStringLiteral("program-jump");
    case Icons::Neutral:
        return QStringLiteral("state-neutral");
    case Icons::Below:
        return QStringLiteral("state-below");
    case Icons::Above:
        return QStringLiteral("state-above");
    case Icons::Inside:
        return QStringLiteral("state-inside");
    case Icons::SetpointRow:
        return QStringLiteral("row-setpoint");
    case Icons::PowerRow:
        return QStringLiteral("row-power");
    case Icons::Table:
        return QStringLiteral("table");
    case Icons::Device:
        return QStringLiteral("device");
    case Icons::Locked:
        return QStringLiteral("locked");
    case Icons::Unlocked:
        return QStringLiteral("unlocked");
    case Icons::NotRead:
        return QStringLiteral("not-read");
    default:
        return {};
    }
}

QString pathOf(const QString& name)
{
    return QStringLiteral(":/icons/%1.svg").arg(name);
}

} // namespace

QIcon Icons::named(const QString& name)
{
    // Icons are asked for on every list refresh: build each one once.
    static QHash<QString, QIcon> cache;
    const auto found = cache.constFind(name);
    if (found != cache.constEnd())
        return *found;
    const QString path = pathOf(name);
    const QIcon made = QFile::exists(path) ? QIcon(path) : QIcon();
    cache.insert(name, made);
    return made;
}

QIcon Icons::icon(int index)
{
    const QString name = nameOf(index);
    return name.isEmpty() ? QIcon() : named(name);
}

bool Icons::has(int index)
{
    const QString name = nameOf(index);
    return !name.isEmpty() && QFile::exists(pathOf(name));
}

} // namespace vostrand::core::ui
