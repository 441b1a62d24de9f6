// "Für mehrere einplanen" and "Mehrere ändern" as a training department uses
// them: from the training plan and course windows, by keyboard and mouse.
#include "records/recorddriver.h"
#include "support/diskfaults.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QProgressDialog>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

using namespace orv;
using orv::ui::Answer;
using orv::ui::Icon;

namespace {

const QString kPlanTitle = u"Für mehrere einplanen"_s;
const QString kChangeTitle = u"Mehrere ändern"_s;

class GroupDialogTest : public test::WindowTestOf<ui::WindowId::Trainingsplan> {
protected:
    // The standard rows and two more employees of the Einkauf.
    void setUpOnDatabase() override
    {
        seed();
        addMitarbeiter(u"Bo, Ben"_s, u"100"_s, u"EK"_s, u"Ets"_s, u"Einkauf"_s);
        addMitarbeiter(u"Öz, Ömer"_s, u"110"_s, u"EK"_s, u"O"_s, u"Einkauf"_s);
    }
    template <typename W = QWidget> static W *in(QDialog &d, const QString &name)
    {
        W *w = d.findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    static void choose(QDialog &d, const QString &combo, const QString &text)
    {
        auto *c = in<QComboBox>(d, combo);
        const int i = c->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        c->setCurrentIndex(i);
    }
    // The lines of a list: its first column, with "+" for a ticked row.
    static QStringList lines(QDialog &d, const QString &list)
    {
        QStringList out;
        QAbstractItemModel *m = in<QTableView>(d, list)->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << (m->index(r, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked ? u"+"_s : u""_s)
                       + m->index(r, 0).data().toString();
        return out;
    }
    static void tickLine(QDialog &d, const QString &list, int line)
    {
        auto *view = in<QTableView>(d, list);
        view->setFocus();
        view->setCurrentIndex(view->model()->index(line, 0));
        QTest::keyClick(view, Qt::Key_Space);
    }
    // The preview's lines "Name: Ergebnis"; pressed on with `button`.
    void expectPreview(const QStringList &expected, const QString &button = u"cmdOK"_s,
                       const std::function<void()> &before = {})
    {
        prompter.expectModal([=](QDialog &d) {
            auto *t = in<QTableWidget>(d, u"tblVorschau"_s);
            QStringList shown;
            for (int r = 0; r < t->rowCount(); ++r)
                shown << t->item(r, 0)->text() + u": "_s + t->item(r, 1)->text();
            EXPECT_EQ(shown, expected);
            if (before)
                before();
            test::clickButton(d, button);
        });
    }
    void expectCheck(const QString &message) { prompter.expectMessage(message, u"Datenprüfung"_s, Icon::Exclamation); }
    // Opens the dialog of `command` in the window and hands it to `use`, which must close it.
    void inDialog(const QKeySequence &keys, const std::function<void(QDialog &)> &use)
    {
        prompter.expectModal([=](QDialog &d) {
            EXPECT_TRUE(test::activate(&d));
            use(d);
            if (d.isVisible())
                test::clickButton(d, u"cmdSchliessen"_s);
        });
        drv.keys(drv.field(records::FrmTrainingsplan::Bemerkung), keys);
        EXPECT_FALSE(prompter.pending());
    }
    // The entries of a course, "Name/Prio/Quelle/Status/R/S/Bemerkung", in code-point order.
    QStringList plan(const QString &kursNr)
    {
        QStringList out = rows(u"SELECT Name, Prioritaet, Quelle, Status, CASE WHEN Rechnung THEN 'R' ELSE '' END, "
                               "CASE WHEN Beurteilung THEN 'S' ELSE '' END, Bemerkung FROM Trainingsplan WHERE KursNr "
                               "= ?"_s.replace(u"?"_s, u"'"_s + kursNr + u"'"_s));
        out.sort();
        return out;
    }
    const QKeySequence kPlanKeys{u"Ctrl+G"_s}, kChangeKeys{u"Ctrl+M"_s};
};
// The dialogs' own mechanics, which never reach what differs between the engines.
class GroupDialogFormTest : public GroupDialogTest {};

} // namespace

// The new user's first task: one course for the employees of one Bereich.
// Who has an entry already is named and skipped; the warnings come once for
// the group; the window then shows the first new entry.
TEST_P(GroupDialogTest, PlansACourseForABereichAndSkipsWhoHasAnEntry)
{
    open();
    ASSERT_EQ(shown(), "K1/Abel, Anna");
    inDialog(kPlanKeys, [&](QDialog &d) {
        EXPECT_EQ(in<QLineEdit>(d, u"txtKursNr"_s)->text(), "K1");
        EXPECT_EQ(in<QLabel>(d, u"lblBeschreibung"_s)->text(), "Excel");
        EXPECT_EQ(lines(d, u"lstMitarbeiter"_s),
                  (QStringList{"Abel, Anna", "Ärger, Udo", "Bo, Ben", "Öz, Ömer", "Zorn, Zeno"}));
        choose(d, u"cmbBereich"_s, u"Einkauf"_s);
        EXPECT_EQ(lines(d, u"lstMitarbeiter"_s), (QStringList{"Abel, Anna", "Bo, Ben", "Öz, Ömer"}));
        test::clickButton(d, u"cmdAlle"_s);
        EXPECT_EQ(in<QLabel>(d, u"lblAnzahl"_s)->text(), "3 von 5 ausgewählt");
        // A tick stays when the filter hides its row.
        choose(d, u"cmbBereich"_s, u"(alle)"_s);
        test::typeText(in<QLineEdit>(d, u"txtName"_s), u"ZO"_s);
        EXPECT_EQ(lines(d, u"lstMitarbeiter"_s), QStringList{"Zorn, Zeno"});
        EXPECT_EQ(in<QLabel>(d, u"lblAnzahl"_s)->text(), "3 von 5 ausgewählt, davon 3 nicht angezeigt");

        choose(d, u"cmbQuelle"_s, u"AAI"_s);
        choose(d, u"cmbStatus"_s, u"geplant"_s);
        test::typeText(in<QLineEdit>(d, u"txtBemerkung"_s), u"Gruppe"_s);
        expectCheck(u"Bei Quelle AAI sollte Priorität 1 gewählt werden!"_s);
        expectCheck(u"Bitte ggf. Datum anpassen!"_s);
        expectPreview({"Abel, Anna: übersprungen: bereits eingeplant (01.02.2027 bis 28.02.2027, Bedarf)",
                       "Bo, Ben: wird eingeplant", "Öz, Ömer: wird eingeplant"});
        prompter.expectMessage(u"2 Einträge wurden angelegt.\n\nNicht eingeplant (1):\nAbel, Anna: bereits eingeplant "
                               "(01.02.2027 bis 28.02.2027, Bedarf)"_s,
                               kPlanTitle, Icon::Information);
        test::clickButton(d, u"cmdEinplanen"_s);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(shown(), "K1/Bo, Ben");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(plan(u"K1"_s),
              (QStringList{"Abel, Anna/2/ORV/0/R//erst", "Bo, Ben//AAI/1///Gruppe", "Öz, Ömer//AAI/1///Gruppe"}));

    // From the course window: its shown course, and the window stays as it is.
    drv.dispose();
    RecordWindowTest::open(ui::WindowId::Kurs);
    drv.trigger(u"Gonext"_s);
    ASSERT_EQ(drv.text(records::FrmKurs::KursNr).trimmed(), "K2");
    prompter.expectModal([](QDialog &d) {
        EXPECT_EQ(d.objectName(), "frmEinplanen");
        EXPECT_EQ(in<QLineEdit>(d, u"txtKursNr"_s)->text(), "K2");
        EXPECT_EQ(in<QLabel>(d, u"lblBeschreibung"_s)->text(), "Englisch");
        test::clickButton(d, u"cmdSchliessen"_s);
    });
    drv.trigger(u"mnuFuerMehrere"_s);
    EXPECT_EQ(drv.text(records::FrmKurs::KursNr).trimmed(), "K2");
}

// Each fault of the checks is named with its field before anything is
// written, in the order a typed entry is checked.
TEST_P(GroupDialogFormTest, ChecksStopBeforeAnythingIsWritten)
{
    open();
    inDialog(kPlanKeys, [&](QDialog &d) {
        const auto refused = [&](const QString &message, const QString &focus) {
            expectCheck(message);
            test::clickButton(d, u"cmdEinplanen"_s);
            EXPECT_EQ(drv.status(), message);
            EXPECT_EQ(d.focusWidget() ? d.focusWidget()->objectName() : QString(), focus);
        };
        refused(u"Es ist kein Mitarbeiter ausgewählt!"_s, u"lstMitarbeiter"_s);
        tickLine(d, u"lstMitarbeiter"_s, 1);
        EXPECT_EQ(lines(d, u"lstMitarbeiter"_s).value(1), "+Ärger, Udo");
        auto *kurs = in<QLineEdit>(d, u"txtKursNr"_s);
        kurs->clear();
        refused(u"Die Eingabe einer Kurs-Nr. und eines Namens ist zwingend erforderlich!"_s, u"txtKursNr"_s);
        test::typeText(kurs, u"K9"_s);
        EXPECT_EQ(in<QLabel>(d, u"lblBeschreibung"_s)->text(), "(kein Kurs mit dieser Nummer)");
        refused(u"Die eingegebene Kurs-Nr. ist nicht vorhanden!"_s, u"txtKursNr"_s);
        kurs->setText(u"K3"_s);
        auto *von = in<QLineEdit>(d, u"txtDatumVon"_s);
        auto *bis = in<QLineEdit>(d, u"txtDatumBis"_s);
        von->setText(u"31.02.2027"_s);
        refused(u"Das Startdatum ist ungültig!"_s, u"txtDatumVon"_s);
        von->setText(u"02.03.2027"_s);
        bis->setText(u"01.03.2027"_s);
        refused(u"Das Endedatum ist vor dem Startdatum!"_s, u"txtDatumBis"_s);
        bis->setText(u"02.03.2027"_s);
        // "Zurück" in the preview writes nothing either.
        expectPreview({"Ärger, Udo: wird eingeplant"}, u"cmdZurueck"_s);
        test::clickButton(d, u"cmdEinplanen"_s);
        EXPECT_TRUE(d.isVisible());
    });
    EXPECT_EQ(count(u"Trainingsplan"_s), 3);
}

// A commit that fails leaves the dialog with its choices, and the same
// button writes once the cause is gone; "Abbrechen" in the progress window
// leaves the database as it was.
TEST_P(GroupDialogTest, AFailedOrCancelledWriteKeepsTheChoicesAndTheSameButtonWritesLater)
{
    test::FailingCommit failing(db(), isPostgres());
    open();
    inDialog(kPlanKeys, [&](QDialog &d) {
        choose(d, u"cmbBereich"_s, u"Einkauf"_s);
        test::clickButton(d, u"cmdAlle"_s);
        const QStringList preview{"Abel, Anna: übersprungen: bereits eingeplant (01.02.2027 bis 28.02.2027, Bedarf)",
                                  "Bo, Ben: wird eingeplant", "Öz, Ömer: wird eingeplant"};
        expectPreview(preview, u"cmdOK"_s, [&d] {
            QTimer::singleShot(0, [&d] {
                // While it writes, the dialog takes no second click.
                EXPECT_FALSE(d.isEnabled());
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (auto *p = qobject_cast<QProgressDialog *>(w); p && p->objectName() == u"frmGruppeFortschritt")
                        p->cancel();
            });
        });
        prompter.expectMessage(u"Abgebrochen: die Datenbank ist unverändert."_s, kPlanTitle, Icon::Information);
        test::clickButton(d, u"cmdEinplanen"_s);
        EXPECT_EQ(count(u"Trainingsplan"_s), 3);

        failing.arm();
        expectPreview(preview);
        prompter.expectMessageMatching(u"^UpdateError: -?\\d+ .+\r\n\r\nEs wurde nichts geschrieben\\.$"_s, u"ORV"_s,
                                       Icon::None);
        test::clickButton(d, u"cmdEinplanen"_s);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(count(u"Trainingsplan"_s), 3);
        EXPECT_EQ(in<QLabel>(d, u"lblAnzahl"_s)->text(), "3 von 5 ausgewählt");

        failing.lift();
        expectPreview(preview);
        prompter.expectMessage(u"2 Einträge wurden angelegt.\n\nNicht eingeplant (1):\nAbel, Anna: bereits eingeplant "
                               "(01.02.2027 bis 28.02.2027, Bedarf)"_s,
                               kPlanTitle, Icon::Information);
        test::clickButton(d, u"cmdEinplanen"_s);
    });
    EXPECT_EQ(count(u"Trainingsplan"_s), 5);
}

// The new user's second task: the participants of a course marked "erledigt"
// with R and S at once. An entry another workstation changed meanwhile is
// named and left alone; a change of another column elsewhere stays.
TEST_P(GroupDialogTest, MarksTheParticipantsOfACourseDoneAndLeavesEntriesChangedElsewhereAlone)
{
    addPlan(u"K2"_s, u"Bo, Ben"_s, u"1"_s, QDate(2027, 5, 1), QDate(2027, 5, 3));
    addPlan(u"K2"_s, u"Öz, Ömer"_s, u"2"_s, QDate(2027, 5, 1), QDate(2027, 5, 3), u" "_s, u" "_s, true, true);
    open();
    drv.trigger(u"Gonext"_s);
    ASSERT_EQ(shown(), "K2/Ärger, Udo");
    inDialog(kChangeKeys, [&](QDialog &d) {
        EXPECT_EQ(d.objectName(), "frmAendern");
        EXPECT_EQ(in<QLineEdit>(d, u"txtKursNr"_s)->text(), "K2");
        EXPECT_EQ(lines(d, u"lstEintraege"_s), (QStringList{"+Ärger, Udo", "+Bo, Ben", "+Öz, Ömer", "+Zorn, Zeno"}));
        // Narrowed by status and by the start of the period.
        choose(d, u"cmbNurStatus"_s, u"geplant"_s);
        EXPECT_EQ(lines(d, u"lstEintraege"_s), (QStringList{"+Bo, Ben", "+Zorn, Zeno"}));
        choose(d, u"cmbNurStatus"_s, u"(alle)"_s);
        test::typeText(in<QLineEdit>(d, u"txtZeitraumVon"_s), u"01.05.2027"_s);
        EXPECT_EQ(lines(d, u"lstEintraege"_s), (QStringList{"+Bo, Ben", "+Öz, Ömer", "+Zorn, Zeno"}));
        in<QLineEdit>(d, u"txtZeitraumVon"_s)->clear();
        ASSERT_EQ(lines(d, u"lstEintraege"_s).size(), 4);

        choose(d, u"cmbStatus"_s, u"erledigt"_s);
        test::clickBox(in<QCheckBox>(d, u"chkRechnung"_s));
        test::clickBox(in<QCheckBox>(d, u"chkBeurteilung"_s));
        EXPECT_EQ(in<QCheckBox>(d, u"chkRechnung"_s)->checkState(), Qt::Checked);
        expectPreview({"Ärger, Udo: wird geändert", "Bo, Ben: wird geändert",
                       "Öz, Ömer: unverändert: hat die Werte schon", "Zorn, Zeno: wird geändert"},
                      u"cmdOK"_s, [this] {
                          data::Connection other = connect();
                          other.exec(u"UPDATE Trainingsplan SET Status = '1' WHERE Name = ? AND KursNr = 'K2'"_s,
                                     {u"Ärger, Udo"_s});
                          other.exec(u"UPDATE Trainingsplan SET Bemerkung = 'dort' WHERE Name = ? AND KursNr = 'K2'"_s,
                                     {u"Bo, Ben"_s});
                      });
        prompter.expectMessage(u"2 Einträge wurden geändert.\n1 Eintrag hatte die Werte schon.\n\nNicht geändert "
                               "(1):\nÄrger, Udo: inzwischen an einem anderen Arbeitsplatz geändert"_s,
                               kChangeTitle, Icon::Information);
        test::clickButton(d, u"cmdAendern"_s);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(shown(), "K2/Bo, Ben");
    EXPECT_EQ(plan(u"K2"_s), (QStringList{"Bo, Ben///2/R/S/dort", "Zorn, Zeno/1/AAI/2/R/S/", "Ärger, Udo/3/ZM/1///",
                                          "Öz, Ömer///2/R/S/"}));
}

// "Löschen" asks once, naming how many; the list is read again after it.
TEST_P(GroupDialogFormTest, DeleteAsksOnceForTheTickedEntries)
{
    open();
    drv.trigger(u"Gonext"_s);
    inDialog(kChangeKeys, [&](QDialog &d) {
        ASSERT_EQ(lines(d, u"lstEintraege"_s), (QStringList{"+Ärger, Udo", "+Zorn, Zeno"}));
        const QString question = u"Sollen die 2 ausgewählten Einträge wirklich gelöscht werden?"_s;
        prompter.expectMessage(question, u"Löschen"_s, Icon::Question, Answer::No);
        test::clickButton(d, u"cmdLoeschen"_s);
        EXPECT_EQ(count(u"Trainingsplan"_s), 3);
        tickLine(d, u"lstEintraege"_s, 1);
        prompter.expectMessage(u"Soll der ausgewählte Eintrag wirklich gelöscht werden?"_s, u"Löschen"_s,
                               Icon::Question, Answer::Yes);
        prompter.expectMessage(u"1 Eintrag wurde gelöscht."_s, kChangeTitle, Icon::Information);
        test::clickButton(d, u"cmdLoeschen"_s);
        EXPECT_EQ(lines(d, u"lstEintraege"_s), QStringList{"+Zorn, Zeno"});
        prompter.expectMessage(u"Es ist kein Feld zum Ändern gewählt."_s, kChangeTitle, Icon::Exclamation);
        test::clickButton(d, u"cmdAendern"_s);
    });
    EXPECT_EQ(rows(u"SELECT KursNr, Name FROM Trainingsplan ORDER BY KursNr"_s),
              (QStringList{"K1/Abel, Anna", "K2/Zorn, Zeno"}));
    EXPECT_EQ(shown(), "K1/Abel, Anna"); // the window read its rows again: its entry is gone
}

// Every control is reached by keyboard and named for a screen reader: the
// access keys are unique in each dialog, and each field has a name.
TEST_P(GroupDialogFormTest, EveryControlHasAnAccessKeyAndAName)
{
    open();
    for (const QKeySequence &keys : {kPlanKeys, kChangeKeys})
        inDialog(keys, [&](QDialog &d) {
            SCOPED_TRACE(d.objectName().toStdString());
            QMap<QChar, QString> keysUsed;
            const auto takeKey = [&](const QString &text, const QString &owner) {
                const qsizetype amp = text.indexOf(u'&');
                if (amp < 0 || amp + 1 >= text.size())
                    return false;
                const QChar key = text.at(amp + 1).toLower();
                EXPECT_FALSE(keysUsed.contains(key))
                    << owner.toStdString() << " and " << keysUsed.value(key).toStdString() << " share "
                    << QString(key).toStdString();
                keysUsed.insert(key, owner);
                return true;
            };
            for (QLabel *l : d.findChildren<QLabel *>())
                if (l->buddy())
                    takeKey(l->text(), l->buddy()->objectName());
            for (QAbstractButton *b : d.findChildren<QAbstractButton *>())
                if (b->isVisible() && !b->text().isEmpty()) {
                    EXPECT_TRUE(takeKey(b->text(), b->objectName())) << b->objectName().toStdString();
                }
            for (QWidget *w : d.findChildren<QWidget *>()) {
                if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus || qobject_cast<QAbstractButton *>(w)
                    || w->objectName().isEmpty())
                    continue;
                QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
                EXPECT_FALSE(a && a->text(QAccessible::Name).isEmpty()) << w->objectName().toStdString();
            }
        });
}

ORV_DB_TEST_SUITE(GroupDialogTest);
ORV_SQLITE_TEST_SUITE(GroupDialogFormTest);
