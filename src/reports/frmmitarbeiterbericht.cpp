#include "reports/frmmitarbeiterbericht.h"

#include "data/connection.h"
#include "data/listquery.h"
#include "reportdata/linewriter.h"
#include "ui/prompter.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orv::reports {

namespace {
// The list's rows in German order of the name, for the printed list and the export alike.
std::unique_ptr<reportdata::SortedRows> openList(data::Connection &conn)
{
    const data::ListQuery rows(data::ListQuery::Rows::Employees, conn.backend());
    return std::make_unique<reportdata::SortedRows>(conn, rows.sql(), rows.params(), QStringLiteral("Name"));
}
const QString kTitle = QStringLiteral("Komplettliste Mitarbeiter");
} // namespace

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
    data::Connection &conn = *opened;
    if (!optBericht0->isChecked())
        return true;
    auto cur = openList(conn);
    m_model.title = kTitle;
    m_model.header = QStringLiteral("Name").leftJustified(32) + QStringLiteral("Kostenstelle").leftJustified(14)
                     + QStringLiteral("Abteilung").leftJustified(12) + QStringLiteral("Kategorie").leftJustified(11)
                     + QStringLiteral("Bereich");
    m_model.orientation = reportdata::Orientation::Portrait;
    QString body;
    reportdata::LineWriter w(body, *cur);
    while (cur->next()) {
        w.text(0, 30);
        w.literal(u"  ");
        w.text(1, 6);
        w.literal(u"        ");
        w.text(2, 10);
        w.literal(u"  ");
        w.text(3, 3);
        w.literal(u"        ");
        w.text(4, 30);
        w.literal(reportdata::crlf);
    }
    w.finish();
    m_model.body = std::move(body);
    return true;
}

std::optional<reportdata::ExportJob> FrmMitarbeiterBericht::exportJob(data::Connection &)
{
    reportdata::ExportJob job;
    job.layout.title = kTitle;
    job.layout.dateLine = reportdata::dateLine();
    job.layout.columns = {{QStringLiteral("Name")},
                          {QStringLiteral("Kostenstelle")},
                          {QStringLiteral("Abteilung")},
                          {QStringLiteral("Kategorie")},
                          {QStringLiteral("Bereich")}};
    const bool chosen = optBericht0->isChecked();
    job.rows = [chosen](data::Connection &conn, reportdata::ExportWriter &w) {
        if (!chosen)
            return;
        auto cur = openList(conn);
        while (cur->next()) {
            for (int c = 0; c < 5; ++c)
                cur->isNull(c) ? w.empty() : w.text(cur->textBytes(c));
            w.endRow();
        }
    };
    return job;
}

void openMitarbeiterBericht(QWidget *parent) { runReportDialog<FrmMitarbeiterBericht>(parent); }

} // namespace orv::reports
