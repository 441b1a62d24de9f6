#include "data/schema.h"
#include "dialogs/frmimport.h"
#include "import/columnmap.h"
#include "import/csvreader.h"
#include "import/importer.h"
#include "import/xlsxreader.h"
#include "reportdata/reportexport.h"
#include "reportdata/trainingsplanlist.h"
#include "reports/frmkursbericht.h"
#include "reports/frmmitarbeiterbericht.h"
#include "support/testenv.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <minizip/zip.h>
#include <xlsxwriter.h>

using namespace orv;
// "import" opening a line reads as a module import to some formatters.
namespace imp = orv::import;
using imp::Mode;
using imp::Outcome;
using orv::test::child;
using orv::test::clickButton;
using orv::test::DbTest;

namespace {

// The file's path, for the readers.
QString writeFile(const QString &path, const QByteArray &bytes)
{
    EXPECT_TRUE(orv::test::writeFile(path, bytes)) << path.toStdString();
    return path;
}

// A workbook made of the given parts, as a spreadsheet program would zip them.
QString writeXlsx(const QString &path, const QByteArray &sheetXml)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    EXPECT_NE(zip, nullptr);
    const std::pair<const char *, QByteArray> parts[] = {
        {"xl/workbook.xml",
         R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
         R"(<sheets><sheet name="Liste" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         R"(<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/></Relationships>)"},
        {"xl/worksheets/sheet1.xml", "<worksheet><sheetData>" + sheetXml + "</sheetData></worksheet>"},
    };
    for (const auto &[name, data] : parts) {
        EXPECT_EQ(zipOpenNewFileInZip64(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 1), ZIP_OK);
        zipWriteInFileInZip(zip, data.constData(), unsigned(data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return path;
}

QByteArray inlineRow(int r, const QStringList &cells)
{
    QByteArray xml = "<row r=\"" + QByteArray::number(r) + "\">";
    for (const QString &c : cells)
        xml += "<c t=\"inlineStr\"><is><t>" + c.toHtmlEscaped().toUtf8() + "</t></is></c>";
    return xml + "</row>";
}

// "line|column|reason" of every refused row.
QStringList refusals(const imp::ImportResult &r)
{
    QStringList out;
    for (const imp::RowResult &row : r.rows)
        if (row.outcome == Outcome::Refused)
            out << u"%1|%2|%3"_s.arg(row.line).arg(row.column, row.reason);
    return out;
}

QString readerError(const std::function<void()> &read)
{
    try {
        read();
    } catch (const imp::ImportError &e) {
        return e.reason();
    }
    return u"<kein Fehler>"_s;
}

} // namespace

// ---- reading files -------------------------------------------------------------

TEST(CsvReader, ReadsEncodingsSeparatorsAndQuotes)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        QList<QStringList> cells;
        QList<int> lines;
    } cases[] = {
        {"UTF-8 with BOM, quoted separator, doubled quote and line break",
         "\xEF\xBB\xBFNr;Text\r\nK1;\"a;b \"\"c\"\"\nzwei\"\r\nK2;\xC3\xBC\r\n",
         {{u"Nr"_s, u"Text"_s}, {u"K1"_s, u"a;b \"c\"\nzwei"_s}, {u"K2"_s, u"ü"_s}},
         {1, 2, 4}},
        {"Windows-1252 with comma, empty lines skipped but counted",
         "Name,Ort\n\nM\xFCller,\x80\x9F Euro\n\n\nX,\"'=1+2\"",
         {{u"Name"_s, u"Ort"_s}, {u"Müller"_s, u"€Ÿ Euro"_s}, {u"X"_s, u"=1+2"_s}},
         {1, 3, 6}},
        {"tab beats a comma inside a heading",
         "Nachname, Vorname\tKat\rA, B\tO  \r",
         {{u"Nachname, Vorname"_s, u"Kat"_s}, {u"A, B"_s, u"O  "_s}},
         {1, 2}},
    };
    for (const Case &c : cases) {
        const imp::Sheet s = imp::readCsv(c.bytes);
        QList<QStringList> cells;
        QList<int> lines;
        for (const imp::SheetRow &r : s.rows) {
            cells << r.cells;
            lines << r.line;
        }
        EXPECT_EQ(cells, c.cells) << c.name;
        EXPECT_EQ(lines, c.lines) << c.name;
    }
}

TEST(FileValues, NumbersAndDatesAsFilesHoldThem)
{
    const std::pair<const char *, std::optional<double>> numbers[] = {
        {"12,5", 12.5}, {"12.5", 12.5},     {"1.234,50", 1234.5},  {"1,234.50", 1234.5},   {"1.234.567", 1234567},
        {"-3", -3},     {"", std::nullopt}, {"abc", std::nullopt}, {"1e400", std::nullopt}};
    for (const auto &[text, want] : numbers)
        EXPECT_EQ(imp::fileNumber(QString::fromUtf8(text)), want) << text;
    const std::pair<const char *, QDate> dates[] = {{"06.12.2026", QDate(2026, 12, 6)},
                                                    {"6.2.27", QDate(2027, 2, 6)},
                                                    {"1.1.30", QDate(1930, 1, 1)},
                                                    {"2026-12-06", QDate(2026, 12, 6)},
                                                    {"2026-12-06T00:00:00", QDate(2026, 12, 6)},
                                                    {"31.02.2026", QDate()},
                                                    {"2026-13-01", QDate()},
                                                    {"morgen", QDate()}};
    for (const auto &[text, want] : dates)
        EXPECT_EQ(imp::fileDate(QString::fromUtf8(text)).value_or(QDate()), want) << text;
}

// A workbook as spreadsheet programs write it: shared strings, numbers, dates
// by their cell format, yes/no cells, gaps between cells; any sheet by name.
TEST(XlsxReader, ReadsCellsAsTheSheetStoresThem)
{
    QTemporaryDir dir;
    const QString file = dir.path() + u"/mappe.xlsx"_s;
    lxw_workbook *book = workbook_new(file.toUtf8().constData());
    lxw_format *date = workbook_add_format(book);
    format_set_num_format(date, "d/m/yy");
    lxw_format *amount = workbook_add_format(book);
    format_set_num_format(amount, "#,##0.00 [$€-407]");
    workbook_add_worksheet(book, "Leer");
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Kurse 2027");
    worksheet_write_string(sheet, 0, 0, "Kurs-Nr.", nullptr);
    worksheet_write_string(sheet, 0, 3, "Datum", nullptr);
    worksheet_write_string(sheet, 2, 0, "Ü;\"x\"", nullptr);
    worksheet_write_number(sheet, 2, 1, 19.99f, amount);
    worksheet_write_boolean(sheet, 2, 2, 1, nullptr);
    lxw_datetime day = {2027, 2, 28, 0, 0, 0};
    worksheet_write_datetime(sheet, 2, 3, &day, date);
    worksheet_write_number(sheet, 3, 3, 46446.0, nullptr); // a number, not a date
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);

