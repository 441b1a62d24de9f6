#include "records/trainingsplanpickers.h"
#include "support/testenv.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

using namespace orv;

namespace {

// A window with a date row as the training plan window has one.
struct DateWindow {
    QWidget window;
    QLineEdit *field = new QLineEdit(&window);
    QPushButton *button = new QPushButton(&window);
    QLineEdit *other = new QLineEdit(&window);
    records::MonthView *calendar = new records::MonthView(QStringLiteral("MonthViewVon"), &window);

    DateWindow()
    {
        window.resize(600, 500);
        field->setGeometry(20, 400, 120, 24);
        button->setGeometry(142, 400, 24, 24);
        other->setGeometry(20, 440, 120, 24);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Clicks the given day of the shown month as a user does.
    void clickDay(int day)
    {
        auto *view = calendar->findChild<QTableView *>();
        ASSERT_NE(view, nullptr);
        const QAbstractItemModel *m = view->model();
        for (int r = 1; r < m->rowCount(); ++r)
            for (int c = 0; c < m->columnCount(); ++c) {
                const QModelIndex i = m->index(r, c);
                // Days 8 to 22 stand only once in a month page.
                if (i.data().toInt() == day) {
                    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(i).center());
                    return;
                }
            }
        ADD_FAILURE() << "day " << day << " not shown";
    }
};

} // namespace

class MonthViewTest : public test::OrvTest {};

TEST_F(MonthViewTest, OpensOnTheFieldsDateOrToday)
{
    DateWindow w;
    EXPECT_FALSE(w.calendar->isVisible());
    EXPECT_EQ(w.calendar->objectName(), "MonthViewVon");
    struct Case {
        QString text;
        QDate shown;
    };
    for (const Case &c : {Case{"15.03.2027", QDate(2027, 3, 15)}, Case{"31.02.2027", QDate::currentDate()},
                          Case{"", QDate::currentDate()}, Case{"morgen", QDate::currentDate()},
                          Case{"1.12.26", QDate(2026, 12, 1)}}) {
        w.calendar->popUp(c.text, w.button, w.field);
        EXPECT_TRUE(w.calendar->isVisible()) << c.text.toStdString();
        EXPECT_EQ(w.calendar->selectedDate(), c.shown) << c.text.toStdString();
        EXPECT_EQ(w.calendar->monthShown(), c.shown.month());
        EXPECT_EQ(w.calendar->yearShown(), c.shown.year());
        // Left edge under the button, bottom edge above the date row.
        EXPECT_EQ(w.calendar->x(), w.button->x());
        EXPECT_LE(w.calendar->geometry().bottom(), w.field->y());
        w.calendar->hide();
    }
}

TEST_F(MonthViewTest, ClickedDayIsTakenLeavingCloses)
{
    DateWindow w;
    QSignalSpy taken(w.calendar, &records::MonthView::dateTaken);
    w.calendar->popUp("03.11.2027", w.button, w.field);
    EXPECT_TRUE(w.calendar->isAncestorOf(QApplication::focusWidget()) || w.calendar->hasFocus());
    w.clickDay(18);
    EXPECT_FALSE(w.calendar->isVisible());
    ASSERT_EQ(taken.size(), 1);
    EXPECT_EQ(taken.at(0).at(0).toDate(), QDate(2027, 11, 18));

    w.calendar->popUp("03.11.2027", w.button, w.field);
    ASSERT_TRUE(w.calendar->isVisible());
    w.other->setFocus();
    EXPECT_FALSE(w.calendar->isVisible());
    EXPECT_EQ(taken.size(), 1) << "leaving takes no date";
}
