#include "data/format.h"
#include "reports/frmanzeige.h"
#include "reports/testreportdialog.h"
#include "support/recordingprinter.h"
#include "support/testenv.h"
#include "ui/lineview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {

class ReportOutputTest : public OrvTest {
protected:
    void SetUp() override
    {
        OrvTest::SetUp();
        setSetting(u"Remark"_s, u"Vertraulich"_s);
        date = u"Datum: "_s + data::formatDate(QDate::currentDate()) + u"   Vertraulich"_s;
    }
    static void trigger(QDialog &d, const char *name) { d.findChild<QAction *>(name)->trigger(); }
    static QString selected(QDialog &d) { return d.findChild<ui::LineView *>("rtbAnzeige")->selectedText(); }
    QString date;
};

TEST_F(ReportOutputTest, ClipboardHoldsProgramDateTitleHeaderAndBody)
{
    struct Case {
        const char *name;
        QString header, body, want;
    } cases[] = {
        {"without header", QString(), u"Zeile 1\r\nZeile 2\r\n"_s,
         u"ORV V. 1.0.1\r\n\r\n%1\r\n\r\nListe\r\n\r\nZeile 1\r\nZeile 2\r\n"_s},
        {"with header", u"Zeitraum: x\r\n\r\nKopf"_s, u"Zeile 1"_s,
         u"ORV V. 1.0.1\r\n\r\n%1\r\n\r\nListe\r\n\r\nZeitraum: x\r\n\r\nKopf\r\n\r\nZeile 1"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QGuiApplication::clipboard()->setText(u"alt"_s);
        TestReportDialog dlg(fixedReport(u"Liste"_s, c.header, c.body));
        clickButton(dlg, u"cmdAblage"_s);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.want.arg(date));
    }
}

TEST_F(ReportOutputTest, DisplayWindowShowsHeadingLabelsAndHeaderBeforeBody)
{
    TestReportDialog dlg(
        fixedReport(u"Liste Trainingsplan"_s, u"Zeitraum: x\r\n\r\nKurs-Nr. Kopf"_s, u"K1     Zeile\r\n"_s));
    prompter.expectModal([&](QDialog &d) {
        EXPECT_EQ(d.findChild<QLabel *>("lblTitle")->text(), u"Liste Trainingsplan"_s);
        EXPECT_EQ(d.findChild<QLabel *>("lblSign")->text(), u"ORV V. 1.0.1"_s);
        EXPECT_EQ(d.findChild<QLabel *>("lblBem")->text(), date);
        auto *rtb = d.findChild<ui::LineView *>("rtbAnzeige");
        // Header and body as the clipboard has them; copied from the window with LF line ends.
        EXPECT_EQ(rtb->text(), u"Zeitraum: x\r\n\r\nKurs-Nr. Kopf\r\n\r\nK1     Zeile\r\n"_s);
        QTest::keyClick(rtb, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(rtb, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), u"Zeitraum: x\n\nKurs-Nr. Kopf\n\nK1     Zeile\n"_s);
        clickButton(d, u"cmdCancel"_s);
    });
    clickButton(dlg, u"cmdAnzeige"_s);
}

