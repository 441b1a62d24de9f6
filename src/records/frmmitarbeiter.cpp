#include "records/frmmitarbeiter.h"

#include "data/valuelists.h"
#include "ui/widgets.h"

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

FrmMitarbeiter::FrmMitarbeiter(QWidget *parent) : TableForm(mitarbeiterConfig(), kMitarbeiterFields, parent)
{
    buildFields(txtFields, 8);
    cmbKategorie = list("Kategorie");
    cmbBereich = list("Bereich");
    ui::setHelpChapter(this, "mitarbeiter");
}

} // namespace orv::records
