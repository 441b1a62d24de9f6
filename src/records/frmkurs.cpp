#include "records/frmkurs.h"

#include "data/valuelists.h"
#include "ui/widgets.h"

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

FrmKurs::FrmKurs(QWidget *parent) : TableForm(kursConfig(), kKursFields, parent)
{
    buildFields(txtFields, 12);
    cmbRubrik = list("Rubrik");
    cmbArt = list("Art");
    ui::setHelpChapter(this, "kurse");
}

} // namespace orv::records
