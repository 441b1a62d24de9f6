// "Qualifikationsmatrix" as a user gets it: the dialog's choices, the
// shown and copied text, the workbook and the CSV file, the print cut into
// page-wide slices of columns, and the menus that open it.
#include "app/frmmain.h"
#include "app/windowfactory.h"
#include "data/format.h"
#include "records/recordform.h"
#include "records/recordwindows.h"
#include "reportdata/matrixlist.h"
#include "reports/frmmatrixbericht.h"
#include "reports/reportprint.h"
#include "support/matrixrows.h"
#include "support/recordingprinter.h"
#include "xlsxreader.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <map>

using namespace orv;
using namespace orv::test;

namespace {

const QString crlf = u"\r\n"_s;
const QString umwelt = u"Umwelt-/Arbeits-/Gesundheitsschutz"_s;

// The texts at their character positions in one line, trailing blanks dropped.
QString at(const std::vector<int> &stops, const QStringList &texts)
{
    QString s;
    for (qsizetype i = 0; i < texts.size(); ++i)
        s = s.leftJustified(stops[size_t(i)]) + texts[i];
    while (s.endsWith(u' '))
        s.chop(1);
    return s;
}

class MatrixBerichtTest : public MatrixRowsTest {
protected:
    void setUpOnDatabase() override
    {
        MatrixRowsTest::setUpOnDatabase();
        dlg = std::make_unique<reports::FrmMatrixBericht>();
        dlg->show();
        typeInto(u"txtStichtag"_s, data::formatDate(kToday));
    }
    void TearDown() override
    {
        dlg.reset();
        DbTest::TearDown();
    }
    void typeInto(const QString &name, const QString &text)
    {
        auto *t = child<QLineEdit>(*dlg, name);
        t->selectAll();
        QTest::keyClick(t, Qt::Key_Delete);
        typeText(t, text);
    }
    void choose(const QString &combo, const QString &text)
    {
        auto *c = child<QComboBox>(*dlg, combo);
        c->setCurrentIndex(c->findText(text));
    }
    // The export through the file dialog to `file`, with the count of rows said after it.
    void exportTo(const QString &file, const QString &type)
    {
        prompter.expectModal([=](QDialog &d) {
            auto &fd = dynamic_cast<QFileDialog &>(d);
            fd.selectNameFilter(type);
            fd.findChild<QLineEdit *>("fileNameEdit")->setText(file);
            static_cast<QDialog &>(fd).done(QDialog::Accepted);
        });
        prompter.expectMessage(u"3 Zeilen exportiert nach\r\n"_s + file, u"Export"_s, ui::Icon::Information);
        clickButton(*dlg, u"cmdExport"_s);
    }
    std::unique_ptr<reports::FrmMatrixBericht> dlg;
};

// The matrix of one Bereich for the courses of one Rubrik: the text the
// display window shows and the print prints, the table the clipboard takes,
// the workbook with its colours and the CSV file of the same cells.
TEST_P(MatrixBerichtTest, OneBereichForTheCoursesOfOneRubrikInEveryOutput)
{
    choose(u"cmbBereich"_s, u"Einkauf"_s);
    choose(u"cmbRubrik"_s, umwelt);
    clickButton(*dlg, u"cmdAblage"_s);
    const reportdata::ReportModel &m = dlg->model();
    EXPECT_EQ(m.title, u"Qualifikationsmatrix"_s);
    EXPECT_EQ(m.orientation, reportdata::Orientation::Landscape);
    const std::vector<int> stops{0, 21, 24, 29};
    EXPECT_EQ(m.header.split(crlf),
              (QStringList{u"Bereich:      Einkauf"_s, u"Spalten:      Kurse der Rubrik "_s + umwelt,
                           u"Zeitraum:     alle"_s, u"Stichtag:     15.06.2027"_s, u"Sortierung:   Name"_s, QString(),
                           at(stops, {u"Name"_s, u"KV"_s, u"UW26"_s, u"UW27"_s})}));
    EXPECT_EQ(
        m.body.split(crlf),
        (QStringList{at(stops, {u"Ablauf, Anna"_s, u"E-"_s, u"E+"_s, u"G"_s}),
                     at(stops, {u"Heute, Hans"_s, u"E!"_s, u"K"_s}), at(stops, {u"Knapp, Karl"_s, u"E!"_s}), QString(),
                     at(stops, {u"Erledigt und gültig"_s, u"2"_s, u"1"_s, u"0"_s}),
                     at(stops, {u"Mitarbeiter"_s, u"3"_s, u"3"_s, u"3"_s}), QString(), u"Kurs-Nr.  Beschreibung"_s,
                     u"KV        Staplerschein, Gültigkeit 12 Monate"_s,
                     u"UW26      Unterweisung 2026, Gültigkeit 12 Monate"_s,
                     u"UW27      Unterweisung 2027, Gültigkeit 12 Monate"_s, QString(),
                     u"Legende:      B = Bedarf   G = Geplant   E = Erledigt   K = Keine Teilnahme"_s,
                     u"              (einer Reihe: der Status ihres letzten Eintrags nach Datum von)"_s,
                     u"              Mit Gültigkeit, nach der letzten erledigten Schulung am Stichtag 15.06.2027:"_s,
                     u"              + = gültig   ! = fällig (endet in weniger als 30 Tagen)   - = abgelaufen"_s,
                     u"              Erledigt und gültig: erledigt ohne Gültigkeit, gültig oder fällig"_s, QString()}));
    ASSERT_TRUE(m.slices.has_value());
    EXPECT_EQ(m.slices->columnStarts, (std::vector<int>{21, 24, 29}));
    EXPECT_EQ(m.slices->rowNames, 21);
    EXPECT_EQ(m.slices->headerFrom, 6);
    EXPECT_EQ(m.slices->rows, 6);
    EXPECT_EQ(m.slices->keyFrom, 8);

    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"Name\tBereich\tAbteilung\tKV\tUW26\tUW27\r\n"
                                                    "Ablauf, Anna\tEinkauf\tEK\tE-\tE+\tG\r\n"
                                                    "Heute, Hans\tEinkauf\tEK\tE!\tK\t\r\n"
                                                    "Knapp, Karl\tEinkauf\tAB\tE!\t\t\r\n"
                                                    "\r\n"
                                                    "Erledigt und gültig\t\t\t2\t1\t0\r\n"
                                                    "Mitarbeiter\t\t\t3\t3\t3\r\n"_s);

