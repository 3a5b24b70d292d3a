#pragma once

#include <functional>
#include <optional>

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QWidget;

namespace vostrand::acquisition::ui {

// The small dialogs the sensor panel asks the user with. Tests replace them with scripted
// answers; null means the user cancelled.
struct SensorPrompts
{
    std::function<std::optional<QString>(QWidget* parent, const QString& caption,
                                         const QString& prompt, const QString& preset)>
        text;
    std::function<std::optional<int>(QWidget* parent, const QString& caption, const QString& label,
                                     const QStringList& items, int current)>
        choice;
    std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> colour;
    std::function<std::optional<QFont>(QWidget* parent, const QFont& initial)> font;

    // The standard input, colour and font dialogs.
    static SensorPrompts dialogs();
};

} // namespace vostrand::acquisition::ui
