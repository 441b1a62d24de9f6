#include "reports/frmtrainingsplanbericht.h"

#include "data/connection.h"
#include "data/format.h"
#include "data/valuelists.h"
#include "reports/datefield.h"
#include "reports/reportbuttons.h"
#include "reports/threestatecheck.h"
#include "ui/prompter.h"
#include "ui/statuspanels.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace orv::reports {

namespace {

QFont entryFont() { return ui::fixedPitchFont(9); }

QComboBox *combo(const char *name, const QStringList &items, QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    ui::keepTypedText(c);
    c->addItems(items);
    c->setCurrentIndex(0);
    c->setFont(entryFont());
    return c;
}

QLineEdit *line(const char *name, int maxLength, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    ui::limitLength(e, maxLength);
    e->setFont(entryFont());
    return e;
}

QStringList withEmpty(QStringList items)
{
    items.prepend(QString());
    return items;
}

} // namespace

FrmTrainingsplanBericht::FrmTrainingsplanBericht(QWidget *parent) : ReportDialog(parent)
{
    setObjectName(QStringLiteral("frmTrainingsplanBericht"));
    ui::setHelpChapter(this, "bericht-trainingsplan");
    setWindowTitle(QStringLiteral("Bericht"));
    buildForm();

    const int year = QDate::currentDate().year();
    txtVon->setText(data::formatDate(QDate(year, 1, 1)));
    txtBis->setText(data::formatDate(QDate(year, 12, 31)));
    cmbSortierung->setCurrentText(QStringLiteral("Kurs-Nr."));
    connectButtons(cmdDrucken, cmdAblage, cmdAnzeige, cmdCancel, cmdExport);
}

void FrmTrainingsplanBericht::buildForm()
{
    QGroupBox *fraZeitraum = buildPeriodFrame();
    QGroupBox *fraStatus = buildStatusFrame();
    QGroupBox *fraFilter = buildFilterFrame();
    QGroupBox *fraSort = buildSortFrame();

    prgStatistik = new QProgressBar(this);
    prgStatistik->setObjectName(QStringLiteral("prgStatistik"));
    prgStatistik->setRange(0, 1);
    prgStatistik->setValue(0);
    prgStatistik->setTextVisible(false);

    const ReportButtons b = ReportButtons::create(this);
    cmdDrucken = b.cmdDrucken;
    cmdAblage = b.cmdAblage;
    cmdAnzeige = b.cmdAnzeige;
    cmdExport = b.cmdExport;
    cmdCancel = b.cmdCancel;

    auto *left = new QVBoxLayout;
    left->addWidget(fraZeitraum);
    left->addWidget(fraStatus);
    left->addWidget(fraSort);
    left->addStretch(1);
    auto *buttons = new QVBoxLayout;
    b.addTo(buttons);
    buttons->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(fraFilter, 1);
    top->addLayout(buttons);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(prgStatistik);
}

QGroupBox *FrmTrainingsplanBericht::buildPeriodFrame()
{
    auto *fraZeitraum = new QGroupBox(QStringLiteral("Zeitraum"), this);
    fraZeitraum->setObjectName(QStringLiteral("fraZeitraum"));
    m_von = new DateField(QStringLiteral("Von"), fraZeitraum);
    m_bis = new DateField(QStringLiteral("Bis"), fraZeitraum);
    txtVon = m_von->text();
    txtBis = m_bis->text();
    // Room for a date with a four-digit year.
    const int dateWidth = QFontMetrics(entryFont()).horizontalAdvance(QString(12, QLatin1Char('0'))) + 12;
    for (QLineEdit *e : {txtVon, txtBis}) {
        e->setFont(entryFont());
        e->setMinimumWidth(dateWidth);
    }
    ui::nameField(txtVon, QStringLiteral("Startdatum"));
    ui::nameField(txtBis, QStringLiteral("Endedatum"));
    auto *zeitraum = new QHBoxLayout(fraZeitraum);
    zeitraum->addWidget(new QLabel(QStringLiteral("Datum:"), fraZeitraum));
    zeitraum->addWidget(txtVon);
    zeitraum->addWidget(m_von->button());
    zeitraum->addWidget(new QLabel(QStringLiteral("-"), fraZeitraum));
    zeitraum->addWidget(txtBis);
    zeitraum->addWidget(m_bis->button());
    return fraZeitraum;
}

