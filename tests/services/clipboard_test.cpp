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

namespace orv::test {
namespace {

// A form with every kind of control the record windows carry.
class ClipboardTest : public OrvTest {
protected:
    void SetUp() override
    {
        OrvTest::SetUp();
        combo->setEditable(true);
        list->addItem(u"Eintrag"_s);
        auto *layout = new QVBoxLayout(&form);
        for (QWidget *w : form.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            layout->addWidget(w);
        ASSERT_TRUE(activate(&form));
    }
    static const char *textProperty(QWidget *box) { return qobject_cast<QLineEdit *>(box) ? "text" : "plainText"; }
    static QString text(QWidget *box) { return box->property(textProperty(box)).toString(); }
    // "Hallo Welt" with "Welt" selected by the keyboard, and the focus in the box.
    void prepare(QWidget *box)
    {
        box->setProperty(textProperty(box), u"Hallo Welt"_s);
        box->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), box);
        QTest::keyClick(box, Qt::Key_End);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(box, Qt::Key_Left, Qt::ShiftModifier);
    }
    static QClipboard *clipboard() { return QGuiApplication::clipboard(); }

    QWidget form;
    std::vector<QWidget *> textBoxes{new QLineEdit(&form), new QTextEdit(&form), new QPlainTextEdit(&form)};
    QComboBox *combo = new QComboBox(&form);
    QSpinBox *spin = new QSpinBox(&form);
    QListWidget *list = new QListWidget(&form);
};

TEST_F(ClipboardTest, CutCopyPasteOnTheFocusedTextBox)
{
    for (QWidget *box : textBoxes) {
        SCOPED_TRACE(box->metaObject()->className());
        prepare(box);
        services::editCopy();
        EXPECT_EQ(clipboard()->text(), "Welt");
        EXPECT_EQ(text(box), "Hallo Welt");

        clipboard()->setText("vorher");
        prepare(box);
        services::editCut();
        EXPECT_EQ(clipboard()->text(), "Welt");
        EXPECT_EQ(text(box), "Hallo ");

        clipboard()->setText("Erde");
        prepare(box);
        services::editPaste();
        EXPECT_EQ(text(box), "Hallo Erde");
        EXPECT_EQ(clipboard()->text(), "Erde");

        // An empty clipboard deletes the selection; copying nothing empties the clipboard.
        clipboard()->clear();
        prepare(box);
        services::editPaste();
        EXPECT_EQ(text(box), "Hallo ");
        clipboard()->setText("vorher");
        services::editCopy();
        EXPECT_EQ(clipboard()->text(), QString());

        // A read-only box is copied from but not changed.
        prepare(box);
        box->setProperty("readOnly", true);
        services::editCut();
        EXPECT_EQ(clipboard()->text(), "Welt");
        clipboard()->setText("Erde");
        services::editPaste();
        EXPECT_EQ(text(box), "Hallo Welt");
        box->setProperty("readOnly", false);
    }
}

TEST_F(ClipboardTest, OtherControlsAreLeftAlone)
{
    combo->setEditText("Kurs");
    spin->setValue(42);
    // Clicked into as a person does: the text field of the combo box and of the spin box, the list.
    for (QWidget *w : {static_cast<QWidget *>(combo->lineEdit()),
                       static_cast<QWidget *>(spin->findChild<QLineEdit *>()), list->viewport()}) {
        SCOPED_TRACE(w->parentWidget()->metaObject()->className());
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5));
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        combo->lineEdit()->selectAll();
        spin->selectAll();
        clipboard()->setText("vorher");
        services::editCut();
        services::editCopy();
        EXPECT_EQ(clipboard()->text(), "vorher");
        services::editPaste();
        EXPECT_EQ(combo->currentText(), "Kurs");
        EXPECT_EQ(spin->value(), 42);
    }
}

} // namespace
} // namespace orv::test