    const QString xlsx = tempPath() + u"/matrix.xlsx"_s;
    exportTo(xlsx, u"Excel-Arbeitsmappe (*.xlsx)"_s);
    const XlsxReader book(xlsx);
    // Title, date line, five selection lines, an empty row, the headings in row 9.
    EXPECT_EQ(book.text(u"A1"_s), u"Qualifikationsmatrix"_s);
    EXPECT_EQ(book.text(u"A3"_s), u"Bereich:      Einkauf"_s);
    EXPECT_EQ(book.text(u"A9"_s), u"Name"_s);
    EXPECT_EQ(book.at(u"D9"_s).value, u"KV Staplerschein"_s);
    EXPECT_EQ(book.at(u"D9"_s).rotation, 90);
    EXPECT_EQ(book.at(u"A9"_s).rotation, 0);
    const std::map<QString, std::pair<QString, QString>> cells = {
        {u"D10"_s, {u"E-"_s, u"FFC7CE"_s}},       {u"E10"_s, {u"E+"_s, u"C6EFCE"_s}},
        {u"F10"_s, {u"G"_s, u"BDD7EE"_s}},        {u"D11"_s, {u"E!"_s, u"FFEB9C"_s}},
        {u"E11"_s, {u"K"_s, u"D9D9D9"_s}},        {u"F11"_s, {QString(), QString()}},
        {u"A12"_s, {u"Knapp, Karl"_s, QString()}}};
    for (const auto &[ref, cell] : cells) {
        SCOPED_TRACE(ref.toStdString());
        EXPECT_EQ(book.at(ref).value, cell.first);
        EXPECT_EQ(book.at(ref).fill, cell.second);
    }
    // The counts below an empty row, outside the filter; headings and names stay in view.
    EXPECT_EQ(book.text(u"A13"_s), QString());
    EXPECT_EQ(book.text(u"A14"_s), u"Erledigt und gültig"_s);
    EXPECT_EQ(book.text(u"D14"_s), u"2"_s);
    EXPECT_EQ(book.text(u"F15"_s), u"3"_s);
    EXPECT_TRUE(book.sheetXml.contains(R"(<autoFilter ref="A9:F12")")) << book.sheetXml.toStdString();
    EXPECT_TRUE(book.sheetXml.contains(R"(xSplit="1" ySplit="9" topLeftCell="B10")"));
    EXPECT_TRUE(book.workbookXml.contains(R"(name="Legende")"));
    const XlsxReader legend(xlsx, "xl/worksheets/sheet2.xml");
    EXPECT_EQ(legend.text(u"A2"_s), u"B"_s);
    EXPECT_EQ(legend.text(u"B2"_s), u"Bedarf"_s);
    EXPECT_EQ(legend.at(u"A13"_s).fill, u"FFEB9C"_s);
    EXPECT_EQ(legend.text(u"B13"_s), u"fällig"_s);
    EXPECT_EQ(legend.text(u"A20"_s), u"KV"_s);
    EXPECT_EQ(legend.text(u"B20"_s), u"Staplerschein"_s);
    EXPECT_EQ(legend.text(u"C20"_s), u"12"_s);

