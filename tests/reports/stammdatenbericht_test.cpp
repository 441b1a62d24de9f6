#include "reports/frmkursbericht.h"
#include "reports/frmmitarbeiterbericht.h"
#include "reports/frmtrainingsplanbericht.h"
#include "support/testenv.h"
#include "xlsxreader.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
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
    addMitarbeiter(QStringLiteral("Zorn, Eva"), QStringLiteral("4711"), QStringLiteral("Einkauf"), QStringLiteral("I/C"),
                   QStringLiteral("Einkauf"));
    addMitarbeiter(QStringLiteral("Bauer, Jan"), QString(), QString(), QStringLiteral("O"), QStringLiteral("Logistik"));
    addMitarbeiter(QStringLiteral("Ärger, Udo"), QStringLiteral("12"), QStringLiteral("Fertigung"), QStringLiteral("Ets"),
                   QStringLiteral("DUV Motoren"));
    reports::FrmMitarbeiterBericht dlg;
    EXPECT_EQ(dlg.objectName(), QStringLiteral("frmMitarbeiterBericht"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Bericht"));
    EXPECT_TRUE(dlg.findChild<QRadioButton *>("optBericht(0)")->isChecked());
    EXPECT_EQ(dlg.findChild<QRadioButton *>("optBericht(0)")->text(), QStringLiteral("&Komplettliste Mitarbeiter"));

    const reports::ReportModel &m = buildVia(dlg);
    EXPECT_EQ(m.title, QStringLiteral("Komplettliste Mitarbeiter"));
    EXPECT_EQ(m.orientation, reports::Orientation::Portrait);
    EXPECT_EQ(m.header, place(76, {{0, QStringLiteral("Name")}, {32, QStringLiteral("Kostenstelle")},
                                   {46, QStringLiteral("Abteilung")}, {58, QStringLiteral("Kategorie")},
                                   {69, QStringLiteral("Bereich")}}));
    const QStringList want = {
        place(99, {{0, QStringLiteral("Ärger, Udo")}, {32, QStringLiteral("12")}, {46, QStringLiteral("Fertigung")},
                   {58, QStringLiteral("Ets")}, {69, QStringLiteral("DUV Motoren")}}),
        // Missing cost centre and department keep their places.
        place(99, {{0, QStringLiteral("Bauer, Jan")}, {58, QStringLiteral("O")}, {69, QStringLiteral("Logistik")}}),
        place(99, {{0, QStringLiteral("Zorn, Eva")}, {32, QStringLiteral("4711")}, {46, QStringLiteral("Einkauf")},
                   {58, QStringLiteral("I/C")}, {69, QStringLiteral("Einkauf")}}),
        QString(), // the body ends with CR LF
    };
    EXPECT_EQ(m.body.split(QStringLiteral("\r\n")), want);
}

TEST_P(MitarbeiterBerichtTest, EmptyTableHasNothingToReport)
{
    reports::FrmMitarbeiterBericht dlg;
    prompter.expectMessage(QStringLiteral("Keine Vorgaben vorhanden!"), QStringLiteral("Error"), ui::Icon::Exclamation);
    EXPECT_TRUE(buildVia(dlg).body.isEmpty());
}

ORV_DB_TEST_SUITE(MitarbeiterBerichtTest);

class KursBerichtTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        addKurs(QStringLiteral("K2"), QStringLiteral("Sprachen"), QStringLiteral("Englisch"), QStringLiteral("E"),
                QStringLiteral("O'Brien, Mary"), 1250.5, 16);
        addKurs(QStringLiteral("K1"), QStringLiteral("IT"), QStringLiteral("Excel"), QStringLiteral("I"), QString(), 0, 4.5);
        addKurs(QStringLiteral("K3"), QStringLiteral("IT"), QString(80, QLatin1Char('x')), QStringLiteral("A"),
                QStringLiteral("Müller-Lüdenscheidt, Bärbel"), 9999.99, 999.9);
        dlg = std::make_unique<reports::FrmKursBericht>();
        dlg->show();
    }
    void TearDown() override
    {
        dlg.reset();
        DbTest::TearDown();
    }
    QRadioButton *opt(int i) { return dlg->findChild<QRadioButton *>(QStringLiteral("optBericht(%1)").arg(i)); }
    QStringList kurse()
    {
        QStringList out;
        for (const QString &l : dlg->model().body.split(QStringLiteral("\r\n")))
            if (!l.isEmpty())
                out << l.left(6).trimmed();
        return out;
    }
    std::unique_ptr<reports::FrmKursBericht> dlg;
};

