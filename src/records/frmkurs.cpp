#include "records/frmkurs.h"

#include "data/valuelists.h"
#include "records/fieldfactory.h"
#include "ui/format.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

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

// The check of an amount as its single precision column holds it: `invalid`
// when it is no number, `outOfRange` outside 0 to `maximum`, else nullptr.
const char *amountFault(const QLineEdit *field, float maximum, const char *invalid, const char *outOfRange)
{
    const auto number = ui::parseNumber(field->text());
    if (!number)
        return invalid;
    const float v = float(*number);
    return v < 0.0f || v > maximum ? outOfRange : nullptr;
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
    auto fail = [&focus](QWidget *field, const char *message) {
        focus = field;
        return QString::fromUtf8(message);
    };
    if (isAddMode()) {
        if (txtFields[0]->text().trimmed().isEmpty())
            return fail(txtFields[0], "Die Eingabe einer Kurs-Nr. ist zwingend erforderlich!");
        if (recordExists({QStringLiteral("KursNr")}, {txtFields[0]->text()}))
            return fail(txtFields[0], "Die eingegebene Kurs-Nr. ist bereits vorhanden!");
    }
    if (const char *fault = fields::listFieldFault(cmbRubrik, data::lists::rubrik(),
                                                   "Die Eingabe einer Rubrik ist zwingend erforderlich!",
                                                   "Die eingegebene Rubrik ist nicht vorhanden!"))
        return fail(cmbRubrik, fault);
    if (txtFields[1]->text().trimmed().isEmpty())
        return fail(txtFields[1], "Die Eingabe einer Beschreibung ist zwingend erforderlich!");
    if (const char *fault =
            fields::listFieldFault(cmbArt, data::lists::art(), "Die Eingabe einer Art ist zwingend erforderlich!",
                                   "Die eingegebene Art ist nicht vorhanden!"))
        return fail(cmbArt, fault);
    if (const char *fault = amountFault(txtFields[3], 9999.99f, "Die Kosten sind ungültig!",
                                        "Die Kosten müssen zwischen 0 und 9999.99 sein!"))
        return fail(txtFields[3], fault);
    if (const char *fault =
            amountFault(txtFields[4], 999.9f, "Die Dauer ist ungültig!", "Die Dauer muß zwischen 0 und 999.9 sein!"))
        return fail(txtFields[4], fault);
    return QString();
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