    const QString csv = tempPath() + u"/matrix.csv"_s;
    exportTo(csv, u"CSV (Semikolon-getrennt) (*.csv)"_s);
    EXPECT_EQ(readFile(csv), QByteArray("\xEF\xBB\xBFName;Bereich;Abteilung;KV Staplerschein;UW26 Unterweisung 2026;"
                                        "UW27 Unterweisung 2027\r\n"
                                        "Ablauf, Anna;Einkauf;EK;E-;E+;G\r\n"
                                        "Heute, Hans;Einkauf;EK;E!;K;\r\n"
                                        "Knapp, Karl;Einkauf;AB;E!;;\r\n"
                                        "\r\n"
                                        "Erledigt und g\xC3\xBCltig;;;2;1;0\r\n"
                                        "Mitarbeiter;;;3;3;3\r\n"));
}

// Grouped by Bereich and Abteilung, one column a series: a heading line
// opens each group, the key names each series' latest cycle.
TEST_P(MatrixBerichtTest, GroupedWithTheSeriesAsColumns)
{
    choose(u"cmbSortierung"_s, u"Bereich und Abteilung"_s);
    child<QRadioButton>(*dlg, u"optSpalten(1)"_s)->click();
    clickBox(child<QCheckBox>(*dlg, u"chkOhneEintrag"_s));
    clickButton(*dlg, u"cmdAblage"_s);
    const QStringList body = dlg->model().body.split(crlf);
    const std::vector<int> stops{0, 21};
    EXPECT_EQ(
        body.mid(0, 10),
        (QStringList{u"Einkauf / EK:"_s, at(stops, {u"Ablauf, Anna"_s, u"G+"_s}), at(stops, {u"Heute, Hans"_s, u"K"_s}),
                     QString(), at(stops, {u"Erledigt und gültig"_s, u"1"_s}), at(stops, {u"Mitarbeiter"_s, u"2"_s}),
                     QString(), u"Reihe     Beschreibung"_s,
                     u"UW        Unterweisung 2027 (zuletzt UW27), Gültigkeit 12 Monate"_s, QString()}));
    EXPECT_TRUE(dlg->model().header.contains(u"Spalten:      Reihen\r\n"_s));
    EXPECT_TRUE(dlg->model().header.contains(u"Nur Mitarbeiter mit einem Eintrag in den Spalten"_s));
}

