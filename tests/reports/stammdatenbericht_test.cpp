#include "reports/frmkursbericht.h"
#include "reports/frmmitarbeiterbericht.h"
#include "support/testenv.h"
#include "xlsxreader.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {

QString place(int length, std::initializer_list<std::pair<int, QString>> items)
{
    QString s(length, QLatin1Char(' '));
    for (const auto &[pos, text] : items)
        s.replace(pos, text.size(), text);
    return s;
}

const reports::ReportModel &buildVia(reports::ReportDialog &dlg)
{
    QTest::mouseClick(dlg.findChild<QPushButton *>("cmdAblage"), Qt::LeftButton);
    return dlg.model();
}

class MitarbeiterBerichtTest : public DbTest {};

TEST_P(MitarbeiterBerichtTest, CompleteListInNameOrderWithColumnsUnderTheHeading)
{
    addMitarbeiter(u"Zorn, Eva"_s, u"4711"_s, u"Einkauf"_s, u"I/C"_s, u"Einkauf"_s);
    addMitarbeiter(u"Bauer, Jan"_s, QString(), QString(), u"O"_s, u"Logistik"_s);
    addMitarbeiter(u"Ärger, Udo"_s, u"12"_s, u"Fertigung"_s, u"Ets"_s, u"DUV Motoren"_s);
    reports::FrmMitarbeiterBericht dlg;
    EXPECT_TRUE(dlg.findChild<QRadioButton *>("optBericht(0)")->isChecked());

    const reports::ReportModel &m = buildVia(dlg);
    EXPECT_EQ(m.title, u"Komplettliste Mitarbeiter"_s);
    EXPECT_EQ(m.orientation, reports::Orientation::Portrait);
    EXPECT_EQ(
        m.header,
        place(
            76,
            {{0, u"Name"_s}, {32, u"Kostenstelle"_s}, {46, u"Abteilung"_s}, {58, u"Kategorie"_s}, {69, u"Bereich"_s}}));
    const QStringList want = {
        place(99, {{0, u"Ärger, Udo"_s}, {32, u"12"_s}, {46, u"Fertigung"_s}, {58, u"Ets"_s}, {69, u"DUV Motoren"_s}}),
        // Missing cost centre and department keep their places.
        place(99, {{0, u"Bauer, Jan"_s}, {58, u"O"_s}, {69, u"Logistik"_s}}),
        place(99, {{0, u"Zorn, Eva"_s}, {32, u"4711"_s}, {46, u"Einkauf"_s}, {58, u"I/C"_s}, {69, u"Einkauf"_s}}),
        QString(), // the body ends with CR LF
    };
    EXPECT_EQ(m.body.split(u"\r\n"_s), want);
}

TEST_P(MitarbeiterBerichtTest, EmptyTableHasNothingToReport)
{
    reports::FrmMitarbeiterBericht dlg;
    prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation);
    EXPECT_TRUE(buildVia(dlg).body.isEmpty());
}

ORV_DB_TEST_SUITE(MitarbeiterBerichtTest);

class KursBerichtTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        addKurs(u"K2"_s, u"Sprachen"_s, u"Englisch"_s, u"E"_s, u"O'Brien, Mary"_s, 1250.5, 16);
        addKurs(u"K1"_s, u"IT"_s, u"Excel"_s, u"I"_s, QString(), 0, 4.5);
        addKurs(u"K3"_s, u"IT"_s, QString(80, QLatin1Char('x')), u"A"_s, u"Müller-Lüdenscheidt, Bärbel"_s, 9999.99,
                999.9);
        dlg = std::make_unique<reports::FrmKursBericht>();
        dlg->show();
    }
    void TearDown() override
    {
        dlg.reset();
        DbTest::TearDown();
    }
    QRadioButton *opt(int i) { return dlg->findChild<QRadioButton *>(u"optBericht(%1)"_s.arg(i)); }
    QStringList kurse()
    {
        QStringList out;
        for (const QString &l : dlg->model().body.split(u"\r\n"_s))
            if (!l.isEmpty())
                out << l.left(6).trimmed();
        return out;
    }
    std::unique_ptr<reports::FrmKursBericht> dlg;
};