    EXPECT_EQ(imp::xlsxSheetNames(file), (QStringList{u"Leer"_s, u"Kurse 2027"_s}));
    EXPECT_TRUE(imp::readXlsxFile(file).rows.empty());
    const imp::Sheet s = imp::readXlsxFile(file, u"Kurse 2027"_s);
    ASSERT_EQ(s.rows.size(), 3u);
    EXPECT_EQ(s.rows[0].line, 1);
    EXPECT_EQ(s.rows[0].cells, (QStringList{u"Kurs-Nr."_s, QString(), QString(), u"Datum"_s}));
    EXPECT_EQ(s.rows[1].line, 3);
    EXPECT_EQ(s.rows[1].cells, (QStringList{u"Ü;\"x\""_s, u"19.98999977111816"_s, u"1"_s, u"2027-02-28"_s}));
    EXPECT_EQ(s.rows[2].cells, (QStringList{QString(), QString(), QString(), u"46446"_s}));
    EXPECT_EQ(readerError([&] { imp::readXlsxFile(file, u"Kurse"_s); }),
              u"Die Arbeitsmappe hat kein Tabellenblatt „Kurse“."_s);
}

// Headings as ORV's lists, other programs and people write them; a field takes
// the first column that names it, a heading of another table's field none.
TEST(ColumnMap, HeadingsFindTheirFields)
{
    const struct {
        const data::schema::TableDef &table;
        QStringList headings;
        std::vector<const char *> fields; // nullptr: left out
    } cases[] = {
        {data::schema::kurs(),
         {u"KURSNUMMER"_s, u"Kosten je Person"_s, u"Dauer in Stunden"_s, u"Telefon"_s, u"Kurs-Nr."_s},
         {"KursNr", "Kosten", "Dauer", nullptr, nullptr}},
        {data::schema::mitarbeiter(),
         {u"Nachname, Vorname"_s, u"Kst"_s, u"Abt."_s, u"Kat."_s, u" bereich "_s},
         {"Name", "Kostenstelle", "Abteilung", "Kategorie", "Bereich"}},
        {data::schema::trainingsplan(),
         {u"Kurs-Nr."_s, u"Kat."_s, u"Mitarbeiter"_s, u"Priorität"_s, u"von"_s, u"Datum bis"_s, u"R"_s, u"S"_s,
          u"Seminarbeurteilung vorhanden"_s},
         {"KursNr", nullptr, "Name", "Prioritaet", "Datum_von", "Datum_bis", "Rechnung", "Beurteilung", nullptr}},
    };
    for (const auto &c : cases) {
        std::vector<const char *> got;
        for (const int f : imp::mapHeadings(c.table, c.headings))
            got.push_back(f < 0 ? nullptr : c.table.columns[size_t(f)].name);
        ASSERT_EQ(got.size(), c.fields.size()) << c.table.name;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_STREQ(got[i], c.fields[i]) << c.table.name << " " << c.headings.value(qsizetype(i)).toStdString();
    }
    const imp::Import plan(data::schema::trainingsplan(),
                           imp::readCsv("Kurs-Nr.;Name;Datum bis\nK1;\"A, B\";1.1.27\n"));
    EXPECT_EQ(plan.missingFields(), u"Für das Pflichtfeld „Datum von“ gibt es keine Spalte in der Datei. "
                                    "Die Überschriften stehen in Zeile 1."_s);
}

