#include "data/dberror.h"
#include "reports/reportprint.h"
#include "reports/testreportdialog.h"
#include "services/settings.h"
#include "support/recordingprinter.h"
#include "support/testenv.h"
#include "ui/format.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QTest>

using namespace orv;
using namespace orv::test;
using reports::Orientation;
using Op = RecordingPrinter::Op;

namespace {

constexpr double L = RecordingPrinter::a4Long, S = RecordingPrinter::a4Short;
double lh(double size) { return RecordingPrinter::lineHeight(size); }

void setSetting(const char *key, const QString &value)
{
    app::settings::write(u"Settings"_s, QString::fromLatin1(key), value);
}

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
    void print(TestReportDialog &dlg) { QTest::mouseClick(dlg.findChild<QPushButton *>("cmdDrucken"), Qt::LeftButton); }
    std::vector<RecordingPrinter::Item> ofKind(Op op) const
    {
        std::vector<RecordingPrinter::Item> out;
        for (const auto &i : log->items)
            if (i.op == op)
                out.push_back(i);
        return out;
    }
    std::shared_ptr<RecordingPrinter::Log> log;
};

struct Text {
    double x, y;
    const char *font;
    double size;
    QString text;
};

void expectTexts(const std::vector<const RecordingPrinter::Item *> &got, const std::vector<Text> &want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i]->text, want[i].text);
        EXPECT_DOUBLE_EQ(got[i]->x, want[i].x);
        EXPECT_DOUBLE_EQ(got[i]->y, want[i].y);
        EXPECT_EQ(got[i]->font, QString::fromLatin1(want[i].font));
        EXPECT_DOUBLE_EQ(got[i]->size, want[i].size);
    }
}

void expectFrame(const std::vector<RecordingPrinter::Item> &lines, size_t at, double w, double h)
{
    const double want[4][4] = {{500, 200, w - 200, 200},
                               {w - 200, 200, w - 200, h - 200},
                               {w - 200, h - 200, 500, h - 200},
                               {500, h - 200, 500, 200}};
    ASSERT_GE(lines.size(), at + 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(lines[at + i].x, want[i][0]);
        EXPECT_DOUBLE_EQ(lines[at + i].y, want[i][1]);
        EXPECT_DOUBLE_EQ(lines[at + i].x2, want[i][2]);
        EXPECT_DOUBLE_EQ(lines[at + i].y2, want[i][3]);
    }
}

TEST_F(ReportPrintTest, FirstPageCarriesFrameHeadingRuleAndHeaderAtTheirPositions)
{
    setSetting("Remark", u"Entwurf"_s);
    TestReportDialog dlg(fixedReport(u"Liste Test"_s, u"Kopf 1\r\nKopf 2"_s, u"Zeile 1\r\nZeile 2\r\n"_s));
    print(dlg);

    EXPECT_EQ(log->orientation, Orientation::Landscape);
    EXPECT_DOUBLE_EQ(log->scaledWidth, L);
    EXPECT_DOUBLE_EQ(log->scaledHeight, S);
    const QString date = u"Datum: "_s + ui::formatDate(QDate::currentDate()) + u"   Entwurf"_s;
    const double dateY = 300 + lh(16) + lh(12);
    const double seiteY = 1300 + lh(10);
    const double body = seiteY + 3 * lh(10) + lh(10);
    expectTexts(log->texts(1), {
                                   {L - 3500, 300, "Arial", 8, u"ORV V. 1.0.1"_s},
                                   {2000, 300, "Arial", 16, u"Liste Test"_s},
                                   {0, 300 + lh(16), "Arial", 12, QString()},
                                   {2000, dateY, "Arial", 12, date},
                                   {L - 200, 1300, "Courier New", 10, QString()},
                                   {L - 2000, seiteY, "Courier New", 10, u"Seite: 1"_s},
                                   {600, seiteY + lh(10), "Courier New", 10, u"Kopf 1"_s},
                                   {600, seiteY + 2 * lh(10), "Courier New", 10, u"Kopf 2"_s},
                                   {0, seiteY + 3 * lh(10), "Courier New", 10, QString()},
                                   {600, body, "Courier New", 10, u"Zeile 1"_s},
                                   {600, body + lh(10), "Courier New", 10, u"Zeile 2"_s},
                                   // The body ends with CR LF: one more, empty line.
                                   {600, body + 2 * lh(10), "Courier New", 10, QString()},
                               });
    const auto lines = ofKind(Op::Line);
    ASSERT_EQ(lines.size(), 5u);
    expectFrame(lines, 0, L, S);
    EXPECT_DOUBLE_EQ(lines[4].x, 500);
    EXPECT_DOUBLE_EQ(lines[4].y, 1300);
    EXPECT_DOUBLE_EQ(lines[4].x2, L - 200);
    EXPECT_DOUBLE_EQ(lines[4].y2, 1300);
    const auto logos = ofKind(Op::Logo);
    ASSERT_EQ(logos.size(), 1u);
    EXPECT_DOUBLE_EQ(logos[0].x, 600);
    EXPECT_DOUBLE_EQ(logos[0].y, 300);
    EXPECT_DOUBLE_EQ(logos[0].size, 48);
    ASSERT_FALSE(log->items.empty());
    EXPECT_EQ(log->items.back().op, Op::End);
    EXPECT_TRUE(ofKind(Op::NewPage).empty());
}

