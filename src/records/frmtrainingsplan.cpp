#include "records/frmtrainingsplan.h"

#include "data/dberror.h"
#include "data/format.h"
#include "data/recordchecks.h"
#include "data/tables.h"
#include "data/valuelists.h"
#include "records/fieldfactory.h"
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
    c.window = ui::WindowId::Trainingsplan;
    c.caption = QStringLiteral("Trainingsplan");
    c.table = QStringLiteral("Trainingsplan");
    c.keyColumns = {QStringLiteral("KursNr"), QStringLiteral("Name")};
    c.sortCycle = {QStringLiteral("KursNr,Name"), QStringLiteral("Name,KursNr"),
                   QStringLiteral("Prioritaet,KursNr,Name"), QStringLiteral("Quelle,KursNr,Name"),
                   QStringLiteral("Status,KursNr,Name")};
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
    return data::formatDate(rows.date(QLatin1String(column)));
}

} // namespace

FrmTrainingsplan::FrmTrainingsplan(QWidget *parent) : RecordForm(trainingsplanConfig(), parent)
{
    buildFields();
    ui::setHelpChapter(this, "trainingsplan");
}

QGroupBox *FrmTrainingsplan::buildCourseFrame()
{
    fraKurs = new QGroupBox(QStringLiteral("Kurs"), this);
    fraKurs->setObjectName(QStringLiteral("fraKurs"));
    QGridLayout *g = frameGrid(fraKurs, 110);
    txtFields[KursNr] = fields::makeField(fraKurs, KursNr, 6, 6);
    cmdKursNrSuchen = fields::makePictureButton(fraKurs, QStringLiteral("cmdKursNrSuchen"), QStringLiteral("Lookup"),
                                                QStringLiteral("Kurs auswählen"));
    cmbRubrik = fields::makeCombo(fraKurs, QStringLiteral("cmbRubrik"), data::lists::rubrikTrainingsplan(), 0);
    txtFields[Beschreibung] = fields::makeField(fraKurs, Beschreibung, 80);
    cmbArt = fields::makeCombo(fraKurs, QStringLiteral("cmbArt"), data::lists::art(), 3);
    txtFields[Referent] = fields::makeField(fraKurs, Referent, 30);
    txtFields[Kosten] = fields::makeField(fraKurs, Kosten, 7, 9, true);
    txtFields[Dauer] = fields::makeField(fraKurs, Dauer, 5, 9, true);

    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Kurs-Nr.:"), txtFields[KursNr]), 0, 0);
    g->addWidget(row(fraKurs, {txtFields[KursNr], cmdKursNrSuchen}), 0, 1);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Rubrik:"), cmbRubrik), 0, 2);
    g->addWidget(cmbRubrik, 0, 3);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Beschreibung:"), txtFields[Beschreibung]), 1, 0);
    g->addWidget(txtFields[Beschreibung], 1, 1, 1, 3);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Art:"), cmbArt), 2, 0);
    g->addWidget(cmbArt, 2, 1, Qt::AlignLeft);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Referent:"), txtFields[Referent]), 2, 2);
    g->addWidget(txtFields[Referent], 2, 3);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Kosten je Person:"), txtFields[Kosten]), 3, 0);
    g->addWidget(txtFields[Kosten], 3, 1, Qt::AlignLeft);
    g->addWidget(fields::makeLabel(fraKurs, QStringLiteral("Dauer in Stunden:"), txtFields[Dauer]), 3, 2);
    g->addWidget(txtFields[Dauer], 3, 3, Qt::AlignLeft);
    return fraKurs;
}