// ---- checks, modes, all or nothing ----------------------------------------------

class ImportTest : public DbTest {
protected:
    imp::ImportResult run(const char *table, const QByteArray &csv, Mode mode = Mode::AddOnly, bool write = true,
                          const imp::Progress &progress = {})
    {
        imp::Import imp(*data::schema::findTable(QLatin1String(table)),
                        imp::readCsvFile(writeFile(tempPath() + u"/liste.csv"_s, csv)));
        data::Connection conn = connect();
        return imp.run(conn, mode, write, progress);
    }
};

// Every check of the record windows, one refused row each; the good rows go in.
TEST_P(ImportTest, RefusesEachRowWithTheWindowsReason)
{
    seed();
    struct Case {
        const char *table;
        QByteArray csv;
        QStringList refused;
        QString stored; // the good rows' keys afterwards
    } cases[] = {
        {"Kurs",
         "Kurs-Nr.;Rubrik;Beschreibung;Art;Referent;Kosten;Dauer\n"
         "N1;IT;Gut;I;;9999,99;999,9\n"
         "N2;it;Rubrik klein;I;;0;0\n"
         "N3;IT;  ;I;;0;0\n"
         "N4;IT;Art;X;;0;0\n"
         "N5;IT;Teuer;I;;10000;0\n"
         "N6;IT;Kosten;I;;abc;0\n"
         "N7;IT;Lang;I;;0;1000\n"
         "N8xxxxx;IT;Nummer zu lang;I;;0;0\n"
         "N1;IT;doppelt;I;;0;0\n"
         "K1;IT;vorhanden;I;;0;0\n"
         ";IT;ohne Nummer;I;;0;0\n",
         {u"3|Rubrik|Die eingegebene Rubrik ist nicht vorhanden!"_s,
          u"4|Beschreibung|Die Eingabe einer Beschreibung ist zwingend erforderlich!"_s,
          u"5|Art|Die eingegebene Art ist nicht vorhanden!"_s,
          u"6|Kosten|Die Kosten müssen zwischen 0 und 9999.99 sein!"_s, u"7|Kosten|Die Kosten sind ungültig!"_s,
          u"8|Dauer|Die Dauer muß zwischen 0 und 999.9 sein!"_s, u"9|Kurs-Nr.|Der Text ist länger als 6 Zeichen."_s,
          u"10|Kurs-Nr.|Der Schlüssel steht in dieser Datei schon in Zeile 2."_s,
          u"12|Kurs-Nr.|Die Eingabe einer Kurs-Nr. ist zwingend erforderlich!"_s},
         u"K1,K2,K3,N1"_s},
        {"Mitarbeiter",
         "Nachname, Vorname;Kost.;Abt.;Kat.;Bereich\n"
         "\"Neu, Nina\";1;A;O;Logistik\n"
         "Ohne,Blank;1;A;O;Logistik\n"
         "\"Klein, Kat\";1;A;ets;Logistik\n"
         "\"Weg, Bereich\";1;A;Ets;Mond\n"
         "\"Leer, Kat\";1;A;;Logistik\n",
         {u"3|Nachname, Vorname|Der Name muß in der Form 'Nachname, Vorname' eingegeben werden!"_s,
          u"4|Kat.|Die eingegebene Kategorie ist nicht vorhanden!"_s,
          u"5|Bereich|Der eingegebene Bereich ist nicht vorhanden!"_s,
          u"6|Kat.|Die Eingabe einer Kategorie ist zwingend erforderlich!"_s},
         u"Abel, Anna,Neu, Nina,Zorn, Zeno,Ärger, Udo"_s},
        {"Trainingsplan",
         "KursNr;Name;Prio;Quelle;Datum von;Datum bis;R;S;Status;Bemerkung\n"
         "K3;Abel, Anna;1;AAI;01.03.2027;2027-03-01;x;;geplant;gut\n"
         "K9;Abel, Anna;;;1.1.27;2.1.27;;;B;\n"
         "K3;Nobody, No;;;1.1.27;2.1.27;;;B;\n"
         "K3;Zorn, Zeno;4;;1.1.27;2.1.27;;;B;\n"
         "K3;Zorn, Zeno;;aai;1.1.27;2.1.27;;;B;\n"
         "K3;Zorn, Zeno;;;31.02.2027;2.1.27;;;B;\n"
         "K3;Zorn, Zeno;;;3.1.27;2.1.27;;;B;\n"
         "K3;Zorn, Zeno;;;1.1.27;2.1.27;vielleicht;;B;\n"
         "K3;Zorn, Zeno;;;1.1.27;2.1.27;;;X;\n",
         {u"3|KursNr|Die eingegebene Kurs-Nr. ist nicht vorhanden!"_s,
          u"4|Name|Der eingegebene Name ist nicht vorhanden!"_s,
          u"5|Prio|Die eingegebene Priorität ist nicht vorhanden!"_s,
          u"6|Quelle|Die eingegebene Quelle ist nicht vorhanden!"_s, u"7|Datum von|Das Startdatum ist ungültig!"_s,
          u"8|Datum bis|Das Endedatum ist vor dem Startdatum!"_s,
          u"9|R|Der Wert „vielleicht“ ist kein Ja/Nein-Wert (ja, nein, x oder leer)."_s,
          u"10|Status|Der eingegebene Status ist nicht vorhanden!"_s},
         u"K1/Abel, Anna,K2/Zorn, Zeno,K2/Ärger, Udo,K3/Abel, Anna"_s},
    };
    for (const Case &c : cases) {
        const imp::ImportResult r = run(c.table, c.csv);
        EXPECT_EQ(refusals(r), c.refused) << c.table;
        EXPECT_EQ(r.added, 1) << c.table;
        const QString table = QLatin1String(c.table);
        const QString key = table == u"Kurs"_s          ? u"KursNr"_s
                            : table == u"Mitarbeiter"_s ? u"Name"_s
                                                        : u"KursNr, Name"_s;
        QStringList stored = rows(u"SELECT %1 FROM %2"_s.arg(key, table));
        stored.sort();
        EXPECT_EQ(stored.join(u','), c.stored) << c.table;
    }
    // The preview shows the plan's rows as they will be stored.
    const imp::ImportResult plan = run("Trainingsplan", cases[2].csv, Mode::AddOrUpdate, false);
    EXPECT_EQ(plan.preview.at(0), (QStringList{u"K3"_s, u"Abel, Anna"_s, u"1"_s, u"AAI"_s, u"01.03.2027"_s,
                                               u"01.03.2027"_s, u"ja"_s, u"nein"_s, u"gut"_s, u"geplant"_s}));
    EXPECT_EQ(plan.preview.at(1).value(0), u"K9"_s);
    EXPECT_EQ(plan.rows.at(0).outcome, Outcome::Unchanged);
    EXPECT_EQ(rows(u"SELECT Prioritaet, Quelle, Datum_von, Datum_bis, Rechnung, Beurteilung, Status, Bemerkung "
                   "FROM Trainingsplan WHERE KursNr = 'K3'"_s),
              QStringList{isPostgres() ? u"1/AAI/2027-03-01/2027-03-01/t/f/1/gut"_s
                                       : u"1/AAI/2027-03-01/2027-03-01/1/0/1/gut"_s});
    // The skipped existing course K1 kept its values.
    EXPECT_EQ(rows(u"SELECT Beschreibung FROM Kurs WHERE KursNr = 'K1'"_s), QStringList{u"Excel"_s});
}

