#include "reports/frmanzeige.h"
#include "reports/reportmodel.h"
#include "reports/testreportdialog.h"
#include "services/settings.h"
#include "support/recordingprinter.h"
#include "support/testenv.h"
#include "ui/format.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {

class ReportOutputTest : public OrvTest {
protected:
    void SetUp() override
    {
        OrvTest::SetUp();
        app::settings::write(QStringLiteral("Settings"), QStringLiteral("Remark"), QStringLiteral("Vertraulich"));
        date = QStringLiteral("Datum: ") + ui::formatDate(QDate::currentDate()) + QStringLiteral("   Vertraulich");
    }
    static void click(QDialog &d, const char *name) { QTest::mouseClick(d.findChild<QPushButton *>(name), Qt::LeftButton); }
    static void trigger(QDialog &d, const char *name) { d.findChild<QAction *>(name)->trigger(); }
    static QString selected(QDialog &d) { return d.findChild<QPlainTextEdit *>("rtbAnzeige")->textCursor().selectedText(); }
    QString date;
};

TEST_F(ReportOutputTest, ClipboardHoldsProgramDateTitleHeaderAndBody)
{
    struct Case {
        const char *name;
        QString header, body, want;
    } cases[] = {
        {"without header", QString(), QStringLiteral("Zeile 1\r\nZeile 2\r\n"),
         QStringLiteral("ORV V. 1.0.1\r\n\r\n%1\r\n\r\nListe\r\n\r\nZeile 1\r\nZeile 2\r\n")},
        {"with header", QStringLiteral("Zeitraum: x\r\n\r\nKopf"), QStringLiteral("Zeile 1"),
         QStringLiteral("ORV V. 1.0.1\r\n\r\n%1\r\n\r\nListe\r\n\r\nZeitraum: x\r\n\r\nKopf\r\n\r\nZeile 1")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QGuiApplication::clipboard()->setText(QStringLiteral("alt"));
        TestReportDialog dlg(fixedReport(QStringLiteral("Liste"), c.header, c.body));
        click(dlg, "cmdAblage");
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.want.arg(date));
    }
}

TEST_F(ReportOutputTest, EmptyReportLeavesClipboardAndDisplayUntouched)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("alt"));
    TestReportDialog dlg(fixedReport(QStringLiteral("Liste"), QStringLiteral("Kopf"), QString()));
    for (const char *button : {"cmdAblage", "cmdAnzeige"}) {
        prompter.expectMessage(QStringLiteral("Keine Vorgaben vorhanden!"), QStringLiteral("Error"), ui::Icon::Exclamation);
        click(dlg, button);
    }
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("alt"));
}

TEST_F(ReportOutputTest, DisplayWindowShowsHeadingLabelsAndHeaderBeforeBody)
{
    TestReportDialog dlg(fixedReport(QStringLiteral("Liste Trainingsplan"), QStringLiteral("Zeitraum: x\r\n\r\nKurs-Nr. Kopf"),
                                     QStringLiteral("K1     Zeile\r\n")));
    bool shown = false;
    prompter.expectModal([&](QDialog &d) {
        shown = true;
        EXPECT_EQ(d.objectName(), QStringLiteral("frmAnzeige"));
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Anzeige"));
        EXPECT_EQ(d.findChild<QLabel *>("lblTitle")->text(), QStringLiteral("Liste Trainingsplan"));
        EXPECT_EQ(d.findChild<QLabel *>("lblSign")->text(), QStringLiteral("ORV V. 1.0.1"));
        EXPECT_EQ(d.findChild<QLabel *>("lblBem")->text(), date);
        EXPECT_FALSE(d.findChild<QLabel *>("imgLogo")->pixmap().isNull());
        auto *rtb = d.findChild<QPlainTextEdit *>("rtbAnzeige");
        EXPECT_EQ(rtb->toPlainText(), QStringLiteral("Zeitraum: x\n\nKurs-Nr. Kopf\n\nK1     Zeile\n"));
        // The clipboard's text after its program, date and title lines, with LF line ends.
        QString clip = reports::composeText(reports::ReportModel{QString(), QStringLiteral("Zeitraum: x\r\n\r\nKurs-Nr. Kopf"),
                                                                 QStringLiteral("K1     Zeile\r\n")});
        clip = clip.section(QStringLiteral("\r\n"), 6).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        EXPECT_EQ(rtb->toPlainText(), clip);
        EXPECT_TRUE(rtb->isReadOnly());
        EXPECT_EQ(rtb->lineWrapMode(), QPlainTextEdit::NoWrap);
        EXPECT_EQ(rtb->font().family(), QStringLiteral("Courier New"));
        EXPECT_EQ(rtb->font().pointSizeF(), 9.0);
        const int minimum = ui::twipsToPixels(5000);
        EXPECT_EQ(d.minimumSize(), QSize(minimum, minimum));
        click(d, "cmdCancel");
    });
    click(dlg, "cmdAnzeige");
    EXPECT_TRUE(shown);
}

TEST_F(ReportOutputTest, DisplayWindowSizeFollowsScreenOrMaximizes)
{
    for (const QString &value : {QString(), QStringLiteral("ON")}) {
        app::settings::write(QStringLiteral("Settings"), QStringLiteral("AnzeigeMaxOpen"), value);
        reports::FrmAnzeige w;
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        if (value.isEmpty()) {
            EXPECT_FALSE(w.windowState() & Qt::WindowMaximized);
            EXPECT_EQ(w.size(), QSize(int(screen.width() * 0.9), int(screen.height() * 0.9)));
        } else {
            EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
        }
    }
}

