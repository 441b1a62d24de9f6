#include "records/frmmitarbeiter.h"

#include "data/recordchecks.h"
#include "data/valuelists.h"
#include "records/fieldfactory.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
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

} // namespace

FrmMitarbeiter::FrmMitarbeiter(QWidget *parent) : RecordForm(mitarbeiterConfig(), parent)
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

    txtFields[Name] = fields::makeField(fraAllgemein, Name, 30, 30);
    txtFields[Kostenstelle] = fields::makeField(fraAllgemein, Kostenstelle, 6, 6);
    txtFields[Abteilung] = fields::makeField(fraAllgemein, Abteilung, 10, 10);
    cmbKategorie = fields::makeCombo(fraAllgemein, QStringLiteral("cmbKategorie"), data::lists::kategorie(), 4);
    cmbBereich = fields::makeCombo(fraAllgemein, QStringLiteral("cmbBereich"), data::lists::bereichMitarbeiter(), 28);

    const std::pair<const char *, QWidget *> rows[] = {{"Nachname, Vorname:", txtFields[Name]},
                                                       {"Kostenstelle:", txtFields[Kostenstelle]},
                                                       {"Abteilung:", txtFields[Abteilung]},
                                                       {"Kategorie:", cmbKategorie},
                                                       {"Bereich:", cmbBereich}};
    int r = 0;
    for (const auto &[label, field] : rows) {
        grid->addWidget(fields::makeLabel(fraAllgemein, QString::fromUtf8(label), field), r, 0);
        grid->addWidget(field, r, 1, Qt::AlignLeft);
        ++r;
    }
    contentLayout()->addWidget(fraAllgemein);

    for (QLineEdit *f : txtFields)
        watchChanges(f);
    watchChanges(cmbKategorie);
    watchChanges(cmbBereich);
    setKeyFields({txtFields[Name]});
    finishFields();
}

void FrmMitarbeiter::fillFields(const data::RecordSet &rows)
{
    txtFields[Name]->setText(rows.text(QStringLiteral("Name")));
    txtFields[Kostenstelle]->setText(rows.text(QStringLiteral("Kostenstelle")));
    txtFields[Abteilung]->setText(rows.text(QStringLiteral("Abteilung")));
    cmbKategorie->setEditText(rows.text(QStringLiteral("Kategorie")));
    cmbBereich->setEditText(rows.text(QStringLiteral("Bereich")));
}

void FrmMitarbeiter::clearFields()
{
    for (QLineEdit *f : txtFields)
        f->clear();
    cmbKategorie->setEditText(QString());
    cmbBereich->setEditText(QString());
}

QString FrmMitarbeiter::runChecks(QWidget *&focus)
{
    const auto value = [this](const char *column) {
        const std::string_view c = column;
        if (c == "Kategorie")
            return cmbKategorie->currentText();
        if (c == "Bereich")
            return cmbBereich->currentText();
        return txtFields[Name]->text();
    };
    data::checks::Lookups lookups;
    lookups.keyExists = [this](const QStringList &key) { return recordExists({QStringLiteral("Name")}, key); };
    const data::checks::Fault fault = data::checks::mitarbeiter(value, isAddMode(), lookups);
    if (fault)
        focus = fault.column == QLatin1String("Kategorie") ? static_cast<QWidget *>(cmbKategorie)
                : fault.column == QLatin1String("Bereich") ? static_cast<QWidget *>(cmbBereich)
                                                           : static_cast<QWidget *>(txtFields[Name]);
    return fault.message;
}

void FrmMitarbeiter::writeFields(data::RecordSet &rows)
{
    rows.setField(QStringLiteral("Name"), txtFields[Name]->text());
    rows.setField(QStringLiteral("Kostenstelle"), txtFields[Kostenstelle]->text());
    rows.setField(QStringLiteral("Abteilung"), txtFields[Abteilung]->text());
    rows.setField(QStringLiteral("Kategorie"), cmbKategorie->currentText());
    rows.setField(QStringLiteral("Bereich"), cmbBereich->currentText());
}

} // namespace orv::records