TEST_P(KursBerichtTest, CompleteListLayout)
{
    EXPECT_EQ(dlg->objectName(), QStringLiteral("frmKursBericht"));
    EXPECT_TRUE(opt(0)->isChecked());
    EXPECT_EQ(dlg->findChild<QComboBox *>("cmbRubrik")->count(), 10);
    EXPECT_EQ(dlg->findChild<QComboBox *>("cmbRubrik")->currentText(), QString());
    const reports::ReportModel &m = buildVia(*dlg);
    EXPECT_EQ(m.title, QStringLiteral("Komplettliste Kurse"));
    EXPECT_EQ(m.orientation, reports::Orientation::Landscape);
    EXPECT_EQ(m.header, place(184, {{0, QStringLiteral("Kurs-Nr.")}, {9, QStringLiteral("Rubrik")},
                                    {51, QStringLiteral("Beschreibung")}, {133, QStringLiteral("Art")},
                                    {138, QStringLiteral("Referent")}, {171, QStringLiteral("Kosten")},
                                    {179, QStringLiteral("Dauer")}}));
    const QStringList want = {
        place(184, {{0, QStringLiteral("K1")}, {9, QStringLiteral("IT")}, {51, QStringLiteral("Excel")},
                    {133, QStringLiteral("I")}, {173, QStringLiteral("0,00")}, {181, QStringLiteral("4,5")}}),
        place(184, {{0, QStringLiteral("K2")}, {9, QStringLiteral("Sprachen")}, {51, QStringLiteral("Englisch")},
                    {133, QStringLiteral("E")}, {138, QStringLiteral("O'Brien, Mary")}, {170, QStringLiteral("1250,50")},
                    {180, QStringLiteral("16,0")}}),
        place(184, {{0, QStringLiteral("K3")}, {9, QStringLiteral("IT")}, {51, QString(80, QLatin1Char('x'))},
                    {133, QStringLiteral("A")}, {138, QStringLiteral("Müller-Lüdenscheidt, Bärbel")},
                    {170, QStringLiteral("9999,99")}, {179, QStringLiteral("999,9")}}),
        QString(),
    };
    EXPECT_EQ(m.body.split(QStringLiteral("\r\n")), want);
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
    EXPECT_EQ(buildVia(*dlg).title, QStringLiteral("Liste Kurse mit Rubrik = ") + QStringLiteral("IT").leftJustified(40));
    EXPECT_EQ(kurse(), QStringList({QStringLiteral("K1"), QStringLiteral("K3")}));

    // A typed Rubrik stays exactly as typed, also where it begins a list value.
    rubrik->clearEditText();
    QTest::keyClicks(rubrik->lineEdit(), QStringLiteral("IT"));
    EXPECT_EQ(rubrik->currentText(), QStringLiteral("IT"));
    EXPECT_EQ(buildVia(*dlg).title, QStringLiteral("Liste Kurse mit Rubrik = IT"));
    EXPECT_EQ(kurse(), QStringList({QStringLiteral("K1"), QStringLiteral("K3")}));

    // Typing a trainer selects that list; the title is trimmed, the filter is not, case is ignored.
    QTest::keyClicks(referent, QStringLiteral(" o'b"));
    EXPECT_TRUE(opt(2)->isChecked());
    prompter.expectMessage(QStringLiteral("Keine Vorgaben vorhanden!"), QStringLiteral("Error"), ui::Icon::Exclamation);
    EXPECT_EQ(buildVia(*dlg).title, QStringLiteral("Liste Kurse mit Referent = o'b"));
    referent->clear();
    QTest::keyClicks(referent, QStringLiteral("O'B"));
    EXPECT_EQ(buildVia(*dlg).title, QStringLiteral("Liste Kurse mit Referent = O'B"));
    EXPECT_EQ(kurse(), QStringList({QStringLiteral("K2")}));
    referent->setText(QStringLiteral("LÜDEN"));
    buildVia(*dlg);
    EXPECT_EQ(kurse(), QStringList({QStringLiteral("K3")}));

    // An empty trainer text: every course with a trainer, under the complete list's title.
    referent->clear();
    EXPECT_TRUE(opt(2)->isChecked());
    EXPECT_EQ(buildVia(*dlg).title, QStringLiteral("Komplettliste Kurse"));
    EXPECT_EQ(kurse(), QStringList({QStringLiteral("K2"), QStringLiteral("K3")}));

    // The options can still be changed by hand.
    QTest::mouseClick(opt(0), Qt::LeftButton, {}, QPoint(8, opt(0)->height() / 2));
    EXPECT_TRUE(opt(0)->isChecked());
    buildVia(*dlg);
    EXPECT_EQ(kurse().size(), 3);

    // "&Liste Rubrik" with an empty text: nothing to report.
    rubrik->setEditText(QStringLiteral("x"));
    rubrik->setEditText(QString());
    EXPECT_TRUE(opt(1)->isChecked());
    prompter.expectMessage(QStringLiteral("Keine Vorgaben vorhanden!"), QStringLiteral("Error"), ui::Icon::Exclamation);
    EXPECT_TRUE(buildVia(*dlg).body.isEmpty());
}