TEST_F(ReportPrintTest, BodyFontIsFittedToTheLongestLine)
{
    struct Case {
        const char *name;
        Orientation orientation;
        QString body;
        double size;
    } cases[] = {
        {"short lines", Orientation::Landscape, u"Kurz\r\nauch kurz"_s, 10},
        {"a longer line further down", Orientation::Landscape, u"Kurz\r\n"_s + QString(300, QLatin1Char('x')), 4},
        {"208 characters landscape", Orientation::Landscape, QString(208, QLatin1Char('x')), 6},
        {"grouped list opens with an empty line and a group heading", Orientation::Landscape,
         u"\r\nBereich:\r\n"_s + QString(208, QLatin1Char('x')), 6},
        {"empty line then 208", Orientation::Landscape, u"\r\n"_s + QString(208, QLatin1Char('x')), 6},
        {"exactly at the limit is too wide", Orientation::Portrait, QString(11206 / 120, QLatin1Char('x')), 10},
        {"100 characters portrait", Orientation::Portrait, QString(100, QLatin1Char('x')), 9},
        {"very long line stops at size 1", Orientation::Portrait, QString(5000, QLatin1Char('x')), 1},
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
    // 93 characters at size 10 are 11160 twips, under 11206: still 10.
    log->items.clear();
    TestReportDialog fits(fixedReport(u"T"_s, QString(), QString(93, QLatin1Char('x')), Orientation::Portrait));
    print(fits);
    EXPECT_DOUBLE_EQ(log->findText(u"Seite: 1"_s)->size, 10);
}

TEST_F(ReportPrintTest, LineBelowThePageLimitMovesToTheNextPageAfterItsHeading)
{
    QStringList lines;
    for (int i = 0; i < 45; ++i)
        lines << u"Zeile %1"_s.arg(i);
    TestReportDialog dlg(fixedReport(u"Liste"_s, u"Kopf"_s, lines.join(u"\r\n"_s)));
    print(dlg);

    // Page 1: body from y = 2260 in steps of 240; the line at 11380 is the last at or above 11506.
    const auto page1 = log->texts(1);
    ASSERT_EQ(page1.back()->text, u"Zeile 38"_s);
    EXPECT_DOUBLE_EQ(page1.back()->y, 11380);
    expectTexts(log->texts(2), {
                                   {600, 500, "Courier New", 10, u"Liste"_s},
                                   {L - 2000, 500, "Courier New", 10, u"Seite: 2"_s},
                                   {600, 740, "Courier New", 10, u"Kopf"_s},
                                   {0, 980, "Courier New", 10, QString()},
                                   {600, 1220, "Courier New", 10, u"Zeile 39"_s},
                                   {600, 1460, "Courier New", 10, u"Zeile 40"_s},
                                   {600, 1700, "Courier New", 10, u"Zeile 41"_s},
                                   {600, 1940, "Courier New", 10, u"Zeile 42"_s},
                                   {600, 2180, "Courier New", 10, u"Zeile 43"_s},
                                   {600, 2420, "Courier New", 10, u"Zeile 44"_s},
                               });
    const auto newPages = ofKind(Op::NewPage);
    ASSERT_EQ(newPages.size(), 1u);
    // The second page's frame follows its start, and nothing else is drawn on it.
    std::vector<RecordingPrinter::Item> page2Lines;
    for (const auto &i : ofKind(Op::Line))
        if (i.page == 2)
            page2Lines.push_back(i);
    ASSERT_EQ(page2Lines.size(), 4u);
    expectFrame(page2Lines, 0, L, S);
    EXPECT_TRUE(std::none_of(log->items.begin(), log->items.end(),
                             [](const auto &i) { return i.op == Op::Logo && i.page == 2; }));
}

TEST_F(ReportPrintTest, ControlLinesBreakThePageAndDrawRules)
{
    TestReportDialog dlg(fixedReport(u"T"_s, QString(), u"A\r\n'Linie\r\nB\r\n'Seite\r\nC"_s));
    print(dlg);
    const double bodyY = 1300 + 2 * lh(10);
    const auto page1 = log->texts(1);
    ASSERT_GE(page1.size(), 3u);
    EXPECT_EQ(page1[page1.size() - 3]->text, u"A"_s);
    EXPECT_DOUBLE_EQ(page1[page1.size() - 3]->y, bodyY);
    // The rule takes the line after A and leaves an empty line; B follows it.
    EXPECT_EQ(page1[page1.size() - 2]->text, QString());
    EXPECT_DOUBLE_EQ(page1[page1.size() - 2]->y, bodyY + lh(10));
    EXPECT_DOUBLE_EQ(page1[page1.size() - 2]->x, L - 200);
    EXPECT_EQ(page1.back()->text, u"B"_s);
    EXPECT_DOUBLE_EQ(page1.back()->y, bodyY + 2 * lh(10));
    const auto rules = ofKind(Op::Line);
    ASSERT_EQ(rules.size(), 10u); // frame, heading rule, the 'Linie rule, frame of page 2
    EXPECT_DOUBLE_EQ(rules[5].x, 500);
    EXPECT_DOUBLE_EQ(rules[5].y, bodyY + lh(10));
    EXPECT_DOUBLE_EQ(rules[5].x2, L - 200);
    EXPECT_DOUBLE_EQ(rules[5].y2, bodyY + lh(10));
    expectTexts(log->texts(2), {
                                   {600, 500, "Courier New", 10, u"T"_s},
                                   {L - 2000, 500, "Courier New", 10, u"Seite: 2"_s},
                                   {600, 740, "Courier New", 10, u"C"_s},
                               });
    EXPECT_EQ(log->findText(u"'Seite"_s), nullptr);
    EXPECT_EQ(log->findText(u"'Linie"_s), nullptr);
}

TEST_F(ReportPrintTest, OrientationFollowsTheReportUnlessThePrintDialogIsOn)
{
    struct Case {
        QString printerWindow;
        Orientation report;
    } cases[] = {
        {QString(), Orientation::Portrait},
        {QString(), Orientation::Landscape},
        {u"OFF"_s, Orientation::Portrait},
        {u"on"_s, Orientation::Landscape},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.printerWindow.toStdString());
        if (!c.printerWindow.isNull())
            setSetting("PrinterWindow", c.printerWindow);
        *log = RecordingPrinter::Log();
        TestReportDialog dlg(fixedReport(u"T"_s, QString(), u"x"_s, c.report));
        print(dlg);
        EXPECT_EQ(log->dialogs, 0);
        EXPECT_EQ(log->orientation, c.report);
        EXPECT_DOUBLE_EQ(log->scaledWidth, c.report == Orientation::Landscape ? L : S);
    }
}

