#include "support/testenv.h"
#include "ui/textlimit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

namespace orv::test {
namespace {

// A full field refuses what is typed or pasted into its middle: its own end
// stays, and only what does not fit of the new text is left out.
TEST(TextLimit, AFullFieldKeepsItsEndWhenTypedIntoInTheMiddle)
{
    QLineEdit box;
    ui::limitLength(&box, 6);
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    box.setText(u"ABCDEF"_s);
    box.setCursorPosition(2);
    QTest::keyClick(&box, Qt::Key_X);
    EXPECT_EQ(box.text(), u"ABCDEF"_s);
    EXPECT_EQ(box.cursorPosition(), 2);

    box.setText(u"ABCD"_s);
    box.setCursorPosition(2);
    QGuiApplication::clipboard()->setText(u"xyz"_s);
    box.paste();
    EXPECT_EQ(box.text(), u"ABxyCD"_s);
    EXPECT_EQ(box.cursorPosition(), 4);
    // An emoji counts as one character and is never cut in half.
    box.setText(u"AB"_s);
    box.setCursorPosition(1);
    QGuiApplication::clipboard()->setText(u"😀😀😀😀😀"_s);
    box.paste();
    EXPECT_EQ(box.text(), u"A😀😀😀😀B"_s);
}

} // namespace
} // namespace orv::test
