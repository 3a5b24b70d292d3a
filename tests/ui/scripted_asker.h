// Answers the windows' questions from a script and keeps what was asked, for widget tests.
#pragma once

#include "core/ui/message_asker.h"

#include <deque>
#include <vector>

#include <QString>

namespace vostrand::testing {

class ScriptedAsker : public core::ui::MessageAsker
{
public:
    struct Asked
    {
        QString caption;
        QString text;
        QMessageBox::StandardButtons buttons;
        bool question = true;
    };

    // Installs itself as the asker of every window until destroyed.
    ScriptedAsker() { setInstance(this); }
    ~ScriptedAsker() override { setInstance(nullptr); }

    ScriptedAsker(const ScriptedAsker&) = delete;
    ScriptedAsker& operator=(const ScriptedAsker&) = delete;

    // Answers in order; a question beyond the script gets `fallback`.
    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    QMessageBox::StandardButton fallback = QMessageBox::No;

    QMessageBox::StandardButton ask(QWidget*, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::Icon) override
    {
        asked.push_back({caption, text, buttons, true});
        if (m_answers.empty())
            return fallback;
        const auto button = m_answers.front();
        m_answers.pop_front();
        return button;
    }

    void inform(QWidget*, const QString& caption, const QString& text, QMessageBox::Icon) override
    {
        asked.push_back({caption, text, QMessageBox::Ok, false});
    }

    // Every question and notice, in order.
    std::vector<Asked> asked;

    // Whether some question or notice contains `part`.
    bool wasAsked(const QString& part) const
    {
        for (const Asked& entry : asked)
            if (entry.text.contains(part) || entry.caption.contains(part))
                return true;
        return false;
    }

private:
    std::deque<QMessageBox::StandardButton> m_answers;
};

} // namespace vostrand::testing
