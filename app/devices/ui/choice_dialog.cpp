#include "devices/ui/choice_dialog.h"

#include "core/lang.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vostrand::devices::ui {

ChoiceDialog::ChoiceDialog(const core::Lang& lang, const QString& label, const QStringList& choices,
                           int selected, QWidget* parent)
    : QDialog(parent)
    , m_label(new QLabel(label, this))
    , m_choices(new QComboBox(this))
{
    setObjectName(QStringLiteral("TOKBottomDlg5"));
    setWindowTitle(lang.text(u"Choose"));
    m_label->setObjectName(QStringLiteral("Label1"));
    m_choices->setObjectName(QStringLiteral("ComboBox1"));
    m_choices->addItems(choices);
    if (selected >= 0 && selected < choices.size())
        m_choices->setCurrentIndex(selected);
    m_label->setBuddy(m_choices);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_choices);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int ChoiceDialog::selectedIndex() const
{
    return m_choices->currentIndex();
}

std::optional<int> ChoiceDialog::choose(QWidget* parent, const core::Lang& lang,
                                        const QString& label, const QStringList& choices,
                                        int selected)
{
    ChoiceDialog dialog(lang, label, choices, selected, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedIndex() < 0)
        return std::nullopt;
    return dialog.selectedIndex();
}

} // namespace vostrand::devices::ui
