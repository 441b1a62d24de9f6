#include "app/frmmain.h"
#include "data/backup.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/series.h"
#include "data/storedvalue.h"
#include "dialogs/frmimport.h"
#include "import/columnmap.h"
#include "import/csvreader.h"
#include "import/importer.h"
#include "import/odsreader.h"
#include "import/xlsxreader.h"
#include "reportdata/kurslist.h"
#include "reportdata/reportexport.h"
#include "reportdata/trainingsplanlist.h"
#include "reports/frmkursbericht.h"
#include "reports/frmmitarbeiterbericht.h"
#include "reports/xlsxreader.h"
#include "services/settings.h"
#include "support/ordinaryuser.h"
#include "support/testenv.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTimer>
#include <minizip/zip.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
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

// An archive of the given parts, as a spreadsheet program zips them (the first stored, the others packed).
QString writeZip(const QString &path, const std::vector<std::pair<const char *, QByteArray>> &parts)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    EXPECT_NE(zip, nullptr);
    bool first = true;
    for (const auto &[name, data] : parts) {
        EXPECT_EQ(zipOpenNewFileInZip64(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, first ? 0 : Z_DEFLATED,
                                        first ? 0 : 6, 1),
                  ZIP_OK);
        zipWriteInFileInZip(zip, data.constData(), unsigned(data.size()));
        zipCloseFileInZip(zip);
        first = false;
    }
    zipClose(zip, nullptr);
    return path;
}

// A workbook whose one sheet holds `sheetXml` as its rows.
QString writeXlsx(const QString &path, const QByteArray &sheetXml, const QByteArray &prolog = {})
{
    return writeZip(
        path,
        {{"xl/workbook.xml",
          R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
          R"(<sheets><sheet name="Liste" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
         {"xl/_rels/workbook.xml.rels",
          R"(<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/></Relationships>)"},
         {"xl/worksheets/sheet1.xml", prolog + "<worksheet><sheetData>" + sheetXml + "</sheetData></worksheet>"}});
}

QByteArray inlineRow(int r, const QStringList &cells)
{
    QByteArray xml = "<row r=\"" + QByteArray::number(r) + "\">";
    for (const QString &c : cells)
        xml += "<c t=\"inlineStr\"><is><t>" + c.toHtmlEscaped().toUtf8() + "</t></is></c>";
    return xml + "</row>";
}

// An OpenDocument spreadsheet with these tables (name, rows of table:table-row XML), as LibreOffice writes one.
QString writeOds(const QString &path, const std::vector<std::pair<QByteArray, QByteArray>> &tables)
{
    QByteArray body;
    for (const auto &[name, rows] : tables)
        body += "<table:table table:name=\"" + name + "\"><table:table-column/>" + rows + "</table:table>";
    return writeZip(
        path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
               {"content.xml",
                R"(<?xml version="1.0" encoding="UTF-8"?><office:document-content )"
                R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
                R"(xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" )"
                R"(xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:spreadsheet>)"
                    + body + "</office:spreadsheet></office:body></office:document-content>"},
               {"META-INF/manifest.xml", "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:"
                                         "manifest:1.0\"/>"}});
}

// A row of OpenDocument cells: "#12.5" a number, "€12.5" an amount in euros, "=FORMULA|value" a formula
// with its stored value (without "|": none), "" an empty cell; anything else text.
QByteArray odsRow(const QStringList &cells)
{
    QByteArray xml = "<table:table-row>";
    for (const QString &c : cells) {
        if (c.isEmpty()) {
            xml += "<table:table-cell/>";
        } else if (c.startsWith(u'#') || c.startsWith(u'€')) {
            xml += "<table:table-cell office:value-type=\"" + QByteArray(c.startsWith(u'#') ? "float" : "currency")
                   + "\" office:value=\"" + c.mid(1).toUtf8() + "\"><text:p>" + c.mid(1).toUtf8()
                   + "</text:p></table:table-cell>";
        } else if (c.startsWith(u'=')) {
            const QString value = c.section(u'|', 1);
            xml += "<table:table-cell table:formula=\"of:" + c.section(u'|', 0, 0).toHtmlEscaped().toUtf8() + "\""
                   + (c.contains(u'|') ? " office:value-type=\"float\" office:value=\"" + value.toUtf8() + "\""
                                       : QByteArray())
                   + "/>";
        } else {
            xml += "<table:table-cell office:value-type=\"string\"><text:p>" + c.toHtmlEscaped().toUtf8()
                   + "</text:p></table:table-cell>";
        }
    }
    return xml + "</table:table-row>";
}

// "line|column|reason" of every fault of every refused row.
QStringList refusals(const imp::ImportResult &r)
{
    QStringList out;
    for (const imp::RowResult &row : r.rows)
        for (const imp::RowFault &f : r.faultsOf(row))
            out << u"%1|%2|%3"_s.arg(row.line).arg(f.column, f.reason);
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

QList<QStringList> cellsOf(const imp::Sheet &s)
{
    QList<QStringList> cells;
    for (qsizetype r = 0; r < s.size(); ++r)
        cells << s.cells(r);
    return cells;
}

// orvdb with these arguments: exit code, standard output, standard error.
std::tuple<int, QString, QString> orvdb(const QStringList &args, rlim_t memoryLimit = RLIM_INFINITY)
{
    QProcess p;
    p.setChildProcessModifier([memoryLimit] {
        const rlimit limit = {memoryLimit, memoryLimit};
        setrlimit(RLIMIT_AS, &limit);
    });
    p.start(QCoreApplication::applicationDirPath() + u"/orvdb"_s, args);
    EXPECT_TRUE(p.waitForFinished(120000));
    // A crash is no exit code of the program's.
    return std::tuple(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                      QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()));
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
        QList<bool> blankBefore;
    } cases[] = {
        {"UTF-8 with BOM, quoted separator, doubled quote and line break; the rows after it are read",
         "\xEF\xBB\xBFNr;Text\r\nK1;\"a;b \"\"c\"\"\nzwei\"\r\nK2;\xC3\xBC\r\nK3;x\r\n",
         {{u"Nr"_s, u"Text"_s}, {u"K1"_s, u"a;b \"c\"\nzwei"_s}, {u"K2"_s, u"ü"_s}, {u"K3"_s, u"x"_s}},
         {1, 2, 4, 5},
         {false, false, false, false}},
        {"Windows-1252 with comma, empty lines skipped but counted",
         "Name,Ort\n\nM\xFCller,\x80\x9F Euro\n\n\nX,\"'=1+2\"",
         {{u"Name"_s, u"Ort"_s}, {u"Müller"_s, u"€Ÿ Euro"_s}, {u"X"_s, u"=1+2"_s}},
         {1, 3, 6},
         {false, true, true}},
        {"tab beats a comma inside a heading",
         "Nachname, Vorname\tKat\rA, B\tO  \r",
         {{u"Nachname, Vorname"_s, u"Kat"_s}, {u"A, B"_s, u"O  "_s}},
         {1, 2},
         {false, false}},
        {"as many commas as semicolons: the semicolon separates",
         "Nachname, Vorname;Kat.\n\"A, B\";Ets\n",
         {{u"Nachname, Vorname"_s, u"Kat."_s}, {u"A, B"_s, u"Ets"_s}},
         {1, 2},
         {false, false}},
    };
    for (const Case &c : cases) {
        const imp::Sheet s = imp::readCsv(c.bytes);
        QList<int> lines;
        QList<bool> blank;
        for (qsizetype r = 0; r < s.size(); ++r) {
            lines << s.line(r);
            blank << s.blankBefore(r);
        }
        EXPECT_EQ(cellsOf(s), c.cells) << c.name;
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(blank, c.blankBefore) << c.name;
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

// A workbook as spreadsheet programs write it: shared strings (one in two
// formats), numbers, dates by their cell format, yes/no cells, formulas by
// their stored value, gaps between cells; any sheet by name.
TEST(XlsxReader, ReadsCellsAsTheSheetStoresThem)
{
    QTemporaryDir dir;
    const QString file = dir.path() + u"/mappe.xlsx"_s;
    lxw_workbook *book = workbook_new(file.toUtf8().constData());
    lxw_format *date = workbook_add_format(book);
    format_set_num_format(date, "d/m/yy");
    lxw_format *amount = workbook_add_format(book);
    format_set_num_format(amount, "#,##0.00;[Red]-#,##0.00");
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    workbook_add_worksheet(book, "Leer");
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Kurse 2027");
    worksheet_write_string(sheet, 0, 0, "Kurs-Nr.", nullptr);
    worksheet_write_string(sheet, 0, 3, "Datum", nullptr);
    worksheet_write_string(sheet, 2, 0, "Ü;\"x\"", nullptr);
    worksheet_write_number(sheet, 2, 1, 19.99f, amount);
    worksheet_write_boolean(sheet, 2, 2, 1, nullptr);
    lxw_datetime day = {2027, 2, 28, 0, 0, 0};
    worksheet_write_datetime(sheet, 2, 3, &day, date);
    lxw_rich_string_tuple surname = {bold, const_cast<char *>("Müller")},
                          rest = {nullptr, const_cast<char *>(", Jürgen")};
    lxw_rich_string_tuple *runs[] = {&surname, &rest, nullptr};
    worksheet_write_rich_string(sheet, 3, 0, runs, nullptr);
    worksheet_write_formula_num(sheet, 3, 1, "=B3*2", amount, 39.98);
    worksheet_write_number(sheet, 3, 3, 46446.0, nullptr); // a number, not a date
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);

    EXPECT_EQ(imp::xlsxSheetNames(file), (QStringList{u"Leer"_s, u"Kurse 2027"_s}));
    EXPECT_TRUE(imp::readXlsxFile(file).empty());
    const imp::Sheet s = imp::readXlsxFile(file, u"Kurse 2027"_s);
    ASSERT_EQ(s.size(), 3);
    EXPECT_EQ(std::tuple(s.line(0), s.line(1), s.blankBefore(1)), std::tuple(1, 3, true));
    EXPECT_EQ(cellsOf(s), (QList<QStringList>{{u"Kurs-Nr."_s, QString(), QString(), u"Datum"_s},
                                              {u"Ü;\"x\""_s, u"19.98999977111816"_s, u"1"_s, u"2027-02-28"_s},
                                              {u"Müller, Jürgen"_s, u"39.98"_s, QString(), u"46446"_s}}));
    EXPECT_FALSE(s.hasFormulaWithoutValue(2));
    EXPECT_EQ(readerError([&] { imp::readXlsxFile(file, u"Kurse"_s); }),
              u"Die Arbeitsmappe hat kein Tabellenblatt „Kurse“."_s);

    // A formula the workbook keeps no value for is marked, not read as empty.
    const imp::Sheet f = imp::readXlsxFile(
        writeXlsx(dir.path() + u"/formel.xlsx"_s, inlineRow(1, {u"Name"_s})
                                                      + "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>X</t></is></c>"
                                                        "<c r=\"B2\"><f>SUM(C1:C9)</f></c></row>"));
    EXPECT_TRUE(f.formulaWithoutValue(1, 1));
    EXPECT_FALSE(f.formulaWithoutValue(1, 0));
}

