#pragma once
#include "data/connection.h"
#include "reportdata/reportexport.h"
#include "reportdata/reportmodel.h"
#include "ui/prompter.h"

#include <QDialog>
#include <optional>

class QGroupBox;
class QPushButton;

namespace orv::reports {

// The base of the report dialogs: the report model and the three outputs,
// printer ("&Drucken"), clipboard ("&Ablage") and display window ("An&zeige").
// A dialog supplies only the build of its report.
class ReportDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportDialog(QWidget *parent = nullptr);

    const reportdata::ReportModel &model() const { return m_model; }

    void cmdDrucken_Click();
    void cmdAblage_Click();
    void cmdAnzeige_Click();
    // "E&xport…": the list as an Excel workbook or a CSV file.
    void cmdExport_Click();
    // The page preview of a fresh build, as "&Drucken" would print it.
    void showPreview();

protected:
    // Fills the model from the current entries and the database. Returns false
    // when the build failed and the user has been told (no connection); may
    // throw data::DbError. A rejected selection leaves the body empty.
    virtual bool buildReport() = 0;

    // What "&Ablage" puts on the clipboard after a build: the report as text.
    virtual QString clipboardText() const { return reportdata::composeText(m_model); }

    // The list for the export, after the same entry checks as buildReport
    // (nullopt once the user has been told why not). May throw data::DbError.
    virtual std::optional<reportdata::ExportJob> exportJob(data::Connection &conn) = 0;

    // The start of every build: an empty model and the build's own connection
    // (nullopt once the user has been told that it cannot be opened).
    std::optional<data::Connection> startBuild();

    // The frame of a master-data list: the dialog's name and title, and the
    // "Selektion" frame that placeBesideButtons() lays out beside the output buttons.
    QGroupBox *startSelection(const QString &objectName);
    void placeBesideButtons(QGroupBox *selection);

    // Connects the output buttons and the cancel button.
    void connectButtons(QPushButton *drucken, QPushButton *ablage, QPushButton *anzeige, QPushButton *cancel,
                        QPushButton *exportButton = nullptr);

    reportdata::ReportModel m_model;

private:
    struct ExportTarget {
        QString file;
        reportdata::ExportFormat format;
    };
    // The file and type the user chooses; nullopt when cancelled.
    std::optional<ExportTarget> askExportTarget(const QString &title);
    // The rows written; nullopt when cancelled or failed (the user has been told).
    std::optional<qint64> writeExport(data::Connection &conn, const reportdata::ExportJob &job,
                                      const ExportTarget &target);

    // Builds and checks the body; false when there is nothing to output.
    bool buildForOutput();
    void autoEnd();

    QString m_exportFilter; // the type chosen at the last export
};

// Runs a report dialog modally over `parent`.
template <class Dialog> void runReportDialog(QWidget *parent)
{
    Dialog dialog(parent);
    ui::Prompter::instance().runModal(dialog);
}

} // namespace orv::reports