// Add-only skips stored keys; add-and-update writes only the columns the file has and that differ.
TEST_P(ImportTest, ModesSkipOrUpdateStoredRows)
{
    seed();
    const QByteArray csv = "KursNr;Rubrik;Beschreibung;Art;Kosten\n"
                           "K1;IT;Excel neu;I;100\n"        // Beschreibung differs
                           "K2;Sprachen;Englisch;E;250,5\n" // as stored
                           "K4;IT;Neu;I;1,5\n";
    imp::ImportResult r = run("Kurs", csv, Mode::AddOnly);
    EXPECT_EQ(std::tuple(r.added, r.updated, r.unchanged, r.skipped), std::tuple(1, 0, 0, 2));
    EXPECT_EQ(rows(u"SELECT Beschreibung FROM Kurs WHERE KursNr = 'K1'"_s), QStringList{u"Excel"_s});

    // A dry run checks everything and writes nothing.
    r = run("Kurs", csv, Mode::AddOrUpdate, false);
    EXPECT_EQ(std::tuple(r.added, r.updated, r.unchanged, r.skipped), std::tuple(0, 1, 2, 0));
    EXPECT_FALSE(r.written);
    EXPECT_EQ(rows(u"SELECT Beschreibung FROM Kurs WHERE KursNr = 'K1'"_s), QStringList{u"Excel"_s});

    r = run("Kurs", csv, Mode::AddOrUpdate);
    EXPECT_EQ(std::tuple(r.added, r.updated, r.unchanged, r.skipped), std::tuple(0, 1, 2, 0));
    // Referent is not in the file: it keeps its value.
    EXPECT_EQ(rows(u"SELECT KursNr, Beschreibung, Referent FROM Kurs ORDER BY KursNr"_s),
              (QStringList{u"K1/Excel neu/Meier"_s, u"K2/Englisch/Smith"_s, u"K3/Audit/O'Brien"_s, u"K4/Neu/"_s}));
}

