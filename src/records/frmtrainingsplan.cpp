#include "records/frmtrainingsplan.h"

#include "data/dberror.h"
#include "data/recordchecks.h"
#include "data/tables.h"
#include "data/valuelists.h"
#include "records/fieldfactory.h"
#include "ui/format.h"
#include "ui/prompter.h"
#include "ui/widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <map>

namespace orv::records {
namespace {

RecordFormConfig trainingsplanConfig()
{
    RecordFormConfig c;
    c.objectName = QStringLiteral("frmTrainingsplan");
    c.caption = QStringLiteral("Trainingsplan");
    c.table = QStringLiteral("Trainingsplan");
    c.keyColumns = {QStringLiteral("KursNr"), QStringLiteral("Name")};
    c.sortCycle = {QStringLiteral("KursNr,Name"), QStringLiteral("Name,KursNr"),
                   QStringLiteral("Prioritaet,KursNr,Name"), QStringLiteral("Quelle,KursNr,Name"),
                   QStringLiteral("Status,KursNr,Name")};
    c.ownFileItem = QStringLiteral("mnuTrainingsplan");
    c.widthTwips = 10800;
    c.heightTwips = 8700;
    c.deleteQuestion = QStringLiteral("Datensatz wirklich löschen?");
    c.seekLayout = [] { return search::trainingsplanSeekLayout(); };
    return c;
}

// Left labels, left fields, right labels, right fields: the same columns in all three frames.
// The left label column lines up in all three frames; course and employee
// frames share the right columns too, the entry frame needs room for its period.
int leftLabelWidth(const QWidget *w)
{
    return w->fontMetrics().horizontalAdvance(QStringLiteral("Nachname, Vorname:")) + 6;
}

int rightLabelWidth(const QWidget *w)
{
    return w->fontMetrics().horizontalAdvance(QStringLiteral("Dauer in Stunden:")) + 6;
}

QGridLayout *frameGrid(QGroupBox *frame, int leftFields)
{
    auto *grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->setColumnMinimumWidth(0, leftLabelWidth(frame));
    grid->setColumnMinimumWidth(1, leftFields);
    grid->setColumnMinimumWidth(2, rightLabelWidth(frame));
    grid->setColumnStretch(3, 1);
    return grid;
}

// A field with its picture button (and anything else) in one left cell.
QWidget *row(QWidget *parent, std::initializer_list<QWidget *> parts)
{
    auto *box = new QWidget(parent);
    auto *h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(4);
    for (QWidget *p : parts)
        h->addWidget(p);
    h->addStretch(1);
    return box;
}

QString dateText(const data::RecordSet &rows, const char *column)
{
    return ui::formatDate(rows.date(QLatin1String(column)));
}

} // namespace

FrmTrainingsplan::FrmTrainingsplan(QWidget *parent) : RecordForm(trainingsplanConfig(), parent) { buildFields(); }

QGroupBox *FrmTrainingsplan::buildCourseFrame()
{
    fraKurs = new QGroupBox(QStringLiteral("Kurs"), this);
    fraKurs->setObjectName(QStringLiteral("fraKurs"));
    QGridLayout *g = frameGrid(fraKurs, 110);
    txtFields[0] = fields::makeField(fraKurs, 0, 6, 6);
    cmdKursNrSuchen = fields::makePictureButton(fraKurs, QStringLiteral("cmdKursNrSuchen"), QStringLiteral("Lookup"),
                                                QStringLiteral("Kurs auswählen"));
    cmbRubrik = fields::makeCombo(fraKurs, QStringLiteral("cmbRubrik"), data::lists::rubrikTrainingsplan(), 0);
    txtFields[1] = fields::makeField(fraKurs, 1, 80);
    cmbArt = fields::makeCombo(fraKurs, QStringLiteral("cmbArt"), data::lists::art(), 3);
    txtFields[2] = fields::makeField(fraKurs, 2, 30);
    txtFields[3] = fields::makeField(fraKurs, 3, 7, 9, true);
    txtFields[4] = fields::makeField(fraKurs, 4, 5, 9, true);

    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Kurs-Nr.:"), txtFields[0]), 0, 0);
    g->addWidget(row(fraKurs, {txtFields[0], cmdKursNrSuchen}), 0, 1);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Rubrik:"), cmbRubrik), 0, 2);
    g->addWidget(cmbRubrik, 0, 3);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Beschreibung:"), txtFields[1]), 1, 0);
    g->addWidget(txtFields[1], 1, 1, 1, 3);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Art:"), cmbArt), 2, 0);
    g->addWidget(cmbArt, 2, 1, Qt::AlignLeft);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Referent:"), txtFields[2]), 2, 2);
    g->addWidget(txtFields[2], 2, 3);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Kosten je Person:"), txtFields[3]), 3, 0);
    g->addWidget(txtFields[3], 3, 1, Qt::AlignLeft);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Dauer in Stunden:"), txtFields[4]), 3, 2);
    g->addWidget(txtFields[4], 3, 3, Qt::AlignLeft);
    return fraKurs;
}

QGroupBox *FrmTrainingsplan::buildEmployeeFrame()
{
    fraMitarbeiter = new QGroupBox(QStringLiteral("Mitarbeiter"), this);
    fraMitarbeiter->setObjectName(QStringLiteral("fraMitarbeiter"));
    QGridLayout *g = frameGrid(fraMitarbeiter, 110);
    txtFields[5] = fields::makeField(fraMitarbeiter, 5, 30, 30);
    cmdNameSuchen = fields::makePictureButton(fraMitarbeiter, QStringLiteral("cmdNameSuchen"), QStringLiteral("Lookup"),
                                              QStringLiteral("Mitarbeiter auswählen"));
    txtFields[6] = fields::makeField(fraMitarbeiter, 6, 6, 6);
    txtFields[7] = fields::makeField(fraMitarbeiter, 7, 10, 10);
    cmbKategorie = fields::makeCombo(fraMitarbeiter, QStringLiteral("cmbKategorie"), data::lists::kategorie(), 4);
    cmbBereich =
        fields::makeCombo(fraMitarbeiter, QStringLiteral("cmbBereich"), data::lists::bereichTrainingsplan(), 0);

    g->addWidget(fields::makeLabel(fraMitarbeiter, QStringLiteral("Nachname, Vorname:"), txtFields[5]), 0, 0);
    g->addWidget(row(fraMitarbeiter, {txtFields[5], cmdNameSuchen}), 0, 1, 1, 3);
    g->addWidget(fields::makeLabel(fraMitarbeiter, QStringLiteral("Kostenstelle:"), txtFields[6]), 1, 0);
    g->addWidget(txtFields[6], 1, 1, Qt::AlignLeft);
    g->addWidget(fields::makeLabel(fraMitarbeiter, QStringLiteral("Abteilung:"), txtFields[7]), 1, 2);
    g->addWidget(txtFields[7], 1, 3, Qt::AlignLeft);
    g->addWidget(fields::makeLabel(fraMitarbeiter, QStringLiteral("Kategorie:"), cmbKategorie), 2, 0);
    g->addWidget(cmbKategorie, 2, 1, Qt::AlignLeft);
    g->addWidget(fields::makeLabel(fraMitarbeiter, QStringLiteral("Bereich:"), cmbBereich), 2, 2);
    g->addWidget(cmbBereich, 2, 3);
    return fraMitarbeiter;
}

QGroupBox *FrmTrainingsplan::buildEntryFrame()
{
    fraAllgemein = new QGroupBox(QStringLiteral("Allgemein"), this);
    fraAllgemein->setObjectName(QStringLiteral("fraAllgemein"));
    QGridLayout *g = frameGrid(fraAllgemein, 230);
    cmbPrioritaet = fields::makeCombo(fraAllgemein, QStringLiteral("cmbPrioritaet"), data::lists::prioritaet(), 3);
    cmbQuelle = fields::makeCombo(fraAllgemein, QStringLiteral("cmbQuelle"), data::lists::quelle(), 4);
    chkRechnung = new QCheckBox(QStringLiteral("Rechnung vorhanden"), fraAllgemein);
    chkRechnung->setObjectName(QStringLiteral("chkRechnung"));
    txtFields[8] = fields::makeField(fraAllgemein, 8, 20, 10);
    cmdMonthViewVon = fields::makePictureButton(fraAllgemein, QStringLiteral("cmdMonthViewVon"),
                                                QStringLiteral("Calendar"), QStringLiteral("Startdatum wählen"));
    txtFields[9] = fields::makeField(fraAllgemein, 9, 20, 10);
    cmdMonthViewBis = fields::makePictureButton(fraAllgemein, QStringLiteral("cmdMonthViewBis"),
                                                QStringLiteral("Calendar"), QStringLiteral("Endedatum wählen"));
    chkBeurteilung = new QCheckBox(QStringLiteral("Seminarbeurteilung vorhanden"), fraAllgemein);
    chkBeurteilung->setObjectName(QStringLiteral("chkBeurteilung"));
    txtFields[10] = fields::makeField(fraAllgemein, 10, 80);

    g->addWidget(fields::makeLabel(fraAllgemein, QStringLiteral("Priorität:"), cmbPrioritaet), 0, 0);
    g->addWidget(cmbPrioritaet, 0, 1, Qt::AlignLeft);
    g->addWidget(fields::makeLabel(fraAllgemein, QStringLiteral("Quelle:"), cmbQuelle), 1, 0);
    g->addWidget(cmbQuelle, 1, 1, Qt::AlignLeft);
    g->addWidget(chkRechnung, 1, 2, 1, 2);
    g->addWidget(fields::makeLabel(fraAllgemein, QStringLiteral("Datum:"), txtFields[8]), 2, 0);
    // One label for the period: each date field says which end it is.
    ui::nameField(txtFields[8], QStringLiteral("Startdatum"));
    ui::nameField(txtFields[9], QStringLiteral("Endedatum"));
    auto *dash = new QLabel(QStringLiteral("-"), fraAllgemein);
    g->addWidget(row(fraAllgemein, {txtFields[8], cmdMonthViewVon, dash, txtFields[9], cmdMonthViewBis}), 2, 1);
    g->addWidget(chkBeurteilung, 2, 2, 1, 2);
    g->addWidget(fields::makeLabel(fraAllgemein, QStringLiteral("Bemerkung:"), txtFields[10]), 3, 0);
    g->addWidget(txtFields[10], 3, 1, 1, 3);

    g->addWidget(fields::makeLabel(fraAllgemein, QStringLiteral("Status:")), 4, 0);
    m_status = new QButtonGroup(this);
    auto *options = new QWidget(fraAllgemein);
    auto *h = new QHBoxLayout(options);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(16);
    const QStringList captions = data::lists::statusCaptions();
    for (int i = 0; i < 4; ++i) {
        optStatus[i] = new QRadioButton(captions.value(i), options);
        optStatus[i]->setObjectName(QStringLiteral("optStatus(%1)").arg(i));
        m_status->addButton(optStatus[i], i);
        h->addWidget(optStatus[i]);
    }
    h->addStretch(1);
    g->addWidget(options, 4, 1, 1, 3);
    return fraAllgemein;
}

void FrmTrainingsplan::buildFields()
{
    contentLayout()->addWidget(buildCourseFrame());
    contentLayout()->addWidget(buildEmployeeFrame());
    contentLayout()->addWidget(buildEntryFrame());

    // The master data of course and employee are shown, never typed.
    for (QWidget *w :
         {static_cast<QWidget *>(txtFields[1]), static_cast<QWidget *>(txtFields[2]),
          static_cast<QWidget *>(txtFields[3]), static_cast<QWidget *>(txtFields[4]),
          static_cast<QWidget *>(txtFields[6]), static_cast<QWidget *>(txtFields[7]), static_cast<QWidget *>(cmbRubrik),
          static_cast<QWidget *>(cmbArt), static_cast<QWidget *>(cmbKategorie), static_cast<QWidget *>(cmbBereich)})
        w->setEnabled(false);

    connect(txtFields[0], &QLineEdit::textChanged, this, [this] {
        beginEdit();
        if (!m_filling)
            lookUp(&FrmTrainingsplan::showCourseDetails);
    });
    connect(txtFields[5], &QLineEdit::textChanged, this, [this] {
        beginEdit();
        if (!m_filling)
            lookUp(&FrmTrainingsplan::showEmployeeDetails);
    });
    for (int i : {8, 9, 10})
        watchChanges(txtFields[i]);
    for (QWidget *w : {static_cast<QWidget *>(cmbPrioritaet), static_cast<QWidget *>(cmbQuelle),
                       static_cast<QWidget *>(chkRechnung), static_cast<QWidget *>(chkBeurteilung)})
        watchChanges(w);
    for (QRadioButton *o : optStatus)
        watchChanges(o);

    connect(cmdKursNrSuchen, &QToolButton::clicked, this, &FrmTrainingsplan::pickCourseRequested);
    connect(cmdNameSuchen, &QToolButton::clicked, this, &FrmTrainingsplan::pickEmployeeRequested);
    connect(cmdMonthViewVon, &QToolButton::clicked, this, [this] { emit pickDateRequested(8); });
    connect(cmdMonthViewBis, &QToolButton::clicked, this, [this] { emit pickDateRequested(9); });
    setKeyFields({txtFields[0], txtFields[5]}, {cmdKursNrSuchen, cmdNameSuchen});
    finishFields();
}

// ---------------------------------------------------------------- showing

void FrmTrainingsplan::fillFields(const data::RecordSet &rows)
{
    m_filling = true;
    txtFields[0]->setText(rows.text(QStringLiteral("KursNr")));
    txtFields[5]->setText(rows.text(QStringLiteral("Name")));
    m_filling = false;
    cmbPrioritaet->setEditText(rows.text(QStringLiteral("Prioritaet")));
    cmbQuelle->setEditText(rows.text(QStringLiteral("Quelle")));
    txtFields[8]->setText(dateText(rows, "Datum_von"));
    txtFields[9]->setText(dateText(rows, "Datum_bis"));
    chkRechnung->setChecked(rows.boolean(QStringLiteral("Rechnung")));
    chkBeurteilung->setChecked(rows.boolean(QStringLiteral("Beurteilung")));
    txtFields[10]->setText(rows.text(QStringLiteral("Bemerkung")));
    bool ok = false;
    const int status = rows.text(QStringLiteral("Status")).trimmed().toInt(&ok);
    selectStatus(ok ? status : -1);
}

void FrmTrainingsplan::afterFill()
{
    try {
        showCourseDetails();
        showEmployeeDetails();
    } catch (const data::DbError &e) {
        errorBox(e, QStringLiteral("DatenLesenError: "));
    }
}

void FrmTrainingsplan::lookUp(void (FrmTrainingsplan::*lookup)())
{
    try {
        (this->*lookup)();
    } catch (const data::DbError &e) {
        errorBox(e, QStringLiteral("DatenLesenError: "));
    }
}

void FrmTrainingsplan::showCourseDetails()
{
    data::RecordSet kurs;
    data::tables::openRows(kurs, connection(), QStringLiteral("Kurs"), QStringLiteral("KursNr"), txtFields[0]->text());
    if (!kurs.hasCurrent()) {
        for (int i : {1, 2, 3, 4})
            txtFields[i]->clear();
        cmbRubrik->setEditText(QString());
        cmbArt->setEditText(QString());
        return;
    }
    txtFields[1]->setText(kurs.text(QStringLiteral("Beschreibung")));
    txtFields[2]->setText(kurs.text(QStringLiteral("Referent")));
    txtFields[3]->setText(fields::numberText(kurs, "Kosten", 2));
    txtFields[4]->setText(fields::numberText(kurs, "Dauer", 1));
    cmbRubrik->setEditText(kurs.text(QStringLiteral("Rubrik")));
    cmbArt->setEditText(kurs.text(QStringLiteral("Art")));
    for (QWidget *w : {static_cast<QWidget *>(txtFields[1]), static_cast<QWidget *>(txtFields[2]),
                       static_cast<QWidget *>(cmbRubrik), static_cast<QWidget *>(cmbArt)})
        fields::showFromStart(w);
}

void FrmTrainingsplan::showEmployeeDetails()
{
    data::RecordSet ma;
    data::tables::openRows(ma, connection(), QStringLiteral("Mitarbeiter"), QStringLiteral("Name"),
                           txtFields[5]->text());
    if (!ma.hasCurrent()) {
        txtFields[6]->clear();
        txtFields[7]->clear();
        cmbKategorie->setEditText(QString());
        cmbBereich->setEditText(QString());
        return;
    }
    txtFields[6]->setText(ma.text(QStringLiteral("Kostenstelle")));
    txtFields[7]->setText(ma.text(QStringLiteral("Abteilung")));
    cmbKategorie->setEditText(ma.text(QStringLiteral("Kategorie")));
    cmbBereich->setEditText(ma.text(QStringLiteral("Bereich")));
    for (QWidget *w : {static_cast<QWidget *>(txtFields[6]), static_cast<QWidget *>(txtFields[7]),
                       static_cast<QWidget *>(cmbKategorie), static_cast<QWidget *>(cmbBereich)})
        fields::showFromStart(w);
}

int FrmTrainingsplan::selectedStatus() const { return m_status->checkedId(); }

// -1 (or a value no option stands for) leaves every option cleared.
void FrmTrainingsplan::selectStatus(int status)
{
    if (status >= 0 && status < 4) {
        optStatus[status]->setChecked(true);
        return;
    }
    m_status->setExclusive(false);
    for (QRadioButton *o : optStatus)
        o->setChecked(false);
    m_status->setExclusive(true);
}

// ---------------------------------------------------------------- pickers

void FrmTrainingsplan::takeCourse(const QString &kursNr) { txtFields[0]->setText(kursNr); }

void FrmTrainingsplan::takeEmployee(const QString &name) { txtFields[5]->setText(name); }

void FrmTrainingsplan::takeDate(int fieldIndex, const QDate &date)
{
    if (fieldIndex == 8 || fieldIndex == 9)
        txtFields[fieldIndex]->setText(ui::formatDate(date));
}

// ---------------------------------------------------------------- new entry

void FrmTrainingsplan::clearFields()
{
    for (QLineEdit *f : txtFields)
        f->clear();
    for (QComboBox *c : {cmbRubrik, cmbArt, cmbKategorie, cmbBereich, cmbPrioritaet, cmbQuelle})
        c->setEditText(QString());
    chkRechnung->setChecked(false);
    chkBeurteilung->setChecked(false);
    selectStatus(0);
    // The whole next calendar year is proposed.
    const int next = QDate::currentDate().year() + 1;
    txtFields[8]->setText(ui::formatDate(ui::parseDate(QStringLiteral("01.01.%1").arg(next)).value_or(QDate())));
    txtFields[9]->setText(ui::formatDate(ui::parseDate(QStringLiteral("31.12.%1").arg(next)).value_or(QDate())));
}

// ---------------------------------------------------------------- saving

// While an entry is saved, its course and employee are held against deletion
// and renaming until the entry is written.
bool FrmTrainingsplan::courseExists()
{
    return data::tables::rowExists(connection(), QStringLiteral("Kurs"), {QStringLiteral("KursNr")},
                                   {txtFields[0]->text()}, data::tables::Hold::ForWrite);
}

bool FrmTrainingsplan::employeeExists()
{
    return data::tables::rowExists(connection(), QStringLiteral("Mitarbeiter"), {QStringLiteral("Name")},
                                   {txtFields[5]->text()}, data::tables::Hold::ForWrite);
}

QString FrmTrainingsplan::runChecks(QWidget *&focus)
{
    const std::map<QString, QWidget *> fieldOf = {
        {QStringLiteral("KursNr"), txtFields[0]},      {QStringLiteral("Name"), txtFields[5]},
        {QStringLiteral("Prioritaet"), cmbPrioritaet}, {QStringLiteral("Quelle"), cmbQuelle},
        {QStringLiteral("Datum_von"), txtFields[8]},   {QStringLiteral("Datum_bis"), txtFields[9]},
        {QStringLiteral("Status"), optStatus[0]}};
    const auto value = [this](const char *column) {
        const std::string_view c = column;
        if (c == "Prioritaet")
            return cmbPrioritaet->currentText();
        if (c == "Quelle")
            return cmbQuelle->currentText();
        if (c == "Status")
            return QString::number(selectedStatus());
        return txtFields[c == "KursNr" ? 0 : c == "Name" ? 5 : c == "Datum_von" ? 8 : 9]->text();
    };
    data::checks::Lookups lookups;
    lookups.keyExists = [this](const QStringList &key) {
        return recordExists({QStringLiteral("KursNr"), QStringLiteral("Name")}, {key.value(0), key.value(1)});
    };
    lookups.courseExists = [this](const QString &) { return courseExists(); };
    lookups.employeeExists = [this](const QString &) { return employeeExists(); };
    const data::checks::Fault fault = data::checks::trainingsplan(value, isAddMode(), lookups);
    if (fault)
        focus = fieldOf.at(fault.column);
    return fault.message;
}

void FrmTrainingsplan::warnBeforeWrite()
{
    if (cmbQuelle->currentText() == QLatin1String("AAI") && cmbPrioritaet->currentText() != QLatin1String("1"))
        ui::Prompter::instance().message(this, QStringLiteral("Bei Quelle AAI sollte Priorität 1 gewählt werden!"),
                                         QStringLiteral("Datenprüfung"), ui::Icon::Exclamation);
    if (txtFields[8]->text().left(5) == QLatin1String("01.01") && txtFields[9]->text().left(5) == QLatin1String("31.12")
        && !optStatus[0]->isChecked())
        ui::Prompter::instance().message(this, QStringLiteral("Bitte ggf. Datum anpassen!"),
                                         QStringLiteral("Datenprüfung"), ui::Icon::Exclamation);
}

void FrmTrainingsplan::writeFields(data::RecordSet &rows)
{
    rows.setField(QStringLiteral("KursNr"), txtFields[0]->text());
    rows.setField(QStringLiteral("Name"), txtFields[5]->text());
    rows.setField(QStringLiteral("Prioritaet"), cmbPrioritaet->currentText());
    rows.setField(QStringLiteral("Quelle"), cmbQuelle->currentText());
    rows.setField(QStringLiteral("Datum_von"), ui::parseDate(txtFields[8]->text()).value_or(QDate()));
    rows.setField(QStringLiteral("Datum_bis"), ui::parseDate(txtFields[9]->text()).value_or(QDate()));
    rows.setField(QStringLiteral("Rechnung"), chkRechnung->isChecked());
    rows.setField(QStringLiteral("Beurteilung"), chkBeurteilung->isChecked());
    rows.setField(QStringLiteral("Bemerkung"), txtFields[10]->text());
    rows.setField(QStringLiteral("Status"), QString::number(selectedStatus()));
}

} // namespace orv::records
