#include "services/clipboard.h"
#include "support/testenv.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>
#include <functional>

namespace orv::test {
namespace {

// A form with every kind of control the record windows carry.
class ClipboardTest : public OrvTest {
protected:
    void SetUp() override
    {
        OrvTest::SetUp();
        auto *layout = new QVBoxLayout(&form);
        line = new QLineEdit(&form);
        rich = new QTextEdit(&form);
        plain = new QPlainTextEdit(&form);
        combo = new QComboBox(&form);
        combo->setEditable(true);
        spin = new QSpinBox(&form);
        list = new QListWidget(&form);
        list->addItem(u"Eintrag"_s);
        for (QWidget *w : {static_cast<QWidget *>(line), static_cast<QWidget *>(rich), static_cast<QWidget *>(plain),
                           static_cast<QWidget *>(combo), static_cast<QWidget *>(spin), static_cast<QWidget *>(list)})
            layout->addWidget(w);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    void focus(QWidget *w)
    {
        w->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), w->focusProxy() ? w->focusProxy() : w);
    }
    static QClipboard *clipboard() { return QGuiApplication::clipboard(); }

    // "Hallo Welt" with "Welt" selected, in a text box of the given kind.
    struct Box {
        const char *kind;
        std::function<QWidget *(ClipboardTest &)> prepare;
        std::function<QString(ClipboardTest &)> text;
    };
    static std::vector<Box> boxes()
    {
        return {
            {"line edit",
             [](ClipboardTest &t) -> QWidget * {
                 t.line->setText("Hallo Welt");
                 t.line->setSelection(6, 4);
                 return t.line;
             },
             [](ClipboardTest &t) { return t.line->text(); }},
            {"text edit",
             [](ClipboardTest &t) -> QWidget * {
                 t.rich->setPlainText("Hallo Welt");
                 QTextCursor c = t.rich->textCursor();
                 c.setPosition(6);
                 c.setPosition(10, QTextCursor::KeepAnchor);
                 t.rich->setTextCursor(c);
                 return t.rich;
             },
             [](ClipboardTest &t) { return t.rich->toPlainText(); }},
            {"plain text edit",
             [](ClipboardTest &t) -> QWidget * {
                 t.plain->setPlainText("Hallo Welt");
                 QTextCursor c = t.plain->textCursor();
                 c.setPosition(6);
                 c.setPosition(10, QTextCursor::KeepAnchor);
                 t.plain->setTextCursor(c);
                 return t.plain;
             },
             [](ClipboardTest &t) { return t.plain->toPlainText(); }},
        };
    }

    QWidget form;
    QLineEdit *line = nullptr;
    QTextEdit *rich = nullptr;
    QPlainTextEdit *plain = nullptr;
    QComboBox *combo = nullptr;
    QSpinBox *spin = nullptr;
    QListWidget *list = nullptr;
};

TEST_F(ClipboardTest, CutCopyPasteOnTheFocusedTextBox)
{
    for (const Box &box : boxes()) {
        SCOPED_TRACE(box.kind);
        focus(box.prepare(*this));
        app::editCopy();
        EXPECT_EQ(clipboard()->text(), "Welt");
        EXPECT_EQ(box.text(*this), "Hallo Welt");

        clipboard()->setText("vorher");
        focus(box.prepare(*this));
        app::editCut();
        EXPECT_EQ(clipboard()->text(), "Welt");
        EXPECT_EQ(box.text(*this), "Hallo ");

        clipboard()->setText("Erde");
        focus(box.prepare(*this));
        app::editPaste();
        EXPECT_EQ(box.text(*this), "Hallo Erde");
        EXPECT_EQ(clipboard()->text(), "Erde");

        // An empty clipboard deletes the selection; copying nothing empties the clipboard.
        clipboard()->clear();
        focus(box.prepare(*this));
        app::editPaste();
        EXPECT_EQ(box.text(*this), "Hallo ");
        clipboard()->setText("vorher");
        app::editCopy();
        EXPECT_EQ(clipboard()->text(), QString());
    }
}

TEST_F(ClipboardTest, OtherControlsAreLeftAlone)
{
    combo->setEditText("Kurs");
    spin->setValue(42);
    // Clicked into as a person does: the text field of the combo box and of the spin box, the list.
    for (QWidget *w :
         {static_cast<QWidget *>(combo->lineEdit()), static_cast<QWidget *>(spin->findChild<QLineEdit *>()),
          static_cast<QWidget *>(list->viewport())}) {
        SCOPED_TRACE(w->parentWidget()->metaObject()->className());
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5));
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        combo->lineEdit()->selectAll();
        spin->selectAll();
        clipboard()->setText("vorher");
        app::editCut();
        app::editCopy();
        EXPECT_EQ(clipboard()->text(), "vorher");
        app::editPaste();
        EXPECT_EQ(combo->currentText(), "Kurs");
        EXPECT_EQ(spin->value(), 42);
    }
}

TEST_F(ClipboardTest, ReadOnlyBoxIsCopiedButNotChanged)
{
    for (const Box &box : boxes()) {
        SCOPED_TRACE(box.kind);
        QWidget *w = box.prepare(*this);
        w->setProperty("readOnly", true);
        focus(w);
        app::editCut();
        EXPECT_EQ(clipboard()->text(), "Welt");
        app::editPaste();
        EXPECT_EQ(box.text(*this), "Hallo Welt");
        w->setProperty("readOnly", false);
    }
}

} // namespace
} // namespace orv::test
