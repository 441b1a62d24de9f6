#include "reports/reportdialog.h"

#include "data/dberror.h"
#include "reports/frmanzeige.h"
#include "reports/reportprint.h"
#include "reports/reportprinter.h"
#include "services/settings.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>

namespace orv::reports {

namespace {

// The hourglass while a report is built or printed.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (m_on) {
            QApplication::restoreOverrideCursor();
            m_on = false;
        }
    }

private:
    bool m_on = true;
};

} // namespace

ReportDialog::ReportDialog(QWidget *parent) : QDialog(parent) {}

void ReportDialog::connectButtons(QPushButton *drucken, QPushButton *ablage, QPushButton *anzeige,
                                  QPushButton *cancel)
{
    connect(drucken, &QPushButton::clicked, this, &ReportDialog::cmdDrucken_Click);
    connect(ablage, &QPushButton::clicked, this, &ReportDialog::cmdAblage_Click);
    connect(anzeige, &QPushButton::clicked, this, &ReportDialog::cmdAnzeige_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool ReportDialog::buildForOutput()
{
    WaitCursor wait;
    bool built = false;
    try {
        built = buildReport();
    } catch (const data::DbError &e) {
        m_model.body.clear();
        wait.restore();
        ui::inform(this, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return false;
    }
    wait.restore();
    if (!built)
        return false;
    if (m_model.body.isEmpty()) {
        ui::inform(this, QStringLiteral("Keine Vorgaben vorhanden!"), QStringLiteral("Error"),
                   ui::Icon::Exclamation);
        return false;
    }
    return true;
}

void ReportDialog::autoEnd()
{
    if (app::settings::settingOn(QStringLiteral("ReportAutoEnd")))
        reject();
}

void ReportDialog::cmdDrucken_Click()
{
    if (!buildForOutput())
        return;
    const auto printer = ReportPrinter::create();
    const PrintOutcome outcome = printReport(m_model, *printer, this);
    if (outcome == PrintOutcome::Printed)
        autoEnd();
}

void ReportDialog::cmdAblage_Click()
{
    if (!buildForOutput())
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(composeText(m_model));
    autoEnd();
}

void ReportDialog::cmdAnzeige_Click()
{
    if (!buildForOutput())
        return;
    FrmAnzeige window(this);
    window.setHeading(m_model.title, programLine(), dateLine());
    if (!m_model.header.isEmpty()) {
        QString text;
        text.reserve(m_model.header.size() + 4 + m_model.body.size());
        text += m_model.header;
        text += crlf;
        text += crlf;
        text += m_model.body;
        m_model.body = std::move(text);
    }
    window.setReportText(m_model.body);
    window.setPrintAction([this, &window] {
        cmdDrucken_Click();
        // A dialog that ends itself after printing takes the display window with it.
        if (!isVisible())
            window.close();
    });
    ui::Prompter::instance().runModal(window);
    autoEnd();
}

} // namespace orv::reports