// A failure in the middle of the writing, or "Abbrechen", leaves the table as it was.
TEST_P(ImportTest, AllOrNothing)
{
    QByteArray csv = "Name;Kategorie;Bereich\n";
    for (int i = 0; i < 3000; ++i)
        csv += "\"Name" + QByteArray::number(i) + ", Vorname\";Ets;Einkauf\n";

    // Cancelled when more than a thousand rows are written.
    EXPECT_THROW(run("Mitarbeiter", csv, Mode::AddOnly, true,
                     [](qint64 done, qint64) {
                         if (done > 4000)
                             throw imp::ImportCancelled();
                     }),
                 imp::ImportCancelled);
    EXPECT_EQ(count(u"Mitarbeiter"_s), 0);

    // The database refuses one row in the middle.
    if (isPostgres()) {
        db().exec(u"CREATE FUNCTION refuse() RETURNS trigger AS $$ BEGIN IF NEW.Name LIKE 'Name2000,%' THEN "
                  "RAISE EXCEPTION 'kaputt'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql"_s);
        db().exec(u"CREATE TRIGGER refuse BEFORE INSERT ON Mitarbeiter FOR EACH ROW EXECUTE FUNCTION refuse()"_s);
    } else {
        db().exec(u"CREATE TRIGGER refuse BEFORE INSERT ON Mitarbeiter WHEN NEW.Name LIKE 'Name2000,%' "
                  "BEGIN SELECT RAISE(ABORT, 'kaputt'); END"_s);
    }
    EXPECT_THROW(run("Mitarbeiter", csv), data::DbError);
    EXPECT_EQ(count(u"Mitarbeiter"_s), 0);
    if (!isPostgres()) {
        // The copy right before each attempt, named apart from the day's copy.
        const QStringList copies =
            QDir(QFileInfo(target().location).absolutePath() + u"/Sicherung"_s).entryList(QDir::Files);
        ASSERT_EQ(copies.size(), 2);
        for (const QString &c : copies)
            EXPECT_TRUE(
                QRegularExpression(u"^orv-\\d{4}-\\d\\d-\\d\\d-\\d{6}-vor-Import(-\\d+)?\\.mdb$"_s).match(c).hasMatch())
                << c.toStdString();
    }
}

// What ORV's lists export, as CSV and as workbook, comes back as the same rows.
TEST_P(ImportTest, RoundTripOfTheExports)
{
    seed();
    addKurs(u"K4"_s, u"Sonstiges"_s, u"\"Zahlen\"; =1+2"_s, u"E"_s, u"Ü"_s, 19.99f, 0.5f);
    addPlan(u"K4"_s, u"Ärger, Udo"_s, u"2"_s, QDate(2027, 12, 31), QDate(2028, 1, 2), u" "_s, u"ZM "_s, true, true,
            u"Mit; Semikolon \"und\" Zeilen\numbruch"_s);
    struct KursExport : reports::FrmKursBericht {
        using FrmKursBericht::exportJob;
    };
    struct MitarbeiterExport : reports::FrmMitarbeiterBericht {
        using FrmMitarbeiterBericht::exportJob;
    };
    reportdata::TrainingsplanSelection sel;
    sel.von = QDate(2000, 1, 1);
    sel.bis = QDate(2099, 12, 31);
    KursExport kurs;
    MitarbeiterExport mitarbeiter;
    const std::pair<const char *, reportdata::ExportJob> jobs[] = {
        {"Kurs", *kurs.exportJob(db())},
        {"Mitarbeiter", *mitarbeiter.exportJob(db())},
        {"Trainingsplan", reportdata::trainingsplanExport(db(), sel)},
    };
    for (const auto &[table, job] : jobs) {
        const QString all = u"SELECT * FROM %1 ORDER BY 1, 2"_s.arg(QLatin1String(table));
        const QStringList before = rows(all);
        for (const auto format : {reportdata::ExportFormat::Csv, reportdata::ExportFormat::Xlsx}) {
            const QString file =
                tempPath() + (format == reportdata::ExportFormat::Csv ? u"/export.csv"_s : u"/export.xlsx"_s);
            ASSERT_EQ(reportdata::runExport(db(), job, format, file), before.size()) << table;
            imp::Import imp(*data::schema::findTable(QLatin1String(table)), imp::readFile(file));
            // Unchanged when read back over themselves, the same rows when read into an empty table.
            imp::ImportResult r = imp.run(db(), Mode::AddOrUpdate, true);
            EXPECT_EQ(std::tuple(r.unchanged, r.refused), std::tuple(qint64(before.size()), 0))
                << table << file.toStdString();
            db().exec(u"DELETE FROM %1"_s.arg(QLatin1String(table)));
            r = imp.run(db(), Mode::AddOnly, true);
            EXPECT_EQ(std::tuple(r.added, r.refused), std::tuple(qint64(before.size()), 0))
                << table << file.toStdString();
            EXPECT_EQ(refusals(r), QStringList()) << table << file.toStdString();
            EXPECT_EQ(rows(all), before) << table << file.toStdString();
        }
    }
}