QGroupBox *FrmTrainingsplan::buildEmployeeFrame()
{
    fraMitarbeiter = new QGroupBox(QStringLiteral("Mitarbeiter"), this);
    fraMitarbeiter->setObjectName(QStringLiteral("fraMitarbeiter"));
    QGridLayout *g = frameGrid(fraMitarbeiter, 110);
    txtFields[Name] = fields::makeField(fraMitarbeiter, Name, 30, 30);
    cmdNameSuchen = fields::makePictureButton(fraMitarbeiter, QStringLiteral("cmdNameSuchen"), QStringLiteral("Lookup"),
                                              QStringLiteral("Mitarbeiter auswählen"));
    txtFields[Kostenstelle] = fields::makeField(fraMitarbeiter, Kostenstelle, 6, 6);
    txtFields[Abteilung] = fields::makeField(fraMitarbeiter, Abteilung, 10, 10);
    cmbKategorie = fields::makeCombo(fraMitarbeiter, QStringLiteral("cmbKategorie"), data::lists::kategorie(), 4);
    cmbBereich =
        fields::makeCombo(fraMitarbeiter, QStringLiteral("cmbBereich"), data::lists::bereichTrainingsplan(), 0);

    g->addWidget(fields::makeLabel(fraMitarbeiter, QStringLiteral("Nachname, Vorname:"), txtFields[Name]), 0, 0);
    g->addWidget(row(fraMitarbeiter, {txtFields[Name], cmdNameSuchen}), 0, 1, 1, 3);
    g->addWidget(fields::makeLabel(fraMitarbeiter, QStringLiteral("Kostenstelle:"), txtFields[Kostenstelle]), 1, 0);
    g->addWidget(txtFields[Kostenstelle], 1, 1, Qt::AlignLeft);
    g->addWidget(fields::makeLabel(fraMitarbeiter, QStringLiteral("Abteilung:"), txtFields[Abteilung]), 1, 2);
    g->addWidget(txtFields[Abteilung], 1, 3, Qt::AlignLeft);
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
    txtFields[Datum_von] = fields::makeField(fraAllgemein, Datum_von, 20, 10);
    cmdMonthViewVon = fields::makePictureButton(fraAllgemein, QStringLiteral("cmdMonthViewVon"),
                                                QStringLiteral("Calendar"), QStringLiteral("Startdatum wählen"));
    txtFields[Datum_bis] = fields::makeField(fraAllgemein, Datum_bis, 20, 10);
    cmdMonthViewBis = fields::makePictureButton(fraAllgemein, QStringLiteral("cmdMonthViewBis"),
                                                QStringLiteral("Calendar"), QStringLiteral("Endedatum wählen"));
    chkBeurteilung = new QCheckBox(QStringLiteral("Seminarbeurteilung vorhanden"), fraAllgemein);
    chkBeurteilung->setObjectName(QStringLiteral("chkBeurteilung"));
    txtFields[Bemerkung] = fields::makeField(fraAllgemein, Bemerkung, 80);

    g->addWidget(fields::makeLabel(fraAllgemein, QStringLiteral("Priorität:"), cmbPrioritaet), 0, 0);
    g->addWidget(cmbPrioritaet, 0, 1, Qt::AlignLeft);
    g->addWidget(fields::makeLabel(fraAllgemein, QStringLiteral("Quelle:"), cmbQuelle), 1, 0);
    g->addWidget(cmbQuelle, 1, 1, Qt::AlignLeft);
    g->addWidget(chkRechnung, 1, 2, 1, 2);
    g->addWidget(fields::makeLabel(fraAllgemein, QStringLiteral("Datum:"), txtFields[Datum_von]), 2, 0);
    // One label for the period: each date field says which end it is.
    ui::nameField(txtFields[Datum_von], QStringLiteral("Startdatum"));
    ui::nameField(txtFields[Datum_bis], QStringLiteral("Endedatum"));
    auto *dash = new QLabel(QStringLiteral("-"), fraAllgemein);
    g->addWidget(
        row(fraAllgemein, {txtFields[Datum_von], cmdMonthViewVon, dash, txtFields[Datum_bis], cmdMonthViewBis}), 2, 1);
    g->addWidget(chkBeurteilung, 2, 2, 1, 2);
    g->addWidget(fields::makeLabel(fraAllgemein, QStringLiteral("Bemerkung:"), txtFields[Bemerkung]), 3, 0);
    g->addWidget(txtFields[Bemerkung], 3, 1, 1, 3);

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
    for (QWidget *w : {static_cast<QWidget *>(txtFields[Beschreibung]), static_cast<QWidget *>(txtFields[Referent]),
                       static_cast<QWidget *>(txtFields[Kosten]), static_cast<QWidget *>(txtFields[Dauer]),
                       static_cast<QWidget *>(txtFields[Kostenstelle]), static_cast<QWidget *>(txtFields[Abteilung]),
                       static_cast<QWidget *>(cmbRubrik), static_cast<QWidget *>(cmbArt),
                       static_cast<QWidget *>(cmbKategorie), static_cast<QWidget *>(cmbBereich)})
        w->setEnabled(false);

    connect(txtFields[KursNr], &QLineEdit::textChanged, this, [this] {
        beginEdit();
        if (!m_filling)
            lookUp(&FrmTrainingsplan::showCourseDetails);
    });
    connect(txtFields[Name], &QLineEdit::textChanged, this, [this] {
        beginEdit();
        if (!m_filling)
            lookUp(&FrmTrainingsplan::showEmployeeDetails);
    });
    for (Field f : {Datum_von, Datum_bis, Bemerkung})
        watchChanges(txtFields[f]);
    for (QWidget *w : {static_cast<QWidget *>(cmbPrioritaet), static_cast<QWidget *>(cmbQuelle),
                       static_cast<QWidget *>(chkRechnung), static_cast<QWidget *>(chkBeurteilung)})
        watchChanges(w);
    for (QRadioButton *o : optStatus)
        watchChanges(o);

    connect(cmdKursNrSuchen, &QToolButton::clicked, this, &FrmTrainingsplan::pickCourseRequested);
    connect(cmdNameSuchen, &QToolButton::clicked, this, &FrmTrainingsplan::pickEmployeeRequested);
    connect(cmdMonthViewVon, &QToolButton::clicked, this, [this] { emit pickDateRequested(Datum_von); });
    connect(cmdMonthViewBis, &QToolButton::clicked, this, [this] { emit pickDateRequested(Datum_bis); });
    setKeyFields({txtFields[KursNr], txtFields[Name]}, {cmdKursNrSuchen, cmdNameSuchen});
    finishFields();
}