// Nothing to show, and entries it cannot take: the user is told, nothing is output.
TEST_P(MatrixBerichtTest, AnEmptyMatrixAndFaultyEntriesAreRefused)
{
    choose(u"cmbBereich"_s, u"Controlling"_s);
    prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation);
    clickButton(*dlg, u"cmdAblage"_s);
    // The export says so before a file is asked for.
    prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation);
    clickButton(*dlg, u"cmdExport"_s);
    choose(u"cmbBereich"_s, QString());

    const struct {
        const char *field;
        QString typed;
        QString message;
    } faults[] = {
        {"txtVon", u"31.02.2027"_s, u"Das Startdatum ist ungültig!"_s},
        {"txtBis", u"1.13.2027"_s, u"Das Endedatum ist ungültig!"_s},
        {"txtStichtag", QString(), u"Der Stichtag ist ungültig!"_s},
        {"txtTage", u"3x"_s, u"Die Tage bis zur Fälligkeit müssen eine Zahl von 0 bis 9999 sein!"_s},
    };
    for (const auto &f : faults) {
        SCOPED_TRACE(f.field);
        const QString name = QString::fromLatin1(f.field);
        const QString kept = child<QLineEdit>(*dlg, name)->text();
        typeInto(name, f.typed);
        prompter.expectMessage(f.message, u"Datenprüfung"_s, ui::Icon::Exclamation);
        clickButton(*dlg, u"cmdAnzeige"_s);
        EXPECT_EQ(dlg->focusWidget(), child<QLineEdit>(*dlg, name));
        typeInto(name, kept);
    }
    typeInto(u"txtVon"_s, u"01.07.2027"_s);
    typeInto(u"txtBis"_s, u"30.06.2027"_s);
    prompter.expectMessage(u"Das Startdatum darf nicht größer als das Endedatum sein!"_s, u"Datenprüfung"_s,
                           ui::Icon::Exclamation);
    clickButton(*dlg, u"cmdAblage"_s);
}

ORV_DB_TEST_SUITE(MatrixBerichtTest);

// "Qualifikationsmatrix…" in the main window's Extras menu and in a record
// window's Ausgabe menu opens the dialog.
class MatrixMenuTest : public MatrixRowsTest {
protected:
    static constexpr ui::WindowId recordWindows[] = {ui::WindowId::Kurs, ui::WindowId::Mitarbeiter,
                                                     ui::WindowId::Trainingsplan};
    void setUpOnDatabase() override
    {
        MatrixRowsTest::setUpOnDatabase();
        for (ui::WindowId w : recordWindows)
            app::windowfactory::add(
                w, {ui::WindowKind::Child, [w]() -> QWidget * { return records::openRecordWindow(w); }});
    }
    void TearDown() override
    {
        for (ui::WindowId w : recordWindows)
            app::windowfactory::remove(w);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        MatrixRowsTest::TearDown();
    }
};

TEST_P(MatrixMenuTest, OpensFromExtrasAndFromEveryAusgabeMenu)
{
    app::FrmMain main;
    main.show();
    ASSERT_TRUE(activate(&main));
    const auto item = [&main](const char *menu) -> QAction * {
        for (QAction *m : main.menuBar()->actions())
            if (m->menu() && m->menu()->objectName() == QLatin1String(menu))
                return m->menu()->findChild<QAction *>(u"mnuMatrix"_s);
        return nullptr;
    };
    const auto opens = [this](QAction *a) {
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text().remove(u'&').trimmed(), u"Qualifikationsmatrix…"_s);
        prompter.expectModal([](QDialog &d) {
            EXPECT_EQ(d.objectName(), u"frmMatrixBericht"_s);
            EXPECT_EQ(d.windowTitle(), u"Qualifikationsmatrix"_s);
            d.reject();
        });
        a->trigger();
        EXPECT_FALSE(prompter.pending());
    };
    opens(item("mnuExtras"));
    for (ui::WindowId w : recordWindows) {
        main.openWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
        opens(item("mnuAusgabe"));
    }
}

ORV_SQLITE_TEST_SUITE(MatrixMenuTest);