// Both ways in: the command line and the dialog, on the same file.
TEST_P(ImportTest, CommandLineAndDialog)
{
    seed();
    const QString file = writeFile(tempPath() + u"/neu.csv"_s, "Name;Gruppe;Bereich\n"
                                                               "\"Neu, Nina\";Ets;Logistik\n"
                                                               "\"Alt, Otto\";Ets;Mond\n");
    const auto orvdb = [](const QStringList &args) {
        QProcess p;
        p.start(QCoreApplication::applicationDirPath() + u"/orvdb"_s, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::tuple(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                          QString::fromUtf8(p.readAllStandardError()));
    };
    const QString db = target().location;
    EXPECT_EQ(orvdb({u"import"_s, u"Mitarbeiter"_s, file, db}),
              std::tuple(1, QString(),
                         u"orvdb: %1: Für das Pflichtfeld „Kategorie“ gibt es keine Spalte in der Datei. "
                         "Die Überschriften stehen in Zeile 1.\n"_s.arg(file)));
    writeFile(file, "Name;Kat.;Bereich\n\"Neu, Nina\";Ets;Logistik\n\"Alt, Otto\";Ets;Mond\n");
    for (const char *dry : {"--dry-run", "--update"}) {
        const auto [code, out, err] = orvdb({u"import"_s, QLatin1String(dry), u"mitarbeiter"_s, file, db});
        EXPECT_EQ(code, 1) << dry;
        EXPECT_TRUE(out.contains(u": 1 neu, 0 geändert, 0 unverändert, 0 übersprungen, 1 abgewiesen"_s))
            << out.toStdString();
        EXPECT_EQ(err, u"Zeile 3, Spalte „Bereich“: Der eingegebene Bereich ist nicht vorhanden!\n"_s);
    }
    EXPECT_EQ(count(u"Mitarbeiter"_s), 4);
    EXPECT_EQ(std::get<0>(orvdb({u"import"_s, u"Personal"_s, file, db})), 2);

    // The dialog: the column without a known heading is assigned by hand, then checked and imported.
    writeFile(file, "Name;Gruppe;Bereich\n\"Neu, Paul\";Ets;Logistik\n\"Alt, Otto\";Ets;Mond\n");
    dialogs::FrmImport dlg;
    dlg.loadFile(file);
    auto *hint = dlg.findChild<QLabel *>(u"lblHinweis"_s);
    EXPECT_TRUE(hint->text().contains(u"Für das Pflichtfeld „Kategorie“ gibt es keine Spalte"_s))
        << hint->text().toStdString();
    auto *gruppe = dlg.findChild<QComboBox *>(u"cmbFeld(1)"_s);
    gruppe->setCurrentIndex(gruppe->findText(u"Kategorie"_s));
    EXPECT_EQ(hint->text(), u"Überschriften in Zeile 1, 2 Zeile(n) darunter."_s);
    dlg.findChild<QPushButton *>(u"cmdPruefen"_s)->click();
    auto *errors = dlg.findChild<QTableWidget *>(u"tblFehler"_s);
    ASSERT_EQ(errors->rowCount(), 1);
    EXPECT_EQ(errors->item(0, 2)->text(), u"Der eingegebene Bereich ist nicht vorhanden!"_s);
    EXPECT_EQ(count(u"Mitarbeiter"_s), 4);
    prompter.expectMessageMatching(
        u"^Import abgeschlossen: 1 neu, 0 geändert\\.\r\n1 Zeile\\(n\\) wurden "
        "abgewiesen \\(siehe Liste\\)\\.(\r\n\r\nSicherung vor dem Import:\r\n.*-vor-Import(-\\d+)?\\.mdb)?$"_s,
        u"Importieren"_s, ui::Icon::Exclamation);
    dlg.findChild<QPushButton *>(u"cmdImportieren"_s)->click();
    EXPECT_EQ(count(u"Mitarbeiter"_s), 5);
    // The refused row to mend: the file's columns, then line, column and reason.
    prompter.expectModal([](QDialog &d) { d.done(QDialog::Accepted); });
    dlg.findChild<QPushButton *>(u"cmdFehlerliste"_s)->click();
    QFile mend(tempPath() + u"/neu abgewiesen.csv"_s);
    ASSERT_TRUE(mend.open(QIODevice::ReadOnly));
    EXPECT_EQ(mend.readAll(),
              QByteArray("\xEF\xBB\xBFName;Gruppe;Bereich;Zeile;Spalte;Grund\r\n"
                         "Alt, Otto;Ets;Mond;3;Bereich;Der eingegebene Bereich ist nicht vorhanden!\r\n"));
}

// "Abbrechen" in the progress window while the rows are being written: the
// database as it was, the user told so, nothing left half done beside the file.
TEST_P(ImportTest, CancelInTheProgressWindowLeavesTheDatabase)
{
    seed();
    const QString all = u"SELECT * FROM Mitarbeiter ORDER BY Name"_s;
    const QStringList before = rows(all);
    // Enough rows that the window shows and more than one batch is written before the click.
    QByteArray csv = "Name;Kategorie;Bereich\n";
    for (int i = 0; i < 100000; ++i)
        csv += "\"Name" + QByteArray::number(i) + ", Vorname\";Ets;Einkauf\n";
    dialogs::FrmImport dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    dlg.loadFile(writeFile(tempPath() + u"/viele.csv"_s, csv));
    // The user watches the bar and clicks "Abbrechen" once most rows are written.
    int clickedAt = -1, maximum = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &dlg, [&] {
        auto *progress = dlg.findChild<QProgressDialog *>(u"frmImportFortschritt"_s);
        if (clickedAt >= 0 || !progress || !progress->isVisible() || progress->value() * 5 < progress->maximum() * 4)
            return;
        clickedAt = progress->value();
        maximum = progress->maximum();
        for (QPushButton *b : progress->findChildren<QPushButton *>())
            if (b->text() == u"Abbrechen"_s)
                QTest::mouseClick(b, Qt::LeftButton);
    });
    watch.start(0);
    prompter.expectMessage(u"Der Import wurde abgebrochen. Die Datenbank ist unverändert."_s, u"Importieren"_s,
                           ui::Icon::Information);
    clickButton(dlg, u"cmdImportieren"_s);
    EXPECT_EQ(maximum, 200000);
    EXPECT_GE(clickedAt, 160000);
    EXPECT_EQ(rows(all), before);
    EXPECT_EQ(child<QLabel>(dlg, u"lblErgebnis"_s)->text(), QString());
    if (!isPostgres()) {
        // No journal to roll back at the next start; the copy taken before writing is whole.
        const QFileInfo file(target().location);
        EXPECT_FALSE(QFileInfo::exists(file.filePath() + u"-journal"_s));
        const QStringList copies = QDir(file.absolutePath() + u"/Sicherung"_s).entryList(QDir::Files);
        ASSERT_EQ(copies.size(), 1) << copies.join(u' ').toStdString();
        EXPECT_TRUE(copies[0].endsWith(u"-vor-Import.mdb"_s)) << copies[0].toStdString();
    }
}

