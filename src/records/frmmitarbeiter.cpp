#include "records/frmmitarbeiter.h"

#include "data/recordchecks.h"
#include "data/valuelists.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace orv::records {
namespace {

RecordFormConfig mitarbeiterConfig()
{
    RecordFormConfig c;
    c.window = ui::WindowId::Mitarbeiter;
    c.caption = QStringLiteral("Mitarbeiter");
    c.table = QStringLiteral("Mitarbeiter");
    c.keyColumns = {QStringLiteral("Name")};
    c.sortCycle = {QStringLiteral("Name"), QStringLiteral("Kostenstelle"), QStringLiteral("Abteilung"),
                   QStringLiteral("Kategorie"), QStringLiteral("Bereich")};
    c.widthTwips = 6200;
    c.heightTwips = 4900;
    c.deleteQuestion = QStringLiteral("Datensatz mit zugeordneten Kursen wirklich löschen?");
    c.dependentKeyColumn = QStringLiteral("Name");
    c.seekLayout = [] { return search::mitarbeiterSeekLayout(); };
    return c;
}

// The employee's fields in the order of the grid.
const FieldDef kMitarbeiterFields[] = {
    {FieldDef::Text, "Name", "Nachname, Vorname:", FrmMitarbeiter::Name, 30, 30},
    {FieldDef::Text, "Kostenstelle", "Kostenstelle:", FrmMitarbeiter::Kostenstelle, 6, 6},
    {FieldDef::Text, "Abteilung", "Abteilung:", FrmMitarbeiter::Abteilung, 10, 10},
    {FieldDef::List, "Kategorie", "Kategorie:", -1, 0, 4, 0, data::lists::kategorie},
    {FieldDef::List, "Bereich", "Bereich:", -1, 0, 28, 0, data::lists::bereichMitarbeiter},
};

} // namespace

FrmMitarbeiter::FrmMitarbeiter(QWidget *parent) : RecordForm(mitarbeiterConfig(), parent), m_fields(kMitarbeiterFields)
{
    buildFields();
    ui::setHelpChapter(this, "mitarbeiter");
}

void FrmMitarbeiter::buildFields()
{
    fraAllgemein = new QGroupBox(QStringLiteral("Allgemein"), this);
    fraAllgemein->setObjectName(QStringLiteral("fraAllgemein"));
    auto *grid = new QGridLayout(fraAllgemein);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(2, 1);
    m_fields.build(fraAllgemein, grid, txtFields);
    cmbKategorie = qobject_cast<QComboBox *>(m_fields.widget(QStringLiteral("Kategorie")));
    cmbBereich = qobject_cast<QComboBox *>(m_fields.widget(QStringLiteral("Bereich")));
    contentLayout()->addWidget(fraAllgemein);

    for (QWidget *f : m_fields.widgets())
        watchChanges(f);
    setKeyFields({txtFields[Name]});
    finishFields();
}

void FrmMitarbeiter::fillFields(const data::RecordSet &rows) { m_fields.fill(rows); }

void FrmMitarbeiter::clearFields() { m_fields.clear(); }

QString FrmMitarbeiter::runChecks(QWidget *&focus)
{
    const auto value = [this](const char *column) { return m_fields.text(QLatin1String(column)); };
    data::checks::Lookups lookups;
    lookups.keyExists = [this](const QStringList &key) { return recordExists({QStringLiteral("Name")}, key); };
    const data::checks::Fault fault = data::checks::mitarbeiter(value, isAddMode(), lookups);
    if (fault)
        focus = m_fields.widget(fault.column);
    return fault.message;
}

void FrmMitarbeiter::writeFields(data::RecordSet &rows) { m_fields.write(rows); }

} // namespace orv::records