TEST_F(ReportPrintTest, PrintDialogOpensInTheReportsOrientationAndKeepsTheUsersChoices)
{
    setSetting("PrinterWindow", u"ON"_s);
    TestReportDialog list(fixedReport(u"T"_s, QString(), u"x"_s, Orientation::Landscape));
    TestReportDialog employees(fixedReport(u"T"_s, QString(), u"x"_s, Orientation::Portrait));
    auto opensWith = [this](QPageLayout::Orientation o, int copies, std::function<void(QPrinter &)> choose) {
        prompter.expectModal([=](QDialog &d) {
            auto *dialog = qobject_cast<QPrintDialog *>(&d);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->printer()->pageLayout().orientation(), o);
            EXPECT_EQ(dialog->printer()->copyCount(), copies);
            // The dialog offers a page range (honoured when printing), no selection.
            EXPECT_TRUE(dialog->testOption(QAbstractPrintDialog::PrintPageRange));
            EXPECT_FALSE(dialog->testOption(QAbstractPrintDialog::PrintSelection));
            // No hourglass while the dialog waits for the user.
            EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
            if (choose) {
                choose(*dialog->printer());
                d.done(QDialog::Accepted);
            } else {
                d.reject();
            }
        });
    };

    // Cancelled: nothing printed, nothing said.
    opensWith(QPageLayout::Landscape, 1, nullptr);
    print(list);
    EXPECT_EQ(log->dialogs, 1);
    EXPECT_FALSE(log->orientationSet);
    EXPECT_TRUE(log->items.empty());

    // The user turns the list to portrait and asks for three copies ...
    opensWith(QPageLayout::Landscape, 1, [](QPrinter &p) {
        p.setPageOrientation(QPageLayout::Portrait);
        p.setCopyCount(3);
    });
    print(list);
    EXPECT_EQ(log->orientation, Orientation::Portrait);
    ASSERT_FALSE(log->items.empty());
    EXPECT_EQ(log->items.back().op, Op::End);
    EXPECT_TRUE(log->busyWhilePrinting);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // ... which the next print of such a list offers again; the employee list keeps its portrait.
    opensWith(QPageLayout::Portrait, 3, [](QPrinter &) {});
    print(list);
    EXPECT_EQ(log->orientation, Orientation::Portrait);
    opensWith(QPageLayout::Portrait, 3, [](QPrinter &p) { p.setPageOrientation(QPageLayout::Landscape); });
    print(employees);
    EXPECT_EQ(log->orientation, Orientation::Landscape);
    opensWith(QPageLayout::Portrait, 3, [](QPrinter &) {});
    print(list);
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
    const QString rubrik = u"Qualitätsmanagement und Prozessoptimierung"_s.left(40);
    const QString title = u"Liste Kurse mit Rubrik = "_s + rubrik;
    const QString remark = u"Änderungen und Ergänzungen bitte an die Personalentwicklung melden."_s;
    QStringList body;
    for (int i = 0; i < 80; ++i)
        body << u"Zeile %1"_s.arg(i);
    struct Case {
        Orientation o;
        QString title, remark;
    } cases[] = {{Orientation::Portrait, title, remark},
                 {Orientation::Landscape, title, remark},
                 {Orientation::Portrait, title, remark.repeated(3)},
                 {Orientation::Portrait, u"Kurz"_s, u"kurz"_s}};
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.o) * 1000 + c.remark.size());
        *log = RecordingPrinter::Log();
        setSetting("Remark", c.remark);
        TestReportDialog dlg(fixedReport(c.title, QString(), body.join(u"\r\n"_s), c.o));
        print(dlg);
        const double w = c.o == Orientation::Landscape ? L : S;
        auto right = [](const RecordingPrinter::Item *i) {
            return i->x + i->text.size() * RecordingPrinter::charWidth(i->size);
        };
        for (int page : {1, 2})
            for (const auto *t : log->texts(page))
                EXPECT_LE(right(t), w - 200) << t->text.toStdString();
        const auto page1 = log->texts(1);
        ASSERT_GE(page1.size(), 4u);
        const auto *program = page1[0], *shownTitle = page1[1], *date = page1[3];
        EXPECT_EQ(program->text, u"ORV V. 1.0.1"_s);
        EXPECT_DOUBLE_EQ(program->x, w - 3500);
        EXPECT_LE(right(shownTitle), w - 3500);
        EXPECT_DOUBLE_EQ(shownTitle->x, 2000);
        EXPECT_DOUBLE_EQ(shownTitle->y, 300);
        EXPECT_GE(shownTitle->size, 10);
        // The date line keeps its place below a title of any size.
        EXPECT_DOUBLE_EQ(date->y, 300 + lh(16) + lh(12));
        EXPECT_TRUE(date->text.startsWith(u"Datum: "_s));
        // A text is cut only when even the smallest size does not fit.
        const QString fullDate = u"Datum: "_s + ui::formatDate(QDate::currentDate()) + u"   "_s + c.remark;
        EXPECT_EQ(date->text == fullDate, fullDate.size() * RecordingPrinter::charWidth(8) <= w - 2300);
        EXPECT_EQ(shownTitle->text == c.title, c.title.size() * RecordingPrinter::charWidth(10) <= w - 5600);
        if (c.title == QLatin1String("Kurz")) {
            EXPECT_DOUBLE_EQ(shownTitle->size, 16);
            EXPECT_DOUBLE_EQ(date->size, 12);
        }
        // Following pages: the title ends before "Seite: 2".
        const auto page2 = log->texts(2);
        ASSERT_GE(page2.size(), 2u);
        EXPECT_LE(right(page2[0]), w - 2000);
        EXPECT_EQ(page2[1]->text, u"Seite: 2"_s);
    }
}

