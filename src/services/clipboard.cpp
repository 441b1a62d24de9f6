#include "services/clipboard.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <pwd.h>
#include <unistd.h>

namespace orv::services {
namespace {

// The focused text box, or nullptr. The line edit inside an editable combo
// box or a spin box belongs to that control and is no text box of its own.
QLineEdit *focusedLineEdit(QWidget *w)
{
    auto *edit = qobject_cast<QLineEdit *>(w);
    if (!edit)
        return nullptr;
    QWidget *owner = edit->parentWidget();
    if (qobject_cast<QComboBox *>(owner) || qobject_cast<QAbstractSpinBox *>(owner))
        return nullptr;
    return edit;
}

// Either kind of multi-line text box, seen through one door.
struct MultiLine {
    QTextEdit *rich = nullptr;
    QPlainTextEdit *plain = nullptr;
    explicit operator bool() const { return rich || plain; }
    QTextCursor cursor() const { return rich ? rich->textCursor() : plain->textCursor(); }
    void setCursor(const QTextCursor &c) const { rich ? rich->setTextCursor(c) : plain->setTextCursor(c); }
    bool readOnly() const { return rich ? rich->isReadOnly() : plain->isReadOnly(); }
};

MultiLine focusedTextEdit(QWidget *w)
{
    return MultiLine{qobject_cast<QTextEdit *>(w), qobject_cast<QPlainTextEdit *>(w)};
}

void putOnClipboard(const QString &text)
{
    QClipboard *cb = QGuiApplication::clipboard();
    cb->clear();
    cb->setText(text);
}

// Copy (and for cut, remove) the selection of the focused text box. A box
// the user may not change keeps its text.
void copySelection(bool remove)
{
    QWidget *w = QApplication::focusWidget();
    if (QLineEdit *edit = focusedLineEdit(w)) {
        putOnClipboard(edit->selectedText());
        if (remove && !edit->isReadOnly())
            edit->insert(QString());
    } else if (MultiLine text = focusedTextEdit(w)) {
        QTextCursor c = text.cursor();
        putOnClipboard(c.selection().toPlainText());
        if (remove && !text.readOnly()) {
            c.removeSelectedText();
            text.setCursor(c);
        }
    }
}

} // namespace

void editCut() { copySelection(true); }
void editCopy() { copySelection(false); }

void editPaste()
{
    QWidget *w = QApplication::focusWidget();
    // Without text on the clipboard the selection is replaced by nothing.
    const QString text = QGuiApplication::clipboard()->text();
    if (QLineEdit *edit = focusedLineEdit(w)) {
        if (!edit->isReadOnly())
            edit->insert(text);
    } else if (MultiLine box = focusedTextEdit(w)) {
        if (!box.readOnly()) {
            QTextCursor c = box.cursor();
            c.insertText(text);
            box.setCursor(c);
        }
    }
}

QString currentUserName()
{
    if (const passwd *pw = getpwuid(geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace orv::services
