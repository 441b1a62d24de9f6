#include "records/frmkurs.h"

#include "data/recordchecks.h"
#include "data/valuelists.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace orv::records {
namespace {

RecordFormConfig kursConfig()
{
    RecordFormConfig c;
    c.window = ui::WindowId::Kurs;
    c.caption = QStringLiteral("Kurs");
    c.table = QStringLiteral("Kurs");
    c.keyColumns = {QStringLiteral("KursNr")};
    c.sortCycle = {QStringLiteral("KursNr"), QStringLiteral("Rubrik"),   QStringLiteral("Beschreibung"),
                   QStringLiteral("Art"),    QStringLiteral("Referent"), QStringLiteral("Kosten"),
                   QStringLiteral("Dauer")};
    c.widthTwips = 10800;
    c.heightTwips = 5700;
    c.deleteQuestion = QStringLiteral("Datensatz mit zugeordneten Kursen wirklich löschen?");
    c.dependentKeyColumn = QStringLiteral("KursNr");
    c.seekLayout = [] { return search::kursSeekLayout(); };
    return c;
}

// The course's fields in the order of the grid.
const FieldDef kKursFields[] = {
    {FieldDef::Text, "KursNr", "Kurs-Nr.:", FrmKurs::KursNr, 6, 6},
    {FieldDef::List, "Rubrik", "Rubrik:", -1, 0, 40, 0, data::lists::rubrik},
    {FieldDef::Text, "Beschreibung", "Beschreibung:", FrmKurs::Beschreibung, 80, 0},
    {FieldDef::List, "Art", "Art:", -1, 0, 3, 0, data::lists::art},
    {FieldDef::Text, "Referent", "Referent:", FrmKurs::Referent, 30, 30},
    {FieldDef::Number, "Kosten", "Kosten je Person:", FrmKurs::Kosten, 7, 9, 2},
    {FieldDef::Number, "Dauer", "Dauer in Stunden:", FrmKurs::Dauer, 5, 9, 1},
};

} // namespace

FrmKurs::FrmKurs(QWidget *parent) : RecordForm(kursConfig(), parent), m_fields(kKursFields)
{
    buildFields();
    ui::setHelpChapter(this, "kurse");
}

void FrmKurs::buildFields()
{
    fraAllgemein = new QGroupBox(QStringLiteral("Allgemein"), this);
    fraAllgemein->setObjectName(QStringLiteral("fraAllgemein"));
    auto *grid = new QGridLayout(fraAllgemein);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(2, 1);
    m_fields.build(fraAllgemein, grid, txtFields);
    cmbRubrik = qobject_cast<QComboBox *>(m_fields.widget(QStringLiteral("Rubrik")));
    cmbArt = qobject_cast<QComboBox *>(m_fields.widget(QStringLiteral("Art")));
    contentLayout()->addWidget(fraAllgemein);

    for (QWidget *f : m_fields.widgets())
        watchChanges(f);
    for (const FieldDef &s : m_fields.defs())
        if (s.kind == FieldDef::Number)
            replaceFullStop(txtFields[s.field]);
    setKeyFields({txtFields[KursNr]});
    finishFields();
}

void FrmKurs::fillFields(const data::RecordSet &rows) { m_fields.fill(rows); }

void FrmKurs::clearFields() { m_fields.clear(); }

QString FrmKurs::runChecks(QWidget *&focus)
{
    const auto value = [this](const char *column) { return m_fields.text(QLatin1String(column)); };
    data::checks::Lookups lookups;
    lookups.keyExists = [this](const QStringList &key) { return recordExists({QStringLiteral("KursNr")}, key); };
    const data::checks::Fault fault = data::checks::kurs(value, isAddMode(), lookups);
    if (fault)
        focus = m_fields.widget(fault.column);
    return fault.message;
}

void FrmKurs::writeFields(data::RecordSet &rows) { m_fields.write(rows); }

} // namespace orv::records
