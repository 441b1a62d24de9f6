#include "reports/frmfaelligbericht.h"

#include "data/dberror.h"
#include "data/format.h"
#include "data/valuelists.h"
#include "reportdata/faelliglist.h"
#include "reports/datefield.h"
#include "services/connectionrecipe.h"
#include "ui/prompter.h"
#include "ui/statuspanels.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace orv::reports {
namespace {

QComboBox *listBox(QWidget *parent, const QString &name, QStringList items)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(name);
    items.prepend(QString());
    for (QString &i : items)
        i = i.trimmed();
    c->addItems(items);
    return c;
}

} // namespace

FrmFaelligBericht::FrmFaelligBericht(QWidget *parent) : ReportDialog(parent)
{
    QGroupBox *sel = startSelection(QStringLiteral("frmFaelligBericht"));
    setWindowTitle(QStringLiteral("Fällige Schulungen"));
    ui::setHelpChapter(this, "faellig");
    QStringList codes;
    {
        // The series to choose from; without a database the dialog still opens, with all of them.
        data::Connection conn;
        if (services::openConnection(conn, this)) {
            try {
                codes = data::series::codes(conn);
            } catch (const data::DbError &e) {
                ui::inform(this, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
            }
        }
    }
    cmbReihe = listBox(sel, QStringLiteral("cmbReihe"), codes);
    cmbReihe->setItemText(0, QStringLiteral("(alle)"));
    m_until = new DateField(QStringLiteral("Stichtag"), sel);
    m_until->text()->setText(data::formatDate(QDate::currentDate().addMonths(3)));
    cmbBereich = listBox(sel, QStringLiteral("cmbBereich"), data::lists::bereichAlphabetisch());
    txtAbteilung = new QLineEdit(sel);
    txtAbteilung->setObjectName(QStringLiteral("txtAbteilung"));
    ui::limitLength(txtAbteilung, 10);
    cmbKategorie = listBox(sel, QStringLiteral("cmbKategorie"), data::lists::kategorie());
    cmbRubrik = listBox(sel, QStringLiteral("cmbRubrik"), data::lists::rubrik());
    chkNie = new QCheckBox(QStringLiteral("Auch Mitarbeiter, die die Schulung &nie erledigt haben"), sel);
    chkNie->setObjectName(QStringLiteral("chkNie"));

    auto *g = new QGridLayout(sel);
    int row = 0;
    const auto add = [&](const QString &label, QWidget *field, QWidget *shown) {
        auto *l = new QLabel(label, sel);
        ui::labelField(l, field);
        g->addWidget(l, row, 0);
        g->addWidget(shown ? shown : field, row, 1);
        ++row;
    };
    auto *date = new QWidget(sel);
    auto *h = new QHBoxLayout(date);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(m_until->text());
    h->addWidget(m_until->button());
    h->addStretch(1);
    add(QStringLiteral("&Reihe:"), cmbReihe, nullptr);
    add(QStringLiteral("&Fällig bis:"), m_until->text(), date);
    add(QStringLiteral("B&ereich:"), cmbBereich, nullptr);
    add(QStringLiteral("Ab&teilung:"), txtAbteilung, nullptr);
    add(QStringLiteral("&Kategorie:"), cmbKategorie, nullptr);
    add(QStringLiteral("R&ubrik:"), cmbRubrik, nullptr);
    g->addWidget(chkNie, row, 0, 1, 2);
    g->setColumnStretch(1, 1);
    placeBesideButtons(sel);
}

std::optional<data::series::DueSelection> FrmFaelligBericht::selection()
{
    const std::optional<QDate> until = data::parseDate(m_until->text()->text());
    if (!until) {
        ui::setStatus(QStringLiteral("Das Datum ist ungültig!"));
        m_until->text()->setFocus();
        ui::inform(this, QStringLiteral("Das Datum ist ungültig!"), QStringLiteral("Datenprüfung"),
                   ui::Icon::Exclamation);
        return std::nullopt;
    }
    data::series::DueSelection s;
    s.reihe = cmbReihe->currentIndex() > 0 ? cmbReihe->currentText() : QString();
    s.until = *until;
    s.today = QDate::currentDate();
    s.bereich = cmbBereich->currentText();
    s.abteilung = txtAbteilung->text();
    s.kategorie = cmbKategorie->currentText();
    s.rubrik = cmbRubrik->currentText();
    s.withNever = chkNie->isChecked();
    return s;
}

bool FrmFaelligBericht::buildReport()
{
    const std::optional<data::series::DueSelection> s = selection();
    if (!s)
        return false;
    std::optional<data::Connection> opened = startBuild();
    if (!opened)
        return false;
    m_model = reportdata::buildFaelligList(*opened, *s);
    return true;
}

std::optional<reportdata::ExportJob> FrmFaelligBericht::exportJob(data::Connection &conn)
{
    const std::optional<data::series::DueSelection> s = selection();
    if (!s)
        return std::nullopt;
    return reportdata::faelligExport(conn, *s);
}

} // namespace orv::reports
