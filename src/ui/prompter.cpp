#include "ui/prompter.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace orv::ui {
namespace {

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Stop: return QMessageBox::Critical;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

class QtPrompter final : public Prompter {
public:
    Answer message(QWidget *parent, const QString &text, const QString &title, Icon icon, Buttons buttons,
                   Answer defaultButton) override
    {
        const NormalPointer normal; // the user is asked: no hourglass over the box
        QMessageBox box(toQt(icon), title, text, QMessageBox::NoButton, parent);
        if (buttons == Buttons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(defaultButton == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
            box.setDefaultButton(QMessageBox::Ok);
        }
        const int r = box.exec();
        if (buttons == Buttons::YesNo)
            return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
        return Answer::Ok;
    }

    std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title,
                                 const QString &preset) override
    {
        const NormalPointer normal;
        QInputDialog dlg(parent);
        dlg.setWindowTitle(title);
        dlg.setLabelText(prompt);
        dlg.setTextValue(preset);
        dlg.setInputMode(QInputDialog::TextInput);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.textValue();
    }

    int runModal(QDialog &dialog) override
    {
        const NormalPointer normal;
        return dialog.exec();
    }

    void beep() override { QApplication::beep(); }
};

QtPrompter &qtPrompter()
{
    static QtPrompter p;
    return p;
}

Prompter *g_prompter = nullptr;

} // namespace

Prompter &Prompter::instance() { return g_prompter ? *g_prompter : qtPrompter(); }
void Prompter::setInstance(Prompter *p) { g_prompter = p; }

} // namespace orv::ui
