#include "reports/frmkursbericht.h"

#include "data/connection.h"
#include "data/listquery.h"
#include "data/valuelists.h"
#include "reportdata/linewriter.h"
#include "ui/prompter.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orv::reports {

namespace {
QFont entryFont() { return ui::fixedPitchFont(9); }
// Both the printed list and the export sort by course number, in German order.
const QString kSortColumns = QStringLiteral("KursNr");

} // namespace

FrmKursBericht::FrmKursBericht(QWidget *parent) : ReportDialog(parent)
{
    QGroupBox *fraStammdaten = startSelection(QStringLiteral("frmKursBericht"));
    const QString captions[3] = {QStringLiteral("&Komplettliste Kurse"), QStringLiteral("&Liste Rubrik"),
                                 QStringLiteral("&Liste &Referent")};
    for (int i = 0; i < 3; ++i) {
        optBericht[i] = new QRadioButton(captions[i], fraStammdaten);
        optBericht[i]->setObjectName(QStringLiteral("optBericht(%1)").arg(i));
    }
    optBericht[0]->setChecked(true);
    cmbRubrik = new QComboBox(fraStammdaten);
    cmbRubrik->setObjectName(QStringLiteral("cmbRubrik"));
    ui::keepTypedText(cmbRubrik);
    cmbRubrik->setFont(entryFont());
    cmbRubrik->addItems(data::lists::rubrik());
    cmbRubrik->setCurrentIndex(-1);
    cmbRubrik->setEditText(QString());
    txtReferent = new QLineEdit(fraStammdaten);
    txtReferent->setObjectName(QStringLiteral("txtReferent"));
    ui::limitLength(txtReferent, 30);
    txtReferent->setFont(entryFont());
    auto *sel = new QGridLayout(fraStammdaten);
    sel->addWidget(optBericht[0], 0, 0);
    sel->addWidget(optBericht[1], 1, 0);
    sel->addWidget(cmbRubrik, 1, 1);
    sel->addWidget(optBericht[2], 2, 0);
    sel->addWidget(txtReferent, 2, 1);
    sel->setColumnStretch(1, 1);

    // Choosing or typing a value selects the list it belongs to.
    connect(cmbRubrik, &QComboBox::editTextChanged, this, [this] { optBericht[1]->setChecked(true); });
    connect(cmbRubrik, &QComboBox::activated, this, [this] { optBericht[1]->setChecked(true); });
    connect(txtReferent, &QLineEdit::textChanged, this, [this] { optBericht[2]->setChecked(true); });

    placeBesideButtons(fraStammdaten);
}

FrmKursBericht::KursList FrmKursBericht::kursList(const data::Backend &backend) const
{
    data::ListQuery rows(data::ListQuery::Rows::Courses, backend);
    QString title = QStringLiteral("Komplettliste Kurse");
    if (optBericht[0]->isChecked()) {
    } else if (optBericht[1]->isChecked()) {
        const QString rubrik = cmbRubrik->currentText();
        rows.equals("Rubrik", rubrik);
        if (!rubrik.isEmpty())
            title = QStringLiteral("Liste Kurse mit Rubrik = ") + rubrik;
    } else {
        const QString referent = txtReferent->text();
        // Contains the text, ignoring case; the empty text takes every course with a trainer.
        rows.contains("Referent", referent);
        if (!referent.isEmpty())
            title = QStringLiteral("Liste Kurse mit Referent = ") + referent.trimmed();
    }
    return {rows.sql(), rows.params(), title};
}

bool FrmKursBericht::buildReport()
{
    std::optional<data::Connection> opened = startBuild();
    if (!opened)
        return false;
    data::Connection &conn = *opened;
    const KursList list = kursList(conn.backend());
    m_model.title = list.title;
    reportdata::SortedRows rows(conn, list.sql, list.params, kSortColumns);
    m_model.header = QStringLiteral("Kurs-Nr. Rubrik").leftJustified(51)
                     + QStringLiteral("Beschreibung").leftJustified(82)
                     + QStringLiteral("Art  Referent                         Kosten  Dauer");
    m_model.orientation = reportdata::Orientation::Landscape;
    QString body;
    reportdata::LineWriter w(body, rows);
    while (rows.next()) {
        w.text(0, 6);
        w.literal(u"   ");
        w.text(1, 40);
        w.literal(u"  ");
        w.text(2, 80);
        w.literal(u"  ");
        w.text(3, 1);
        w.literal(u"    ");
        w.text(4, 30);
        w.literal(u"  ");
        w.number(5, 2, 7);
        w.number(6, 1, 7);
        w.literal(reportdata::crlf);
    }
    w.finish();
    m_model.body = std::move(body);
    return true;
}

std::optional<reportdata::ExportJob> FrmKursBericht::exportJob(data::Connection &conn)
{
    const KursList list = kursList(conn.backend());
    reportdata::ExportJob job;
    job.layout.title = list.title;
    job.layout.dateLine = reportdata::dateLine();
    job.layout.columns = {{QStringLiteral("Kurs-Nr.")},
                          {QStringLiteral("Rubrik")},
                          {QStringLiteral("Beschreibung")},
                          {QStringLiteral("Art")},
                          {QStringLiteral("Referent")},
                          {QStringLiteral("Kosten"), reportdata::CellType::Number, 2},
                          {QStringLiteral("Dauer"), reportdata::CellType::Number, 1}};
    job.rows = [list](data::Connection &c, reportdata::ExportWriter &w) {
        reportdata::SortedRows cur(c, list.sql, list.params, kSortColumns);
        while (cur.next()) {
            for (int col = 0; col < 7; ++col) {
                if (cur.isNull(col))
                    w.empty();
                else if (col >= 5)
                    w.number(cur.real(col));
                else
                    w.text(cur.textBytes(col));
            }
            w.endRow();
        }
    };
    return job;
}

void openKursBericht(QWidget *parent) { runReportDialog<FrmKursBericht>(parent); }

} // namespace orv::reports