TEST_P(KursBerichtTest, CompleteListLayout)
{
    EXPECT_TRUE(opt(0)->isChecked());
    EXPECT_EQ(dlg->findChild<QComboBox *>("cmbRubrik")->count(), 10);
    EXPECT_EQ(dlg->findChild<QComboBox *>("cmbRubrik")->currentText(), QString());
    const reports::ReportModel &m = buildVia(*dlg);
    EXPECT_EQ(m.title, u"Komplettliste Kurse"_s);
    EXPECT_EQ(m.orientation, reports::Orientation::Landscape);
    EXPECT_EQ(m.header, place(184, {{0, u"Kurs-Nr."_s},
                                    {9, u"Rubrik"_s},
                                    {51, u"Beschreibung"_s},
                                    {133, u"Art"_s},
                                    {138, u"Referent"_s},
                                    {171, u"Kosten"_s},
                                    {179, u"Dauer"_s}}));
    const QStringList want = {
        place(184, {{0, u"K1"_s}, {9, u"IT"_s}, {51, u"Excel"_s}, {133, u"I"_s}, {173, u"0,00"_s}, {181, u"4,5"_s}}),
        place(184, {{0, u"K2"_s},
                    {9, u"Sprachen"_s},
                    {51, u"Englisch"_s},
                    {133, u"E"_s},
                    {138, u"O'Brien, Mary"_s},
                    {170, u"1250,50"_s},
                    {180, u"16,0"_s}}),
        place(184, {{0, u"K3"_s},
                    {9, u"IT"_s},
                    {51, QString(80, QLatin1Char('x'))},
                    {133, u"A"_s},
                    {138, u"Müller-Lüdenscheidt, Bärbel"_s},
                    {170, u"9999,99"_s},
                    {179, u"999,9"_s}}),
        QString(),
    };
    EXPECT_EQ(m.body.split(u"\r\n"_s), want);
}

TEST_P(KursBerichtTest, SelectionsTitlesAndOptionFollowingTheInput)
{
    auto *rubrik = dlg->findChild<QComboBox *>("cmbRubrik");
    auto *referent = dlg->findChild<QLineEdit *>("txtReferent");

    // Choosing a Rubrik selects its list; the title keeps the item's trailing blanks.
    rubrik->setCurrentIndex(3);
    emit rubrik->activated(3);
    EXPECT_TRUE(opt(1)->isChecked());
    EXPECT_EQ(rubrik->lineEdit()->cursorPosition(), 0); // the value shows from its start
    EXPECT_EQ(buildVia(*dlg).title, u"Liste Kurse mit Rubrik = "_s + u"IT"_s.leftJustified(40));
    EXPECT_EQ(kurse(), QStringList({u"K1"_s, u"K3"_s}));

    // A typed Rubrik stays exactly as typed, also where it begins a list value.
    rubrik->clearEditText();
    QTest::keyClicks(rubrik->lineEdit(), u"IT"_s);
    EXPECT_EQ(rubrik->currentText(), u"IT"_s);
    EXPECT_EQ(buildVia(*dlg).title, u"Liste Kurse mit Rubrik = IT"_s);
    EXPECT_EQ(kurse(), QStringList({u"K1"_s, u"K3"_s}));

    // Typing a trainer selects that list; the title is trimmed, the filter is not, case is ignored.
    QTest::keyClicks(referent, u" o'b"_s);
    EXPECT_TRUE(opt(2)->isChecked());
    prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation);
    EXPECT_EQ(buildVia(*dlg).title, u"Liste Kurse mit Referent = o'b"_s);
    referent->clear();
    QTest::keyClicks(referent, u"O'B"_s);
    EXPECT_EQ(buildVia(*dlg).title, u"Liste Kurse mit Referent = O'B"_s);
    EXPECT_EQ(kurse(), QStringList({u"K2"_s}));
    referent->setText(u"LÜDEN"_s);
    buildVia(*dlg);
    EXPECT_EQ(kurse(), QStringList({u"K3"_s}));

    // An empty trainer text: every course with a trainer, under the complete list's title.
    referent->clear();
    EXPECT_TRUE(opt(2)->isChecked());
    EXPECT_EQ(buildVia(*dlg).title, u"Komplettliste Kurse"_s);
    EXPECT_EQ(kurse(), QStringList({u"K2"_s, u"K3"_s}));

    // The options can still be changed by hand.
    QTest::mouseClick(opt(0), Qt::LeftButton, {}, QPoint(8, opt(0)->height() / 2));
    EXPECT_TRUE(opt(0)->isChecked());
    buildVia(*dlg);
    EXPECT_EQ(kurse().size(), 3);

    // "&Liste Rubrik" with an empty text: nothing to report.
    rubrik->setEditText(u"x"_s);
    rubrik->setEditText(QString());
    EXPECT_TRUE(opt(1)->isChecked());
    prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation);
    EXPECT_TRUE(buildVia(*dlg).body.isEmpty());
}

