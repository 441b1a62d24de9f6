#include "records/frmkurs.h"

#include "data/recordchecks.h"
#include "data/valuelists.h"
#include "records/fieldfactory.h"
#include "ui/format.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <map>

namespace orv::records {
namespace {

RecordFormConfig kursConfig()
{
    RecordFormConfig c;
    c.objectName = QStringLiteral("frmKurs");
    c.caption = QStringLiteral("Kurs");
    c.table = QStringLiteral("Kurs");
    c.keyColumns = {QStringLiteral("KursNr")};
    c.sortCycle = {QStringLiteral("KursNr"), QStringLiteral("Rubrik"),   QStringLiteral("Beschreibung"),
                   QStringLiteral("Art"),    QStringLiteral("Referent"), QStringLiteral("Kosten"),
                   QStringLiteral("Dauer")};
    c.ownFileItem = QStringLiteral("mnuKurs");
    c.widthTwips = 10800;
    c.heightTwips = 5700;
    c.deleteQuestion = QStringLiteral("Datensatz mit zugeordneten Kursen wirklich löschen?");
    c.dependentKeyColumn = QStringLiteral("KursNr");
    c.seekLayout = [] { return search::kursSeekLayout(); };
    return c;
}

} // namespace

FrmKurs::FrmKurs(QWidget *parent) : RecordForm(kursConfig(), parent) { buildFields(); }

void FrmKurs::buildFields()
{
    fraAllgemein = new QGroupBox(QStringLiteral("Allgemein"), this);
    fraAllgemein->setObjectName(QStringLiteral("fraAllgemein"));
    auto *grid = new QGridLayout(fraAllgemein);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(2, 1);

    txtFields[0] = fields::makeField(fraAllgemein, 0, 6, 6);
    cmbRubrik = fields::makeCombo(fraAllgemein, QStringLiteral("cmbRubrik"), data::lists::rubrik(), 40);
    txtFields[1] = fields::makeField(fraAllgemein, 1, 80);
    cmbArt = fields::makeCombo(fraAllgemein, QStringLiteral("cmbArt"), data::lists::art(), 3);
    txtFields[2] = fields::makeField(fraAllgemein, 2, 30, 30);
    txtFields[3] = fields::makeField(fraAllgemein, 3, 7, 9, true);
    txtFields[4] = fields::makeField(fraAllgemein, 4, 5, 9, true);

    const std::pair<const char *, QWidget *> rows[] = {
        {"Kurs-Nr.:", txtFields[0]},        {"Rubrik:", cmbRubrik},
        {"Beschreibung:", txtFields[1]},    {"Art:", cmbArt},
        {"Referent:", txtFields[2]},        {"Kosten je Person:", txtFields[3]},
        {"Dauer in Stunden:", txtFields[4]}};
    int r = 0;
    for (const auto &[label, field] : rows) {
        grid->addWidget(fields::makeLabel(fraAllgemein, QString::fromUtf8(label), field), r, 0);
        if (field == txtFields[1])
            grid->addWidget(field, r, 1, 1, 2);
        else
            grid->addWidget(field, r, 1, Qt::AlignLeft);
        ++r;
    }
    contentLayout()->addWidget(fraAllgemein);

    for (QLineEdit *f : txtFields)
        watchChanges(f);
    watchChanges(cmbRubrik);
    watchChanges(cmbArt);
    replaceFullStop(txtFields[3]);
    replaceFullStop(txtFields[4]);
    setKeyFields({txtFields[0]});
    finishFields();
}

void FrmKurs::fillFields(const data::RecordSet &rows)
{
    txtFields[0]->setText(rows.text(QStringLiteral("KursNr")));
    txtFields[1]->setText(rows.text(QStringLiteral("Beschreibung")));
    txtFields[2]->setText(rows.text(QStringLiteral("Referent")));
    txtFields[3]->setText(fields::numberText(rows, "Kosten", 2));
    txtFields[4]->setText(fields::numberText(rows, "Dauer", 1));
    cmbRubrik->setEditText(rows.text(QStringLiteral("Rubrik")));
    cmbArt->setEditText(rows.text(QStringLiteral("Art")));
}

void FrmKurs::clearFields()
{
    txtFields[0]->clear();
    txtFields[1]->clear();
    txtFields[2]->clear();
    txtFields[3]->setText(QStringLiteral("0"));
    txtFields[4]->setText(QStringLiteral("0"));
    cmbRubrik->setEditText(QString());
    cmbArt->setEditText(QString());
}

QString FrmKurs::runChecks(QWidget *&focus)
{
    const std::map<QString, QWidget *> fieldOf = {
        {QStringLiteral("KursNr"), txtFields[0]},       {QStringLiteral("Rubrik"), cmbRubrik},
        {QStringLiteral("Beschreibung"), txtFields[1]}, {QStringLiteral("Art"), cmbArt},
        {QStringLiteral("Kosten"), txtFields[3]},       {QStringLiteral("Dauer"), txtFields[4]}};
    const auto value = [this](const char *column) {
        const std::string_view c = column;
        if (c == "Rubrik")
            return cmbRubrik->currentText();
        if (c == "Art")
            return cmbArt->currentText();
        return txtFields[c == "KursNr" ? 0 : c == "Beschreibung" ? 1 : c == "Kosten" ? 3 : 4]->text();
    };
    data::checks::Lookups lookups;
    lookups.keyExists = [this](const QStringList &key) { return recordExists({QStringLiteral("KursNr")}, key); };
    const data::checks::Fault fault = data::checks::kurs(value, isAddMode(), lookups);
    if (fault)
        focus = fieldOf.at(fault.column);
    return fault.message;
}

void FrmKurs::writeFields(data::RecordSet &rows)
{
    // Kosten and Dauer are single precision columns.
    const auto single = [](const QLineEdit *f) { return double(float(ui::parseNumber(f->text()).value_or(0.0))); };
    rows.setField(QStringLiteral("KursNr"), txtFields[0]->text());
    rows.setField(QStringLiteral("Beschreibung"), txtFields[1]->text());
    rows.setField(QStringLiteral("Referent"), txtFields[2]->text());
    rows.setField(QStringLiteral("Kosten"), single(txtFields[3]));
    rows.setField(QStringLiteral("Dauer"), single(txtFields[4]));
    rows.setField(QStringLiteral("Rubrik"), cmbRubrik->currentText());
    rows.setField(QStringLiteral("Art"), cmbArt->currentText());
}

} // namespace orv::records
