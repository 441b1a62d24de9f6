#pragma once
#include <QString>
#include <functional>
#include <optional>

class QWidget;
class QDialog;

namespace orv::ui {

enum class Icon { None, Information, Exclamation, Question, Stop };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No, Cancel };

// Every message box, input box and modal run of the program goes through
// the one prompter, so that tests can read and answer them.
class Prompter {
public:
    virtual ~Prompter() = default;

    virtual Answer message(QWidget *parent, const QString &text, const QString &title, Icon icon,
                           Buttons buttons = Buttons::Ok, Answer defaultButton = Answer::Ok) = 0;
    // The typed text, or nullopt for Cancel.
    virtual std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title,
                                         const QString &preset = {}) = 0;
    // Shows the dialog modally and returns its result code.
    virtual int runModal(QDialog &dialog) = 0;
    virtual void beep() = 0;

    // The prompter in force (the Qt one unless a test installed another).
    static Prompter &instance();
    // Installs p (not owned); nullptr goes back to the Qt prompter.
    static void setInstance(Prompter *p);
};

// Shorthands for the common boxes.
inline Answer ask(QWidget *parent, const QString &text, const QString &title)
{
    return Prompter::instance().message(parent, text, title, Icon::Question, Buttons::YesNo, Answer::No);
}
inline void inform(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    Prompter::instance().message(parent, text, title, icon);
}

} // namespace orv::ui
