#include "support/testenv.h"
#include "ui/lineview.h"

#include <QAccessible>
#include <QFile>
#include <QScrollBar>
#include <QTest>

using namespace orv;

namespace {

// A report as the display window gets it: the header block and the body as
// two parts, CR LF line ends, an umlaut and amounts of one whole part.
const QString kHead = u"Trainingsplan 2026\r\nKurs  Name\r\n"_s;
const QString kBody = u"K1    Müller, Hans   250,50\r\nK2    Abel, Berta    250,00\r\n"_s;

QAccessibleTextInterface *textOf(ui::LineView &view)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&view);
    return iface ? iface->textInterface() : nullptr;
}

} // namespace

TEST(LineViewAccessible, ReadsTextLinesWordsCaretAndSelectionAcrossParts)
{
    ui::LineView view;
    view.setAccessibleName(u"Trainingsplan"_s);
    view.setText(QList<QString>{kHead, kBody});
    view.resize(400, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(iface, nullptr);
    QAccessibleTextInterface *text = textOf(view);
    ASSERT_NE(text, nullptr) << "the display text offers no text to screen readers";
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_TRUE(iface->state().readOnly);
    EXPECT_TRUE(iface->state().multiLine);
    EXPECT_EQ(iface->text(QAccessible::Name), u"Trainingsplan"_s);

    const QString all = kHead + kBody;
    EXPECT_EQ(text->characterCount(), all.size());
    EXPECT_EQ(text->text(0, -1), all);
    const int seam = int(kHead.size());
    EXPECT_EQ(text->text(seam - 6, seam + 2), all.mid(seam - 6, 8)); // across the two parts

    const int hans = int(all.indexOf(u"Hans"_s)), abel = int(all.indexOf(u"Abel"_s));
    const struct {
        QAccessible::TextBoundaryType type;
        int offset;
        QString at, before, after;
    } cases[] = {
        {QAccessible::LineBoundary, hans, u"K1    Müller, Hans   250,50\r\n"_s, u"Kurs  Name\r\n"_s,
         u"K2    Abel, Berta    250,00\r\n"_s},
        {QAccessible::LineBoundary, 0, u"Trainingsplan 2026\r\n"_s, QString(), u"Kurs  Name\r\n"_s},
        {QAccessible::WordBoundary, hans + 2, u"Hans"_s, u" "_s, u"   "_s},
        {QAccessible::WordBoundary, abel, u"Abel"_s, u"    "_s, u","_s},
        {QAccessible::CharBoundary, hans - 5, u"l"_s, u"l"_s, u"e"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.at.toStdString());
        int start = -1, end = -1;
        EXPECT_EQ(text->textAtOffset(c.offset, c.type, &start, &end), c.at);
        EXPECT_EQ(all.mid(start, end - start), c.at);
        EXPECT_EQ(text->textBeforeOffset(c.offset, c.type, &start, &end), c.before);
        EXPECT_EQ(text->textAfterOffset(c.offset, c.type, &start, &end), c.after);
    }

    // A selection made backwards: the caret stands at its start.
    view.select(abel + 4, hans);
    EXPECT_EQ(text->cursorPosition(), hans);
    ASSERT_EQ(text->selectionCount(), 1);
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    EXPECT_EQ(all.mid(start, end - start), all.mid(hans, abel + 4 - hans));

    // The reader moves the caret and selects: the view follows.
    text->setCursorPosition(abel);
    EXPECT_EQ(view.caret(), abel);
    EXPECT_EQ(text->selectionCount(), 0);
    text->setSelection(0, abel, abel + 4);
    EXPECT_EQ(view.selectedText(), u"Abel"_s);

    // Characters sit where they are painted, and the point finds them again.
    const QRect box = text->characterRect(abel);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_EQ(text->offsetAtPoint(box.topLeft() + QPoint(1, box.height() / 2)), abel);
    EXPECT_LT(text->characterRect(hans).top(), box.top());
    // Scrolled to the right, the characters move left by as much, and are found there.
    QScrollBar *across = view.horizontalScrollBar();
    view.resize(120, 200);
    QCoreApplication::processEvents();
    ASSERT_GT(across->maximum(), 40) << "the lines must be wider than the window";
    across->setValue(40);
    const QRect moved = text->characterRect(abel);
    EXPECT_EQ(moved.topLeft(), box.topLeft() - QPoint(40, 0));
    EXPECT_EQ(text->offsetAtPoint(moved.topLeft() + QPoint(1, moved.height() / 2)), abel);
    across->setValue(0);
    view.resize(400, 200);
    QCoreApplication::processEvents();

    // Where the window is held for a screen reader over the accessibility bus
    // (the ctest case "LineViewAccessibleOverTheBus"), it waits until the
    // reader has put the caret and removed the file, and the caret must
    // stand where the reader put it.
    if (const QByteArray hold = qgetenv("ORV_A11Y_HOLD"); !hold.isEmpty()) {
        view.setWindowTitle(u"Lesetest"_s);
        view.select(hans, hans + 4);
        QFile ready(QString::fromLocal8Bit(hold));
        ASSERT_TRUE(ready.open(QIODevice::WriteOnly));
        ready.close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !ready.exists(); }, 60000)) << "the reader did not finish";
        EXPECT_EQ(view.caret(), abel) << "the reader's caret move did not reach the view";
    }
}
