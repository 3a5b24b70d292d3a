#include "devices/ui/setting_controls.h"

#include "core/settings.h"

#include <algorithm>
#include <limits>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

namespace vostrand::devices::ui {

namespace {

const core::SettingDefinition& definitionOf(const QString& setting)
{
    const core::SettingDefinition* definition = core::Settings::find(setting);
    // A control bound to an unknown name is a programming error, found by any test.
    Q_ASSERT_X(definition != nullptr, "SettingControls", qPrintable(setting));
    static const core::SettingDefinition kNone{};
    return definition != nullptr ? *definition : kNone;
}

int bounded(std::optional<qint64> value, int fallback)
{
    if (!value)
        return fallback;
    return static_cast<int>(std::clamp<qint64>(*value, std::numeric_limits<int>::min(),
                                               std::numeric_limits<int>::max()));
}

} // namespace

SettingControls::SettingControls(QObject* parent)
    : QObject(parent)
{}

QSpinBox* SettingControls::addSpin(const QString& control, const QString& setting, int step)
{
    const core::SettingDefinition& definition = definitionOf(setting);
    auto* spin = new QSpinBox;
    spin->setObjectName(control);
    spin->setRange(bounded(definition.minimum, std::numeric_limits<int>::min()),
                   bounded(definition.maximum, std::numeric_limits<int>::max()));
    spin->setSingleStep(step);
    spin->setValue(definition.defaultValue.toInt());
    connect(spin, &QSpinBox::valueChanged, this,
            [this, setting](int value) { emit changed(setting, value); });
    bind(Kind::Spin, setting, spin);
    return spin;
}

QCheckBox* SettingControls::addCheck(const QString& control, const QString& setting,
                                     const QString& text)
{
    const core::SettingDefinition& definition = definitionOf(setting);
    auto* check = new QCheckBox(text);
    check->setObjectName(control);
    check->setChecked(definition.defaultValue.toBool());
    connect(check, &QCheckBox::toggled, this,
            [this, setting](bool on) { emit changed(setting, on); });
    bind(Kind::Check, setting, check);
    return check;
}

QLineEdit* SettingControls::addLine(const QString& control, const QString& setting)
{
    const core::SettingDefinition& definition = definitionOf(setting);
    auto* line = new QLineEdit;
    line->setObjectName(control);
    line->setText(definition.defaultValue.toString());
    connect(line, &QLineEdit::textChanged, this,
            [this, setting](const QString& text) { emit changed(setting, text); });
    bind(Kind::Line, setting, line);
    return line;
}

QComboBox* SettingControls::addCombo(const QString& control, const QString& setting,
                                     const QStringList& items)
{
    const core::SettingDefinition& definition = definitionOf(setting);
    auto* combo = new QComboBox;
    combo->setObjectName(control);
    combo->addItems(items);
    combo->setCurrentIndex(definition.defaultValue.toInt());
    connect(combo, &QComboBox::currentIndexChanged, this, [this, setting](int index) {
        if (index >= 0)
            emit changed(setting, index);
    });
    bind(Kind::Combo, setting, combo);
    return combo;
}

void SettingControls::load(const core::Settings& settings)
{
    for (const Binding& binding : m_bindings) {
        const QSignalBlocker blocker(binding.widget);
        const QVariant value = settings.value(binding.setting);
        switch (binding.kind) {
        case Kind::Spin:
            static_cast<QSpinBox*>(binding.widget)->setValue(value.toInt());
            break;
        case Kind::Check:
            static_cast<QCheckBox*>(binding.widget)->setChecked(value.toBool());
            break;
        case Kind::Line:
            static_cast<QLineEdit*>(binding.widget)->setText(value.toString());
            break;
        case Kind::Combo:
            static_cast<QComboBox*>(binding.widget)->setCurrentIndex(value.toInt());
            break;
        }
    }
}

void SettingControls::bind(Kind kind, const QString& setting, QWidget* widget)
{
    m_bindings.push_back({kind, setting, widget});
}

} // namespace vostrand::devices::ui