TEST_F(ReportPrintTest, ReportAutoEndClosesTheDialogOnlyWhenOn)
{
    for (const QString &value : {QString(), u"OFF"_s, u"ON"_s}) {
        SCOPED_TRACE(value.toStdString());
        setSetting("ReportAutoEnd", value);
        TestReportDialog dlg(fixedReport(u"T"_s, QString(), u"x"_s));
        dlg.show();
        print(dlg);
        EXPECT_EQ(dlg.isVisible(), value != u"ON"_s);
        for (const char *button : {"cmdAblage"}) {
            dlg.show();
            QTest::mouseClick(dlg.findChild<QPushButton *>(button), Qt::LeftButton);
            EXPECT_EQ(dlg.isVisible(), value != u"ON"_s);
        }
    }
}

// An empty report: one message per output, nothing printed, the clipboard as it was.
TEST_F(ReportPrintTest, EmptyReportGoesToNoOutput)
{
    setSetting("ReportAutoEnd", u"ON"_s);
    QGuiApplication::clipboard()->setText(u"alt"_s);
    TestReportDialog dlg(fixedReport(u"T"_s, u"Kopf"_s, QString()));
    dlg.show();
    for (const char *button : {"cmdDrucken", "cmdAblage", "cmdAnzeige"}) {
        prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation);
        QTest::mouseClick(dlg.findChild<QPushButton *>(button), Qt::LeftButton);
    }
    EXPECT_FALSE(log->orientationSet);
    EXPECT_TRUE(log->items.empty());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"alt"_s);
}