// ---------------------------------------------------------------- showing

void FrmTrainingsplan::fillFields(const data::RecordSet &rows)
{
    m_filling = true;
    txtFields[KursNr]->setText(rows.text(QStringLiteral("KursNr")));
    txtFields[Name]->setText(rows.text(QStringLiteral("Name")));
    m_filling = false;
    cmbPrioritaet->setEditText(rows.text(QStringLiteral("Prioritaet")));
    cmbQuelle->setEditText(rows.text(QStringLiteral("Quelle")));
    txtFields[Datum_von]->setText(dateText(rows, "Datum_von"));
    txtFields[Datum_bis]->setText(dateText(rows, "Datum_bis"));
    chkRechnung->setChecked(rows.boolean(QStringLiteral("Rechnung")));
    chkBeurteilung->setChecked(rows.boolean(QStringLiteral("Beurteilung")));
    txtFields[Bemerkung]->setText(rows.text(QStringLiteral("Bemerkung")));
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
    data::tables::openRows(kurs, connection(), QStringLiteral("Kurs"), QStringLiteral("KursNr"),
                           txtFields[KursNr]->text());
    if (!kurs.hasCurrent()) {
        for (Field f : {Beschreibung, Referent, Kosten, Dauer})
            txtFields[f]->clear();
        cmbRubrik->setEditText(QString());
        cmbArt->setEditText(QString());
        return;
    }
    txtFields[Beschreibung]->setText(kurs.text(QStringLiteral("Beschreibung")));
    txtFields[Referent]->setText(kurs.text(QStringLiteral("Referent")));
    txtFields[Kosten]->setText(fields::numberText(kurs, "Kosten", 2));
    txtFields[Dauer]->setText(fields::numberText(kurs, "Dauer", 1));
    cmbRubrik->setEditText(kurs.text(QStringLiteral("Rubrik")));
    cmbArt->setEditText(kurs.text(QStringLiteral("Art")));
    for (QWidget *w : {static_cast<QWidget *>(txtFields[Beschreibung]), static_cast<QWidget *>(txtFields[Referent]),
                       static_cast<QWidget *>(cmbRubrik), static_cast<QWidget *>(cmbArt)})
        fields::showFromStart(w);
}