QGroupBox *FrmTrainingsplanBericht::buildStatusFrame()
{
    auto *fraStatus = new QGroupBox(QStringLiteral("Status"), this);
    fraStatus->setObjectName(QStringLiteral("fraStatus"));
    auto *status = new QVBoxLayout(fraStatus);
    const QStringList captions = data::lists::statusCaptions();
    for (int i = 0; i < 4; ++i) {
        chkStatus[i] = new QCheckBox(captions.value(i), fraStatus);
        chkStatus[i]->setObjectName(QStringLiteral("chkStatus(%1)").arg(i));
        chkStatus[i]->setChecked(true);
        status->addWidget(chkStatus[i]);
    }
    return fraStatus;
}

QGroupBox *FrmTrainingsplanBericht::buildFilterFrame()
{
    namespace lists = data::lists;
    auto *fraFilter = new QGroupBox(QStringLiteral("Filter"), this);
    fraFilter->setObjectName(QStringLiteral("fraFilter"));
    cmbBereich = combo("cmbBereich", withEmpty(lists::bereichAlphabetisch()), fraFilter);
    txtName = line("txtName", 30, fraFilter);
    cmbKategorie = combo("cmbKategorie", withEmpty(lists::kategorie()), fraFilter);
    txtKursNr = line("txtKursNr", 6, fraFilter);
    cmbRubrik = combo("cmbRubrik", withEmpty(lists::rubrik()), fraFilter);
    cmbArt = combo("cmbArt", withEmpty(lists::art()), fraFilter);
    txtReferent = line("txtReferent", 30, fraFilter);
    QStringList prios = lists::prioritaet();
    prios.removeAll(QStringLiteral(" "));
    cmbPrioritaet = combo("cmbPrioritaet", withEmpty(prios), fraFilter);
    chkRechnung = new ThreeStateCheck(QStringLiteral("Rechnung vorhanden"), fraFilter);
    chkRechnung->setObjectName(QStringLiteral("chkRechnung"));
    chkBeurteilung = new ThreeStateCheck(QStringLiteral("Seminarbeurteilung vorhanden"), fraFilter);
    chkBeurteilung->setObjectName(QStringLiteral("chkBeurteilung"));
    auto *filter = new QGridLayout(fraFilter);
    const std::pair<const char *, QWidget *> rows[] = {
        {"Bereich:", cmbBereich}, {"Name:", txtName}, {"Kategorie:", cmbKategorie}, {"Kurs-Nr.:", txtKursNr},
        {"Rubrik:", cmbRubrik},   {"Art:", cmbArt},   {"Referent:", txtReferent},   {"Priorität:", cmbPrioritaet},
    };
    int r = 0;
    for (const auto &[label, field] : rows) {
        auto *l = new QLabel(QString::fromUtf8(label), fraFilter);
        ui::labelField(l, field);
        filter->addWidget(l, r, 0);
        filter->addWidget(field, r, 1);
        ++r;
    }
    filter->addWidget(chkRechnung, r++, 1);
    filter->addWidget(chkBeurteilung, r++, 1);
    return fraFilter;
}

QGroupBox *FrmTrainingsplanBericht::buildSortFrame()
{
    auto *fraSort = new QGroupBox(QStringLiteral("Sortierung"), this);
    fraSort->setObjectName(QStringLiteral("fraSort"));
    cmbSortierung =
        combo("cmbSortierung",
              {QStringLiteral("Bereich"), QStringLiteral("Name"), QStringLiteral("Kategorie"),
               QStringLiteral("Kurs-Nr."), QStringLiteral("Rubrik"), QStringLiteral("Art"), QStringLiteral("Referent"),
               QStringLiteral("Priorität"), QStringLiteral("Startdatum"), QStringLiteral("Status")},
              fraSort);
    auto *sort = new QHBoxLayout(fraSort);
    sort->addWidget(new QLabel(QStringLiteral("Sortierung:"), fraSort));
    cmbSortierung->setMinimumContentsLength(12);
    sort->addWidget(cmbSortierung, 1);
    return fraSort;
}

