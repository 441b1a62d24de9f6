#include "series/frmfolgetermin.h"

#include "data/dberror.h"
#include "data/format.h"
#include "data/series.h"
#include "data/tables.h"
#include "groups/groupparts.h"
#include "records/fieldfactory.h"
#include "reports/datefield.h"
#include "ui/prompter.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orv::series {

FrmFolgetermin::FrmFolgetermin(data::Connection &conn, const QString &kursNr, const QString &reihe, QWidget *parent)
    : QDialog(parent), m_conn(conn), m_kursNr(kursNr.trimmed()), m_reihe(reihe)
{
    setObjectName(QStringLiteral("frmFolgetermin"));
    ui::setHelpChapter(this, "folgetermin");
    setWindowTitle(QStringLiteral("Folgetermin anlegen"));
    auto *g = new QGridLayout(this);
    lblKurs = new QLabel(QStringLiteral("Der nächste Kurs der Reihe %1 nach %2: eine Kopie des Kurses unter neuer "
                                        "Nummer, für die Mitarbeiter, deren Schulung bis zum gewählten Tag abläuft.")
                             .arg(m_reihe, m_kursNr),
                         this);
    lblKurs->setObjectName(QStringLiteral("lblKurs"));
    lblKurs->setWordWrap(true);
    g->addWidget(lblKurs, 0, 0, 1, 2);
    txtKursNr = new QLineEdit(this);
    txtKursNr->setObjectName(QStringLiteral("txtKursNr"));
    txtKursNr->setFont(records::fields::fieldFont());
    ui::limitLength(txtKursNr, 6);
    g->addWidget(groups::labelFor(this, QStringLiteral("Neue &Kurs-Nr.:"), txtKursNr), 1, 0);
    g->addWidget(txtKursNr, 1, 1);
    m_until = new reports::DateField(QStringLiteral("FaelligBis"), this);
    m_until->text()->setText(data::formatDate(QDate::currentDate().addMonths(3)));
    g->addWidget(groups::labelFor(this, QStringLiteral("Fällig &bis:"), m_until->text()), 2, 0);
    g->addWidget(groups::dateRow(this, m_until), 2, 1);
    lblFaellig = new QLabel(this);
    lblFaellig->setObjectName(QStringLiteral("lblFaellig"));
    g->addWidget(lblFaellig, 3, 0, 1, 2);
    auto *buttons = new QDialogButtonBox(this);
    cmdOK = buttons->addButton(QStringLiteral("&Anlegen und einplanen…"), QDialogButtonBox::AcceptRole);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    g->addWidget(buttons, 4, 0, 1, 2);
    connect(cmdOK, &QPushButton::clicked, this, &FrmFolgetermin::create);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_until->text(), &QLineEdit::textChanged, this, &FrmFolgetermin::countDue);
    countDue();
    txtKursNr->setFocus();
}

QStringList FrmFolgetermin::dueBy(const QDate &day)
{
    data::series::DueSelection sel;
    sel.reihe = m_reihe;
    sel.until = day;
    sel.today = QDate::currentDate();
    QStringList names;
    for (const data::series::DueRow &r : data::series::due(m_conn, sel))
        names << r.name;
    names.removeDuplicates();
    return names;
}

void FrmFolgetermin::countDue()
{
    const std::optional<QDate> day = data::parseDate(m_until->text()->text());
    if (!day) {
        lblFaellig->setText(QStringLiteral("Bitte ein Datum eingeben."));
        return;
    }
    try {
        const qsizetype n = dueBy(*day).size();
        lblFaellig->setText(n == 1 ? QStringLiteral("1 Mitarbeiter ist bis dahin fällig.")
                                   : QStringLiteral("%1 Mitarbeiter sind bis dahin fällig.").arg(n));
    } catch (const data::DbError &) {
        lblFaellig->clear(); // said when the user goes on
    }
}

void FrmFolgetermin::create()
{
    const QString nr = txtKursNr->text().trimmed();
    const std::optional<QDate> day = data::parseDate(m_until->text()->text());
    try {
        if (nr.isEmpty()) {
            groups::showFault(this, QStringLiteral("Die Eingabe einer Kurs-Nr. ist zwingend erforderlich!"), txtKursNr);
            return;
        }
        if (data::tables::rowExists(m_conn, QStringLiteral("Kurs"), {QStringLiteral("KursNr")}, {nr})) {
            groups::showFault(this, QStringLiteral("Die eingegebene Kurs-Nr. ist bereits vorhanden!"), txtKursNr);
            return;
        }
        if (!day) {
            groups::showFault(this, QStringLiteral("Das Datum ist ungültig!"), m_until->text());
            return;
        }
        m_due = dueBy(*day);
        data::series::copyCourse(m_conn, m_kursNr, nr);
    } catch (const data::DbError &e) {
        if (e.number() == data::ErrDuplicateKey)
            groups::showFault(this, e.description(), txtKursNr);
        else if (e.number() == data::ErrRowGone)
            ui::inform(this, e.description(), QStringLiteral("Warnung"), ui::Icon::Exclamation);
        else
            ui::inform(this, e.message(QStringLiteral("AddError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return;
    }
    m_newKursNr = nr;
    accept();
}

} // namespace orv::series
