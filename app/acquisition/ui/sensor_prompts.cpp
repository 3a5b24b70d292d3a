#include "acquisition/ui/sensor_prompts.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QInputDialog>

namespace vostrand::acquisition::ui {

namespace {

// The texts keep the "\r" line breaks of the message tables; Qt breaks at "\n".
QString shown(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

SensorPrompts SensorPrompts::dialogs()
{
    SensorPrompts prompts;
    prompts.text = [](QWidget* parent, const QString& caption, const QString& prompt,
                      const QString& preset) -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(parent, caption, shown(prompt), QLineEdit::Normal, preset, &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };
    prompts.choice = [](QWidget* parent, const QString& caption, const QString& label,
                        const QStringList& items, int current) -> std::optional<int> {
        bool ok = false;
        const QString item =
            QInputDialog::getItem(parent, caption, shown(label), items, current, false, &ok);
        return ok ? std::optional<int>(static_cast<int>(items.indexOf(item))) : std::nullopt;
    };
    prompts.colour = [](QWidget* parent, const QColor& initial) -> std::optional<QColor> {
        const QColor colour = QColorDialog::getColor(initial, parent);
        return colour.isValid() ? std::optional<QColor>(colour) : std::nullopt;
    };
    prompts.font = [](QWidget* parent, const QFont& initial) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, initial, parent);
        return ok ? std::optional<QFont>(font) : std::nullopt;
    };
    return prompts;
}

} // namespace vostrand::acquisition::ui
