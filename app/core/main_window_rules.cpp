#include "core/main_window_rules.h"

#include <algorithm>

#include <QFileInfo>
#include <QSettings>

namespace vostrand::core {

int SensorPanelWidth::whileDragging(int newWidth, int currentWidth)
{
    if (newWidth < kMinimum && newWidth < currentWidth)
        return kCollapsed;
    if (newWidth >= 2 && newWidth < kMinimum)
        return kMinimum;
    return newWidth;
}

int SensorPanelWidth::afterDrag(int position)
{
    return std::max(position, kMinimum);
}

int SensorPanelWidth::onResize(int clientWidth, int storedWidth, bool recorderWindowsOpen)
{
    if (recorderWindowsOpen)
        return storedWidth;
    return std::max(clientWidth - kFrameMargin, kCollapsed);
}

HandOverKind handOverKindOf(const QString& path)
{
    if (path.trimmed().isEmpty())
        return HandOverKind::None;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("vst"))
        return HandOverKind::DataFile;
    if (suffix == QLatin1String("vsa"))
        return HandOverKind::TextArchive;
    if (suffix == QLatin1String("vsb"))
        return HandOverKind::BinaryArchive;
    return HandOverKind::Unknown;
}

bool isFirstStart(const QString& iniFilePath)
{
    if (!QFileInfo::exists(iniFilePath))
        return true;
    const QSettings settings(iniFilePath, QSettings::IniFormat);
    const QStringList groups = settings.childGroups();
    return std::none_of(groups.begin(), groups.end(), [](const QString& group) {
        return group.compare(QLatin1String("Sensors"), Qt::CaseInsensitive) == 0;
    });
}

bool closeNeedsQuestion(bool polling, bool askWhenIdle)
{
    return polling || askWhenIdle;
}

} // namespace vostrand::core
