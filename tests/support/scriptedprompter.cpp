#include "support/scriptedprompter.h"

#include <QDialog>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace orv::test {

ScriptedPrompter::ScriptedPrompter() { ui::Prompter::setInstance(this); }

ScriptedPrompter::~ScriptedPrompter()
{
    if (&ui::Prompter::instance() == this)
        ui::Prompter::setInstance(nullptr);
}

void ScriptedPrompter::expectMessage(const QString &text, const QString &title, ui::Icon icon, ui::Answer answer)
{
    m_script.push_back({Step::Kind::Message, text, title, icon, answer, std::nullopt, {}, false});
}

void ScriptedPrompter::expectMessageMatching(const QString &pattern, const QString &title, ui::Icon icon)
{
    expectMessage(pattern, title, icon);
    m_script.back().pattern = true;
}

void ScriptedPrompter::expectInput(const QString &prompt, const QString &title, std::optional<QString> answer)
{
    m_script.push_back(
        {Step::Kind::Input, prompt, title, ui::Icon::None, ui::Answer::Ok, std::move(answer), {}, false});
}

void ScriptedPrompter::expectModal(ModalHandler handler)
{
    m_script.push_back(
        {Step::Kind::Modal, {}, {}, ui::Icon::None, ui::Answer::Ok, std::nullopt, std::move(handler), false});
}

const ScriptedPrompter::Box &ScriptedPrompter::last() const
{
    static const Box none;
    return m_shown.empty() ? none : m_shown.back();
}

void ScriptedPrompter::verify()
{
    static const char *const kinds[] = {"message box", "input box", "modal dialog"};
    for (const Step &s : m_script)
        ADD_FAILURE() << "expected but not shown: " << kinds[int(s.kind)] << " \"" << s.text.toStdString() << "\"";
    m_script.clear();
}

ui::Answer ScriptedPrompter::message(QWidget *, const QString &text, const QString &title, ui::Icon icon,
                                     ui::Buttons buttons, ui::Answer defaultButton)
{
    m_shown.push_back(Box{false, text, title, icon, buttons, defaultButton, {}});
    const ui::Answer fallback = buttons == ui::Buttons::YesNo ? ui::Answer::No : ui::Answer::Ok;
    if (m_script.empty() || m_script.front().kind != Step::Kind::Message) {
        ADD_FAILURE() << "unexpected message box \"" << text.toStdString() << "\" (title \"" << title.toStdString()
                      << "\")";
        return fallback;
    }
    Step s = std::move(m_script.front());
    m_script.pop_front();
    if (s.pattern) {
        EXPECT_TRUE(QRegularExpression(s.text).match(text).hasMatch()) << text.toStdString();
    } else {
        EXPECT_EQ(text.toStdString(), s.text.toStdString());
    }
    EXPECT_EQ(title.toStdString(), s.title.toStdString()) << "title of \"" << text.toStdString() << "\"";
    EXPECT_EQ(int(icon), int(s.icon)) << "icon of \"" << text.toStdString() << "\"";
    return s.answer;
}

std::optional<QString> ScriptedPrompter::input(QWidget *, const QString &prompt, const QString &title,
                                               const QString &preset)
{
    m_shown.push_back(Box{true, prompt, title, ui::Icon::None, ui::Buttons::Ok, ui::Answer::Ok, preset});
    if (m_script.empty() || m_script.front().kind != Step::Kind::Input) {
        ADD_FAILURE() << "unexpected input box \"" << prompt.toStdString() << "\"";
        return std::nullopt;
    }
    Step s = std::move(m_script.front());
    m_script.pop_front();
    EXPECT_EQ(prompt.toStdString(), s.text.toStdString());
    EXPECT_EQ(title.toStdString(), s.title.toStdString());
    return s.inputAnswer;
}

int ScriptedPrompter::runModal(QDialog &dialog)
{
    if (m_script.empty() || m_script.front().kind != Step::Kind::Modal) {
        ADD_FAILURE() << "unexpected modal dialog " << dialog.objectName().toStdString();
        return QDialog::Rejected;
    }
    Step s = std::move(m_script.front());
    m_script.pop_front();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    QTest::qWait(0);
    s.handler(dialog);
    if (dialog.isVisible()) {
        ADD_FAILURE() << "modal dialog " << dialog.objectName().toStdString() << " still open after its handler";
        dialog.hide();
    }
    return dialog.result();
}

} // namespace orv::test
