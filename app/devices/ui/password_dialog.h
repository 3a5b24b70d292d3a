// The masked password box of the settings lock, behind an asker so that tests type into it.
#pragma once

#include <optional>

#include <QString>

class QWidget;

namespace vostrand::devices::ui {

class PasswordAsker
{
public:
    virtual ~PasswordAsker() = default;

    // The typed text, or null when the box was cancelled.
    virtual std::optional<QString> askPassword(QWidget* parent, const QString& caption,
                                               const QString& prompt);

    // The asker windows use: the masked input box, or the one set by a test.
    static PasswordAsker& instance();
    // Null restores the box. The caller keeps ownership and outlives its use.
    static void setInstance(PasswordAsker* asker);
};

} // namespace vostrand::devices::ui
