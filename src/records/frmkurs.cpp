#include "records/frmkurs.h"

#include "data/format.h"
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
#include <map>

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

} // namespace

FrmKurs::FrmKurs(QWidget *parent) : RecordForm(kursConfig(), parent)
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

    txtFields[KursNr] = fields::makeField(fraAllgemein, KursNr, 6, 6);
    cmbRubrik = fields::makeCombo(fraAllgemein, QStringLiteral("cmbRubrik"), data::lists::rubrik(), 40);
    txtFields[Beschreibung] = fields::makeField(fraAllgemein, Beschreibung, 80);
    cmbArt = fields::makeCombo(fraAllgemein, QStringLiteral("cmbArt"), data::lists::art(), 3);
    txtFields[Referent] = fields::makeField(fraAllgemein, Referent, 30, 30);
    txtFields[Kosten] = fields::makeField(fraAllgemein, Kosten, 7, 9, true);
    txtFields[Dauer] = fields::makeField(fraAllgemein, Dauer, 5, 9, true);

    const std::pair<const char *, QWidget *> rows[] = {
        {"Kurs-Nr.:", txtFields[KursNr]},           {"Rubrik:", cmbRubrik},
        {"Beschreibung:", txtFields[Beschreibung]}, {"Art:", cmbArt},
        {"Referent:", txtFields[Referent]},         {"Kosten je Person:", txtFields[Kosten]},
        {"Dauer in Stunden:", txtFields[Dauer]}};
    int r = 0;
    for (const auto &[label, field] : rows) {
        grid->addWidget(fields::makeLabel(fraAllgemein, QString::fromUtf8(label), field), r, 0);
        if (field == txtFields[Beschreibung])
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
    replaceFullStop(txtFields[Kosten]);
    replaceFullStop(txtFields[Dauer]);
    setKeyFields({txtFields[KursNr]});
    finishFields();
}

void FrmKurs::fillFields(const data::RecordSet &rows)
{
    txtFields[KursNr]->setText(rows.text(QStringLiteral("KursNr")));
    txtFields[Beschreibung]->setText(rows.text(QStringLiteral("Beschreibung")));
    txtFields[Referent]->setText(rows.text(QStringLiteral("Referent")));
    txtFields[Kosten]->setText(fields::numberText(rows, "Kosten", 2));
    txtFields[Dauer]->setText(fields::numberText(rows, "Dauer", 1));
    cmbRubrik->setEditText(rows.text(QStringLiteral("Rubrik")));
    cmbArt->setEditText(rows.text(QStringLiteral("Art")));
}

void FrmKurs::clearFields()
{
    txtFields[KursNr]->clear();
    txtFields[Beschreibung]->clear();
    txtFields[Referent]->clear();
    txtFields[Kosten]->setText(QStringLiteral("0"));
    txtFields[Dauer]->setText(QStringLiteral("0"));
    cmbRubrik->setEditText(QString());
    cmbArt->setEditText(QString());
}

QString FrmKurs::runChecks(QWidget *&focus)
{
    const std::map<QString, QWidget *> fieldOf = {{QStringLiteral("KursNr"), txtFields[KursNr]},
                                                  {QStringLiteral("Rubrik"), cmbRubrik},
                                                  {QStringLiteral("Beschreibung"), txtFields[Beschreibung]},
                                                  {QStringLiteral("Art"), cmbArt},
                                                  {QStringLiteral("Kosten"), txtFields[Kosten]},
                                                  {QStringLiteral("Dauer"), txtFields[Dauer]}};
    const auto value = [this](const char *column) {
        const std::string_view c = column;
        if (c == "Rubrik")
            return cmbRubrik->currentText();
        if (c == "Art")
            return cmbArt->currentText();
        return txtFields[c == "KursNr"         ? KursNr
                         : c == "Beschreibung" ? Beschreibung
                         : c == "Kosten"       ? Kosten
                                               : Dauer]
            ->text();
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
    const auto single = [](const QLineEdit *f) { return double(float(data::parseNumber(f->text()).value_or(0.0))); };
    rows.setField(QStringLiteral("KursNr"), txtFields[KursNr]->text());
    rows.setField(QStringLiteral("Beschreibung"), txtFields[Beschreibung]->text());
    rows.setField(QStringLiteral("Referent"), txtFields[Referent]->text());
    rows.setField(QStringLiteral("Kosten"), single(txtFields[Kosten]));
    rows.setField(QStringLiteral("Dauer"), single(txtFields[Dauer]));
    rows.setField(QStringLiteral("Rubrik"), cmbRubrik->currentText());
    rows.setField(QStringLiteral("Art"), cmbArt->currentText());
}

} // namespace orv::records