QByteArray exportCsvVia(ScriptedPrompter &prompter, QDialog &dlg, const QString &file, QString *proposed = nullptr)
{
    prompter.expectModal([=](QDialog &d) {
        auto &fd = dynamic_cast<QFileDialog &>(d);
        if (proposed)
            *proposed = QFileInfo(fd.selectedFiles().value(0)).fileName();
        fd.selectNameFilter(QStringLiteral("CSV (Semikolon-getrennt) (*.csv)"));
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
    EXPECT_EQ(exportCsvVia(prompter, *dlg, tempPath() + QStringLiteral("/kurse.csv"), &proposed),
              QByteArray("\xEF\xBB\xBFKurs-Nr.;Rubrik;Beschreibung;Art;Referent;Kosten;Dauer\r\n"
                         "K1;IT;Excel;I;;0,00;4,5\r\n"
                         "K3;IT;")
                  + QByteArray(80, 'x') + ";A;M\xC3\xBCller-L\xC3\xBC" "denscheidt, B\xC3\xA4rbel;9999,99;999,9\r\n");
    EXPECT_EQ(proposed, QStringLiteral("Liste Kurse mit Rubrik = IT %1.xlsx")
                            .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));

    addMitarbeiter(QStringLiteral("O'Hara, Ümit"), QString(), QStringLiteral("Lager; Hof"), QStringLiteral("O"),
                   QStringLiteral("Logistik"));
    reports::FrmMitarbeiterBericht ma;
    EXPECT_EQ(exportCsvVia(prompter, ma, tempPath() + QStringLiteral("/ma.csv")),
              QByteArray("\xEF\xBB\xBFName;Kostenstelle;Abteilung;Kategorie;Bereich\r\n"
                         "O'Hara, \xC3\x9Cmit;;\"Lager; Hof\";O;Logistik\r\n"));

    // "E&xport…" beside the other outputs, its letter used by nothing else in the dialog.
    reports::FrmTrainingsplanBericht tp;
    for (QDialog *d : std::initializer_list<QDialog *>{dlg.get(), &ma, &tp}) {
        auto *b = d->findChild<QPushButton *>("cmdExport");
        ASSERT_NE(b, nullptr) << d->objectName().toStdString();
        EXPECT_EQ(b->text(), QStringLiteral("E&xport…"));
        QStringList captions;
        for (auto *w : d->findChildren<QAbstractButton *>())
            captions << w->text();
        for (auto *w : d->findChildren<QLabel *>())
            captions << w->text();
        for (auto *w : d->findChildren<QGroupBox *>())
            captions << w->title();
        EXPECT_EQ(captions.join(QLatin1Char('|')).count(QLatin1String("&x"), Qt::CaseInsensitive), 1)
            << d->objectName().toStdString();
    }
}

ORV_DB_TEST_SUITE(KursBerichtTest);

} // namespace
