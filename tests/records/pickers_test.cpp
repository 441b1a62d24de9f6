#include "records/frmtrainingsplan.h"
#include "records/recorddriver.h"
#include "records/recordwindows.h"
#include "records/trainingsplanpickers.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QListView>
#include <QListWidget>
#include <QTableView>

using namespace orv;

namespace {

// The texts of the fields a picker may touch: course side, employee side.
struct Shown {
    QStringList course, employee;
};

class PickerTest : public test::DbTest {
protected:
    void SetUp() override
    {
        test::DbTest::SetUp();
        if (HasFatalFailure())
            return;
        addKurs("K1", "IT", "Tabellenkalkulation", "I", "Berger, Ute", 120.5, 8);
        addKurs("K22", "Sprachen", "Englisch", "E", QString(), 1250, 16.5);
        addMitarbeiter("Huber, Anna", "4711", QString(), "O", "Einkauf");
        addMitarbeiter("Kurz, Li", "4712", "EK", "Ets", "Logistik");
        addPlan("K1", "Huber, Anna", "0", QDate(2027, 3, 1), QDate(2027, 3, 12));
        auto *form = records::openRecordWindow(QStringLiteral("frmTrainingsplan"));
        ASSERT_NE(form, nullptr);
        QApplication::setActiveWindow(form);
        drv = test::RecordDriver(form);
    }
    void TearDown() override
    {
        drv.dispose();
        test::DbTest::TearDown();
    }

    Shown shown() const
    {
        Shown s;
        for (int i : {0, 1, 2, 3, 4})
            s.course << drv.text(i).trimmed();
        s.course << drv.comboText("cmbRubrik").trimmed() << drv.comboText("cmbArt").trimmed();
        for (int i : {5, 6, 7})
            s.employee << drv.text(i).trimmed();
        s.employee << drv.comboText("cmbKategorie").trimmed() << drv.comboText("cmbBereich").trimmed();
        return s;
    }

    // Runs the search dialog as the user: "*", then the given line (0-based)
    // with OK, or Abbrechen when line is negative.
    void expectPick(int line, int expectedLines)
    {
        prompter.expectModal([=](QDialog &d) {
            auto *expr = d.findChild<QLineEdit *>("txtExpression");
            auto *list = d.findChild<QListView *>("lstResult");
            ASSERT_TRUE(expr && list);
            EXPECT_EQ(d.findChild<QListWidget *>("lstFields")->currentRow(), 0);
            QTest::keyClicks(expr, "*");
            QTest::keyClick(expr, Qt::Key_Return);
            EXPECT_EQ(list->model()->rowCount(), expectedLines);
            if (line < 0) {
                QTest::mouseClick(d.findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
                return;
            }
            const QRect r = list->visualRect(list->model()->index(line, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseClick(d.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        });
    }

    void clickDay(QCalendarWidget *cal, int day)
    {
        auto *view = cal->findChild<QTableView *>();
        ASSERT_NE(view, nullptr);
        for (int r = 1; r < view->model()->rowCount(); ++r)
            for (int c = 0; c < view->model()->columnCount(); ++c) {
                const QModelIndex i = view->model()->index(r, c);
                if (i.data().toInt() == day) { // days 8 to 22 stand once on a page
                    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(i).center());
                    return;
                }
            }
        ADD_FAILURE() << "day not shown";
    }

    test::RecordDriver drv{nullptr};
};
ORV_DB_TEST_SUITE(PickerTest);

} // namespace

TEST_P(PickerTest, ListButtonsOnlyForANewEntry)
{
    auto enabled = [this] {
        return std::pair{drv.widget<QWidget>("cmdKursNrSuchen")->isEnabled(),
                         drv.widget<QWidget>("cmdNameSuchen")->isEnabled()};
    };
    EXPECT_EQ(enabled(), std::pair(false, false)) << "browse";
    drv.type(10, "Nachholtermin");
    EXPECT_EQ(enabled(), std::pair(false, false)) << "edit";
    drv.trigger("Undo");
    drv.trigger("New");
    EXPECT_EQ(enabled(), std::pair(true, true)) << "add";
    drv.trigger("Undo");
    drv.trigger("NewCopy");
    EXPECT_EQ(enabled(), std::pair(true, true)) << "add with copy";
}

TEST_P(PickerTest, PickedCourseFillsTheCourseFieldsOnly)
{
    drv.trigger("New");
    drv.type(5, "Kurz, Li");
    const Shown before = shown();
    expectPick(1, 2);
    drv.click("cmdKursNrSuchen");
    const Shown after = shown();
    EXPECT_EQ(after.course, (QStringList{"K22", "Englisch", "", "1250,00", "16,5", "Sprachen", "E"}));
    EXPECT_EQ(after.employee, before.employee);
    EXPECT_EQ(after.employee.at(0), "Kurz, Li");
}

TEST_P(PickerTest, PickedEmployeeFillsTheEmployeeFieldsOnly)
{
    drv.trigger("New");
    drv.type(0, "K1");
    const Shown before = shown();
    expectPick(0, 2);
    drv.click("cmdNameSuchen");
    const Shown after = shown();
    EXPECT_EQ(after.employee, (QStringList{"Huber, Anna", "4711", "", "O", "Einkauf"}));
    EXPECT_EQ(after.course, before.course);
    EXPECT_EQ(after.course.at(1), "Tabellenkalkulation");
}

TEST_P(PickerTest, CancellingKeepsWhatWasTyped)
{
    drv.trigger("New");
    drv.type(0, "K1");
    drv.type(5, "Kurz, Li");
    const Shown before = shown();
    expectPick(-1, 2);
    drv.click("cmdKursNrSuchen");
    expectPick(-1, 2);
    drv.click("cmdNameSuchen");
    EXPECT_EQ(shown().course, before.course);
    EXPECT_EQ(shown().employee, before.employee);
    EXPECT_EQ(before.course.at(3), "120,50");
}

TEST_P(PickerTest, CalendarTakesADayAndUndoRestoresTheStoredDate)
{
    auto *von = drv.widget<QCalendarWidget>("MonthViewVon");
    auto *bis = drv.widget<QCalendarWidget>("MonthViewBis");
    ASSERT_TRUE(von && bis);
    EXPECT_FALSE(von->isVisible());
    EXPECT_EQ(drv.text(8), "01.03.2027");

    drv.click("cmdMonthViewVon"); // usable in browse mode
    ASSERT_TRUE(von->isVisible());
    EXPECT_EQ(von->selectedDate(), QDate(2027, 3, 1));
    clickDay(von, 15);
    EXPECT_FALSE(von->isVisible());
    EXPECT_EQ(drv.text(8), "15.03.2027");
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_EQ(drv.text(9), "12.03.2027");

    drv.trigger("Undo");
    EXPECT_EQ(drv.text(8), "01.03.2027");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

TEST_P(PickerTest, CalendarOnANonDateOpensOnTodayAndLeavingKeepsTheText)
{
    auto *bis = drv.widget<QCalendarWidget>("MonthViewBis");
    drv.type(9, "31.02.2027");
    drv.click("cmdMonthViewBis");
    ASSERT_TRUE(bis->isVisible());
    EXPECT_EQ(bis->selectedDate(), QDate::currentDate());
    drv.field(10)->setFocus();
    EXPECT_FALSE(bis->isVisible());
    EXPECT_EQ(drv.text(9), "31.02.2027");
}
