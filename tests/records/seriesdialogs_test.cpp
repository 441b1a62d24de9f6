// The course window's series: "Reihe und Gültigkeit…" and "Folgetermin anlegen…".
#include "data/format.h"
#include "data/series.h"
#include "records/recorddriver.h"

#include <QDialog>
#include <QLabel>
#include <QTableWidget>

using namespace orv;
using orv::ui::Answer;
using orv::ui::Icon;

namespace {

class SeriesDialogTest : public test::WindowTestOf<ui::WindowId::Kurs> {
protected:
    template <typename W = QWidget> static W *in(QDialog &d, const QString &name)
    {
        W *w = d.findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    static void typeInto(QDialog &d, const QString &name, const QString &text)
    {
        QWidget *w = in(d, name);
        auto *edit =
            qobject_cast<QLineEdit *>(w) ? qobject_cast<QLineEdit *>(w) : qobject_cast<QComboBox *>(w)->lineEdit();
        edit->clear();
        test::typeText(edit, text);
    }
    void expectCheck(const QString &message) { prompter.expectMessage(message, u"Datenprüfung"_s, Icon::Exclamation); }
};

TEST_P(SeriesDialogTest, TheSeriesOfACourseIsSetCheckedAndGoesWithTheCourse)
{
    openOnStandardRows();
    ASSERT_EQ(shown(), "K1");
    prompter.expectModal([&](QDialog &d) {
        EXPECT_EQ(d.objectName(), "frmKursreihe");
        EXPECT_EQ(in<QLabel>(d, u"lblKurs"_s)->text(), "Kurs K1: Excel");
        typeInto(d, u"cmbReihe"_s, u"UW"_s);
        typeInto(d, u"txtGueltigkeit"_s, u"0"_s);
        expectCheck(u"Die Gültigkeit muß eine ganze Zahl von 1 bis 999 Monaten sein!"_s);
        test::clickButton(d, u"cmdOK"_s);
        EXPECT_TRUE(d.isVisible());
        typeInto(d, u"txtGueltigkeit"_s, u"12"_s);
        test::clickButton(d, u"cmdOK"_s);
    });
    drv.trigger(u"mnuKursreihe"_s);
    EXPECT_EQ(data::series::ofCourse(db(), u"K1"_s), (data::series::CourseSeries{u"UW"_s, 12}));

    // Shown again as stored; "Abbrechen" keeps it.
    prompter.expectModal([&](QDialog &d) {
        EXPECT_EQ(in<QComboBox>(d, u"cmbReihe"_s)->currentText(), "UW");
        EXPECT_EQ(in<QLineEdit>(d, u"txtGueltigkeit"_s)->text(), "12");
        typeInto(d, u"txtGueltigkeit"_s, u"24"_s);
        test::clickButton(d, u"cmdCancel"_s);
    });
    drv.trigger(u"mnuKursreihe"_s);
    EXPECT_EQ(value(u"SELECT Gueltigkeit FROM Kursreihe WHERE KursNr = 'K1'"_s), "12");

    // Deleting the course takes its entries and its series entry along; the question says how many.
    expectDelete(Answer::Yes, test::deleteWithEntries(u"Kurs"_s, 1));
    drv.trigger(u"Delete"_s);
    EXPECT_EQ(count(u"Kursreihe"_s), 0);
    EXPECT_EQ(count(u"Trainingsplan"_s, u"KursNr = 'K1'"_s), 0);
}

// The next course of a series: a copy under the typed number, with its series,
// and the employees due by the chosen day ticked in the group dialog.
TEST_P(SeriesDialogTest, TheNextDateCopiesTheCourseAndPlansWhoIsDue)
{
    seed();
    db().exec(u"DELETE FROM Trainingsplan"_s);
    data::series::setForCourse(db(), u"K1"_s, {u"UW"_s, 12});
    const QDate today = QDate::currentDate();
    // Abel's runs out in ten days, Zorn's in eleven months; Ärger never took part.
    addPlan(u"K1"_s, u"Abel, Anna"_s, u"2"_s, today.addMonths(-12).addDays(9), today.addMonths(-12).addDays(10));
    addPlan(u"K1"_s, u"Zorn, Zeno"_s, u"2"_s, today.addMonths(-1), today.addMonths(-1));
    open();
    ASSERT_EQ(shown(), "K1");
    const auto planDue = [&](QDialog &d) {
        EXPECT_EQ(d.objectName(), "frmEinplanen");
        EXPECT_EQ(in<QLineEdit>(d, u"txtKursNr"_s)->text(), "K7");
        EXPECT_EQ(in<QLabel>(d, u"lblAnzahl"_s)->text(), "1 von 3 ausgewählt");
        prompter.expectModal([](QDialog &preview) {
            EXPECT_EQ(preview.findChild<QTableWidget *>(u"tblVorschau"_s)->rowCount(), 1);
            test::clickButton(preview, u"cmdOK"_s);
        });
        prompter.expectMessage(u"1 Eintrag wurde angelegt."_s, u"Für mehrere einplanen"_s, Icon::Information);
        test::clickButton(d, u"cmdEinplanen"_s);
    };
    prompter.expectModal([&](QDialog &d) {
        EXPECT_EQ(d.objectName(), "frmFolgetermin");
        EXPECT_EQ(in<QLabel>(d, u"lblFaellig"_s)->text(), "1 Mitarbeiter ist bis dahin fällig.");
        typeInto(d, u"txtFaelligBis"_s, data::formatDate(today.addMonths(12)));
        EXPECT_EQ(in<QLabel>(d, u"lblFaellig"_s)->text(), "2 Mitarbeiter sind bis dahin fällig.");
        typeInto(d, u"txtFaelligBis"_s, data::formatDate(today.addMonths(1)));
        typeInto(d, u"txtKursNr"_s, u"K1"_s);
        expectCheck(u"Die eingegebene Kurs-Nr. ist bereits vorhanden!"_s);
        test::clickButton(d, u"cmdOK"_s);
        typeInto(d, u"txtKursNr"_s, u"K7"_s);
        prompter.expectModal(planDue);
        test::clickButton(d, u"cmdOK"_s);
    });
    drv.trigger(u"mnuFolgetermin"_s);
    EXPECT_FALSE(prompter.pending());
    EXPECT_EQ(shown(), "K7");
    EXPECT_EQ(drv.text(records::FrmKurs::Beschreibung).trimmed(), "Excel");
    EXPECT_EQ(data::series::ofCourse(db(), u"K7"_s), (data::series::CourseSeries{u"UW"_s, 12}));
    EXPECT_EQ(rows(u"SELECT Name, Status FROM Trainingsplan WHERE KursNr = 'K7'"_s), QStringList{u"Abel, Anna/0"_s});

    // A course in no series has no next date.
    drv.trigger(u"Gotop"_s);
    drv.trigger(u"Gonext"_s);
    ASSERT_EQ(shown(), "K2");
    prompter.expectMessage(u"Der Kurs K2 gehört zu keiner Reihe. Tragen Sie zuerst unter „Reihe und Gültigkeit…“ eine "
                           "Reihe ein."_s,
                           u"Folgetermin anlegen"_s, Icon::Exclamation);
    drv.trigger(u"mnuFolgetermin"_s);
}

ORV_DB_TEST_SUITE(SeriesDialogTest);

} // namespace
