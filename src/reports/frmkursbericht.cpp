#include "reports/frmkursbericht.h"

#include "data/connection.h"
#include "data/valuelists.h"
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

reportdata::KursSelection FrmKursBericht::selection() const
{
    using List = reportdata::KursSelection::List;
    reportdata::KursSelection s;
    s.list = optBericht[0]->isChecked() ? List::All : optBericht[1]->isChecked() ? List::Rubrik : List::Referent;
    s.rubrik = cmbRubrik->currentText();
    s.referent = txtReferent->text();
    return s;
}

bool FrmKursBericht::buildReport()
{
    std::optional<data::Connection> opened = startBuild();
    if (!opened)
        return false;
    m_model = reportdata::buildKursList(*opened, selection());
    return true;
}

std::optional<reportdata::ExportJob> FrmKursBericht::exportJob(data::Connection &conn)
{
    return reportdata::kursExport(conn, selection());
}

void openKursBericht(QWidget *parent) { runReportDialog<FrmKursBericht>(parent); }

} // namespace orv::reports
