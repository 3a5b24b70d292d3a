// Every question and notice the windows put to the user goes through a MessageAsker, so that
// tests answer them from a script instead of a modal box.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace vostrand::core::ui {

class MessageAsker
{
public:
    virtual ~MessageAsker() = default;

    // A question; returns the button pressed (`buttons` lists the choices).
    virtual QMessageBox::StandardButton ask(QWidget* parent, const QString& caption,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::Icon icon = QMessageBox::Question);
    // A notice with an OK button.
    virtual void inform(QWidget* parent, const QString& caption, const QString& text,
                        QMessageBox::Icon icon = QMessageBox::Information);

    // The asker windows use when none is given: the modal boxes, or the one set by a test.
    static MessageAsker& instance();
    // Null restores the boxes. The caller keeps ownership and outlives its use.
    static void setInstance(MessageAsker* asker);
};

} // namespace vostrand::core::ui
