// What a user waits for at scale, on SQLite: the training plan window opening
// (until the first entry stands in its fields and the window is painted on the
// display, or offscreen without one), a save, the search
// round trip ("*", the first line chosen, OK) and the training plan report into
// the display window; each with the peak memory of the step.
#include "user_bench.h"
#include "report_bench.h"

#include "data/connection.h"
#include "records/frmtrainingsplan.h"
#include "reportdata/trainingsplanlist.h"
#include "reports/frmanzeige.h"
#include "reports/frmtrainingsplanbericht.h"
#include "search/frmseek.h"
#include "services/connectionrecipe.h"
#include "ui/lineview.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QWindow>
#include <algorithm>
#include <cstdio>

extern double rawSqliteFloor(const QString &file);

namespace {

using namespace orv;

// The kernel's high-water mark of this process, reset before each step.
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

long peakMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    return -1;
}

void showPainted(QWidget *w);

// Answers boxes with OK and runs the search dialog as a person would: "*" in
// the first search field, Suchen, then OK on the first line found.
class BenchPrompter : public ui::Prompter {
public:
    ui::Answer message(QWidget *, const QString &text, const QString &, ui::Icon, ui::Buttons, ui::Answer) override
    {
        std::printf("user: message box \"%s\"\n", qPrintable(text));
        return ui::Answer::Ok;
    }
    std::optional<QString> input(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    int runModal(QDialog &dialog) override
    {
        if (auto *seek = qobject_cast<search::FrmSeek *>(&dialog)) {
            seek->show();
            seek->lstFields->setCurrentRow(0);
            seek->txtExpression->setText(QStringLiteral("*"));
            seek->cmdSeek->click();
            seek->lstResult->viewport()->grab(); // the first page of lines drawn
            seek->cmdOK->click();
            return dialog.result();
        }
        if (qobject_cast<reports::FrmAnzeige *>(&dialog)) {
            showPainted(&dialog);
            shownAt = displayClock.nsecsElapsed();
            lines = qobject_cast<reports::FrmAnzeige *>(&dialog)->textBox()->lineCount();
        }
        return QDialog::Rejected;
    }
    void beep() override {}
    QElapsedTimer displayClock; // the display window's time, from the click
    qint64 shownAt = 0;
    qint64 lines = 0;
};

double seconds(QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

// Shown as a user sees it: mapped, exposed by the display and painted (on the
// offscreen platform, drawn into its backing store).
void showPainted(QWidget *w)
{
    w->show();
    QElapsedTimer t;
    t.start();
    while (w->windowHandle() && !w->windowHandle()->isExposed() && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    w->repaint();
}

} // namespace

void runUserBench(const QString &file, int entries)
{
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    services::setDataPath(QFileInfo(file).absolutePath() + QLatin1Char('/'));
    const QString link = QFileInfo(file).absolutePath() + QStringLiteral("/orv.mdb");
    if (QFileInfo(file).fileName() != QStringLiteral("orv.mdb")) {
        QFile::remove(link);
        QFile::link(file, link);
    }
    BenchPrompter prompter;
    ui::Prompter::setInstance(&prompter);
    const double floor = rawSqliteFloor(file);
    std::printf("user: %d entries, raw read of the training plan %.3f s\n", entries, floor);

    QElapsedTimer t;
    resetPeak();
    t.start();
    auto *form = new records::FrmTrainingsplan;
    form->load();
    auto *first = form->findChild<QLineEdit *>(QStringLiteral("txtFields(0)"));
    while (first && first->text().isEmpty() && t.elapsed() < 60000)
        QCoreApplication::processEvents();
    showPainted(form);
    const double open = seconds(t);
    std::printf("user: training plan window shown      %7.3f s  ratio %5.2f  peak %5ld MB\n", open, open / floor,
                peakMb());

    auto *remark = form->findChild<QLineEdit *>(QStringLiteral("txtFields(10)"));
    double save = 1e300;
    for (int i = 0; i < 3 && remark; ++i) {
        resetPeak();
        remark->setText(QStringLiteral("Nachschulung %1").arg(i));
        t.restart();
        form->saveRecord();
        QCoreApplication::processEvents();
        save = std::min(save, seconds(t));
    }
    std::printf("user: save (nobody else wrote)         %7.3f s  target <= 0.1 s + the write  peak %5ld MB\n", save,
                peakMb());

    double search = 1e300;
    for (int i = 0; i < 3; ++i) {
        resetPeak();
        t.restart();
        form->seekRecord();
        QCoreApplication::processEvents();
        search = std::min(search, seconds(t));
    }
    std::printf("user: search round trip \"*\", OK       %7.3f s  target <= 0.5 s  peak %5ld MB\n", search, peakMb());
    delete form;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The report as the dialog's Anzeige builds it: the list, then header and lines in the window.
    auto report = [&](const char *what, const QDate &von, const QDate &bis, const char *target) {
        reportdata::TrainingsplanSelection sel;
        sel.vonText = von.toString(QStringLiteral("dd.MM.yyyy"));
        sel.bisText = bis.toString(QStringLiteral("dd.MM.yyyy"));
        sel.von = von;
        sel.bis = bis;
        resetPeak();
        t.restart();
        data::Connection conn;
        services::openConnection(conn);
        reportdata::ReportModel model = reportdata::buildTrainingsplanList(conn, sel);
        const double build = seconds(t);
        const double floor = rawReadApart(file, reportdata::trainingsplanQuery(sel, conn.backend())) / 1000;
        conn.close();
        t.restart();
        reports::FrmAnzeige window;
        window.setReportText(model.header, model.body);
        const double set = seconds(t);
        showPainted(&window);
        const double shown = build + seconds(t);
        std::printf(
            "user: report of %s to the display window %7.3f s (build %.3f s, the window with its text %.3f s)"
            "  ratio %.2f to the raw read of its tables (%.3f s; target <= 1.5)  peak %5ld MB  (%lld lines)%s%s\n",
            what, shown, build, set, shown / floor, floor, peakMb(),
            static_cast<long long>(window.textBox()->lineCount()), *target ? "  target <= " : "", target);
    };
    const int year = QDate::currentDate().year();
    const bool million = entries >= 1000000;
    {
        // As a user gets it: the report dialog on its default (the current
        // year), "Anzeige" clicked, until the display window is painted.
        reports::FrmTrainingsplanBericht dialog;
        showPainted(&dialog);
        resetPeak();
        prompter.displayClock.start();
        dialog.findChild<QPushButton *>(QStringLiteral("cmdAnzeige"))->click();
        std::printf("user: the current year through the dialog, \"Anzeige\" to the painted display window %7.3f s"
                    "  peak %5ld MB  (%lld lines)%s\n",
                    double(prompter.shownAt) / 1e9, peakMb(), static_cast<long long>(prompter.lines),
                    million ? "  target <= 1.5 s" : "");
    }
    report("the current year", QDate(year, 1, 1), QDate(year, 12, 31), million ? "1.5 s" : "");
    report("all entries", QDate(1900, 1, 1), QDate(2999, 12, 31), million ? "5 s and 1024 MB" : "");
    ui::Prompter::setInstance(nullptr);
    if (QFileInfo(link).isSymLink())
        QFile::remove(link);
    std::fflush(stdout);
}
