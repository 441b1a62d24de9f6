#include "reports/reportdialog.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "reports/frmanzeige.h"
#include "reports/qtreportprinter.h"
#include "reports/reportbuttons.h"
#include "reports/reportprint.h"
#include "reports/reportprinter.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "ui/prompter.h"
#include "ui/savefiledialog.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <limits>

namespace orv::reports {

ReportDialog::ReportDialog(QWidget *parent) : QDialog(parent) { ui::setHelpChapter(this, "berichte"); }

void ReportDialog::connectButtons(QPushButton *drucken, QPushButton *ablage, QPushButton *anzeige, QPushButton *cancel,
                                  QPushButton *exportButton)
{
    if (exportButton)
        connect(exportButton, &QPushButton::clicked, this, &ReportDialog::cmdExport_Click);
    connect(drucken, &QPushButton::clicked, this, &ReportDialog::cmdDrucken_Click);
    connect(ablage, &QPushButton::clicked, this, &ReportDialog::cmdAblage_Click);
    connect(anzeige, &QPushButton::clicked, this, &ReportDialog::cmdAnzeige_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QGroupBox *ReportDialog::startSelection(const QString &objectName)
{
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Bericht"));
    auto *selection = new QGroupBox(QStringLiteral("Selektion"), this);
    selection->setObjectName(QStringLiteral("fraStammdaten"));
    return selection;
}

void ReportDialog::placeBesideButtons(QGroupBox *selection)
{
    const ReportButtons b = ReportButtons::create(this);
    auto *buttons = new QVBoxLayout;
    b.addTo(buttons);
    buttons->addStretch(1);
    auto *all = new QHBoxLayout(this);
    all->addWidget(selection, 1);
    all->addLayout(buttons);
    connectButtons(b.cmdDrucken, b.cmdAblage, b.cmdAnzeige, b.cmdCancel, b.cmdExport);
}

std::optional<data::Connection> ReportDialog::startBuild()
{
    m_model.header.clear();
    m_model.body.clear();
    data::Connection conn;
    if (!services::openConnection(conn, this))
        return std::nullopt;
    return conn;
}

bool ReportDialog::buildForOutput()
{
    ui::BusyPointer busy;
    bool built = false;
    try {
        built = buildReport();
    } catch (const data::DbError &e) {
        m_model.body.clear();
        const ui::NormalPointer normal;
        ui::inform(this, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return false;
    }
    busy.restore();
    if (!built)
        return false;
    if (m_model.body.isEmpty()) {
        const ui::NormalPointer normal;
        ui::inform(this, QStringLiteral("Keine Vorgaben vorhanden!"), QStringLiteral("Error"), ui::Icon::Exclamation);
        return false;
    }
    return true;
}

void ReportDialog::autoEnd()
{
    if (services::settings::isOn(services::settings::Switch::ReportAutoEnd))
        reject();
}

void ReportDialog::cmdDrucken_Click()
{
    // The hourglass until the document is finished; the print dialog and
    // the questions on the way show the normal pointer.
    ui::BusyPointer busy;
    if (!buildForOutput())
        return;
    const auto printer = ReportPrinter::create();
    const PrintOutcome outcome = printReport(m_model, *printer, this);
    busy.restore();
    if (outcome != PrintOutcome::Printed)
        return;
    tellWherePrinted(m_model.title, printer->destination(), this);
    autoEnd();
}

void ReportDialog::cmdAblage_Click()
{
    if (!buildForOutput())
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(clipboardText());
    autoEnd();
}

void ReportDialog::cmdAnzeige_Click()
{
    if (!buildForOutput())
        return;
    FrmAnzeige window(this);
    window.setHeading(m_model.title, reportdata::programLine(), reportdata::dateLine());
    // The header lines, an empty line, then the body: shown one after the
    // other rather than joined, since a copy of a million-line body costs
    // seconds and hundreds of MB. The next output rebuilds the model anyway.
    window.setReportText(m_model.header, m_model.body);
    window.setPrintAction([this, &window] {
        cmdDrucken_Click();
        // A dialog that ends itself after printing takes the display window with it.
        if (!isVisible())
            window.close();
    });
    window.setPreviewAction([this] { showPreview(); });
    ui::Prompter::instance().runModal(window);
    autoEnd();
}

void ReportDialog::showPreview()
{
    if (!buildForOutput())
        return;
    previewReport(m_model, this);
}

namespace {
const QString xlsxFilter = QStringLiteral("Excel-Arbeitsmappe (*.xlsx)");
const QString csvFilter = QStringLiteral("CSV (Semikolon-getrennt) (*.csv)");
} // namespace

void ReportDialog::cmdExport_Click()
{
    data::Connection conn;
    if (!services::openConnection(conn, this))
        return;
    std::optional<reportdata::ExportJob> job;
    try {
        job = exportJob(conn);
    } catch (const data::DbError &e) {
        ui::inform(this, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return;
    }
    if (!job)
        return;
    const std::optional<ExportTarget> target = askExportTarget(job->layout.title);
    if (!target)
        return;
    const std::optional<qint64> rows = writeExport(conn, *job, *target);
    if (!rows)
        return;
    if (*rows == 0) {
        ui::inform(this, QStringLiteral("Keine Vorgaben vorhanden!"), QStringLiteral("Error"), ui::Icon::Exclamation);
        return;
    }
    ui::inform(this,
               QLocale().toString(*rows) + (*rows == 1 ? QStringLiteral(" Zeile") : QStringLiteral(" Zeilen"))
                   + QStringLiteral(" exportiert nach\r\n") + QDir::toNativeSeparators(target->file),
               QStringLiteral("Export"), ui::Icon::Information);
    autoEnd();
}

std::optional<ReportDialog::ExportTarget> ReportDialog::askExportTarget(const QString &title)
{
    QString filter = m_exportFilter.isEmpty() ? xlsxFilter : m_exportFilter;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const QString proposed = folder + QLatin1Char('/')
                             + reportdata::exportFileName(title, QDate::currentDate(),
                                                          filter == csvFilter ? reportdata::ExportFormat::Csv
                                                                              : reportdata::ExportFormat::Xlsx);
    const std::optional<QString> file =
        ui::askSaveFileName(this, QStringLiteral("Exportieren"), proposed, {xlsxFilter, csvFilter}, &filter);
    if (!file)
        return std::nullopt;
    m_exportFilter = filter;
    // A name typed with its own extension wins over the type chosen in the list.
    reportdata::ExportFormat format =
        filter == csvFilter ? reportdata::ExportFormat::Csv : reportdata::ExportFormat::Xlsx;
    if (file->endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        format = reportdata::ExportFormat::Csv;
    else if (file->endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        format = reportdata::ExportFormat::Xlsx;
    return ExportTarget{*file, format};
}

std::optional<qint64> ReportDialog::writeExport(data::Connection &conn, const reportdata::ExportJob &job,
                                                const ExportTarget &target)
{
    // Shows itself only when the export takes longer than a moment.
    QProgressDialog progress(QStringLiteral("Der Bericht wird exportiert …"), QStringLiteral("Abbrechen"), 0, 0, this);
    progress.setObjectName(QStringLiteral("frmExportFortschritt"));
    progress.setWindowTitle(QStringLiteral("Export"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    qint64 rows = 0;
    ui::BusyPointer wait;
    try {
        progress.setValue(0);
        rows = reportdata::runExport(
            conn, job, target.format, target.file,
            [&progress](qint64 done) {
                progress.setValue(int(qMin<qint64>(done, progress.maximum() > 0 ? progress.maximum() : done)));
                if (progress.wasCanceled())
                    throw reportdata::ExportCancelled();
            },
            [&progress](qint64 total) {
                progress.setMaximum(int(qMin<qint64>(total, std::numeric_limits<int>::max())));
            });
    } catch (const reportdata::ExportCancelled &) {
        return std::nullopt;
    } catch (const data::DbError &e) {
        progress.close();
        wait.restore();
        ui::inform(this, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return std::nullopt;
    } catch (const reportdata::ExportError &e) {
        progress.close();
        wait.restore();
        ui::inform(this,
                   QStringLiteral("Die Datei kann nicht geschrieben werden:\r\n")
                       + QDir::toNativeSeparators(target.file) + QStringLiteral("\r\n\r\n") + e.reason(),
                   QStringLiteral("Error"), ui::Icon::Exclamation);
        return std::nullopt;
    }
    progress.close();
    wait.restore();
    return rows;
}

} // namespace orv::reports