// LibreOffice's own format: repeated rows and cells, amounts, dates, yes/no,
// formulas by their stored value, spaces and notes in a text, a chosen sheet.
TEST(OdsReader, ReadsCellsAsTheSheetStoresThem)
{
    QTemporaryDir dir;
    const QString file = writeOds(
        dir.path() + u"/kurse.ods"_s,
        {{"Titel", odsRow({u"nichts"_s})},
         {"Kurse",
          odsRow({u"Kursprogramm 2027"_s})
              + "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell "
                "table:number-columns-repeated=\"1024\"/></table:table-row>"
              + odsRow({u"Kurs-Nr."_s, u"Kosten"_s, u"Datum"_s, u"R"_s})
              + "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>K<text:s "
                "text:c=\"2\"/>1</text:p><text:p>zwei<office:annotation><text:p>Notiz</text:p></office:annotation>"
                "</text:p></table:table-cell><table:table-cell office:value-type=\"currency\" office:value=\"19.99\">"
                "<text:p>19,99 €</text:p></table:table-cell><table:table-cell office:value-type=\"date\" "
                "office:date-value=\"2027-02-28T00:00:00\"/><table:table-cell office:value-type=\"boolean\" "
                "office:boolean-value=\"true\"/></table:table-row>"
              + "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell office:value-type=\"string\" "
                "table:number-columns-repeated=\"2\"><text:p>x</text:p></table:table-cell></table:table-row>"
              + odsRow({u"Summe"_s, u"=SUM([.B5:.B7])|19.99"_s, u"=SUM([.C5])"_s})}});
    EXPECT_EQ(imp::odsSheetNames(file), (QStringList{u"Titel"_s, u"Kurse"_s}));
    const imp::Sheet s = imp::readOdsFile(file, u"Kurse"_s);
    ASSERT_EQ(s.size(), 6);
    QList<int> lines;
    for (qsizetype r = 0; r < s.size(); ++r)
        lines << s.line(r);
    EXPECT_EQ(lines, (QList<int>{1, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(s.blankBefore(1));
    EXPECT_EQ(cellsOf(s).mid(1), (QList<QStringList>{{u"Kurs-Nr."_s, u"Kosten"_s, u"Datum"_s, u"R"_s},
                                                     {u"K  1\nzwei"_s, u"19.99"_s, u"2027-02-28"_s, u"1"_s},
                                                     {u"x"_s, u"x"_s},
                                                     {u"x"_s, u"x"_s},
                                                     {u"Summe"_s, u"19.99"_s}}));
    EXPECT_TRUE(s.formulaWithoutValue(5, 2));
    EXPECT_FALSE(s.formulaWithoutValue(5, 1));
    EXPECT_EQ(cellsOf(imp::readOdsFile(file)), (QList<QStringList>{{u"nichts"_s}}));
}

// Headings as ORV's lists, other programs and people write them; a field takes
// the first column that names it, a heading of another table's field none;
// a surname and a first name become one name.
TEST(ColumnMap, HeadingsFindTheirFields)
{
    const struct {
        const data::schema::TableDef &table;
        QStringList headings;
        std::vector<const char *> fields; // nullptr: left out
    } cases[] = {
        {data::schema::kurs(),
         {u"KURSNUMMER"_s, u"Kosten (€)"_s, u"Dauer (Std.)"_s, u"Telefon"_s, u"Kurs-Nr."_s, u"Personalnummer"_s},
         {"KursNr", "Kosten", "Dauer", nullptr, nullptr, nullptr}},
        {data::schema::mitarbeiter(),
         {u"Nachname, Vorname"_s, u"Kst"_s, u"Abt."_s, u"Kat."_s, u" bereich "_s, u"Pers.-Nr."_s},
         {"Name", "Kostenstelle", "Abteilung", "Kategorie", "Bereich", nullptr}},
        {data::schema::trainingsplan(),
         {u"Kurs-Nr."_s, u"Kat."_s, u"Mitarbeiter"_s, u"Priorität"_s, u"von"_s, u"Datum bis"_s, u"R"_s, u"S"_s,
          u"Seminarbeurteilung vorhanden"_s},
         {"KursNr", nullptr, "Name", "Prioritaet", "Datum_von", "Datum_bis", "Rechnung", "Beurteilung", nullptr}},
        {data::schema::mitarbeiter(),
         {u"Personalnummer"_s, u"Vorname"_s, u"Nachname"_s, u"Kategorie"_s},
         {nullptr, "Name", "Name", "Kategorie"}},
    };
    for (const auto &c : cases) {
        std::vector<const char *> got;
        for (const int f : imp::fieldsOfColumns(imp::mapHeadings(c.table, c.headings), c.headings.size()))
            got.push_back(f < 0 ? nullptr : c.table.columns[size_t(f)].name);
        ASSERT_EQ(got.size(), c.fields.size()) << c.table.name;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_STREQ(got[i], c.fields[i]) << c.table.name << " " << c.headings.value(qsizetype(i)).toStdString();
    }
    // The surname comes first, whatever the order of the columns.
    EXPECT_EQ(imp::mapHeadings(data::schema::mitarbeiter(), cases[3].headings)[0],
              (imp::FieldColumns{{2, 1}, {QString(), u", "_s}}));
    const imp::Import plan(data::schema::trainingsplan(),
                           imp::readCsv("Kurs-Nr.;Name;Datum bis\nK1;\"A, B\";1.1.27\n"));
    EXPECT_EQ(plan.missingFields(), u"Für das Pflichtfeld „Datum von“ gibt es keine Spalte in der Datei. "
                                    "Die Überschriften stehen in Zeile 1."_s);
}

// What the user chose is put back for the same headings of another file, in any order of columns.
TEST(ColumnMap, ChoicesAreRememberedByHeading)
{
    const data::schema::TableDef &t = data::schema::mitarbeiter();
    const QStringList first = {u"Gruppe"_s, u"Name"_s, u"Rufname"_s, u"Bereich"_s, u"Kst"_s};
    imp::Mapping chosen = imp::mapHeadings(t, first);
    chosen[3] = {{0}, {QString()}};            // Kategorie from "Gruppe"
    chosen[0] = {{1, 2}, {QString(), u" "_s}}; // Name + " " + Rufname
    chosen[1] = {};                            // Kst left out
    const QString kept = imp::rememberMapping(u"alt\tAbteilung\t"_s, chosen, t, first);
    const QStringList second = {u"Bereich"_s, u"Kst"_s, u"Rufname"_s, u"Name"_s, u"Gruppe"_s, u"Alt"_s};
    const imp::Mapping again = imp::applyRemembered(imp::mapHeadings(t, second), kept, t, second);
    EXPECT_EQ(imp::fieldsOfColumns(again, second.size()), (std::vector<int>{4, -1, 0, 0, 3, 2}));
    EXPECT_EQ(again[0], (imp::FieldColumns{{3, 2}, {QString(), u" "_s}}));
}

// ---- checks, modes, all or nothing ----------------------------------------------

class ImportTest : public DbTest {
protected:
    imp::ImportResult run(const char *table, const QByteArray &csv, Mode mode = Mode::AddOnly, bool write = true,
                          const imp::Progress &progress = {}, const imp::ValueTable &values = {})
    {
        imp::Import imp(*data::schema::findTable(QLatin1String(table)),
                        imp::readCsvFile(writeFile(tempPath() + u"/liste.csv"_s, csv)));
        imp.setValueTable(values);
        data::Connection conn = connect();
        return imp.run(conn, mode, write, progress);
    }
    // rows(), with single precision numbers as their shortest text ("10.01", not 10.010000228…).
    QStringList amounts(const QString &sql)
    {
        QStringList out;
        for (auto cur = db().query(sql); cur->next();) {
            QStringList cells;
            for (int c = 0; c < cur->columnCount(); ++c)
                cells << (cur->column(c).type == data::ColType::Text ? QString::fromUtf8(cur->textBytes(c)).trimmed()
                                                                     : QString::number(double(float(cur->real(c)))));
            out << cells.join(u'/');
        }
        return out;
    }
};

// Every check of the record windows; a row with several faults names each of
// them at once, in the windows' order, a value of a list with the list's items.
TEST_P(ImportTest, RefusesEachRowWithEveryReason)
{
    seed();
    const QString kat = u" Erlaubt: „Ets“, „I/C“, „O“."_s, art = u" Erlaubt: „A“, „I“, „E“."_s;
    struct Case {
        const char *table;
        QByteArray csv;
        QStringList refused;
        QString stored; // the good rows' keys afterwards
    } cases[] = {
        {"Kurs",
         "Kurs-Nr.;Rubrik;Beschreibung;Art;Referent;Kosten;Dauer\n"
         "N1;IT;Gut;I;;9999,99;999,9\n"
         "N3;IT;  ;I;;0;0\n"
         "N5;IT;Teuer;I;;10000;0\n"
         "N8xxxxx;IT;Nummer zu lang;I;;0;0\n"
         "N1;IT;doppelt;I;;0;0\n"
         "K1;IT;vorhanden;I;;0;0\n"
         ";IT;ohne Nummer;I;;0;0\n"
         "N9; ; ;Intern;;abc;1000\n",
         {u"3|Beschreibung|Die Eingabe einer Beschreibung ist zwingend erforderlich!"_s,
          u"4|Kosten|Die Kosten müssen zwischen 0 und 9999.99 sein!"_s,
          u"5|Kurs-Nr.|Der Text ist länger als 6 Zeichen."_s,
          u"6|Kurs-Nr.|Der Schlüssel steht in dieser Datei schon in Zeile 2."_s,
          u"8|Kurs-Nr.|Die Eingabe einer Kurs-Nr. ist zwingend erforderlich!"_s,
          u"9|Rubrik|Die Eingabe einer Rubrik ist zwingend erforderlich!"_s,
          u"9|Beschreibung|Die Eingabe einer Beschreibung ist zwingend erforderlich!"_s,
          u"9|Art|Die eingegebene Art ist nicht vorhanden!"_s + art, u"9|Kosten|Die Kosten sind ungültig!"_s,
          u"9|Dauer|Die Dauer muß zwischen 0 und 999.9 sein!"_s},
         u"K1,K2,K3,N1"_s},
        {"Mitarbeiter",
         "Nachname, Vorname;Kost.;Abt.;Kat.;Bereich\n"
         "\"Neu, Nina\";1;A;O;Logistik\n"
         "Ohne,Blank;1;A;O;Logistik\n"
         "\"Leer, Kat\";1;A;;Logistik\n"
         "\"Viele, Fehler\";1234567;A;Angestellte;Mond\n",
         {u"3|Nachname, Vorname|Der Name muß in der Form 'Nachname, Vorname' eingegeben werden!"_s,
          u"4|Kat.|Die Eingabe einer Kategorie ist zwingend erforderlich!"_s,
          u"5|Kost.|Der Text ist länger als 6 Zeichen."_s,
          u"5|Kat.|Die eingegebene Kategorie ist nicht vorhanden!"_s + kat,
          u"5|Bereich|Der eingegebene Bereich ist nicht vorhanden! Erlaubt: „DUV Einparkhilfe“, „DUV "
          "Einzelschalter“, „DUV Elektronik“, „DUV Lenkstockschalter“, „DUV LWS/Regensensoren“, „DUV Motoren“, "
          "„DUV Motormanagement Sensoren“, „Controlling“, „Einkauf“, „Franz. Projekte“, „Industrial Engineering“, "
          "„Logistik“, „P0 Management“, „Personalwesen“, „Qualitätssicherung“, „Werkleitung“, "
          "„Werksinstandhaltung“."_s},
         u"Abel, Anna,Neu, Nina,Zorn, Zeno,Ärger, Udo"_s},
        {"Trainingsplan",
         "KursNr;Name;Prio;Quelle;Datum von;Datum bis;R;S;Status;Bemerkung\n"
         "K3;Abel, Anna;1;AAI;01.03.2027;2027-03-01;x;;geplant;gut\n"
         "K3;Zorn, Zeno;;;3.1.27;2.1.27;;;B;\n"
         "K9;Nobody, No;4;aai;31.02.2027;2.1.27;vielleicht;;X;\n",
         {u"3|Datum bis|Das Endedatum ist vor dem Startdatum!"_s,
          u"4|KursNr|Die eingegebene Kurs-Nr. ist nicht vorhanden!"_s,
          u"4|Name|Der eingegebene Name ist nicht vorhanden!"_s,
          u"4|Prio|Die eingegebene Priorität ist nicht vorhanden! Erlaubt: leer, „1“, „2“, „3“."_s,
          u"4|Quelle|Die eingegebene Quelle ist nicht vorhanden! Erlaubt: leer, „AAI“, „ORV“, „ZM“."_s,
          u"4|Datum von|Das Startdatum ist ungültig!"_s,
          u"4|R|Der Wert „vielleicht“ ist kein Ja/Nein-Wert (ja, nein, x oder leer)."_s,
          u"4|Status|Der eingegebene Status ist nicht vorhanden! Erlaubt: „Bedarf“ (B, 0), „geplant“ (G, 1), "
          "„erledigt“ (E, 2), „keine Teilnahme“ (K, 3)."_s},
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
    EXPECT_EQ(plan.preview.at(2).value(0), u"K9"_s);
    EXPECT_EQ(plan.rows.at(0).outcome, Outcome::Unchanged);
    EXPECT_EQ(rows(u"SELECT Prioritaet, Quelle, Datum_von, Datum_bis, Rechnung, Beurteilung, Status, Bemerkung "
                   "FROM Trainingsplan WHERE KursNr = 'K3'"_s),
              QStringList{isPostgres() ? u"1/AAI/2027-03-01/2027-03-01/t/f/1/gut"_s
                                       : u"1/AAI/2027-03-01/2027-03-01/1/0/1/gut"_s});
    // The skipped existing course K1 kept its values.
    EXPECT_EQ(rows(u"SELECT Beschreibung FROM Kurs WHERE KursNr = 'K1'"_s), QStringList{u"Excel"_s});
    // A refused row shows its file's values, a date that could be read as the accepted rows show theirs.
    const imp::ImportResult refused =
        run("Trainingsplan", "KursNr;Name;Datum von;Datum bis\nK9;Abel, Anna;2025-01-26;kein Datum\n", Mode::AddOnly,
            false);
    ASSERT_EQ(refused.refused, 1);
    EXPECT_EQ(refused.preview.at(0).mid(4, 2), (QStringList{u"26.01.2025"_s, u"kein Datum"_s}));
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

// A course's series and validity come with the course: stored in the import's
// transaction, an empty validity as none, a column the file lacks kept.
TEST_P(ImportTest, CoursesBringTheirSeries)
{
    seed();
    data::series::setForCourse(db(), u"K2"_s, {u"SPR"_s, 24});
    const QString series = u"SELECT KursNr, Reihe, Gueltigkeit FROM Kursreihe ORDER BY KursNr"_s;
    const QByteArray csv = "Kurs-Nr.;Rubrik;Beschreibung;Art;Reihe;Gültigkeit (Monate)\n"
                           "K1;IT;Excel;I;UW;12\n"      // only the series is new
                           "K2;Sprachen;Englisch;E;;\n" // the entry goes
                           "K4;IT;Neu;I;UW;\n"          // valid for good
                           "K5;IT;Neu;I;UW;0\n"
                           "K6;IT;Neu;I;UNTERWEISUNG;12,5\n";
    imp::ImportResult r = run("Kurs", csv, Mode::AddOrUpdate, false);
    EXPECT_EQ(std::tuple(r.added, r.updated, r.unchanged, r.refused), std::tuple(1, 2, 0, 2));
    EXPECT_EQ(refusals(r),
              (QStringList{u"5|Gültigkeit (Monate)|Die Gültigkeit muß zwischen 1 und 999 Monaten liegen."_s,
                           u"6|Reihe|Der Text ist länger als 10 Zeichen."_s,
                           u"6|Gültigkeit (Monate)|Die Gültigkeit muß zwischen 1 und 999 Monaten liegen."_s}));
    EXPECT_EQ(r.preview.at(0).mid(7), (QStringList{u"UW"_s, u"12"_s}));
    EXPECT_EQ(r.preview.at(2).mid(7), (QStringList{u"UW"_s, QString()}));
    EXPECT_EQ(rows(series), QStringList{u"K2/SPR/24"_s}); // a dry run writes nothing

    r = run("Kurs", csv.left(csv.indexOf("K5;")), Mode::AddOrUpdate);
    EXPECT_EQ(std::tuple(r.added, r.updated, r.refused), std::tuple(1, 2, 0));
    EXPECT_EQ(rows(series), (QStringList{u"K1/UW/12"_s, u"K4/UW/"_s}));
    EXPECT_EQ(rows(u"SELECT Beschreibung FROM Kurs WHERE KursNr = 'K4'"_s), QStringList{u"Neu"_s});

    // A file with the validity alone keeps each course's series code.
    r = run("Kurs", "Kurs-Nr.;Rubrik;Beschreibung;Art;Monate\nK1;IT;Excel;I;12\nK4;IT;Neu;I;36\n", Mode::AddOrUpdate);
    EXPECT_EQ(std::tuple(r.updated, r.unchanged), std::tuple(1, 1));
    EXPECT_EQ(rows(series), (QStringList{u"K1/UW/12"_s, u"K4/UW/36"_s}));
    // Adding only never touches a stored course's series.
    r = run("Kurs", "Kurs-Nr.;Rubrik;Beschreibung;Art;Reihe\nK1;IT;Excel;I;XY\n", Mode::AddOnly);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(rows(series), (QStringList{u"K1/UW/12"_s, u"K4/UW/36"_s}));
}

// Two columns into one field: joined by the separator given, refused without one.
TEST_P(ImportTest, ColumnsJoinIntoOneField)
{
    const QByteArray csv = "Personalnummer;Vorname;Nachname;Kategorie;Bereich\n"
                           "4711;Jürgen;Müller;Ets;Einkauf\n"
                           "4712;;Solo;Ets;Einkauf\n";
    imp::Import imp(data::schema::mitarbeiter(), imp::readCsvFile(writeFile(tempPath() + u"/p.csv"_s, csv)));
    imp::Mapping map = imp.mapping();
    map[0].separators[1].clear();
    imp.setMapping(map);
    const QString unjoined = u"Die Spalten „Nachname“ und „Vorname“ gehen beide in das Feld „Nachname, Vorname“. "
                             "Zum Verbinden bitte bei „Vorname“ ein Trennzeichen angeben (zum Beispiel „, “), sonst "
                             "eine der Spalten nicht übernehmen."_s;
    EXPECT_EQ(imp.missingFields(), unjoined);
    EXPECT_EQ(readerError([&] { imp.run(db(), Mode::AddOnly, true); }), unjoined);
    EXPECT_EQ(count(u"Mitarbeiter"_s), 0);

    map[0].separators[1] = u", "_s;
    imp.setMapping(map);
    const imp::ImportResult r = imp.run(db(), Mode::AddOnly, true);
    EXPECT_EQ(refusals(r), QStringList{u"3|Nachname + Vorname|Der Name muß in der Form 'Nachname, Vorname' "
                                       "eingegeben werden!"_s});
    EXPECT_EQ(rows(u"SELECT Name FROM Mitarbeiter"_s), QStringList{u"Müller, Jürgen"_s});
}

// A file's words for the items of a list, given by a value table; what is not in it stays refused.
TEST_P(ImportTest, ValueTablesMapWordsToItems)
{
    seed();
    const QByteArray csv = "Kurs-Nr.;Rubrik;Beschreibung;Art\n"
                           "N1;IT;Eins;intern\n"
                           "N2;IT;Zwei;extern\n"
                           "N3;IT;Drei;Workshop\n"
                           "N4;Informatik;Vier;intern\n";
    imp::Import imp(data::schema::kurs(), imp::readCsvFile(writeFile(tempPath() + u"/k.csv"_s, csv)));
    QStringList unknown;
    for (const imp::UnknownValue &u : imp.unknownValues())
        unknown << u"%1 %2 %3 %4"_s.arg(QLatin1String(data::schema::kurs().columns[size_t(u.field)].name), u.value)
                       .arg(u.rows)
                       .arg(u.firstLine);
    EXPECT_EQ(unknown, (QStringList{u"Art intern 2 2"_s, u"Art extern 1 3"_s, u"Art Workshop 1 4"_s,
                                    u"Rubrik Informatik 1 5"_s}));
    // From a file, as orvdb takes it.
    const QString file = writeFile(tempPath() + u"/werte.csv"_s, "Feld;Wert;wird zu\nArt;intern;I\nArt;extern;E\n"
                                                                 "Rubrik;Informatik;IT\n");
    const imp::ValueTable values = imp::readValueTable(data::schema::kurs(), file);
    EXPECT_EQ(imp::valueTableFromText(imp::valueTableText(values)), values);
    imp.setValueTable(values);
    const imp::ImportResult r = imp.run(db(), Mode::AddOnly, true);
    EXPECT_EQ(refusals(r), QStringList{u"4|Art|Die eingegebene Art ist nicht vorhanden! Erlaubt: „A“, „I“, „E“."_s});
    EXPECT_EQ(rows(u"SELECT KursNr, Rubrik, Art FROM Kurs WHERE KursNr LIKE 'N%' ORDER BY KursNr"_s),
              (QStringList{u"N1/IT/I"_s, u"N2/IT/E"_s, u"N4/IT/I"_s}));
    // A file that names no list or no item is refused whole, with its line.
    const std::pair<QByteArray, QString> bad[] = {
        {"Feld;Wert;wird zu\nReferent;x;y\n",
         u"Zeile 2: Das Feld „Referent“ hat in der Tabelle Kurs keine Werteliste"_s},
        {"Feld;Wert;wird zu\nArt;x;Z\n", u"Zeile 2: „Z“ ist kein Wert der Liste Art („A“, „I“, „E“)."_s}};
    for (const auto &[text, reason] : bad)
        EXPECT_TRUE(
            readerError([&] { imp::readValueTable(data::schema::kurs(), writeFile(file, text)); }).contains(reason))
            << reason.toStdString();
}

// Below the list its sums and legend are no data: skipped and counted. A
// formula is read by the value the workbook keeps; one without a value
// refuses its row, and the rows after it go on.
TEST_P(ImportTest, SumRowsAndFormulas)
{
    seed();
    const QString file = writeXlsx(
        tempPath() + u"/kurse.xlsx"_s,
        inlineRow(1, {u"Kurs-Nr."_s, u"Rubrik"_s, u"Beschreibung"_s, u"Art"_s, u"Kosten"_s})
            + inlineRow(2, {u"N1"_s, u"IT"_s, u"Eins"_s, u"I"_s})
            + "<row r=\"3\"><c r=\"A3\" t=\"inlineStr\"><is><t>N2</t></is></c><c r=\"B3\" t=\"inlineStr\"><is><t>IT"
              "</t></is></c><c r=\"C3\" t=\"str\"><f>A3&amp;\" Zwei\"</f><v>N2 Zwei</v></c><c r=\"D3\" t=\"inlineStr\">"
              "<is><t>I</t></is></c><c r=\"E3\"><f>10*2</f></c></row>"
            + inlineRow(4, {u"N3"_s, u"IT"_s, u"Drei"_s, u"I"_s})
            + "<row r=\"5\"><c r=\"A5\" t=\"inlineStr\"><is><t>Summe:</t></is></c><c r=\"E5\"><f>SUM(E2:E4)</f>"
              "<v>20</v></c></row>"
            + "<row r=\"6\"><c r=\"C6\" t=\"inlineStr\"><is><t>I = Intern</t></is></c></row>");
    imp::Import imp(data::schema::kurs(), imp::readFile(file));
    const imp::ImportResult r = imp.run(db(), Mode::AddOnly, true);
    EXPECT_EQ(refusals(r), QStringList{u"3|Kosten|Die Zelle E3 enthält eine Formel ohne gespeicherten Wert. Bitte "
                                       "die Arbeitsmappe im Tabellenprogramm neu berechnen lassen und speichern."_s});
    EXPECT_EQ(std::tuple(r.added, r.noKey, r.refused), std::tuple(2, 2, 1));
    EXPECT_EQ(r.summary(), u"2 neu, 0 geändert, 0 unverändert, 0 übersprungen, 1 abgewiesen; 2 Zeile(n) ohne "
                           "Schlüssel unter der Liste (Summen, Legende) übersprungen"_s);
    EXPECT_EQ(rows(u"SELECT KursNr, Beschreibung FROM Kurs WHERE KursNr LIKE 'N%' ORDER BY 1"_s),
              (QStringList{u"N1/Eins"_s, u"N3/Drei"_s}));
    // The cached value of a formula goes in like any value.
    imp::Import cached(data::schema::kurs(),
                       imp::readFile(writeXlsx(tempPath() + u"/wert.xlsx"_s,
                                               inlineRow(1, {u"Kurs-Nr."_s, u"Rubrik"_s, u"Beschreibung"_s, u"Art"_s})
                                                   + "<row r=\"2\"><c t=\"inlineStr\"><is><t>N5</t></is></c><c "
                                                     "t=\"inlineStr\"><is><t>IT</t></is></c><c t=\"str\"><f>1</f>"
                                                     "<v>Formel</v></c><c t=\"inlineStr\"><is><t>I</t></is></c>"
                                                     "</row>")));
    EXPECT_EQ(cached.run(db(), Mode::AddOnly, true).added, 1);
    EXPECT_EQ(rows(u"SELECT Beschreibung FROM Kurs WHERE KursNr = 'N5'"_s), QStringList{u"Formel"_s});
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

// As an ordinary user: the copy before an import is as private as the
// database, whatever the umask; a backup folder the user may not write
// stops the import before a row is written.
TEST_P(ImportTest, CopyBeforeTheImportKeepsTheDatabasesModeOrStopsItAsOrdinaryUser)
{
    ORV_AS_ORDINARY_USER();
    if (isPostgres())
        return; // a server's database is backed up by the server's tools
    const QByteArray csv = "Name;Kategorie;Bereich\n\"Neu, Nina\";Ets;Einkauf\n";
    const QString folder = QFileInfo(target().location).absolutePath() + u"/Sicherung"_s;
    ASSERT_EQ(chmod(QFile::encodeName(target().location).constData(), 0640), 0);
    const orv::test::ScopedUmask mask(077);
    const imp::ImportResult r = run("Mitarbeiter", csv);
    EXPECT_EQ(orv::test::fileMode(r.backupFile), 0640);
    EXPECT_EQ(QFileInfo(r.backupFile).ownerId(), ::getuid());
    ASSERT_TRUE(QDir(folder).removeRecursively() && QDir().mkdir(folder, QFile::ReadOwner | QFile::ExeOwner));
    const auto restore = qScopeGuard([&] { chmod(QFile::encodeName(folder).constData(), 0700); });
    db().exec(u"DELETE FROM Mitarbeiter"_s);
    try {
        run("Mitarbeiter", csv);
        ADD_FAILURE() << "imported without a copy";
    } catch (const data::DbError &e) {
        EXPECT_TRUE(e.description().startsWith(u"Die Datei kann nicht geöffnet oder angelegt werden."_s))
            << e.description().toStdString();
    }
    EXPECT_EQ(count(u"Mitarbeiter"_s), 0);
}

// What ORV's lists export, as CSV and as workbook, comes back as the same rows.
TEST_P(ImportTest, RoundTripOfTheExports)
{
    seed();
    addKurs(u"K4"_s, u"Sonstiges"_s, u"\"Zahlen\"; =1+2"_s, u"E"_s, u"Ü"_s, 19.99f, 0.5f);
    addPlan(u"K4"_s, u"Ärger, Udo"_s, u"2"_s, QDate(2027, 12, 31), QDate(2028, 1, 2), u" "_s, u"ZM "_s, true, true,
            u"Mit; Semikolon \"und\" Zeilen\numbruch"_s);
    data::series::setForCourse(db(), u"K1"_s, {u"UW"_s, 12});
    data::series::setForCourse(db(), u"K4"_s, {u"UW"_s, std::nullopt});
    const QString series = u"SELECT KursNr, Reihe, Gueltigkeit FROM Kursreihe ORDER BY KursNr"_s;
    const QStringList seriesBefore = rows(series);
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
            EXPECT_EQ(rows(series), seriesBefore) << table << file.toStdString();
        }
    }
}

// Durations and amounts with more places than the window takes: stored as the
// window stores them, by every way in; what was stored with more places before
// is shown and totalled alike by the printed list, the CSV and the workbook.
TEST_P(ImportTest, AmountsKeepTheWindowsPlaces)
{
    const std::tuple<double, int, qint64> units[] = {{1.875, 1, 19},        {11.25, 1, 113}, {18.75, 1, 188},
                                                     {-2.25, 1, -23},       {0.15, 1, 2},    {1.005f, 2, 101},
                                                     {9999.99f, 2, 999999}, {0.0, 2, 0},     {2.5, 0, 3}};
    for (const auto &[value, places, want] : units)
        EXPECT_EQ(data::amountUnits(value, places), want) << value << " " << places;

    // The ways in: a window's record set and the import.
    data::RecordSet rs;
    rs.openTable(db(), u"Kurs"_s);
    rs.addNew();
    for (const auto &[column, value] : {std::pair(u"KursNr"_s, u"W1"_s),
                                        {u"Rubrik"_s, u"IT"_s},
                                        {u"Beschreibung"_s, u"Fenster"_s},
                                        {u"Art"_s, u"I"_s},
                                        {u"Kosten"_s, u"10,005"_s},
                                        {u"Dauer"_s, u"1,875"_s}})
        rs.setField(column, value);
    rs.update();
    run("Kurs", "Kurs-Nr.;Rubrik;Beschreibung;Art;Kosten;Dauer\nI1;IT;Import;I;10,005;11,25\nI2;IT;Zwei;I;0;3,75\n");
    EXPECT_EQ(amounts(u"SELECT KursNr, Kosten, Dauer FROM Kurs ORDER BY KursNr"_s),
              (QStringList{u"I1/10.01/11.3"_s, u"I2/0/3.8"_s, u"W1/10.01/1.9"_s}));

    // Stored elsewhere with more places: every output shows 11,3 and totals alike.
    seed();
    db().exec(u"UPDATE Kurs SET Kosten = 0.125, Dauer = 11.25 WHERE KursNr = 'K1'"_s);
    db().exec(u"UPDATE Kurs SET Kosten = ?, Dauer = 1.875 WHERE KursNr = 'K2'"_s, {double(1.005f)});
    reportdata::TrainingsplanSelection sel;
    sel.von = QDate(2000, 1, 1);
    sel.bis = QDate(2099, 12, 31);
    const QStringList printed = reportdata::splitLines(reportdata::buildTrainingsplanList(db(), sel).body);
    EXPECT_EQ(printed.filter(u"   0,13    11,3  "_s).size(), 1) << printed.join(u'\n').toStdString();
    EXPECT_EQ(printed.filter(u"   1,01     1,9  "_s).size(), 2) << printed.join(u'\n').toStdString();
    EXPECT_EQ(printed.filter(u"   2,15    15,1  "_s).size(), 1) << printed.join(u'\n').toStdString();
    const QString csv = tempPath() + u"/plan.csv"_s, xlsx = tempPath() + u"/plan.xlsx"_s;
    const reportdata::ExportJob job = reportdata::trainingsplanExport(db(), sel);
    reportdata::runExport(db(), job, reportdata::ExportFormat::Csv, csv);
    reportdata::runExport(db(), job, reportdata::ExportFormat::Xlsx, xlsx);
    const QString text = QString::fromUtf8(orv::test::readFile(csv));
    EXPECT_EQ(std::pair(text.count(u";0,13;11,3;"_s), text.count(u";1,01;1,9;"_s)),
              std::pair(qsizetype(1), qsizetype(2)));
    // The workbook's rows and the sums it stores for its formulas.
    const imp::Sheet book = imp::readXlsxFile(xlsx);
    QStringList sums;
    double kosten = 0, dauer = 0;
    qsizetype k = -1, h = -1;
    for (qsizetype r = 0; r < book.size(); ++r) {
        const QStringList cells = book.cells(r);
        if (cells.contains(u"Kosten"_s)) {
            k = cells.indexOf(u"Kosten"_s);
            h = cells.indexOf(u"Dauer"_s);
        } else if (cells.value(0) == u"Summe:"_s) {
            sums << cells.value(k) << cells.value(h);
        } else if (k >= 0 && QRegularExpression(u"^K\\d$"_s).match(cells.value(0)).hasMatch()) {
            kosten += cells.value(k).toDouble();
            dauer += cells.value(h).toDouble();
        }
    }
    EXPECT_EQ(sums, (QStringList{u"2.15"_s, u"15.1"_s}));
    EXPECT_EQ(std::pair(data::amountUnits(kosten, 2), data::amountUnits(dauer, 1)),
              std::pair(qint64(215), qint64(151)));
}

// Both ways in: the command line and the dialog, on the same file.
TEST_P(ImportTest, CommandLineAndDialog)
{
    seed();
    const QString file = writeFile(tempPath() + u"/neu.csv"_s, "Name;Gruppe;Bereich\n"
                                                               "\"Neu, Nina\";Ets;Logistik\n"
                                                               "\"Alt, Otto\";Ets;Mond\n");
    const QString db = target().location;
    EXPECT_EQ(orvdb({u"import"_s, u"Mitarbeiter"_s, file, db}),
              std::tuple(1, QString(),
                         u"orvdb: %1: Für das Pflichtfeld „Kategorie“ gibt es keine Spalte in der Datei. "
                         "Die Überschriften stehen in Zeile 1.\n"_s.arg(file)));
    writeFile(file, "Name;Kat.;Bereich\n\"Neu, Nina\";Angestellte;Logistik\n\"Alt, Otto\";Ets;Mond\n");
    const QString values = writeFile(tempPath() + u"/werte.csv"_s, "Feld;Wert;wird zu\nKategorie;Angestellte;Ets\n");
    for (const char *dry : {"--dry-run", "--update"}) {
        const auto [code, out, err] =
            orvdb({u"import"_s, QLatin1String(dry), u"--werte"_s, values, u"mitarbeiter"_s, file, db});
        EXPECT_EQ(code, 1) << dry;
        EXPECT_TRUE(out.contains(u": 1 neu, 0 geändert, 0 unverändert, 0 übersprungen, 1 abgewiesen"_s))
            << out.toStdString();
        EXPECT_TRUE(err.startsWith(u"Zeile 3, Spalte „Bereich“: Der eingegebene Bereich ist nicht vorhanden!"_s))
            << err.toStdString();
    }
    EXPECT_EQ(count(u"Mitarbeiter"_s), 4);
    EXPECT_EQ(std::get<0>(orvdb({u"import"_s, u"Personal"_s, file, db})), 2);
    EXPECT_EQ(std::get<0>(orvdb({u"import"_s, u"--werte"_s, file, u"Mitarbeiter"_s, file, db})), 2);

    // A chosen sheet of a workbook, not the first one.
    const QString book = tempPath() + u"/mappe.xlsx"_s;
    lxw_workbook *wb = workbook_new(book.toUtf8().constData());
    for (const char *name : {"Alt", "Neu 2027"}) {
        lxw_worksheet *sheet = workbook_add_worksheet(wb, name);
        const char *cells[] = {"Name", "Kat.", "Bereich", "Blatt, ", "Ets", "Einkauf"};
        for (int i = 0; i < 6; ++i)
            worksheet_write_string(sheet, i / 3, i % 3, i == 3 ? (QByteArray("Blatt, ") + name).constData() : cells[i],
                                   nullptr);
    }
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    EXPECT_EQ(std::get<0>(orvdb({u"import"_s, u"--blatt"_s, u"Neu 2027"_s, u"Mitarbeiter"_s, book, db})), 0);
    EXPECT_EQ(rows(u"SELECT Name FROM Mitarbeiter WHERE Name LIKE 'Blatt%'"_s), QStringList{u"Blatt, Neu 2027"_s});

    // The dialog: the column without a known heading is assigned by hand, then checked and imported.
    writeFile(file, "Name;Gruppe;Bereich\n\"Neu, Paul\";Ets;Logistik\n\"Alt, Otto\";Ets;Mond\n");
    dialogs::FrmImport dlg;
    dlg.loadFile(file);
    auto *hint = dlg.findChild<QLabel *>(u"lblHinweis"_s);
    // Where the headings are, said once.
    EXPECT_EQ(hint->text(), u"Überschriften in Zeile 1, 2 Zeile(n) darunter. Für das Pflichtfeld „Kategorie“ gibt es "
                            "keine Spalte in der Datei."_s);
    auto *gruppe = dlg.findChild<QComboBox *>(u"cmbFeld(1)"_s);
    gruppe->setCurrentIndex(gruppe->findText(u"Kategorie"_s));
    EXPECT_EQ(hint->text(), u"Überschriften in Zeile 1, 2 Zeile(n) darunter."_s);
    dlg.findChild<QPushButton *>(u"cmdPruefen"_s)->click();
    auto *errors = dlg.findChild<QTableWidget *>(u"tblFehler"_s);
    ASSERT_EQ(errors->rowCount(), 1);
    EXPECT_TRUE(errors->item(0, 2)->text().startsWith(u"Der eingegebene Bereich ist nicht vorhanden!"_s));
    // Each value under its own heading.
    auto *preview = dlg.findChild<QTableWidget *>(u"tblVorschau"_s);
    QStringList shown;
    for (int c = 0; c < preview->columnCount(); ++c)
        shown << preview->horizontalHeaderItem(c)->text() + u'='
                     + (preview->item(0, c) ? preview->item(0, c)->text() : QString());
    EXPECT_EQ(shown, (QStringList{u"Zeile=2"_s, u"Ergebnis=neu"_s, u"Nachname, Vorname=Neu, Paul"_s, u"Kostenstelle="_s,
                                  u"Abteilung="_s, u"Kategorie=Ets"_s, u"Bereich=Logistik"_s}));
    EXPECT_EQ(count(u"Mitarbeiter"_s), 5);
    prompter.expectMessageMatching(
        u"^Import abgeschlossen: 1 neu, 0 geändert\\.\r\n1 Zeile\\(n\\) wurden "
        "abgewiesen \\(siehe Liste\\)\\.(\r\n\r\nSicherung vor dem Import:\r\n.*-vor-Import(-\\d+)?\\.mdb)?$"_s,
        u"Importieren"_s, ui::Icon::Exclamation);
    dlg.findChild<QPushButton *>(u"cmdImportieren"_s)->click();
    EXPECT_EQ(count(u"Mitarbeiter"_s), 6);
    // The refused row to mend: the file's columns, then line, column and reason.
    prompter.expectModal([](QDialog &d) { d.done(QDialog::Accepted); });
    prompter.expectMessage(u"Die Fehlerliste (1 abgewiesene Zeilen) ist gespeichert in\r\n"_s + tempPath()
                               + u"/neu abgewiesen.csv"_s,
                           u"Importieren"_s, ui::Icon::Information);
    dlg.findChild<QPushButton *>(u"cmdFehlerliste"_s)->click();
    EXPECT_FALSE(prompter.pending());
    EXPECT_TRUE(orv::test::readFile(tempPath() + u"/neu abgewiesen.csv"_s)
                    .startsWith("\xEF\xBB\xBFName;Gruppe;Bereich;Zeile;Spalte;Grund\r\n"
                                "Alt, Otto;Ets;Mond;3;Bereich;Der eingegebene Bereich ist nicht vorhanden! Erlaubt: "));
    // The assignment of "Gruppe" is kept for the next file with that heading.
    dialogs::FrmImport again;
    again.loadFile(file);
    EXPECT_EQ(child<QComboBox>(again, u"cmbFeld(1)"_s)->currentText(), u"Kategorie"_s);
}

// The list of refused rows carries every reason of a row and guards what a
// spreadsheet would compute, as the export does.
TEST_P(ImportTest, RefusalListCarriesEveryReasonAndNoFormula)
{
    const QString file = writeFile(tempPath() + u"/f.csv"_s, "Name;Kategorie;Bereich\n"
                                                             "\"=HYPERLINK(\"\"http://x\"\")\";@SUM(1);-2+3\n"
                                                             "\"Gut, Gabi\";Ets;Einkauf\n");
    imp::Import imp(data::schema::mitarbeiter(), imp::readFile(file));
    const imp::ImportResult r = imp.run(db(), Mode::AddOnly, false);
    const QString saved = tempPath() + u"/abgewiesen.csv"_s;
    imp.saveRefusals(r, saved);
    const QByteArray bytes = orv::test::readFile(saved);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(
        QString::fromUtf8(bytes.mid(3)),
        u"Name;Kategorie;Bereich;Zeile;Spalte;Grund\r\n"
        "\"'=HYPERLINK(\"\"http://x\"\")\";\"'@SUM(1)\";\"'-2+3\";2;\"Name\nKategorie\nBereich\";\"Der Name muß "
        "in der Form 'Nachname, Vorname' eingegeben werden!\nDie eingegebene Kategorie ist nicht vorhanden! "
        "Erlaubt: „Ets“, „I/C“, „O“.\nDer eingegebene Bereich ist nicht vorhanden! Erlaubt: „DUV Einparkhilfe“, "_s
            + u"„DUV Einzelschalter“, „DUV Elektronik“, „DUV Lenkstockschalter“, „DUV LWS/Regensensoren“, „DUV "
              "Motoren“, „DUV Motormanagement Sensoren“, „Controlling“, „Einkauf“, „Franz. Projekte“, "
              "„Industrial Engineering“, „Logistik“, „P0 Management“, „Personalwesen“, "
              "„Qualitätssicherung“, „Werkleitung“, „Werksinstandhaltung“.\"\r\n"_s);
    // Read back, the mended list's own columns are left out and its texts are the file's again.
    const imp::Import back(data::schema::mitarbeiter(), imp::readFile(saved));
    EXPECT_EQ(back.cells(0).mid(0, 3), (QStringList{u"=HYPERLINK(\"http://x\")"_s, u"@SUM(1)"_s, u"-2+3"_s}));
    EXPECT_EQ(imp::fieldsOfColumns(back.mapping(), 6), (std::vector<int>{0, 3, 4, -1, -1, -1}));
}

// "Abbrechen" in the progress window while the rows are being written: the
// database as it was, the user told so, nothing left half done beside the file.
// The window shows from the start and the dialog takes no second click meanwhile.
TEST_P(ImportTest, CancelInTheProgressWindowLeavesTheDatabase)
{
    seed();
    const QString all = u"SELECT * FROM Mitarbeiter ORDER BY Name"_s;
    const QStringList before = rows(all);
    // More than one batch is written before the click.
    QByteArray csv = "Name;Kategorie;Bereich\n";
    for (int i = 0; i < 100000; ++i)
        csv += "\"Name" + QByteArray::number(i) + ", Vorname\";Ets;Einkauf\n";
    dialogs::FrmImport dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    dlg.loadFile(writeFile(tempPath() + u"/viele.csv"_s, csv));
    // The user watches the bar, tries the button once more, and clicks "Abbrechen" once most rows are written.
    int clickedAt = -1, maximum = 0;
    bool secondClickTaken = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &dlg, [&] {
        auto *progress = dlg.findChild<QProgressDialog *>(u"frmImportFortschritt"_s);
        if (clickedAt >= 0 || !progress || !progress->isVisible() || progress->value() * 5 < progress->maximum() * 4)
            return;
        clickedAt = progress->value();
        maximum = progress->maximum();
        secondClickTaken = child<QPushButton>(dlg, u"cmdImportieren"_s)->isEnabled();
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
    EXPECT_FALSE(secondClickTaken);
    EXPECT_EQ(rows(all), before);
    EXPECT_EQ(child<QLabel>(dlg, u"lblErgebnis"_s)->text(), QString());
    EXPECT_TRUE(child<QPushButton>(dlg, u"cmdImportieren"_s)->isEnabled());
    if (!isPostgres()) {
        // No journal to roll back at the next start; the copy taken before writing is whole.
        const QFileInfo file(target().location);
        EXPECT_FALSE(QFileInfo::exists(file.filePath() + u"-journal"_s));
        const QStringList copies = QDir(file.absolutePath() + u"/Sicherung"_s).entryList(QDir::Files);
        ASSERT_EQ(copies.size(), 1) << copies.join(u' ').toStdString();
        EXPECT_TRUE(copies[0].endsWith(u"-vor-Import.mdb"_s)) << copies[0].toStdString();
    }
}

// The new user's three files as they come (a staff list in Windows-1252 with
// separate name columns and words for the category, a LibreOffice course
// workbook with a title, currency cells, an empty row and a sum formula, a
// plan with status words and "x"/"ja"), and the same saved as .ods, through
// the dialog; the words assigned once are offered again for the second files.
TEST_P(ImportTest, TheNewUsersFilesGoInThroughTheDialog)
{
    const QList<QStringList> staff = {
        {u"Personalnummer"_s, u"Nachname"_s, u"Vorname"_s, u"Kostenstelle"_s, u"Abteilung"_s, u"Kategorie"_s,
         u"Bereich"_s},
        {u"4711"_s, u"Müller"_s, u"Jürgen"_s, u"4100"_s, u"EK-1"_s, u"Angestellte"_s, u"Einkauf"_s},
        {u"4712"_s, u"Schäfer"_s, u"Anna"_s, u"4200"_s, u"LOG"_s, u"Gewerbliche"_s, u"Logistik"_s},
        {u"4713"_s, u"Nguyen"_s, u"Thi"_s, u"4300"_s, u"QS"_s, u"Ingenieure"_s, u"Qualitätssicherung"_s}};
    const QList<QStringList> courses = {
        {u"Kursprogramm 2027"_s},
        {},
        {u"Kurs-Nr."_s, u"Rubrik"_s, u"Beschreibung"_s, u"Art"_s, u"Referent"_s, u"Kosten (€)"_s, u"Dauer (Std.)"_s},
        {u"K10"_s, u"IT"_s, u"Excel für Einsteiger"_s, u"intern"_s, u"Meier"_s, u"€250"_s, u"#1.875"_s},
        {u"K11"_s, u"Sprachen"_s, u"Englisch B1"_s, u"extern"_s, u"Smith"_s, u"€1234.5"_s, u"#11.25"_s},
        {u"K12"_s, u"Qualität"_s, u"Audit"_s, u"intern"_s, QString(), u"€99.99"_s, u"#18.75"_s},
        {u"Summe"_s, QString(), QString(), QString(), QString(), u"=SUM([.F4:.F6])|1584.49"_s,
         u"=SUM([.G4:.G6])|31.875"_s}};
    const QList<QStringList> plan = {
        {u"Kurs-Nr."_s, u"Name"_s, u"von"_s, u"bis"_s, u"Status"_s, u"Rechnung"_s, u"Beurteilung"_s},
        {u"K10"_s, u"Müller, Jürgen"_s, u"01.03.2027"_s, u"02.03.2027"_s, u"geplant"_s, u"x"_s, u"ja"_s},
        {u"K11"_s, u"Schäfer, Anna"_s, u"10.05.2027"_s, u"14.05.2027"_s, u"offen"_s, QString(), u"nein"_s},
        {u"K12"_s, u"Nguyen, Thi"_s, u"01.02.2027"_s, u"01.02.2027"_s, u"erledigt"_s, u"ja"_s, u"x"_s}};
    const auto csvOf = [](const QList<QStringList> &rows) {
        QByteArray out;
        for (const QStringList &r : rows) {
            QStringList quoted;
            for (const QString &c : r)
                quoted << (c.contains(u',') ? u'"' + c + u'"' : c);
            out += quoted.join(u';').toLatin1() + "\r\n";
        }
        return out; // Windows-1252: the letters here are all in Latin-1
    };
    const auto odsOf = [this](const QString &name, const QList<QStringList> &rows) {
        QByteArray xml;
        for (const QStringList &r : rows)
            xml += odsRow(r);
        return writeOds(tempPath() + u'/' + name + u".ods"_s, {{"Tabelle1", xml}});
    };
    const QString xlsx = tempPath() + u"/Kurse 2027.xlsx"_s;
    {
        lxw_workbook *book = workbook_new(xlsx.toUtf8().constData());
        lxw_worksheet *sheet = workbook_add_worksheet(book, "Kurse");
        lxw_format *euro = workbook_add_format(book);
        format_set_num_format(euro, "#,##0.00 [$€-407]");
        for (int r = 0; r < int(courses.size()); ++r)
            for (int c = 0; c < int(courses[r].size()); ++c) {
                const QString v = courses[r][c];
                if (v.startsWith(u'=')) {
                    const QString f = v.section(u'|', 0, 0).replace(u"[."_s, QString()).replace(u']', QString());
                    worksheet_write_formula_num(sheet, r, c, f.toUtf8().constData(), euro,
                                                v.section(u'|', 1).toDouble());
                } else if (v.startsWith(u'€') || v.startsWith(u'#')) {
                    worksheet_write_number(sheet, r, c, v.mid(1).toDouble(), v.startsWith(u'€') ? euro : nullptr);
                } else if (!v.isEmpty()) {
                    worksheet_write_string(sheet, r, c, v.toUtf8().constData(), nullptr);
                }
            }
        ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
    }
    struct Step {
        const char *table;
        QString file;
        std::vector<std::pair<QString, QString>> words; // value in the file -> item's caption
        QString hint;
    };
    const Step rounds[2][3] = {
        {{"Mitarbeiter",
          writeFile(tempPath() + u"/Personal.csv"_s, csvOf(staff)),
          {{u"Angestellte"_s, u"Ets"_s}, {u"Gewerbliche"_s, u"O"_s}, {u"Ingenieure"_s, u"I/C"_s}},
          u"Nachname, Vorname = „Nachname“ + „, “ + „Vorname“."_s},
         {"Kurs", xlsx, {{u"intern"_s, u"I"_s}, {u"extern"_s, u"E"_s}}, u"Überschriften in Zeile 3"_s},
         {"Trainingsplan",
          writeFile(tempPath() + u"/Plan.csv"_s, csvOf(plan)),
          {{u"offen"_s, u"Bedarf"_s}},
          u"3 Zeile(n) darunter"_s}},
        {{"Mitarbeiter", odsOf(u"Personal"_s, staff), {}, {}},
         {"Kurs", odsOf(u"Kurse 2027"_s, courses), {}, {}},
         {"Trainingsplan", odsOf(u"Plan"_s, plan), {}, {}}},
    };
    for (int round = 0; round < 2; ++round) {
        db().exec(u"DELETE FROM Trainingsplan"_s);
        db().exec(u"DELETE FROM Kurs"_s);
        db().exec(u"DELETE FROM Mitarbeiter"_s);
        for (const Step &step : rounds[round]) {
            dialogs::FrmImport dlg;
            ASSERT_TRUE(orv::test::activate(&dlg));
            auto *table = child<QComboBox>(dlg, u"cmbTabelle"_s);
            table->setCurrentIndex(table->findText(QLatin1String(step.table)));
            dlg.loadFile(step.file);
            EXPECT_TRUE(child<QLabel>(dlg, u"lblHinweis"_s)->text().contains(step.hint))
                << child<QLabel>(dlg, u"lblHinweis"_s)->text().toStdString();
            auto *words = child<QTableWidget>(dlg, u"tblWerte"_s);
            for (int r = 0; r < words->rowCount(); ++r) {
                auto *item = static_cast<QComboBox *>(words->cellWidget(r, 3));
                if (round == 0) {
                    EXPECT_EQ(item->currentIndex(), 0) << words->item(r, 1)->text().toStdString();
                    for (const auto &[word, caption] : step.words)
                        if (words->item(r, 1)->text() == word)
                            item->setCurrentIndex(item->findText(caption));
                }
                // Assigned once, offered so again.
                EXPECT_GT(item->currentIndex(), 0) << step.table << " " << words->item(r, 1)->text().toStdString();
            }
            EXPECT_EQ(words->rowCount(), round == 0 ? int(step.words.size()) : words->rowCount());
            prompter.expectMessageMatching(
                u"^Import abgeschlossen: 3 neu, 0 geändert\\.(\r\n\r\nSicherung vor dem Import:\r\n.*-vor-Import(-\\d+)?\\.mdb)?$"_s,
                u"Importieren"_s, ui::Icon::Information);
            clickButton(dlg, u"cmdImportieren"_s);
            EXPECT_TRUE(child<QLabel>(dlg, u"lblErgebnis"_s)->text().startsWith(u"Importiert: 3 neu"_s))
                << child<QLabel>(dlg, u"lblErgebnis"_s)->text().toStdString();
        }
        EXPECT_EQ(
            rows(u"SELECT Name, Kostenstelle, Abteilung, Kategorie, Bereich FROM Mitarbeiter ORDER BY Name"_s),
            (QStringList{u"Müller, Jürgen/4100/EK-1/Ets/Einkauf"_s, u"Nguyen, Thi/4300/QS/I/C/Qualitätssicherung"_s,
                         u"Schäfer, Anna/4200/LOG/O/Logistik"_s}))
            << round;
        EXPECT_EQ(amounts(u"SELECT KursNr, Rubrik, Art, Referent, Kosten, Dauer FROM Kurs ORDER BY KursNr"_s),
                  (QStringList{u"K10/IT/I/Meier/250/1.9"_s, u"K11/Sprachen/E/Smith/1234.5/11.3"_s,
                               u"K12/Qualität/I//99.99/18.8"_s}))
            << round;
        EXPECT_EQ(rows(u"SELECT KursNr, Status, Rechnung, Beurteilung FROM Trainingsplan ORDER BY KursNr"_s),
                  (isPostgres() ? QStringList{u"K10/1/t/t"_s, u"K11/0/f/f"_s, u"K12/2/t/t"_s}
                                : QStringList{u"K10/1/1/1"_s, u"K11/0/0/0"_s, u"K12/2/1/1"_s}))
            << round;
    }
}

// Opened from a record window the dialog proposes that window's table, and
// the file chooser starts in the folder of the last file.
TEST_P(ImportTest, ProposesTheOpenersTableAndTheLastFolder)
{
    seed();
    app::FrmMain main;
    ASSERT_TRUE(orv::test::activate(&main));
    QStringList proposed;
    for (const ui::WindowId window : {ui::WindowId::Trainingsplan, ui::WindowId::Kurs}) {
        main.openWindow(window);
        prompter.expectModal([&proposed](QDialog &d) {
            proposed << child<QComboBox>(d, u"cmbTabelle"_s)->currentText();
            d.reject();
        });
        main.openWindow(ui::WindowId::Import);
    }
    EXPECT_EQ(proposed, (QStringList{u"Trainingsplan"_s, u"Kurs"_s}));

    dialogs::FrmImport first;
    first.loadFile(writeFile(tempPath() + u"/Personal/liste.csv"_s, "Name;Kategorie;Bereich\n"));
    dialogs::FrmImport next;
    QString folder;
    prompter.expectModal([&folder](QDialog &d) {
        folder = static_cast<QFileDialog &>(d).directory().absolutePath();
        d.reject();
    });
    clickButton(next, u"cmdDurchsuchen"_s);
    EXPECT_EQ(folder, QDir(tempPath() + u"/Personal"_s).absolutePath());
}

ORV_DB_TEST_SUITE(ImportTest);

// ---- hostile files ---------------------------------------------------------------

// Each gets a German reason before anything is read into the database.
TEST(ImportHostile, FilesGetAGermanReason)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    const QByteArray head = "Nachname, Vorname;Kategorie;Bereich\n";
    lxw_workbook *book = workbook_new((d + u"/verbunden.xlsx"_s).toUtf8().constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    worksheet_write_string(sheet, 0, 0, "Name", nullptr);
    worksheet_write_string(sheet, 0, 1, "Kategorie", nullptr);
    worksheet_write_string(sheet, 0, 2, "Bereich", nullptr);
    worksheet_merge_range(sheet, 1, 1, 2, 1, "Ets", nullptr);
    workbook_close(book);
    const QStringList heading = {u"Name"_s, u"Kategorie"_s, u"Bereich"_s};
    const QByteArray ole = QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, 0);

    const std::pair<QString, const char *> cases[] = {
        {writeFile(d + u"/kaputt.xlsx"_s, "PK\x03\x04 kein Archiv"), "beschädigt oder keine Excel-Arbeitsmappe"},
        {writeFile(d + u"/kennwort.xlsx"_s, ole), "verschlüsselt"},
        {writeFile(d + u"/alt.xls"_s, ole), "im alten Excel-Format (.xls) gespeichert"},
        {writeFile(d + u"/alt.xls.csv"_s, ole), "alten Excel-Format (.xls)"},
        {d + u"/verbunden.xlsx"_s, "in Zeile 2 verbundene Zellen"},
        {writeFile(d + u"/lang.csv"_s, head + "\"A, B\";" + QByteArray(1000000, 'x') + ";Einkauf\n"),
         "Zeile 2, Spalte B: Die Zelle ist länger als 32767 Zeichen."},
        {writeXlsx(d + u"/lang.xlsx"_s, inlineRow(1, heading) + inlineRow(2, {u"A, B"_s, QString(40000, u'x')})),
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
        {writeFile(d + u"/gemischt.csv"_s, head + "\"M\xC3\xBCller, A\";Ets;Einkauf\n\"M\xFCller, A\";Ets;Einkauf\n"),
         "mischt zwei Kodierungen: UTF-8 (zuerst in Zeile 2) und Zeichen, die kein UTF-8 sind (zuerst in Zeile 3)"},
        {writeFile(d + u"/bommitte.csv"_s, head + "\"A, B\";Ets;Einkauf\n\xEF\xBB\xBF\"C, D\";Ets;Einkauf\n"),
         "in Zeile 3 ein Byte-Order-Mark (U+FEFF) mitten im Text"},
        {writeXlsx(d + u"/entitaet.xlsx"_s,
                   inlineRow(1, heading) + "<row r=\"2\"><c t=\"inlineStr\"><is><t>&x;, Root</t></is></c></row>",
                   "<!DOCTYPE worksheet [<!ENTITY x SYSTEM \"file:///etc/hostname\">]>"),
         "eine Dokumenttypdefinition oder eine Entität"},
    };
    for (const auto &[file, reason] : cases) {
        const QString got = readerError([&file] {
            imp::Import imp(data::schema::mitarbeiter(), imp::readFile(file));
            imp.checkCells();
        });
        EXPECT_TRUE(got.contains(QString::fromUtf8(reason))) << file.toStdString() << ": " << got.toStdString();
    }
    // A workbook under a CSV file's name, or LibreOffice's own format, is read for what it is.
    QFile::copy(d + u"/verbunden.xlsx"_s, d + u"/mappe.csv"_s);
    EXPECT_EQ(imp::readFile(d + u"/mappe.csv"_s).cells(0), heading);
}

// A cell (or a run of blanks) of a gigabyte in a small workbook stops at the
// cell's limit while it is read, in a process allowed far less memory.
TEST(ImportHostile, GigabyteCellStaysSmall)
{
    QTemporaryDir dir;
    orv::test::newDatabase(dir.path() + u"/orv.mdb"_s).close();
    const QByteArray gig(1 << 20, 'x'), blanks(1 << 20, ' ');
    const std::pair<QByteArray, QByteArray> cells[] = {
        {"<row r=\"2\"><c t=\"inlineStr\"><is><t>A, B</t></is></c><c t=\"inlineStr\"><is><t>", "</t></is></c></row>"},
        {"<row r=\"2\">", "</row>"}};
    int n = 0;
    for (const auto &[before, after] : cells) {
        const QString file = dir.path() + u"/gross%1.xlsx"_s.arg(n);
        zipFile zip = zipOpen64(QFile::encodeName(file).constData(), APPEND_STATUS_CREATE);
        const QByteArray rels =
            R"(<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/></Relationships>)";
        const QByteArray wb =
            R"(<workbook xmlns:r="r"><sheets><sheet name="L" sheetId="1" r:id="rId1"/></sheets></workbook>)";
        for (const auto &[name, data] : {std::pair("xl/workbook.xml", wb), {"xl/_rels/workbook.xml.rels", rels}}) {
            zipOpenNewFileInZip64(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 1);
            zipWriteInFileInZip(zip, data.constData(), unsigned(data.size()));
            zipCloseFileInZip(zip);
        }
        zipOpenNewFileInZip64(zip, "xl/worksheets/sheet1.xml", nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1,
                              1);
        const QByteArray start = "<worksheet><sheetData>" + inlineRow(1, {u"Name"_s, u"Kategorie"_s}) + before;
        zipWriteInFileInZip(zip, start.constData(), unsigned(start.size()));
        for (int i = 0; i < 1024; ++i)
            zipWriteInFileInZip(zip, (n == 0 ? gig : blanks).constData(), unsigned(gig.size()));
        const QByteArray end = after + "</sheetData></worksheet>";
        zipWriteInFileInZip(zip, end.constData(), unsigned(end.size()));
        zipCloseFileInZip(zip);
        zipClose(zip, nullptr);
        EXPECT_LT(QFileInfo(file).size(), 8 << 20);
        const auto [code, out, err] =
            orvdb({u"import"_s, u"--dry-run"_s, u"Mitarbeiter"_s, file, dir.path() + u"/orv.mdb"_s}, rlim_t(768) << 20);
        EXPECT_EQ(code, 1);
        EXPECT_TRUE(err.contains(n == 0 ? u"Zeile 2, Spalte B: Die Zelle ist länger als 32767 Zeichen."_s
                                        : u"Zeile 2, Spalte A: Die Zelle ist länger als 32767 Zeichen."_s))
            << err.toStdString();
        ++n;
    }
}

// An allocation that fails ends the import with a German message, never the program.
TEST(ImportHostile, TooLittleMemoryEndsTheImportWithAMessage)
{
    QTemporaryDir dir;
    orv::test::newDatabase(dir.path() + u"/orv.mdb"_s).close();
    QByteArray rows = "Name;Kategorie;Bereich;Bemerkung\n";
    const QByteArray row = "\"Name, Vorname\";Ets;Einkauf;" + QByteArray(170, 'x') + "\n";
    rows.reserve(qsizetype(row.size()) * 1000000 + rows.size());
    for (int i = 0; i < 1000000; ++i)
        rows += row;
    const QString file = writeFile(dir.path() + u"/gross.csv"_s, rows);
    rows = QByteArray();
    const auto [code, out, err] =
        orvdb({u"import"_s, u"--dry-run"_s, u"Mitarbeiter"_s, file, dir.path() + u"/orv.mdb"_s}, rlim_t(250) << 20);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(err.contains(u"reicht der Arbeitsspeicher nicht"_s)) << err.toStdString();
}

// The list: the rows below the headings up to the first empty row after them;
// a line break in a quoted cell is no empty row, nor is an empty row right under the headings.
TEST(ImportList, EndsAtTheFirstEmptyRowBelowIt)
{
    const struct {
        QByteArray csv;
        qint64 rows;
        QString notice;
    } cases[] = {
        {"Name;Kategorie;Bereich\n\"A, B\";Ets;\"Ein\n\nkauf\"\n\"C, D\";Ets;Einkauf\n", 2, QString()},
        {"Titel\nName;Kategorie;Bereich\n\n\n\"A, B\";Ets;Einkauf\n\"C, D\";Ets;Einkauf\n", 2, QString()},
        {"Name;Kategorie;Bereich\n\"A, B\";Ets;Einkauf\n;\n\"C, D\";Ets;Einkauf\nSumme\n", 1,
         u"Die Liste endet mit einer leeren Zeile; die 2 Zeile(n) darunter, ab Zeile 4, werden nicht eingelesen."_s},
    };
    for (const auto &c : cases) {
        const imp::Import imp(data::schema::mitarbeiter(), imp::readCsv(c.csv));
        EXPECT_EQ(std::pair(imp.rowCount(), imp.notice()), std::pair(c.rows, c.notice)) << c.csv.toStdString();
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
    for (const QString &file :
         {writeFile(dir.path() + u"/leer.csv"_s, csv), writeXlsx(dir.path() + u"/leer.xlsx"_s, xml)}) {
        const imp::Import imp(data::schema::mitarbeiter(), imp::readFile(file));
        EXPECT_EQ(imp.rowCount(), 1) << file.toStdString();
        EXPECT_EQ(imp.notice(), u"Die Liste endet mit einer leeren Zeile; die 1 Zeile(n) darunter, ab Zeile 1000003, "
                                "werden nicht eingelesen."_s);
    }
}

// A copy that was cut off leaves its journal beside it; the day's clean-up takes both away.
TEST(ImportBackup, LeftOversOfAnInterruptedCopyAreRemoved)
{
    QTemporaryDir dir;
    data::Connection db = orv::test::newDatabase(dir.path() + u"/orv.mdb"_s);
    db.close();
    const QString folder = data::backupFolder(dir.path() + u"/orv.mdb"_s);
    const QString left = folder + u"/orv-2020-01-01-120000-vor-Import.mdb.4711-0badf00d.tmp"_s;
    for (const QString &f : {left, left + u"-journal"_s}) {
        writeFile(f, "halb");
        const QDateTime old = QDateTime::currentDateTime().addDays(-2);
        QFile file(f);
        file.open(QIODevice::ReadWrite);
        file.setFileTime(old, QFileDevice::FileModificationTime);
    }
    EXPECT_TRUE(data::makeDailyBackup(dir.path() + u"/orv.mdb"_s, QDate::currentDate()));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{data::dailyBackupName(QDate::currentDate())});
}