bool FrmTrainingsplanBericht::checkEntries()
{
    QString failure;
    QWidget *focus = nullptr;
    const auto von = data::parseDate(txtVon->text());
    const auto bis = data::parseDate(txtBis->text());
    if (std::none_of(chkStatus.begin(), chkStatus.end(), [](QCheckBox *c) { return c->isChecked(); })) {
        failure = QStringLiteral("Es muß mindestens 1 Status gesetzt werden!");
        focus = chkStatus[0];
    } else if (!von) {
        failure = QStringLiteral("Das Startdatum ist ungültig!");
        focus = txtVon;
    } else if (!bis) {
        failure = QStringLiteral("Das Endedatum ist ungültig!");
        focus = txtBis;
    } else if (*bis < *von) {
        failure = QStringLiteral("Das Startdatum darf nicht größer als das Endedatum sein!");
        focus = txtVon;
    }
    if (failure.isEmpty()) {
        ui::setStatus(QString());
        return true;
    }
    ui::setStatus(failure);
    focus->setFocus();
    ui::inform(this, QStringLiteral("Es wurden fehlerhafte Eingaben festgestellt!"), QStringLiteral("Datenprüfung"),
               ui::Icon::Exclamation);
    return false;
}

reportdata::TrainingsplanSelection FrmTrainingsplanBericht::selection() const
{
    reportdata::TrainingsplanSelection s;
    s.vonText = txtVon->text();
    s.bisText = txtBis->text();
    s.von = data::parseDate(s.vonText).value_or(QDate());
    s.bis = data::parseDate(s.bisText).value_or(QDate());
    for (int i = 0; i < 4; ++i)
        s.status[i] = chkStatus[i]->isChecked();
    s.bereich = cmbBereich->currentText();
    s.name = txtName->text();
    s.kategorie = cmbKategorie->currentText();
    s.kursNr = txtKursNr->text();
    s.rubrik = cmbRubrik->currentText();
    s.art = cmbArt->currentText();
    s.referent = txtReferent->text();
    s.prioritaet = cmbPrioritaet->currentText();
    s.rechnung = chkRechnung->filterValue();
    s.beurteilung = chkBeurteilung->filterValue();
    s.sortierung = cmbSortierung->currentText();
    return s;
}

bool FrmTrainingsplanBericht::buildReport()
{
    std::optional<data::Connection> opened = startBuild();
    if (!opened)
        return false;
    data::Connection &conn = *opened;
    if (!checkEntries())
        return true;

    // The bar moves in steps the eye can see; repainting it for every row would cost more than the row.
    int maximum = 1, shown = 0;
    reportdata::BuildProgress progress;
    progress.start = [&](int max) {
        maximum = max;
        prgStatistik->setRange(0, max);
        prgStatistik->setValue(0);
    };
    progress.advance = [&](int value) {
        if (value - shown >= qMax(1, maximum / 200) || value + 1 == maximum) {
            shown = value;
            prgStatistik->setValue(value);
        }
    };
    struct ResetBar {
        QProgressBar *bar;
        ~ResetBar() { bar->setValue(0); }
    } reset{prgStatistik};
    m_model = reportdata::buildTrainingsplanList(conn, selection(), progress);
    return true;
}

std::optional<reportdata::ExportJob> FrmTrainingsplanBericht::exportJob(data::Connection &conn)
{
    if (!checkEntries())
        return std::nullopt;
    return reportdata::trainingsplanExport(conn, selection());
}

void openTrainingsplanBericht(QWidget *parent) { runReportDialog<FrmTrainingsplanBericht>(parent); }

} // namespace orv::reports