QByteArray exportCsvVia(ScriptedPrompter &prompter, QDialog &dlg, const QString &file, QString *proposed = nullptr)
{
    prompter.expectModal([=](QDialog &d) {
        auto &fd = dynamic_cast<QFileDialog &>(d);
        if (proposed)
            *proposed = QFileInfo(fd.selectedFiles().value(0)).fileName();
        fd.selectNameFilter(u"CSV (Semikolon-getrennt) (*.csv)"_s);
        fd.findChild<QLineEdit *>("fileNameEdit")->setText(file); // typed as a person would
        static_cast<QDialog &>(fd).done(QDialog::Accepted);
    });
    QTest::mouseClick(dlg.findChild<QPushButton *>("cmdExport"), Qt::LeftButton);
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    return f.readAll();
}

TEST_P(KursBerichtTest, ExportOfTheChosenListsAndTheButtonInEveryDialog)
{
    auto *rubrik = dlg->findChild<QComboBox *>("cmbRubrik");
    rubrik->setCurrentIndex(3);
    emit rubrik->activated(3);
    QString proposed;
    EXPECT_EQ(exportCsvVia(prompter, *dlg, tempPath() + u"/kurse.csv"_s, &proposed),
              QByteArray("\xEF\xBB\xBFKurs-Nr.;Rubrik;Beschreibung;Art;Referent;Kosten;Dauer\r\n"
                         "K1;IT;Excel;I;;0,00;4,5\r\n"
                         "K3;IT;")
                  + QByteArray(80, 'x')
                  + ";A;M\xC3\xBCller-L\xC3\xBC"
                    "denscheidt, B\xC3\xA4rbel;9999,99;999,9\r\n");
    EXPECT_EQ(proposed, u"Liste Kurse mit Rubrik = IT %1.xlsx"_s.arg(QDate::currentDate().toString(u"yyyy-MM-dd"_s)));

    addMitarbeiter(u"O'Hara, Ümit"_s, QString(), u"Lager; Hof"_s, u"O"_s, u"Logistik"_s);
    reports::FrmMitarbeiterBericht ma;
    EXPECT_EQ(exportCsvVia(prompter, ma, tempPath() + u"/ma.csv"_s),
              QByteArray("\xEF\xBB\xBFName;Kostenstelle;Abteilung;Kategorie;Bereich\r\n"
                         "O'Hara, \xC3\x9Cmit;;\"Lager; Hof\";O;Logistik\r\n"));
}

ORV_DB_TEST_SUITE(KursBerichtTest);

} // namespace
