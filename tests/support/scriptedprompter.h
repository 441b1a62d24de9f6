#pragma once
#include "ui/prompter.h"

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

class QDialog;

namespace orv::test {

// A prompter for tests: records every box, answers from a script and drives
// modal dialogs through handlers. A box nobody expected fails the test, and
// so does an expectation left over at the end of the test.
class ScriptedPrompter : public ui::Prompter {
public:
    struct Box {
        bool isInput = false;
        QString text; // message text or input prompt
        QString title;
        ui::Icon icon = ui::Icon::None;
        ui::Buttons buttons = ui::Buttons::Ok;
        ui::Answer defaultButton = ui::Answer::Ok;
        QString preset; // input boxes
    };
    using ModalHandler = std::function<void(QDialog &)>;

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    // The next box must be this message; it is answered with `answer`.
    void expectMessage(const QString &text, const QString &title, ui::Icon icon, ui::Answer answer = ui::Answer::Ok);
    // The same for a message whose text matches the regular expression `pattern`
    // (a database's own error number and description).
    void expectMessageMatching(const QString &pattern, const QString &title, ui::Icon icon);
    // The next box must be an input box with this prompt; nullopt answers Cancel.
    void expectInput(const QString &prompt, const QString &title, std::optional<QString> answer);
    // The next modal run is handed to `handler`, which fills fields and presses
    // buttons; the dialog must be closed when the handler returns.
    void expectModal(ModalHandler handler);

    const std::vector<Box> &shown() const { return m_shown; }
    const Box &last() const; // the last box shown
    int beeps() const { return m_beeps; }
    bool pending() const { return !m_script.empty(); }
    // Fails the current test when expectations are left; clears them.
    void verify();

    ui::Answer message(QWidget *parent, const QString &text, const QString &title, ui::Icon icon, ui::Buttons buttons,
                       ui::Answer defaultButton) override;
    std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title,
                                 const QString &preset) override;
    int runModal(QDialog &dialog) override;
    void beep() override { ++m_beeps; }

private:
    struct Step {
        enum class Kind { Message, Input, Modal } kind;
        QString text, title;
        ui::Icon icon = ui::Icon::None;
        ui::Answer answer = ui::Answer::Ok;
        std::optional<QString> inputAnswer;
        ModalHandler handler;
        bool pattern = false;
    };
    std::deque<Step> m_script;
    std::vector<Box> m_shown;
    int m_beeps = 0;
};

} // namespace orv::test
