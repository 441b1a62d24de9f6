#include "data/dberror.h"
#include "data/format.h"
#include "reports/reportprint.h"
#include "reports/testreportdialog.h"
#include "support/recordingprinter.h"
#include "support/testenv.h"
#include "ui/statuspanels.h"

#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

using namespace orv;
using namespace orv::test;
using reportdata::Orientation;
using Op = RecordingPrinter::Op;

namespace {

constexpr double L = RecordingPrinter::a4Long, S = RecordingPrinter::a4Short;
double lh(double size) { return RecordingPrinter::lineHeight(size); }

class ReportPrintTest : public OrvTest {
protected:
    void SetUp() override
    {
        OrvTest::SetUp();
        log = std::make_shared<RecordingPrinter::Log>();
        RecordingPrinter::install(log);
    }
    void TearDown() override
    {
        RecordingPrinter::uninstall();
        OrvTest::TearDown();
    }
    void print(TestReportDialog &dlg) { clickButton(dlg, u"cmdDrucken"_s); }
    // What was drawn on a page, one item a text: "x,y font size text" for a
    // text, "x,y-x2,y2" for a line, "logo x,y size" for the logo.
    QStringList drawn(int page, Op op) const
    {
        QStringList out;
        for (const auto &i : log->items) {
            if (i.page != page || i.op != op)
                continue;
            const QString at = u"%1,%2"_s.arg(i.x).arg(i.y);
            out << (op == Op::Text   ? u"%1 %2 %3 %4"_s.arg(at, i.font, QString::number(i.size), i.text)
                    : op == Op::Line ? u"%1-%2,%3"_s.arg(at, QString::number(i.x2), QString::number(i.y2))
                                     : u"logo %1 %2"_s.arg(at, QString::number(i.size)));
        }
        return out;
    }
    std::shared_ptr<RecordingPrinter::Log> log;
};

// A body of n lines "Zeile 0", "Zeile 1", ...
QString numbered(int n)
{
    QStringList lines;
    for (int i = 0; i < n; ++i)
        lines << u"Zeile %1"_s.arg(i);
    return lines.join(u"\r\n"_s);
}

// The frame of a landscape page.
const QStringList frame = {u"500,200-16638,200"_s, u"16638,200-16638,11706"_s, u"16638,11706-500,11706"_s,
                           u"500,11706-500,200"_s};

// Lines are 240 twips apart at size 10, 288 at 12 and 384 at 16.
TEST_F(ReportPrintTest, FirstPageCarriesFrameHeadingRuleAndHeaderAtTheirPositions)
{
    setSetting("Remark", u"Entwurf"_s);
    TestReportDialog dlg(fixedReport(u"Liste Test"_s, u"Kopf 1\r\nKopf 2"_s, u"Zeile 1\r\nZeile 2\r\n"_s));
    print(dlg);

    EXPECT_EQ(log->orientation, Orientation::Landscape);
    EXPECT_EQ(QPointF(log->scaledWidth, log->scaledHeight), QPointF(L, S));
    EXPECT_EQ(drawn(1, Op::Text),
              (QStringList{u"13338,300 Arial 8 ORV V. 1.0.1"_s, u"2000,300 Arial 16 Liste Test"_s, u"0,684 Arial 12 "_s,
                           u"2000,972 Arial 12 Datum: "_s + data::formatDate(QDate::currentDate()) + u"   Entwurf"_s,
                           u"16638,1300 Courier New 10 "_s, u"14838,1540 Courier New 10 Seite: 1"_s,
                           u"600,1780 Courier New 10 Kopf 1"_s, u"600,2020 Courier New 10 Kopf 2"_s,
                           u"0,2260 Courier New 10 "_s, u"600,2500 Courier New 10 Zeile 1"_s,
                           u"600,2740 Courier New 10 Zeile 2"_s,
                           // The body ends with CR LF: one more, empty line.
                           u"600,2980 Courier New 10 "_s}));
    EXPECT_EQ(drawn(1, Op::Line), frame + QStringList{u"500,1300-16638,1300"_s});
    EXPECT_EQ(drawn(1, Op::Logo), QStringList{u"logo 600,300 48"_s});
    EXPECT_EQ(log->items.back().op, Op::End);
    EXPECT_EQ(log->items.back().page, 1);
}

TEST_F(ReportPrintTest, BodyFontIsFittedToTheLongestLine)
{
    const QString x208(208, u'x');
    struct Case {
        const char *name;
        Orientation orientation;
        QString body;
        double size;
    } cases[] = {
        {"short lines", Orientation::Landscape, u"Kurz\r\nauch kurz"_s, 10},
        {"a longer line further down", Orientation::Landscape, u"Kurz\r\n"_s + QString(300, u'x'), 4},
        {"208 characters landscape", Orientation::Landscape, x208, 6},
        {"grouped list opens with an empty line and a group heading", Orientation::Landscape,
         u"\r\nBereich:\r\n"_s + x208, 6},
        {"exactly at the limit is too wide", Orientation::Portrait, QString(11206 / 120, u'x'), 10},
        {"93 characters are 11160 twips, under the limit", Orientation::Portrait, QString(93, u'x'), 10},
        {"100 characters portrait", Orientation::Portrait, QString(100, u'x'), 9},
        {"very long line stops at size 1", Orientation::Portrait, QString(5000, u'x'), 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        log->items.clear();
        TestReportDialog dlg(fixedReport(u"T"_s, QString(), c.body, c.orientation));
        print(dlg);
        const auto *seite = log->findText(u"Seite: 1"_s);
        ASSERT_NE(seite, nullptr);
        EXPECT_EQ(seite->font, u"Courier New"_s);
        EXPECT_DOUBLE_EQ(seite->size, c.size);
    }
}

TEST_F(ReportPrintTest, LineBelowThePageLimitMovesToTheNextPageAfterItsHeading)
{
    TestReportDialog dlg(fixedReport(u"Liste"_s, u"Kopf"_s, numbered(45)));
    print(dlg);

    // Page 1: body from y = 2260 in steps of 240; the line at 11380 is the last at or above 11506.
    EXPECT_EQ(drawn(1, Op::Text).last(), u"600,11380 Courier New 10 Zeile 38"_s);
    QStringList page2 = {u"600,500 Courier New 10 Liste"_s, u"14838,500 Courier New 10 Seite: 2"_s,
                         u"600,740 Courier New 10 Kopf"_s, u"0,980 Courier New 10 "_s};
    for (int i = 39; i < 45; ++i)
        page2 << u"600,%1 Courier New 10 Zeile %2"_s.arg(1220 + (i - 39) * 240).arg(i);
    EXPECT_EQ(drawn(2, Op::Text), page2);
    // The second page starts once, has its frame and nothing else drawn.
    EXPECT_EQ(drawn(2, Op::NewPage).size(), 1);
    EXPECT_EQ(drawn(2, Op::Line), frame);
    EXPECT_TRUE(drawn(2, Op::Logo).isEmpty());
}

TEST_F(ReportPrintTest, ControlLinesBreakThePageAndDrawRules)
{
    TestReportDialog dlg(fixedReport(u"T"_s, QString(), u"A\r\n'Linie\r\nB\r\n'Seite\r\nC"_s));
    print(dlg);
    // The rule takes the line after A and leaves an empty line; B follows it.
    EXPECT_EQ(drawn(1, Op::Text).mid(6), (QStringList{u"600,1780 Courier New 10 A"_s, u"16638,2020 Courier New 10 "_s,
                                                      u"600,2260 Courier New 10 B"_s}));
    EXPECT_EQ(drawn(1, Op::Line).mid(5), QStringList{u"500,2020-16638,2020"_s});
    EXPECT_EQ(drawn(2, Op::Text), (QStringList{u"600,500 Courier New 10 T"_s, u"14838,500 Courier New 10 Seite: 2"_s,
                                               u"600,740 Courier New 10 C"_s}));
    EXPECT_EQ(drawn(2, Op::Line), frame);
}

// Only "ON" opens the print dialog.
TEST_F(ReportPrintTest, OrientationFollowsTheReportUnlessThePrintDialogIsOn)
{
    for (const auto &[setting, report] :
         {std::pair{"", Orientation::Portrait}, std::pair{"", Orientation::Landscape},
          std::pair{"OFF", Orientation::Portrait}, std::pair{"on", Orientation::Landscape}}) {
        SCOPED_TRACE(setting);
        if (*setting)
            setSetting("PrinterWindow", QString::fromLatin1(setting));
        *log = RecordingPrinter::Log();
        TestReportDialog dlg(fixedReport(u"T"_s, QString(), u"x"_s, report));
        print(dlg);
        EXPECT_EQ(log->dialogs, 0);
        EXPECT_EQ(log->orientation, report);
        EXPECT_DOUBLE_EQ(log->scaledWidth, report == Orientation::Landscape ? L : S);
    }
    // The document carries the report's title; the status bar names the printer it went to.
    *log = RecordingPrinter::Log();
    log->destination.printer = u"Buero-2"_s;
    TestReportDialog dlg(fixedReport(u"Liste Kurse"_s, QString(), u"x"_s));
    print(dlg);
    EXPECT_EQ(log->title, u"Liste Kurse"_s);
    EXPECT_EQ(ui::StatusPanels::instance().panelText(u"Status"_s),
              u"„Liste Kurse“ wurde auf dem Drucker „Buero-2“ gedruckt."_s);
}

TEST_F(ReportPrintTest, PrintDialogOpensInTheReportsOrientationAndKeepsTheUsersChoices)
{
    setSetting("PrinterWindow", u"ON"_s);
    TestReportDialog list(fixedReport(u"T"_s, QString(), u"x"_s, Orientation::Landscape));
    TestReportDialog employees(fixedReport(u"T"_s, QString(), u"x"_s, Orientation::Portrait));
    // The dialog opens with this orientation and number of copies, offers a page range (honoured
    // when printing) but no selection, and shows no hourglass; `choose` accepts it, none cancels.
    auto printVia = [this](TestReportDialog &dlg, QPageLayout::Orientation o, int copies,
                           std::function<void(QPrinter &)> choose) {
        prompter.expectModal([=](QDialog &d) {
            QPrinter *printer = static_cast<QPrintDialog &>(d).printer();
            EXPECT_EQ(printer->pageLayout().orientation(), o);
            EXPECT_EQ(printer->copyCount(), copies);
            EXPECT_TRUE(static_cast<QPrintDialog &>(d).testOption(QAbstractPrintDialog::PrintPageRange));
            EXPECT_FALSE(static_cast<QPrintDialog &>(d).testOption(QAbstractPrintDialog::PrintSelection));
            EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
            if (choose)
                choose(*printer);
            d.done(choose ? QDialog::Accepted : QDialog::Rejected);
        });
        print(dlg);
    };

    // Cancelled: nothing printed, nothing said.
    printVia(list, QPageLayout::Landscape, 1, nullptr);
    EXPECT_EQ(log->dialogs, 1);
    EXPECT_FALSE(log->orientationSet);
    EXPECT_TRUE(log->items.empty());

    // The user turns the list to portrait and asks for three copies ...
    printVia(list, QPageLayout::Landscape, 1, [](QPrinter &p) {
        p.setPageOrientation(QPageLayout::Portrait);
        p.setCopyCount(3);
    });
    EXPECT_EQ(log->orientation, Orientation::Portrait);
    ASSERT_FALSE(log->items.empty());
    EXPECT_EQ(log->items.back().op, Op::End);
    EXPECT_TRUE(log->busyWhilePrinting);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // ... which the next print of such a list offers again; the employee list keeps its portrait.
    printVia(list, QPageLayout::Portrait, 3, [](QPrinter &) {});
    EXPECT_EQ(log->orientation, Orientation::Portrait);
    printVia(employees, QPageLayout::Portrait, 3, [](QPrinter &p) { p.setPageOrientation(QPageLayout::Landscape); });
    EXPECT_EQ(log->orientation, Orientation::Landscape);
    printVia(list, QPageLayout::Portrait, 3, [](QPrinter &) {});
}

TEST_F(ReportPrintTest, WithoutAnyPrinterTheUserIsToldAndOfferedThePrintDialog)
{
    setSetting("PrinterWindow", u"OFF"_s);
    const QString question = u"Druckerfehler: 482 Kein Drucker vorhanden\r\nMöchten Sie den Druck abbrechen?"_s;
    TestReportDialog dlg(fixedReport(u"T"_s, QString(), u"x"_s, Orientation::Landscape));

    log->noPrinter = true;
    prompter.expectMessage(question, u"Druckerfehler"_s, ui::Icon::Question, ui::Answer::Yes);
    print(dlg);
    EXPECT_EQ(log->dialogs, 0);
    EXPECT_TRUE(log->items.empty());

    // "Nein": the print dialog, where a file can be chosen, in the report's orientation.
    prompter.expectMessage(question, u"Druckerfehler"_s, ui::Icon::Question, ui::Answer::No);
    prompter.expectModal([](QDialog &d) {
        EXPECT_EQ(static_cast<QPrintDialog &>(d).printer()->pageLayout().orientation(), QPageLayout::Landscape);
        d.done(QDialog::Accepted);
    });
    print(dlg);
    EXPECT_EQ(log->dialogs, 1);
    EXPECT_EQ(log->orientation, Orientation::Landscape);
    EXPECT_EQ(log->items.back().op, Op::End);
}

TEST_F(ReportPrintTest, HeadingTextsStayInsideTheFrameAndClearOfEachOther)
{
    const QString title = u"Liste Kurse mit Rubrik = "_s + u"Qualitätsmanagement und Prozessoptimierung"_s.left(40);
    const QString remark = u"Änderungen und Ergänzungen bitte an die Personalentwicklung melden."_s;
    const struct {
        Orientation o;
        QString title, remark;
    } cases[] = {{Orientation::Portrait, title, remark},
                 {Orientation::Landscape, title, remark},
                 {Orientation::Portrait, title, remark.repeated(3)}};
    auto right = [](const RecordingPrinter::Item *i) {
        return i->x + i->text.size() * RecordingPrinter::charWidth(i->size);
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.o) * 1000 + c.remark.size());
        *log = RecordingPrinter::Log();
        setSetting("Remark", c.remark);
        TestReportDialog dlg(fixedReport(c.title, QString(), numbered(80), c.o));
        print(dlg);
        const double w = c.o == Orientation::Landscape ? L : S;
        for (int page : {1, 2})
            for (const auto *t : log->texts(page))
                EXPECT_LE(right(t), w - 200) << t->text.toStdString();
        const auto page1 = log->texts(1);
        ASSERT_GE(page1.size(), 4u);
        const auto *program = page1[0], *shownTitle = page1[1], *date = page1[3];
        EXPECT_EQ(QPointF(program->x, program->y), QPointF(w - 3500, 300)) << program->text.toStdString();
        EXPECT_LE(right(shownTitle), w - 3500);
        EXPECT_EQ(QPointF(shownTitle->x, shownTitle->y), QPointF(2000, 300));
        EXPECT_GE(shownTitle->size, 10);
        // The date line keeps its place below a title of any size.
        EXPECT_DOUBLE_EQ(date->y, 300 + lh(16) + lh(12));
        EXPECT_TRUE(date->text.startsWith(u"Datum: "_s));
        // A text is cut only when even the smallest size does not fit.
        const QString fullDate = u"Datum: "_s + data::formatDate(QDate::currentDate()) + u"   "_s + c.remark;
        EXPECT_EQ(date->text == fullDate, fullDate.size() * RecordingPrinter::charWidth(8) <= w - 2300);
        EXPECT_EQ(shownTitle->text == c.title, c.title.size() * RecordingPrinter::charWidth(10) <= w - 5600);
        // Following pages: the title ends before "Seite: 2".
        const auto page2 = log->texts(2);
        ASSERT_GE(page2.size(), 2u);
        EXPECT_LE(right(page2[0]), w - 2000);
        EXPECT_EQ(page2[1]->text, u"Seite: 2"_s);
    }
}

