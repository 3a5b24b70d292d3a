// Binds the settings window's controls to the persisted settings: each control takes its
// range and default from the setting's definition, and reports the user's changes.
#pragma once

#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;

namespace vostrand::core {
class Settings;
} // namespace vostrand::core

namespace vostrand::devices::ui {

class SettingControls : public QObject
{
    Q_OBJECT

public:
    explicit SettingControls(QObject* parent = nullptr);

    // `control` is the widget's objectName, `setting` the persisted name it is saved as.
    QSpinBox* addSpin(const QString& control, const QString& setting, int step = 1);
    QCheckBox* addCheck(const QString& control, const QString& setting, const QString& text);
    QLineEdit* addLine(const QString& control, const QString& setting);
    QComboBox* addCombo(const QString& control, const QString& setting, const QStringList& items);

    // Shows the values of `settings` without reporting them as changes.
    void load(const core::Settings& settings);

signals:
    // A control was changed by the user (or by code through the widget's own setters).
    void changed(const QString& setting, const QVariant& value);

private:
    enum class Kind
    {
        Spin,
        Check,
        Line,
        Combo,
    };
    struct Binding
    {
        Kind kind;
        QString setting;
        QWidget* widget;
    };

    void bind(Kind kind, const QString& setting, QWidget* widget);

    std::vector<Binding> m_bindings;
};

} // namespace vostrand::devices::ui
