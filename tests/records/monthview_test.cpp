#include "ui/monthview.h"
#include "support/testenv.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace orv;

namespace {

// A window with a date row as the training plan window has one.
struct DateWindow {
    QWidget window;
    QLineEdit *field = new QLineEdit(&window);
    QPushButton *button = new QPushButton(&window);
    ui::MonthView *calendar = new ui::MonthView(QStringLiteral("MonthViewVon"), &window);

    DateWindow()
    {
        window.resize(600, 500);
        field->setGeometry(20, 400, 120, 24);
        button->setGeometry(142, 400, 24, 24);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
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
        w.calendar->popUpAbove(c.text, w.button, w.field);
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

TEST_F(MonthViewTest, ReturnTakesTheSelectedDayAndEscClosesWithoutAChange)
{
    DateWindow w;
    std::vector<QDate> taken;
    QObject::connect(w.calendar, &ui::MonthView::dateTaken, [&](const QDate &d) { taken.push_back(d); });
    for (const auto &[key, expected] : {std::pair{Qt::Key_Escape, std::vector<QDate>{}},
                                        std::pair{Qt::Key_Return, std::vector<QDate>{QDate(2027, 3, 16)}}}) {
        w.calendar->popUpAbove(QStringLiteral("15.03.2027"), w.button, w.field);
        QWidget *focus = QApplication::focusWidget();
        ASSERT_TRUE(focus && (focus == w.calendar || w.calendar->isAncestorOf(focus)));
        QTest::keyClick(focus, Qt::Key_Right);
        QTest::keyClick(focus, key);
        EXPECT_FALSE(w.calendar->isVisible()) << key;
        EXPECT_EQ(taken, expected) << key;
    }
}
