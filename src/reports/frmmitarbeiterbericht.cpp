#include "reports/frmmitarbeiterbericht.h"

#include "data/connection.h"
#include "reportdata/mitarbeiterlist.h"
#include "ui/prompter.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orv::reports {

FrmMitarbeiterBericht::FrmMitarbeiterBericht(QWidget *parent) : ReportDialog(parent)
{
    QGroupBox *fraStammdaten = startSelection(QStringLiteral("frmMitarbeiterBericht"));
    optBericht0 = new QRadioButton(QStringLiteral("&Komplettliste Mitarbeiter"), fraStammdaten);
    optBericht0->setObjectName(QStringLiteral("optBericht(0)"));
    // The first control: it takes the focus, and with it the selection, when the dialog opens.
    optBericht0->setChecked(true);
    optBericht0->setFocus();
    auto *sel = new QVBoxLayout(fraStammdaten);
    sel->addWidget(optBericht0);
    sel->addStretch(1);

    placeBesideButtons(fraStammdaten);
}

bool FrmMitarbeiterBericht::buildReport()
{
    std::optional<data::Connection> opened = startBuild();
    if (!opened)
        return false;
    if (optBericht0->isChecked())
        m_model = reportdata::buildMitarbeiterList(*opened);
    return true;
}

std::optional<reportdata::ExportJob> FrmMitarbeiterBericht::exportJob(data::Connection &)
{
    reportdata::ExportJob job = reportdata::mitarbeiterExport();
    if (!optBericht0->isChecked())
        job.rows = [](data::Connection &, reportdata::ExportWriter &) {};
    return job;
}

void openMitarbeiterBericht(QWidget *parent) { runReportDialog<FrmMitarbeiterBericht>(parent); }

} // namespace orv::reports