TEST_F(ReportOutputTest, DisplayWindowMaximizesOnlyWhenSwitchedOnAndSearchesOnCtrlFAndF3)
{
    for (const QString &value : {QString(), u"ON"_s}) {
        setSetting(u"AnzeigeMaxOpen"_s, value);
        reports::FrmAnzeige w;
        EXPECT_EQ(bool(w.windowState() & Qt::WindowMaximized), !value.isEmpty());
        EXPECT_EQ(w.findChild<QAction *>("mnuSeek")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
        EXPECT_EQ(w.findChild<QAction *>("mnuSeekNext")->shortcut(), QKeySequence(Qt::Key_F3));
    }
}

TEST_F(ReportOutputTest, SearchIgnoresCaseAndWalksThroughTheMatches)
{
    TestReportDialog dlg(
        fixedReport(u"Liste"_s, u"Kurs-Nr. Beschreibung"_s, u"K1     KURS-NR. eins\r\nK2     kurs-nr. zwei"_s));
    prompter.expectModal([&](QDialog &d) {
        auto &w = static_cast<reports::FrmAnzeige &>(d);
        // "&Weitersuchen" before any search asks for the text.
        prompter.expectInput(u"Suchen nach:"_s, u"Suchen"_s, u"kurs-nr."_s);
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(w.searchPos(), 0);
        EXPECT_EQ(selected(d), u"Kurs-Nr."_s);
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(selected(d), u"KURS-NR."_s);
        // Positions count the line end CR LF as two characters.
        EXPECT_EQ(w.searchPos(), u"Kurs-Nr. Beschreibung\r\n\r\nK1     "_s.size());
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(selected(d), u"kurs-nr."_s);
        prompter.expectMessage(u"Keine weitere Übereinstimmung gefunden!"_s, u"Suchen"_s, ui::Icon::Information);
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(w.searchPos(), -1);
        EXPECT_EQ(w.searchText(), u"kurs-nr."_s);
        // And from the top again.
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(w.searchPos(), 0);

        // A text that is not there: the message, and the next "&Weitersuchen" asks again.
        prompter.expectInput(u"Suchen nach:"_s, u"Suchen"_s, u"xyz"_s);
        prompter.expectMessage(u"'xyz' kann nicht gefunden werden!"_s, u"Suchen"_s, ui::Icon::Information);
        trigger(d, "mnuSeek");
        EXPECT_EQ(w.searchText(), QString());
        prompter.expectInput(u"Suchen nach:"_s, u"Suchen"_s, u"zwei"_s);
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(selected(d), u"zwei"_s);

        // Cancel and an empty answer change nothing.
        const int pos = w.searchPos();
        prompter.expectInput(u"Suchen nach:"_s, u"Suchen"_s, std::nullopt);
        trigger(d, "mnuSeek");
        prompter.expectInput(u"Suchen nach:"_s, u"Suchen"_s, QString());
        trigger(d, "mnuSeek");
        EXPECT_EQ(w.searchPos(), pos);
        EXPECT_EQ(selected(d), u"zwei"_s);
        trigger(d, "mnuClose");
    });
    clickButton(dlg, u"cmdAnzeige"_s);
}

TEST_F(ReportOutputTest, LongTextScrollsToTheHitAndCopiesWhatTheKeysSelect)
{
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += u"Zeile %1\r\n"_s.arg(i, 4, 10, QLatin1Char('0'));
    text += u"Ende"_s;
    ui::LineView view;
    view.resize(400, 200);
    view.show();
    // Given in two parts that meet inside a line, it behaves as one text.
    const qsizetype seam = text.indexOf(u"0001"_s) + 2;
    view.setText({text.left(seam), text.mid(seam)});
    EXPECT_EQ(view.text(), text);
    EXPECT_EQ(view.lineCount(), 5001);
    EXPECT_EQ(view.find(u"LE 0001"_s, 0), seam - 5);
    EXPECT_EQ(view.find(u"eNDE"_s, 0), text.size() - 4);
    EXPECT_LE(view.firstVisibleLine(), 5000);
    EXPECT_GT(view.firstVisibleLine() + view.visibleLineCount(), 5000);
    view.grab();

    struct Case {
        std::vector<QKeyCombination> keys;
        QString copied;
    } cases[] = {
        {{Qt::CTRL | Qt::Key_Home, Qt::Key_Down, Qt::SHIFT | Qt::Key_Down, Qt::SHIFT | Qt::Key_End},
         u"Zeile 0001\nZeile 0002"_s},
        // Up keeps the column of the short last line; a step over the line end crosses CR LF at once.
        {{Qt::CTRL | Qt::Key_End, Qt::Key_Up, Qt::SHIFT | Qt::Key_Home}, u"Zeil"_s},
        {{Qt::CTRL | Qt::Key_Home, Qt::Key_End, Qt::SHIFT | Qt::Key_Right, Qt::SHIFT | Qt::Key_Right}, u"\nZ"_s},
    };
    for (const Case &c : cases) {
        for (QKeyCombination k : c.keys)
            QTest::keyClick(&view, k.key(), k.keyboardModifiers());
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.copied);
    }
    EXPECT_EQ(view.firstVisibleLine(), 0);
}

TEST_F(ReportOutputTest, PrintFromTheDisplayWindowRebuildsAndPrints)
{
    auto log = std::make_shared<RecordingPrinter::Log>();
    RecordingPrinter::install(log);
    for (const QString &autoEnd : {QString(), u"ON"_s}) {
        SCOPED_TRACE(autoEnd.toStdString());
        setSetting(u"ReportAutoEnd"_s, autoEnd);
        *log = RecordingPrinter::Log();
        TestReportDialog dlg(fixedReport(u"Liste"_s, u"Kopf"_s, u"Zeile"_s));
        dlg.show();
        prompter.expectModal([&](QDialog &d) {
            trigger(d, "mnuDrucken");
            EXPECT_EQ(dlg.builds, 2);
            // The print shows the freshly built report, not the display's text.
            ASSERT_NE(log->findText(u"Kopf"_s), nullptr);
            EXPECT_NE(log->findText(u"Zeile"_s), nullptr);
            EXPECT_EQ(log->items.back().op, RecordingPrinter::Op::End);
            if (autoEnd.isEmpty()) {
                EXPECT_TRUE(d.isVisible());
                trigger(d, "mnuClose");
            } else {
                // The dialog ends itself and takes the display window with it.
                EXPECT_FALSE(d.isVisible());
            }
        });
        clickButton(dlg, u"cmdAnzeige"_s);
        EXPECT_EQ(dlg.isVisible(), autoEnd.isEmpty());
    }
    RecordingPrinter::uninstall();
}

} // namespace