// Closing after output is a setting; an empty report goes to no output and keeps the dialog open.
TEST_F(ReportPrintTest, ReportAutoEndClosesTheDialogOnlyWhenOnAndOnlyAfterOutput)
{
    for (const QString &value : {QString(), u"OFF"_s, u"ON"_s}) {
        SCOPED_TRACE(value.toStdString());
        setSetting("ReportAutoEnd", value);
        TestReportDialog dlg(fixedReport(u"T"_s, QString(), u"x"_s));
        for (const char *button : {"cmdDrucken", "cmdAblage"}) {
            dlg.show();
            clickButton(dlg, QLatin1String(button));
            EXPECT_EQ(dlg.isVisible(), value != u"ON"_s) << button;
        }
    }
    *log = RecordingPrinter::Log();
    QGuiApplication::clipboard()->setText(u"alt"_s);
    TestReportDialog dlg(fixedReport(u"T"_s, u"Kopf"_s, QString()));
    dlg.show();
    for (const char *button : {"cmdDrucken", "cmdAblage", "cmdAnzeige"}) {
        prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation);
        clickButton(dlg, QLatin1String(button));
    }
    EXPECT_FALSE(log->orientationSet);
    EXPECT_TRUE(log->items.empty());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"alt"_s);
}

TEST_F(ReportPrintTest, PrinterErrorAsksWhetherToGiveUp)
{
    const QString question = u"Druckerfehler: 482 Papierstau\r\nMöchten Sie den Druck abbrechen?"_s;
    setSetting("ReportAutoEnd", u"ON"_s);

    // Yes: the document is thrown away, nothing more is printed and the dialog stays open.
    log->failNewPage = 1;
    TestReportDialog dlg(fixedReport(u"T"_s, QString(), numbered(100)));
    dlg.show();
    prompter.expectMessage(question, u"Druckerfehler"_s, ui::Icon::Question, ui::Answer::Yes);
    print(dlg);
    EXPECT_EQ(prompter.last().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(log->items.back().op, Op::Abort);
    EXPECT_EQ(log->findText(u"Zeile 41"_s), nullptr);
    EXPECT_TRUE(dlg.isVisible());

    // No: printing goes on with the following lines and the document is ended.
    *log = RecordingPrinter::Log();
    log->failNewPage = 1;
    prompter.expectMessage(question, u"Druckerfehler"_s, ui::Icon::Question, ui::Answer::No);
    print(dlg);
    EXPECT_EQ(log->items.back().op, Op::End);
    EXPECT_NE(log->findText(u"Zeile 99"_s), nullptr);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(ReportPrintTest, DatabaseFailureDuringTheBuildIsReportedByEveryOutput)
{
    TestReportDialog dlg([](reportdata::ReportModel &m) -> bool {
        m.body = u"halb"_s;
        throw data::DbError(-2147467259, u"Datenbank gesperrt"_s);
    });
    const QString text = u"DatenLesenError: -2147467259 Datenbank gesperrt"_s;
    for (const char *button : {"cmdDrucken", "cmdAblage", "cmdAnzeige"}) {
        SCOPED_TRACE(button);
        prompter.expectMessage(text, u"ORV"_s, ui::Icon::None);
        clickButton(dlg, QLatin1String(button));
        EXPECT_TRUE(dlg.model().body.isEmpty());
    }
    EXPECT_TRUE(log->items.empty());
}

// Reports printed on the system's own printer, as the program prints them.
class SystemPrinterTest : public OrvTest {
protected:
    // "OK" of the print dialog pressed with `file` typed for "Print to File (PDF)", after
    // `proposed` got what the dialog offered there.
    void printToFile(const QString &file, QString *proposed, const QString &title)
    {
        prompter.expectModal([=](QDialog &d) {
            auto *name = d.findChild<QLineEdit *>(u"filename"_s);
            ASSERT_NE(name, nullptr);
            *proposed = name->text();
            // "Print to File (PDF)", the last entry, on a system with printers too.
            auto *printers = d.findChild<QComboBox *>(u"printers"_s);
            ASSERT_NE(printers, nullptr);
            printers->setCurrentIndex(printers->count() - 1);
            name->setText(file);
            d.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            ASSERT_EQ(d.result(), QDialog::Accepted);
        });
        // The user learns where the file went, and finds the report's title in it.
        prompter.expectMessage(u"„%1“ wurde als PDF-Datei gespeichert:\r\n%2"_s.arg(title, file), u"Drucken"_s,
                               ui::Icon::Information);
    }
    // The title in the PDF's document information, as a viewer shows it: a
    // string of UTF-16 after its byte order mark, with ( ) and \\ escaped.
    static QString pdfTitle(const QString &file)
    {
        const QByteArray pdf = readFile(file);
        const QByteArray start("/Title (\xfe\xff");
        qsizetype at = pdf.indexOf(start);
        if (at < 0)
            return {};
        QByteArray utf16;
        for (at += start.size(); at < pdf.size() && pdf[at] != ')'; ++at)
            utf16 += pdf[pdf[at] == '\\' ? ++at : at];
        QString out;
        for (qsizetype i = 0; i + 1 < utf16.size(); i += 2)
            out += QChar(char16_t((uchar(utf16[i]) << 8) | uchar(utf16[i + 1])));
        return out;
    }
    static QString documents()
    {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return !folder.isEmpty() && QDir(folder).exists() ? folder : QDir::homePath();
    }
    static QString today() { return QDate::currentDate().toString(u"yyyy-MM-dd"_s); }
    static bool isPdf(const QString &file) { return readFile(file).startsWith("%PDF-"); }
};

// Reports printed on the test command's own print server (scripts/cups-test-server): its default
// queue writes the PDF of each job it prints to out/<queue>.pdf in the server's folder. CTest
// runs these tests alone, since some of them take printers away.
class SystemPrinterQueueTest : public SystemPrinterTest {
protected:
    void SetUp() override
    {
        SystemPrinterTest::SetUp();
        if (server().isEmpty())
            GTEST_SKIP() << "ORV_TEST_CUPS_DIR is not set; scripts/test starts a print server of its own and sets "
                            "it (by hand: eval \"$(scripts/cups-test-server start)\")";
        ASSERT_EQ(qEnvironmentVariable("CUPS_SERVER"), server() + u"/cups.sock"_s)
            << "CUPS_SERVER must name the socket of scripts/cups-test-server";
        ASSERT_EQ(QPrinterInfo::defaultPrinterName(), queue())
            << "the print server's queue is not the default printer (is the server running? a Default line "
               "in ~/.cups/lpoptions or PRINTER/LPDEST choose another)";
        QFile::remove(output(queue()));
    }
    // The queues as the server started: its own alone, as the default printer.
    void TearDown() override
    {
        if (!server().isEmpty()) {
            for (const QString &q : queues())
                if (q != queue())
                    removeQueue(q);
            if (!queues().contains(queue()))
                addQueue(queue());
            cups(u"lpadmin"_s, {u"-d"_s, queue()});
        }
        SystemPrinterTest::TearDown();
    }

    static QString server() { return qEnvironmentVariable("ORV_TEST_CUPS_DIR"); }
    static QString queue() { return qEnvironmentVariable("ORV_TEST_PRINTER"); }
    static QString output(const QString &queue) { return server() + u"/out/"_s + queue + u".pdf"_s; }

    // A CUPS client tool run against the test server; what it wrote.
    static QString cups(const QString &tool, const QStringList &args)
    {
        QProcess p;
        p.start(tool, args);
        const bool done = p.waitForFinished(30000);
        EXPECT_TRUE(done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            << tool.toStdString() << ' ' << args.join(u' ').toStdString() << ": "
            << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    // Another queue of the server's kind, as an administrator sets one up.
    static void addQueue(const QString &name)
    {
        cups(u"lpadmin"_s,
             {u"-p"_s, name, u"-E"_s, u"-v"_s, u"file://"_s + output(name), u"-P"_s, server() + u"/queue.ppd"_s});
    }
    static void removeQueue(const QString &name) { cups(u"lpadmin"_s, {u"-x"_s, name}); }
    static QStringList queues() { return cups(u"lpstat"_s, {u"-e"_s}).split(u'\n', Qt::SkipEmptyParts); }
    // The lines of the next PDF the queue prints, as pdftotext reads them (runs of blanks as one),
    // once the queue has no job left; none when nothing comes within a minute. The file is taken
    // away, for the next print.
    static QStringList printedLines(const QString &queue)
    {
        const QString file = output(queue);
        QElapsedTimer waited;
        waited.start();
        while (!QFileInfo::exists(file) || !cups(u"lpstat"_s, {u"-o"_s, queue}).isEmpty()) {
            if (waited.elapsed() > 60000) {
                ADD_FAILURE() << queue.toStdString() << " printed nothing within a minute:\n"
                              << cups(u"lpstat"_s, {u"-t"_s}).toStdString();
                return {};
            }
            QTest::qWait(50);
        }
        QProcess p;
        p.start(u"pdftotext"_s, {u"-layout"_s, file, u"-"_s});
        EXPECT_TRUE(p.waitForFinished(30000) && p.exitCode() == 0) << p.readAllStandardError().toStdString();
        QFile::remove(file);
        QStringList lines;
        for (const QString &l : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
            if (!l.simplified().isEmpty())
                lines << l.simplified();
        return lines;
    }
    // The print dialog's printer list.
    static QComboBox *printers(QDialog &d) { return child<QComboBox>(d, u"printers"_s); }
    static void pressOk(QDialog &d) { d.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click(); }
    static QString printedOn(const QString &title, const QString &printer)
    {
        return u"„%1“ wurde auf dem Drucker „%2“ gedruckt."_s.arg(title, printer);
    }
    static QString status() { return ui::StatusPanels::instance().panelText(u"Status"_s); }
};

} // namespace

// The file offered carries the report's name and the day, in the folder the last one went to.
TEST_F(SystemPrinterTest, PrintToFileOffersTheReportsNameInTheLastFolder)
{
    setSetting("PrinterWindow", u"ON"_s);
    TestReportDialog kurse(fixedReport(u"Liste Kurse"_s, QString(), u"Zeile 1"_s));
    TestReportDialog plan(fixedReport(u"Liste Trainingsplan"_s, QString(), u"Zeile 1"_s));
    auto print = [](TestReportDialog &dlg) { clickButton(dlg, u"cmdDrucken"_s); };
    QDir().mkpath(tempPath() + u"/ablage"_s);
    const QString first = tempPath() + u"/ablage/kurse.pdf"_s;
    QString proposed;
    printToFile(first, &proposed, u"Liste Kurse"_s);
    print(kurse);
    EXPECT_EQ(proposed, documents() + u"/Liste Kurse "_s + today() + u".pdf"_s);
    EXPECT_TRUE(isPdf(first));

    printToFile(tempPath() + u"/ablage/plan.pdf"_s, &proposed, u"Liste Trainingsplan"_s);
    print(plan);
    EXPECT_EQ(proposed, tempPath() + u"/ablage/Liste Trainingsplan "_s + today() + u".pdf"_s);
    printToFile(tempPath() + u"/ablage/kurse2.pdf"_s, &proposed, u"Liste Kurse"_s);
    print(kurse);
    EXPECT_EQ(proposed, tempPath() + u"/ablage/Liste Kurse "_s + today() + u".pdf"_s);
    EXPECT_TRUE(isPdf(tempPath() + u"/ablage/kurse2.pdf"_s));
}

// With no printer installed, QPrinter would write a PDF file it has no name for.
TEST_F(SystemPrinterQueueTest, WithoutAnyPrinterTheUserIsToldAndChoosesAFileInThePrintDialog)
{
    for (const QString &q : queues())
        removeQueue(q);
    ASSERT_TRUE(QPrinterInfo::availablePrinterNames().isEmpty());
    setSetting("PrinterWindow", u"OFF"_s);
    const QString question = u"Druckerfehler: 482 Kein Drucker vorhanden\r\nMöchten Sie den Druck abbrechen?"_s;
    TestReportDialog dlg(fixedReport(u"Liste Test"_s, QString(), u"Zeile 1\r\nZeile 2"_s));
    // "Nein": the print dialog, where the file is chosen. ("Ja" gives up: ReportPrintTest with no printer.)
    const QString pdf = tempPath() + u"/liste.pdf"_s;
    QString proposed;
    prompter.expectMessage(question, u"Druckerfehler"_s, ui::Icon::Question, ui::Answer::No);
    printToFile(pdf, &proposed, u"Liste Test"_s);
    clickButton(dlg, u"cmdDrucken"_s);
    EXPECT_TRUE(isPdf(pdf));
    EXPECT_EQ(pdfTitle(pdf), u"Liste Test"_s);
    EXPECT_FALSE(prompter.pending());
    EXPECT_EQ(QDir(tempPath()).entryList({u"*.pdf"_s}, QDir::Files), QStringList{u"liste.pdf"_s});
}

// With a printer in the print system the dialog opens on it, not on a file, and prints there.
TEST_F(SystemPrinterQueueTest, ThePrintDialogOpensOnTheDefaultPrinterAndPrintsThere)
{
    setSetting("PrinterWindow", u"ON"_s);
    TestReportDialog dlg(fixedReport(u"Liste Kurse"_s, QString(), u"Zeile 1"_s));
    prompter.expectModal([](QDialog &d) {
        EXPECT_EQ(printers(d)->currentText(), queue());
        QPrinter *p = static_cast<QPrintDialog &>(d).printer();
        EXPECT_EQ(p->outputFormat(), QPrinter::NativeFormat);
        EXPECT_EQ(p->printerName(), queue());
        pressOk(d);
    });
    clickButton(dlg, u"cmdDrucken"_s);
    EXPECT_TRUE(printedLines(queue()).contains(u"Liste Kurse"_s));
    EXPECT_EQ(status(), printedOn(u"Liste Kurse"_s, queue()));
}

// "Drucken" without the dialog: the job reaches the default queue and its PDF holds the report.
TEST_F(SystemPrinterQueueTest, DruckenPrintsTheReportOnTheDefaultPrinter)
{
    setSetting("PrinterWindow", u"OFF"_s);
    const QString title = u"Liste Trainingsplan Qualitätssicherung"_s;
    TestReportDialog dlg(fixedReport(title, u"KursNr  Name"_s, u"K1      Abel, Anna\r\nK2      Ärger, Udo"_s));
    clickButton(dlg, u"cmdDrucken"_s);
    const QStringList lines = printedLines(queue());
    EXPECT_TRUE(lines.contains(title)) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.mid(lines.indexOf(u"Seite: 1"_s)),
              (QStringList{u"Seite: 1"_s, u"KursNr Name"_s, u"K1 Abel, Anna"_s, u"K2 Ärger, Udo"_s}));
    EXPECT_EQ(status(), printedOn(title, queue()));
    EXPECT_FALSE(prompter.pending());
}

// What the user chose in the dialog, a second printer or a file, is where the next print goes.
TEST_F(SystemPrinterQueueTest, TheDestinationChosenInTheDialogIsKeptForTheNextPrint)
{
    const QString second = queue() + u"-2"_s;
    addQueue(second);
    setSetting("PrinterWindow", u"ON"_s);
    TestReportDialog dlg(fixedReport(u"Liste Mitarbeiter"_s, QString(), u"Zeile 1"_s));
    auto print = [&](const QString &opensOn, const QString &choose) {
        prompter.expectModal([=](QDialog &d) {
            EXPECT_EQ(printers(d)->currentText(), opensOn);
            if (!choose.isEmpty())
                printers(d)->setCurrentIndex(printers(d)->findText(choose));
            pressOk(d);
        });
        clickButton(dlg, u"cmdDrucken"_s);
    };
    print(queue(), second);
    EXPECT_TRUE(printedLines(second).contains(u"Liste Mitarbeiter"_s));
    EXPECT_EQ(status(), printedOn(u"Liste Mitarbeiter"_s, second));
    print(second, QString());
    EXPECT_TRUE(printedLines(second).contains(u"Liste Mitarbeiter"_s));
    // Printed without the dialog, the report goes there too.
    setSetting("PrinterWindow", u"OFF"_s);
    clickButton(dlg, u"cmdDrucken"_s);
    EXPECT_TRUE(printedLines(second).contains(u"Liste Mitarbeiter"_s));
    EXPECT_FALSE(QFileInfo::exists(output(queue())));

    // A file chosen instead is offered again, though there are printers.
    setSetting("PrinterWindow", u"ON"_s);
    QString proposed;
    printToFile(tempPath() + u"/mitarbeiter.pdf"_s, &proposed, u"Liste Mitarbeiter"_s);
    clickButton(dlg, u"cmdDrucken"_s);
    EXPECT_TRUE(isPdf(tempPath() + u"/mitarbeiter.pdf"_s));
    prompter.expectModal([](QDialog &d) {
        EXPECT_EQ(printers(d)->currentIndex(), printers(d)->count() - 1);
        EXPECT_EQ(static_cast<QPrintDialog &>(d).printer()->outputFormat(), QPrinter::PdfFormat);
        d.reject();
    });
    clickButton(dlg, u"cmdDrucken"_s);
    EXPECT_FALSE(QFileInfo::exists(output(second)));
}

// The printer taken away while the program runs: nothing left to print on.
TEST_F(SystemPrinterQueueTest, APrinterRemovedWhileTheProgramRunsLeavesNoneToPrintOn)
{
    setSetting("PrinterWindow", u"OFF"_s);
    TestReportDialog dlg(fixedReport(u"Liste Kurse"_s, QString(), u"Zeile 1"_s));
    clickButton(dlg, u"cmdDrucken"_s);
    EXPECT_TRUE(printedLines(queue()).contains(u"Liste Kurse"_s));

    removeQueue(queue());
    ui::setStatus(QString());
    prompter.expectMessage(u"Druckerfehler: 482 Kein Drucker vorhanden\r\nMöchten Sie den Druck abbrechen?"_s,
                           u"Druckerfehler"_s, ui::Icon::Question, ui::Answer::Yes);
    clickButton(dlg, u"cmdDrucken"_s);
    EXPECT_EQ(status(), QString());
    EXPECT_EQ(QDir(tempPath()).entryList({u"*.pdf"_s}, QDir::Files), QStringList());
}
