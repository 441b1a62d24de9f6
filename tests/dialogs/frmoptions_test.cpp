#include "dialogs/frmoptions.h"
#include "services/settings.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

namespace orv::test {
namespace {

using app::settings::read;
using app::settings::readSection;
using app::settings::write;

const QString S = u"Settings"_s;

// The eight keys in the order "&Ok" writes them.
const QStringList eightKeys{"WinMaxOpen", "TrainingsplanAutoOpen", "AnzeigeMaxOpen", "PrinterWindow", "Remark",
                            "TextSeek",   "SplashScreen",          "QueryEnd"};

template <typename T> T *child(QDialog &dlg, const QString &name)
{
    T *w = dlg.findChild<T *>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

QCheckBox *chk(QDialog &dlg, const QString &key) { return child<QCheckBox>(dlg, u"chk"_s + key); }

// Clicks the box itself, where a user clicks it.
void toggle(QCheckBox *box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

int visiblePage(QDialog &dlg)
{
    int shown = -1;
    for (int i = 0; i < 3; ++i) {
        if (child<QWidget>(dlg, u"picOptions(%1)"_s.arg(i))->isVisible()) {
            EXPECT_EQ(shown, -1) << "two pages visible";
            shown = i;
        }
    }
    return shown;
}

class FrmOptionsTest : public OrvTest {
protected:
    // Opens the dialog as the menu does and hands it to `drive`, which must close it.
    void runDialog(const std::function<void(QDialog &)> &drive)
    {
        prompter.expectModal(drive);
        dialogs::FrmOptions dlg;
        ui::Prompter::instance().runModal(dlg);
    }
};

TEST_F(FrmOptionsTest, OkWithoutChangesRewritesAllEightKeysFromTheStore)
{
    // Only "ON" counts as on; anything else is written back as "OFF"; an empty section gives every key OFF.
    const QStringList stored{"ON", "on", "OFF", "ON", "Bitte Teilnahme bestätigen", "", "ON ", "ON"};
    const QStringList written{"ON", "OFF", "OFF", "ON", "Bitte Teilnahme bestätigen", "OFF", "OFF", "ON"};
    for (const bool empty : {true, false}) {
        SCOPED_TRACE(empty);
        for (int i = 0; !empty && i < eightKeys.size(); ++i)
            write(S, eightKeys[i], stored[i]);
        write(S, "MainLeft", "1200"); // the main window's position is not the dialog's
        runDialog([&](QDialog &dlg) {
            for (int i = 0; i < eightKeys.size(); ++i)
                EXPECT_TRUE(i == 4 || chk(dlg, eightKeys[i])->isChecked() == (!empty && written[i] == "ON")) << i;
            EXPECT_EQ(child<QLineEdit>(dlg, "txtBem")->text(), empty ? QString() : stored[4]);
            QTest::keyClick(&dlg, Qt::Key_Return);
        });
        for (int i = 0; i < eightKeys.size(); ++i)
            EXPECT_EQ(read(S, eightKeys[i], "fehlt"), empty ? (i == 4 ? QString("") : QString("OFF")) : written[i])
                << eightKeys[i].toStdString();
        EXPECT_EQ(read(S, "MainLeft"), u"1200"_s);
    }
}

TEST_F(FrmOptionsTest, ChangedControlsAreStored)
{
    write(S, "QueryEnd", "ON");
    write(S, "Remark", "alte Bemerkung");

    runDialog([](QDialog &dlg) {
        auto *tabs = child<QTabBar>(dlg, "tbsOptions");
        toggle(chk(dlg, "QueryEnd"));
        toggle(chk(dlg, "SplashScreen"));
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        toggle(chk(dlg, "TrainingsplanAutoOpen"));
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        auto *bem = child<QLineEdit>(dlg, "txtBem");
        bem->setFocus();
        QTest::keyClick(bem, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(bem, Qt::Key_Delete); // an empty remark: the reports then carry none
        QTest::mouseClick(child<QPushButton>(dlg, "cmdOK"), Qt::LeftButton);
    });

    EXPECT_EQ(read(S, "QueryEnd"), u"OFF"_s);
    EXPECT_EQ(read(S, "SplashScreen"), u"ON"_s);
    EXPECT_EQ(read(S, "TrainingsplanAutoOpen"), u"ON"_s);
    EXPECT_EQ(read(S, "WinMaxOpen"), u"OFF"_s);
    EXPECT_EQ(read(S, "Remark", "fehlt"), QString(""));
}

TEST_F(FrmOptionsTest, CancelEscapeAndClosingWriteNothing)
{
    const std::vector<std::pair<const char *, std::function<void(QDialog &)>>> ways{
        {"A&bbrechen", [](QDialog &dlg) { QTest::mouseClick(child<QPushButton>(dlg, "cmdCancel"), Qt::LeftButton); }},
        {"Esc", [](QDialog &dlg) { QTest::keyClick(chk(dlg, "QueryEnd"), Qt::Key_Escape); }},
        {"close", [](QDialog &dlg) { dlg.close(); }},
    };
    write(S, "QueryEnd", "ON");
    write(S, "Remark", "alt");
    for (const auto &[way, leave] : ways) {
        runDialog([&](QDialog &dlg) {
            toggle(chk(dlg, "QueryEnd"));
            child<QLineEdit>(dlg, "txtBem")->setText("neu");
            leave(dlg);
        });
        EXPECT_EQ(readSection(S).size(), 2) << way;
        EXPECT_EQ(read(S, "QueryEnd"), u"ON"_s) << way;
        EXPECT_EQ(read(S, "Remark"), u"alt"_s) << way;
    }
}

TEST_F(FrmOptionsTest, CtrlTabCyclesForwardWithWrapAroundOtherTabKeysDoNot)
{
    runDialog([](QDialog &dlg) {
        auto *bar = child<QTabBar>(dlg, "tbsOptions");
        auto *first = chk(dlg, "SplashScreen");
        first->setFocus();
        // With the focus in a control, as a user has it.
        auto press = [&](Qt::KeyboardModifiers mods) {
            QWidget *focus = dlg.focusWidget() ? dlg.focusWidget() : &dlg;
            QTest::keyClick(focus, Qt::Key_Tab, mods);
        };
        for (int expected : {1, 2, 0, 1}) {
            press(Qt::ControlModifier);
            EXPECT_EQ(bar->currentIndex(), expected);
            EXPECT_EQ(visiblePage(dlg), expected);
        }
        press(Qt::NoModifier);
        EXPECT_EQ(bar->currentIndex(), 1);
        // A click on a tab shows its own page only.
        for (int i : {2, 0}) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
            EXPECT_EQ(visiblePage(dlg), i);
        }
        dlg.reject();
    });
}

} // namespace
} // namespace orv::test