void FrmTrainingsplan::showEmployeeDetails()
{
    data::RecordSet ma;
    data::tables::openRows(ma, connection(), QStringLiteral("Mitarbeiter"), QStringLiteral("Name"),
                           txtFields[Name]->text());
    if (!ma.hasCurrent()) {
        txtFields[Kostenstelle]->clear();
        txtFields[Abteilung]->clear();
        cmbKategorie->setEditText(QString());
        cmbBereich->setEditText(QString());
        return;
    }
    txtFields[Kostenstelle]->setText(ma.text(QStringLiteral("Kostenstelle")));
    txtFields[Abteilung]->setText(ma.text(QStringLiteral("Abteilung")));
    cmbKategorie->setEditText(ma.text(QStringLiteral("Kategorie")));
    cmbBereich->setEditText(ma.text(QStringLiteral("Bereich")));
    for (QWidget *w : {static_cast<QWidget *>(txtFields[Kostenstelle]), static_cast<QWidget *>(txtFields[Abteilung]),
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

void FrmTrainingsplan::takeCourse(const QString &kursNr) { txtFields[KursNr]->setText(kursNr); }

void FrmTrainingsplan::takeEmployee(const QString &name) { txtFields[Name]->setText(name); }

void FrmTrainingsplan::takeDate(Field field, const QDate &date)
{
    if (field == Datum_von || field == Datum_bis)
        txtFields[field]->setText(data::formatDate(date));
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
    txtFields[Datum_von]->setText(
        data::formatDate(data::parseDate(QStringLiteral("01.01.%1").arg(next)).value_or(QDate())));
    txtFields[Datum_bis]->setText(
        data::formatDate(data::parseDate(QStringLiteral("31.12.%1").arg(next)).value_or(QDate())));
}

// ---------------------------------------------------------------- saving

// While an entry is saved, its course and employee are held against deletion
// and renaming until the entry is written.
bool FrmTrainingsplan::courseExists()
{
    return data::tables::rowExists(connection(), QStringLiteral("Kurs"), {QStringLiteral("KursNr")},
                                   {txtFields[KursNr]->text()}, data::tables::Hold::ForWrite);
}

bool FrmTrainingsplan::employeeExists()
{
    return data::tables::rowExists(connection(), QStringLiteral("Mitarbeiter"), {QStringLiteral("Name")},
                                   {txtFields[Name]->text()}, data::tables::Hold::ForWrite);
}

QString FrmTrainingsplan::runChecks(QWidget *&focus)
{
    const std::map<QString, QWidget *> fieldOf = {{QStringLiteral("KursNr"), txtFields[KursNr]},
                                                  {QStringLiteral("Name"), txtFields[Name]},
                                                  {QStringLiteral("Prioritaet"), cmbPrioritaet},
                                                  {QStringLiteral("Quelle"), cmbQuelle},
                                                  {QStringLiteral("Datum_von"), txtFields[Datum_von]},
                                                  {QStringLiteral("Datum_bis"), txtFields[Datum_bis]},
                                                  {QStringLiteral("Status"), optStatus[0]}};
    const auto value = [this](const char *column) {
        const std::string_view c = column;
        if (c == "Prioritaet")
            return cmbPrioritaet->currentText();
        if (c == "Quelle")
            return cmbQuelle->currentText();
        if (c == "Status")
            return QString::number(selectedStatus());
        return txtFields[c == "KursNr"      ? KursNr
                         : c == "Name"      ? Name
                         : c == "Datum_von" ? Datum_von
                                            : Datum_bis]
            ->text();
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
        ui::inform(this, QStringLiteral("Bei Quelle AAI sollte Priorität 1 gewählt werden!"),
                   QStringLiteral("Datenprüfung"), ui::Icon::Exclamation);
    if (txtFields[Datum_von]->text().left(5) == QLatin1String("01.01")
        && txtFields[Datum_bis]->text().left(5) == QLatin1String("31.12") && !optStatus[0]->isChecked())
        ui::inform(this, QStringLiteral("Bitte ggf. Datum anpassen!"), QStringLiteral("Datenprüfung"),
                   ui::Icon::Exclamation);
}

void FrmTrainingsplan::writeFields(data::RecordSet &rows)
{
    rows.setField(QStringLiteral("KursNr"), txtFields[KursNr]->text());
    rows.setField(QStringLiteral("Name"), txtFields[Name]->text());
    rows.setField(QStringLiteral("Prioritaet"), cmbPrioritaet->currentText());
    rows.setField(QStringLiteral("Quelle"), cmbQuelle->currentText());
    rows.setField(QStringLiteral("Datum_von"), data::parseDate(txtFields[Datum_von]->text()).value_or(QDate()));
    rows.setField(QStringLiteral("Datum_bis"), data::parseDate(txtFields[Datum_bis]->text()).value_or(QDate()));
    rows.setField(QStringLiteral("Rechnung"), chkRechnung->isChecked());
    rows.setField(QStringLiteral("Beurteilung"), chkBeurteilung->isChecked());
    rows.setField(QStringLiteral("Bemerkung"), txtFields[Bemerkung]->text());
    rows.setField(QStringLiteral("Status"), QString::number(selectedStatus()));
}

} // namespace orv::records
