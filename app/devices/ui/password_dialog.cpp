#include "devices/ui/password_dialog.h"

#include <QInputDialog>
#include <QLineEdit>

namespace vostrand::devices::ui {

namespace {

PasswordAsker* g_override = nullptr;

} // namespace

std::optional<QString> PasswordAsker::askPassword(QWidget* parent, const QString& caption,
                                                  const QString& prompt)
{
    QInputDialog box(parent);
    box.setObjectName(QStringLiteral("PasswordBox"));
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setTextEchoMode(QLineEdit::Password);
    box.setInputMode(QInputDialog::TextInput);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

PasswordAsker& PasswordAsker::instance()
{
    static PasswordAsker boxes;
    return g_override != nullptr ? *g_override : boxes;
}

void PasswordAsker::setInstance(PasswordAsker* asker)
{
    g_override = asker;
}

} // namespace vostrand::devices::ui