// 300 employees in three groups by 40 courses on landscape A4: cut into
// page-wide slices of whole columns, at the readable body size, every column
// in exactly one slice, every name and group heading (whole) on every slice,
// each slice's key below it.
TEST_F(OrvTest, MatrixPrintIsCutIntoPageWideSlicesOfWholeColumns)
{
    data::matrix::Matrix m;
    for (int c = 0; c < 40; ++c)
        m.columns.push_back(
            {u"KS%1"_s.arg(c, 4, 10, QLatin1Char('0')), {}, u"Schulung Nummer %1"_s.arg(c), std::nullopt});
    for (int r = 0; r < 300; ++r)
        m.rows.push_back({u"Musterfrau-Lüdenscheid %1, Jo"_s.arg(r, 3, 10, QLatin1Char('0')),
                          u"Qualitätssicherung Werk %1"_s.arg(r / 100),
                          {},
                          {},
                          {}});
    m.cells.resize(m.rows.size() * m.columns.size());
    for (size_t i = 0; i < m.cells.size(); ++i)
        m.cells[i] = std::uint8_t(i % 5); // each status in turn
    m.qualified.assign(m.columns.size(), 60);
    data::matrix::Selection sel;
    sel.today = QDate(2027, 6, 15);
    sel.grouped = true;
    const reportdata::ReportModel model = reportdata::matrixReport(m, sel);

    auto log = std::make_shared<RecordingPrinter::Log>();
    RecordingPrinter printer(log);
    printer.setOrientation(reportdata::Orientation::Landscape);
    ASSERT_EQ(reports::printReport(model, printer, nullptr, reports::PrintSetup::AsSet),
              reports::PrintOutcome::Printed);

    const double right = RecordingPrinter::a4Long - 200;
    std::map<QString, int> timesPrinted; // the keys in the headings, the names and the key lines
    std::vector<int> sliceColumns;
    QString heading;
    int lastPage = 0;
    for (const RecordingPrinter::Item &i : log->items) {
        if (i.op != RecordingPrinter::Op::Text || i.font != u"Courier New"_s)
            continue;
        EXPECT_EQ(i.size, 10) << i.text.toStdString();
        EXPECT_LE(i.x + RecordingPrinter::charWidth(i.size) * double(i.text.size()), right) << i.text.toStdString();
        if (i.text.startsWith(u"Name "_s)) {
            // The headings of a new slice start its first page; its following pages repeat them.
            if (i.text != heading) {
                heading = i.text;
                const QStringList keys = heading.split(u' ', Qt::SkipEmptyParts).mid(1);
                sliceColumns.push_back(int(keys.size()));
                for (const QString &key : keys)
                    ++timesPrinted[key];
            }
            EXPECT_NE(i.page, lastPage) << "one heading a page";
            lastPage = i.page;
        } else if (i.text.startsWith(u"Musterfrau"_s)) {
            ++timesPrinted[i.text.left(30)];
        } else if (i.text.startsWith(u"Qualität"_s)) {
            ++timesPrinted[i.text];
        } else if (i.text.startsWith(u"KS"_s)) {
            ++timesPrinted[u"key "_s + i.text.left(6)];
            // Below the slice of its column.
            EXPECT_TRUE(heading.contains(i.text.left(6))) << i.text.toStdString();
        }
    }
    // 134 characters at 10 points: 32 of the names and their blanks, 14 columns of 7.
    EXPECT_EQ(sliceColumns, (std::vector<int>{14, 14, 12}));
    for (int c = 0; c < 40; ++c) {
        const QString key = u"KS%1"_s.arg(c, 4, 10, QLatin1Char('0'));
        EXPECT_EQ(timesPrinted[key], 1) << key.toStdString();
        EXPECT_EQ(timesPrinted[u"key "_s + key], 1) << key.toStdString();
    }
    for (int r = 0; r < 300; ++r)
        EXPECT_EQ(timesPrinted[u"Musterfrau-Lüdenscheid %1, Jo"_s.arg(r, 3, 10, QLatin1Char('0'))], 3) << r;
    for (int g = 0; g < 3; ++g) {
        const QString heading = u"Qualitätssicherung Werk %1 / (ohne Abteilung):"_s.arg(g);
        EXPECT_EQ(timesPrinted[heading], 3) << g;
    }
    // The legend once, after the last slice.
    int legends = 0;
    for (const RecordingPrinter::Item &i : log->items)
        if (i.op == RecordingPrinter::Op::Text && i.text.startsWith(u"Legende:"_s)) {
            ++legends;
            EXPECT_EQ(i.page, log->items.back().page);
        }
    EXPECT_EQ(legends, 1);
}

} // namespace
