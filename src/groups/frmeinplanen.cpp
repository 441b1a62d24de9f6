#include "groups/frmeinplanen.h"

#include "data/dberror.h"
#include "data/format.h"
#include "data/tables.h"
#include "data/valuelists.h"
#include "groups/groupparts.h"
#include "groups/tickmodel.h"
#include "reports/datefield.h"
#include "ui/prompter.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

namespace orv::groups {
namespace {

const QString kTitle = QStringLiteral("Für mehrere einplanen");
const QString kAll = QStringLiteral("(alle)");

// "(alle)" and the values the employees have, in German order.
QStringList filterItems(const std::vector<data::group::Person> &people, QString data::group::Person::*field)
{
    QSet<QString> seen;
    for (const data::group::Person &p : people)
        if (!(p.*field).isEmpty())
            seen.insert(p.*field);
    QStringList items(seen.cbegin(), seen.cend());
    QCollator order(QLocale(QLocale::German, QLocale::Germany));
    std::sort(items.begin(), items.end(), [&order](const QString &a, const QString &b) { return order(a, b); });
    items.prepend(kAll);
    return items;
}

} // namespace

FrmEinplanen::FrmEinplanen(data::Connection &conn, const QString &kursNr, QWidget *parent)
    : QDialog(parent), m_conn(conn)
{
    setObjectName(QStringLiteral("frmEinplanen"));
    ui::setHelpChapter(this, "mehrere-einplanen");
    setWindowTitle(kTitle);
    m_people = data::group::employees(m_conn);

    auto *grid = new QGridLayout(this);
    m_course = new CourseField(this, m_conn, QStringLiteral("&Kurs-Nr.:"));
    grid->addWidget(new QWidget(this), 0, 3); // four columns from the start
    m_course->addTo(grid, 0);
    buildFilters(grid, 1);
    m_list = new TickList(this, QStringLiteral("lstMitarbeiter"),
                          {QStringLiteral("Name"), QStringLiteral("Kost."), QStringLiteral("Abteilung"),
                           QStringLiteral("Kat."), QStringLiteral("Bereich")},
                          QStringLiteral("&Mitarbeiter:"));
    std::vector<QStringList> rows;
    rows.reserve(m_people.size());
    for (const data::group::Person &p : m_people)
        rows.push_back({p.name, p.kostenstelle, p.abteilung, p.kategorie, p.bereich});
    m_list->model()->setRows(std::move(rows), false);
    m_list->view->setColumnWidth(0, m_list->view->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 24);
    m_list->addTo(grid, 4, 4);
    buildValues(grid, 7);

    auto *buttons = new QDialogButtonBox(this);
    cmdEinplanen = buttons->addButton(QStringLiteral("&Einplanen…"), QDialogButtonBox::ActionRole);
    cmdEinplanen->setObjectName(QStringLiteral("cmdEinplanen"));
    cmdEinplanen->setDefault(true);
    cmdSchliessen = buttons->addButton(QStringLiteral("Schl&ießen"), QDialogButtonBox::RejectRole);
    cmdSchliessen->setObjectName(QStringLiteral("cmdSchliessen"));
    grid->addWidget(buttons, 8, 0, 1, 4);
    connect(cmdEinplanen, &QPushButton::clicked, this, &FrmEinplanen::planEntries);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_course->setKursNr(kursNr);
    ui::sizeForReading(this, QSize(720, 640));
    // The course is preset: the group is chosen first.
    (kursNr.trimmed().isEmpty() ? static_cast<QWidget *>(m_course->edit()) : cmbBereich)->setFocus();
}

void FrmEinplanen::buildFilters(QGridLayout *grid, int row)
{
    cmbBereich = listBox(this, QStringLiteral("cmbBereich"), filterItems(m_people, &data::group::Person::bereich));
    cmbAbteilung =
        listBox(this, QStringLiteral("cmbAbteilung"), filterItems(m_people, &data::group::Person::abteilung));
    cmbKostenstelle =
        listBox(this, QStringLiteral("cmbKostenstelle"), filterItems(m_people, &data::group::Person::kostenstelle));
    cmbKategorie =
        listBox(this, QStringLiteral("cmbKategorie"), filterItems(m_people, &data::group::Person::kategorie));
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    ui::limitLength(txtName, 30);
    grid->addWidget(labelFor(this, QStringLiteral("&Bereich:"), cmbBereich), row, 0);
    grid->addWidget(cmbBereich, row, 1);
    grid->addWidget(labelFor(this, QStringLiteral("Abtei&lung:"), cmbAbteilung), row, 2);
    grid->addWidget(cmbAbteilung, row, 3);
    grid->addWidget(labelFor(this, QStringLiteral("K&ostenstelle:"), cmbKostenstelle), row + 1, 0);
    grid->addWidget(cmbKostenstelle, row + 1, 1);
    grid->addWidget(labelFor(this, QStringLiteral("Ka&tegorie:"), cmbKategorie), row + 1, 2);
    grid->addWidget(cmbKategorie, row + 1, 3);
    grid->addWidget(labelFor(this, QStringLiteral("Name ent&hält:"), txtName), row + 2, 0);
    grid->addWidget(txtName, row + 2, 1, 1, 3);
    for (QComboBox *c : {cmbBereich, cmbAbteilung, cmbKostenstelle, cmbKategorie})
        connect(c, &QComboBox::currentIndexChanged, this, &FrmEinplanen::applyFilter);
    connect(txtName, &QLineEdit::textChanged, this, &FrmEinplanen::applyFilter);
}

void FrmEinplanen::buildValues(QGridLayout *grid, int row)
{
    auto *frame = new QGroupBox(QStringLiteral("Werte der neuen Einträge"), this);
    frame->setObjectName(QStringLiteral("fraWerte"));
    auto *g = new QGridLayout(frame);
    cmbPrioritaet = listBox(frame, QStringLiteral("cmbPrioritaet"), data::lists::prioritaet());
    cmbQuelle = listBox(frame, QStringLiteral("cmbQuelle"), data::lists::quelle());
    m_von = new reports::DateField(QStringLiteral("DatumVon"), frame);
    m_bis = new reports::DateField(QStringLiteral("DatumBis"), frame);
    cmbStatus = listBox(frame, QStringLiteral("cmbStatus"), data::lists::statusCaptions());
    chkRechnung = new QCheckBox(QStringLiteral("&Rechnung vorhanden"), frame);
    chkRechnung->setObjectName(QStringLiteral("chkRechnung"));
    chkBeurteilung = new QCheckBox(QStringLiteral("&Seminarbeurteilung vorhanden"), frame);
    chkBeurteilung->setObjectName(QStringLiteral("chkBeurteilung"));
    txtBemerkung = new QLineEdit(frame);
    txtBemerkung->setObjectName(QStringLiteral("txtBemerkung"));
    ui::limitLength(txtBemerkung, 80);

    g->addWidget(labelFor(frame, QStringLiteral("&Priorität:"), cmbPrioritaet), 0, 0);
    g->addWidget(cmbPrioritaet, 0, 1, Qt::AlignLeft);
    g->addWidget(labelFor(frame, QStringLiteral("&Quelle:"), cmbQuelle), 0, 2);
    g->addWidget(cmbQuelle, 0, 3, Qt::AlignLeft);
    g->addWidget(labelFor(frame, QStringLiteral("Datum &von:"), m_von->text()), 1, 0);
    g->addWidget(dateRow(frame, m_von), 1, 1);
    g->addWidget(labelFor(frame, QStringLiteral("&Datum bis:"), m_bis->text()), 1, 2);
    g->addWidget(dateRow(frame, m_bis), 1, 3);
    g->addWidget(labelFor(frame, QStringLiteral("Stat&us:"), cmbStatus), 2, 0);
    g->addWidget(cmbStatus, 2, 1, Qt::AlignLeft);
    g->addWidget(chkRechnung, 2, 2);
    g->addWidget(chkBeurteilung, 2, 3);
    g->addWidget(labelFor(frame, QStringLiteral("Bemerkun&g:"), txtBemerkung), 3, 0);
    g->addWidget(txtBemerkung, 3, 1, 1, 3);
    grid->addWidget(frame, row, 0, 1, 4);

    // As "Neu" presets a new entry: Bedarf, and the whole next calendar year.
    const int next = QDate::currentDate().year() + 1;
    m_von->text()->setText(data::formatDate(QDate(next, 1, 1)));
    m_bis->text()->setText(data::formatDate(QDate(next, 12, 31)));
    cmbStatus->setCurrentIndex(0);
}

void FrmEinplanen::applyFilter()
{
    const auto chosen = [](const QComboBox *c) { return c->currentIndex() > 0 ? c->currentText() : QString(); };
    const QString bereich = chosen(cmbBereich), abteilung = chosen(cmbAbteilung),
                  kostenstelle = chosen(cmbKostenstelle), kategorie = chosen(cmbKategorie);
    const QString name = txtName->text().trimmed();
    if (bereich.isEmpty() && abteilung.isEmpty() && kostenstelle.isEmpty() && kategorie.isEmpty() && name.isEmpty()) {
        m_list->model()->setFilter({});
        return;
    }
    m_list->model()->setFilter([&](int row) {
        const data::group::Person &p = m_people[size_t(row)];
        return (bereich.isEmpty() || p.bereich == bereich) && (abteilung.isEmpty() || p.abteilung == abteilung)
               && (kostenstelle.isEmpty() || p.kostenstelle == kostenstelle)
               && (kategorie.isEmpty() || p.kategorie == kategorie)
               && (name.isEmpty() || p.name.contains(name, Qt::CaseInsensitive));
    });
}

void FrmEinplanen::tick(const QStringList &names)
{
    const QSet<QString> wanted(names.cbegin(), names.cend());
    for (int i = 0; i < int(m_people.size()); ++i)
        if (wanted.contains(m_people[size_t(i)].name))
            m_list->model()->setTicked(i, true);
}

QStringList FrmEinplanen::tickedNames() const
{
    QStringList names;
    for (int row : m_list->model()->tickedRows())
        names << m_people[size_t(row)].name;
    return names;
}

QString FrmEinplanen::typedValue(const char *column, const QString &name) const
{
    const std::string_view c = column;
    if (c == "KursNr")
        return m_course->txtKursNr->text();
    if (c == "Name")
        return name;
    if (c == "Prioritaet")
        return cmbPrioritaet->currentText();
    if (c == "Quelle")
        return cmbQuelle->currentText();
    if (c == "Datum_von")
        return m_von->text()->text();
    if (c == "Datum_bis")
        return m_bis->text()->text();
    if (c == "Status")
        return QString::number(cmbStatus->currentIndex());
    return QString();
}

QWidget *FrmEinplanen::fieldOf(const QString &column) const
{
    const std::map<QString, QWidget *> fields = {
        {QStringLiteral("KursNr"), m_course->edit()},  {QStringLiteral("Name"), m_list->view},
        {QStringLiteral("Prioritaet"), cmbPrioritaet}, {QStringLiteral("Quelle"), cmbQuelle},
        {QStringLiteral("Datum_von"), m_von->text()},  {QStringLiteral("Datum_bis"), m_bis->text()},
        {QStringLiteral("Status"), cmbStatus}};
    const auto it = fields.find(column);
    return it == fields.end() ? nullptr : it->second;
}

data::group::Entry FrmEinplanen::values() const
{
    data::group::Entry e;
    e.kursNr = m_course->kursNr();
    e.prioritaet = cmbPrioritaet->currentText().trimmed();
    e.quelle = cmbQuelle->currentText().trimmed();
    e.von = data::parseDate(m_von->text()->text()).value_or(QDate());
    e.bis = data::parseDate(m_bis->text()->text()).value_or(QDate());
    e.rechnung = chkRechnung->isChecked();
    e.beurteilung = chkBeurteilung->isChecked();
    e.bemerkung = txtBemerkung->text();
    e.status = QString::number(cmbStatus->currentIndex());
    return e;
}

void FrmEinplanen::planEntries()
{
    const QStringList names = tickedNames();
    try {
        // The checks of a typed entry, in their order, for the values all
        // entries share; who has an entry already is skipped, not refused.
        data::checks::Lookups lookups;
        lookups.keyExists = [](const QStringList &) { return false; };
        lookups.courseExists = [this](const QString &kursNr) {
            return data::tables::rowExists(m_conn, QStringLiteral("Kurs"), {QStringLiteral("KursNr")}, {kursNr});
        };
        lookups.employeeExists = [](const QString &) { return true; };
        const QString first = names.value(0, QStringLiteral("?"));
        const data::checks::Fault fault =
            data::checks::trainingsplan([&](const char *column) { return typedValue(column, first); }, true, lookups);
        if (m_course->kursNr().isEmpty() && fault) {
            showFault(this, fault.message, m_course->edit());
            return;
        }
        if (names.isEmpty()) {
            showFault(this, QStringLiteral("Es ist kein Mitarbeiter ausgewählt!"), m_list->view);
            return;
        }
        if (fault) {
            showFault(this, fault.message, fieldOf(fault.column));
            return;
        }
        // The warnings of a save, once for the whole group.
        if (cmbQuelle->currentText() == QLatin1String("AAI") && cmbPrioritaet->currentText() != QLatin1String("1"))
            ui::inform(this, QStringLiteral("Bei Quelle AAI sollte Priorität 1 gewählt werden!"),
                       QStringLiteral("Datenprüfung"), ui::Icon::Exclamation);
        if (m_von->text()->text().left(5) == QLatin1String("01.01")
            && m_bis->text()->text().left(5) == QLatin1String("31.12") && cmbStatus->currentIndex() != 0)
            ui::inform(this, QStringLiteral("Bitte ggf. Datum anpassen!"), QStringLiteral("Datenprüfung"),
                       ui::Icon::Exclamation);

        const data::group::PlanResult preview = data::group::previewPlan(m_conn, m_course->kursNr(), names);
        std::vector<std::pair<QString, QString>> lines;
        std::map<QString, QString> skipped;
        for (const data::group::Left &l : preview.left)
            skipped.emplace(l.name, l.reason);
        for (const QString &name : names) {
            const auto it = skipped.find(name);
            lines.emplace_back(name, it == skipped.end() ? QStringLiteral("wird eingeplant")
                                                         : QStringLiteral("übersprungen: ") + it->second);
        }
        const QString summary =
            QStringLiteral("Kurs %1 (%2): %3 werden angelegt, %4 übersprungen.")
                .arg(m_course->kursNr(), m_course->lblBeschreibung->text(), entriesText(preview.planned.size()))
                .arg(preview.left.size());
        if (!confirmPreview(this, kTitle, summary, lines, QStringLiteral("&Einplanen"), !preview.planned.isEmpty()))
            return;
    } catch (const data::DbError &e) {
        ui::inform(this, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return;
    }

    data::group::PlanResult result;
    const data::group::Entry entry = values();
    if (!runWrite(this, kTitle, QStringLiteral("UpdateError: "),
                  [&](const data::group::Progress &p) { result = data::group::plan(m_conn, entry, names, p); }))
        return;
    QString text = entriesText(result.planned.size(), "wurde angelegt.", "wurden angelegt.");
    if (const QString left = leftText(QStringLiteral("Nicht eingeplant"), result.left); !left.isEmpty())
        text += QStringLiteral("\n\n") + left;
    ui::inform(this, text, kTitle, ui::Icon::Information);
    m_planned = result.planned;
    accept();
}

QString FrmEinplanen::kursNr() const { return m_course->kursNr(); }

} // namespace orv::groups
