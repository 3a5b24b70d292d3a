#include "core/ui/message_asker.h"

namespace vostrand::core::ui {

namespace {

MessageAsker* g_installed = nullptr;

} // namespace

QMessageBox::StandardButton MessageAsker::ask(QWidget* parent, const QString& caption,
                                              const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageAsker::inform(QWidget* parent, const QString& caption, const QString& text,
                          QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

MessageAsker& MessageAsker::instance()
{
    static MessageAsker boxes;
    return g_installed ? *g_installed : boxes;
}

void MessageAsker::setInstance(MessageAsker* asker)
{
    g_installed = asker;
}

} // namespace vostrand::core::ui