TEST_F(ReportOutputTest, SearchIgnoresCaseAndWalksThroughTheMatches)
{
    TestReportDialog dlg(fixedReport(QStringLiteral("Liste"), QStringLiteral("Kurs-Nr. Beschreibung"),
                                     QStringLiteral("K1     KURS-NR. eins\r\nK2     kurs-nr. zwei")));
    prompter.expectModal([&](QDialog &d) {
        auto &w = static_cast<reports::FrmAnzeige &>(d);
        // "&Weitersuchen" before any search asks for the text.
        prompter.expectInput(QStringLiteral("Suchen nach:"), QStringLiteral("Suchen"), QStringLiteral("kurs-nr."));
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(w.searchPos(), 0);
        EXPECT_EQ(selected(d), QStringLiteral("Kurs-Nr."));
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(selected(d), QStringLiteral("KURS-NR."));
        EXPECT_EQ(w.searchPos(), QStringLiteral("Kurs-Nr. Beschreibung\n\nK1     ").size());
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(selected(d), QStringLiteral("kurs-nr."));
        prompter.expectMessage(QStringLiteral("Keine weitere Übereinstimmung gefunden!"), QStringLiteral("Suchen"),
                               ui::Icon::Information);
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(w.searchPos(), -1);
        EXPECT_EQ(w.searchText(), QStringLiteral("kurs-nr."));
        // And from the top again.
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(w.searchPos(), 0);

        // A text that is not there: the message, and the next "&Weitersuchen" asks again.
        prompter.expectInput(QStringLiteral("Suchen nach:"), QStringLiteral("Suchen"), QStringLiteral("xyz"));
        prompter.expectMessage(QStringLiteral("'xyz' kann nicht gefunden werden!"), QStringLiteral("Suchen"),
                               ui::Icon::Information);
        trigger(d, "mnuSeek");
        EXPECT_EQ(w.searchText(), QString());
        prompter.expectInput(QStringLiteral("Suchen nach:"), QStringLiteral("Suchen"), QStringLiteral("zwei"));
        trigger(d, "mnuSeekNext");
        EXPECT_EQ(selected(d), QStringLiteral("zwei"));

        // Cancel and an empty answer change nothing.
        const int pos = w.searchPos();
        prompter.expectInput(QStringLiteral("Suchen nach:"), QStringLiteral("Suchen"), std::nullopt);
        trigger(d, "mnuSeek");
        prompter.expectInput(QStringLiteral("Suchen nach:"), QStringLiteral("Suchen"), QString());
        trigger(d, "mnuSeek");
        EXPECT_EQ(w.searchPos(), pos);
        EXPECT_EQ(selected(d), QStringLiteral("zwei"));
        trigger(d, "mnuClose");
    });
    click(dlg, "cmdAnzeige");
}

TEST_F(ReportOutputTest, SearchShortcutsAreCtrlFAndF3)
{
    reports::FrmAnzeige w;
    EXPECT_EQ(w.findChild<QAction *>("mnuSeek")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_EQ(w.findChild<QAction *>("mnuSeekNext")->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(w.findChild<QAction *>("mnuSeek")->text(), QStringLiteral("&Suchen"));
    EXPECT_EQ(w.findChild<QAction *>("mnuSeekNext")->text(), QStringLiteral("&Weitersuchen"));
    EXPECT_EQ(w.findChild<QAction *>("mnuDrucken")->text(), QStringLiteral("&Drucken"));
    EXPECT_EQ(w.findChild<QAction *>("mnuClose")->text(), QStringLiteral("&Schließen"));
}

TEST_F(ReportOutputTest, PrintFromTheDisplayWindowRebuildsAndPrints)
{
    auto log = std::make_shared<RecordingPrinter::Log>();
    RecordingPrinter::install(log);
    for (const QString &autoEnd : {QString(), QStringLiteral("ON")}) {
        SCOPED_TRACE(autoEnd.toStdString());
        app::settings::write(QStringLiteral("Settings"), QStringLiteral("ReportAutoEnd"), autoEnd);
        *log = RecordingPrinter::Log();
        TestReportDialog dlg(fixedReport(QStringLiteral("Liste"), QStringLiteral("Kopf"), QStringLiteral("Zeile")));
        dlg.show();
        prompter.expectModal([&](QDialog &d) {
            trigger(d, "mnuDrucken");
            EXPECT_EQ(dlg.builds, 2);
            // The print shows the freshly built report, not the display's text.
            ASSERT_NE(log->findText(QStringLiteral("Kopf")), nullptr);
            EXPECT_NE(log->findText(QStringLiteral("Zeile")), nullptr);
            EXPECT_EQ(log->items.back().op, RecordingPrinter::Op::End);
            if (autoEnd.isEmpty()) {
                EXPECT_TRUE(d.isVisible());
                trigger(d, "mnuClose");
            } else {
                // The dialog ends itself and takes the display window with it.
                EXPECT_FALSE(d.isVisible());
            }
        });
        click(dlg, "cmdAnzeige");
        EXPECT_EQ(dlg.isVisible(), autoEnd.isEmpty());
    }
    RecordingPrinter::uninstall();
}

} // namespace