ORV_DB_TEST_SUITE(ImportTest);

// ---- hostile files ---------------------------------------------------------------

// Each gets a German reason before anything is read into the database.
TEST(ImportHostile, FilesGetAGermanReason)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    const QByteArray head = "Nachname, Vorname;Kategorie;Bereich\n";
    lxw_workbook *book = workbook_new((d + u"/formel.xlsx"_s).toUtf8().constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    worksheet_write_string(sheet, 0, 0, "Name", nullptr);
    worksheet_write_string(sheet, 0, 1, "Kategorie", nullptr);
    worksheet_write_string(sheet, 0, 2, "Bereich", nullptr);
    worksheet_write_string(sheet, 1, 0, "A, B", nullptr);
    worksheet_write_formula(sheet, 1, 1, "=\"Ets\"", nullptr);
    workbook_close(book);
    book = workbook_new((d + u"/verbunden.xlsx"_s).toUtf8().constData());
    sheet = workbook_add_worksheet(book, nullptr);
    worksheet_write_string(sheet, 0, 0, "Name", nullptr);
    worksheet_write_string(sheet, 0, 1, "Kategorie", nullptr);
    worksheet_write_string(sheet, 0, 2, "Bereich", nullptr);
    worksheet_merge_range(sheet, 1, 1, 2, 1, "Ets", nullptr);
    workbook_close(book);
    const QStringList heading = {u"Name"_s, u"Kategorie"_s, u"Bereich"_s};

    const std::pair<QString, const char *> cases[] = {
        {writeFile(d + u"/kaputt.xlsx"_s, "PK\x03\x04 kein Archiv"), "beschädigt oder keine Excel-Arbeitsmappe"},
        {writeFile(d + u"/kennwort.xlsx"_s, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, 0)),
         "verschlüsselt"},
        {d + u"/formel.xlsx"_s, "in Zeile 2 eine Formel"},
        {d + u"/verbunden.xlsx"_s, "in Zeile 2 verbundene Zellen"},
        {writeFile(d + u"/lang.csv"_s, head + "\"A, B\";" + QByteArray(1000000, 'x') + ";Einkauf\n"),
         "Zeile 2, Spalte B: Die Zelle ist länger als 32767 Zeichen."},
        {writeXlsx(d + u"/lang.xlsx"_s, inlineRow(1, heading) + inlineRow(2, {u"A, B"_s, QString(1000000, u'x')})),
         "Zeile 2, Spalte B: Die Zelle ist länger als 32767 Zeichen."},
        {writeXlsx(d + u"/zeilen.xlsx"_s, inlineRow(1, heading) + "<row r=\"1048577\"/>"), "mehr als 1048576 Zeilen"},
        {writeFile(d + u"/utf16.csv"_s, QByteArray("\xFF\xFE", 2) + QByteArray("N\0a\0m\0e\0", 8)), "UTF-16"},
        {writeFile(d + u"/null.csv"_s, head + QByteArray("\"A, B\";Ets;Ein\0kauf\n", 21)),
         "in Zeile 2 ein Nullzeichen"},
        {writeXlsx(d + u"/null.xlsx"_s,
                   inlineRow(1, heading) + "<row r=\"2\"><c t=\"inlineStr\"><is><t>&#0;</t></is></c></row>"),
         "beschädigt"},
        {writeFile(d + u"/quote.csv"_s, head + "\"A, B\";Ets;Einkauf\n\"C, D;Ets;Einkauf\n"),
         "Das Anführungszeichen in Zeile 3 wird nicht geschlossen"},
        {writeFile(d + u"/bom.csv"_s, "\xEF\xBB\xBF" + head + "\"M\xFCller, A\";Ets;Einkauf\n"), "kein UTF-8"},
    };
    for (const auto &[file, reason] : cases) {
        const QString got = readerError([&file] {
            imp::Import imp(data::schema::mitarbeiter(), imp::readFile(file));
            imp.checkCells();
        });
        EXPECT_TRUE(got.contains(QString::fromUtf8(reason))) << file.toStdString() << ": " << got.toStdString();
    }
}

