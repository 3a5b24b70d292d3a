#pragma once

#include <optional>

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;

namespace vostrand::core {
class Lang;
}

namespace vostrand::devices::ui {

// A label, a drop-down list of choices, OK and Cancel (`TOKBottomDlg5`, caption `Choose`).
// Shared by the sensor commands and the device control panel.
class ChoiceDialog : public QDialog
{
    Q_OBJECT

public:
    ChoiceDialog(const core::Lang& lang, const QString& label, const QStringList& choices,
                 int selected, QWidget* parent = nullptr);

    int selectedIndex() const;
    QComboBox* choiceList() const { return m_choices; }

    // The index chosen with OK; null for Cancel.
    static std::optional<int> choose(QWidget* parent, const core::Lang& lang, const QString& label,
                                     const QStringList& choices, int selected);

private:
    QLabel* m_label;
    QComboBox* m_choices;
};

} // namespace vostrand::devices::ui