TEST_F(ReportPrintTest, PrinterErrorAsksWhetherToGiveUp)
{
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines << u"Zeile %1"_s.arg(i);
    const QString question = u"Druckerfehler: 482 Papierstau\r\nMöchten Sie den Druck abbrechen?"_s;
    setSetting("ReportAutoEnd", u"ON"_s);

    // Yes: the document is thrown away, nothing more is printed and the dialog stays open.
    log->failNewPage = 1;
    TestReportDialog dlg(fixedReport(u"T"_s, QString(), lines.join(u"\r\n"_s)));
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
    TestReportDialog dlg([](reports::ReportModel &m) -> bool {
        m.body = u"halb"_s;
        throw data::DbError(-2147467259, u"Datenbank gesperrt"_s);
    });
    const QString text = u"DatenLesenError: -2147467259 Datenbank gesperrt"_s;
    for (const char *button : {"cmdDrucken", "cmdAblage", "cmdAnzeige"}) {
        SCOPED_TRACE(button);
        prompter.expectMessage(text, u"ORV"_s, ui::Icon::None);
        QTest::mouseClick(dlg.findChild<QPushButton *>(button), Qt::LeftButton);
        EXPECT_TRUE(dlg.model().body.isEmpty());
    }
    EXPECT_TRUE(log->items.empty());
}

} // namespace