// A million empty rows are passed over at once; the list ends at the first of
// them, and what stands below is named, not read.
TEST(ImportHostile, MillionEmptyRowsEndTheList)
{
    QTemporaryDir dir;
    const QStringList heading = {u"Name"_s, u"Kategorie"_s, u"Bereich"_s};
    QByteArray csv = "Name;Kategorie;Bereich\r\n\"A, B\";Ets;Einkauf\r\n";
    csv += QByteArray(2000000, '\n').replace("\n", "\r\n").left(2000000) + "\"C, D\";Ets;Einkauf\r\n";
    QByteArray xml = inlineRow(1, heading) + inlineRow(2, {u"A, B"_s, u"Ets"_s, u"Einkauf"_s});
    for (int r = 3; r < 1000003; r += 1)
        xml += "<row r=\"" + QByteArray::number(r) + "\"/>";
    xml += inlineRow(1000003, {u"C, D"_s, u"Ets"_s, u"Einkauf"_s});
    QElapsedTimer t;
    t.start();
    for (const QString &file :
         {writeFile(dir.path() + u"/leer.csv"_s, csv), writeXlsx(dir.path() + u"/leer.xlsx"_s, xml)}) {
        const imp::Import imp(data::schema::mitarbeiter(), imp::readFile(file));
        EXPECT_EQ(imp.rowCount(), 1) << file.toStdString();
        EXPECT_EQ(imp.notice(),
                  u"Die Liste endet mit der leeren Zeile 3; die 1 Zeile(n) darunter werden nicht eingelesen."_s);
    }
    EXPECT_LT(t.elapsed(), 10000);
}
