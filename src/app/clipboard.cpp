#include "app/clipboard.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace orv::app {
namespace {

// The focused text box, unless it is the edit part of a list box.
QWidget *focusedTextBox()
{
    QWidget *w = QApplication::focusWidget();
    if (!w)
        return nullptr;
    if (qobject_cast<QComboBox *>(w) || qobject_cast<QComboBox *>(w->parentWidget()))
        return nullptr;
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QTextEdit *>(w) || qobject_cast<QPlainTextEdit *>(w))
        return w;
    return nullptr;
}

template <typename LineFn, typename TextFn, typename PlainFn>
void onFocused(LineFn line, TextFn text, PlainFn plain)
{
    QWidget *w = focusedTextBox();
    if (auto *le = qobject_cast<QLineEdit *>(w))
        line(le);
    else if (auto *te = qobject_cast<QTextEdit *>(w))
        text(te);
    else if (auto *pe = qobject_cast<QPlainTextEdit *>(w))
        plain(pe);
}

} // namespace

void editCut()
{
    onFocused([](QLineEdit *e) { e->cut(); }, [](QTextEdit *e) { e->cut(); }, [](QPlainTextEdit *e) { e->cut(); });
}

void editCopy()
{
    onFocused([](QLineEdit *e) { e->copy(); }, [](QTextEdit *e) { e->copy(); },
              [](QPlainTextEdit *e) { e->copy(); });
}

void editPaste()
{
    onFocused([](QLineEdit *e) { e->paste(); }, [](QTextEdit *e) { e->paste(); },
              [](QPlainTextEdit *e) { e->paste(); });
}

} // namespace orv::app
