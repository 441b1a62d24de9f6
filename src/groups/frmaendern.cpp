#include "groups/frmaendern.h"

#include "data/dberror.h"
#include "data/format.h"
#include "data/valuelists.h"
#include "groups/groupparts.h"
#include "groups/tickmodel.h"
#include "reports/datefield.h"
#include "ui/prompter.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <map>

namespace orv::groups {
namespace {

const QString kTitle = QStringLiteral("Mehrere ändern");
const QString kKeep = QStringLiteral("(unverändert)");
const QString kEmpty = QStringLiteral("(leer)");

// A yes/no field with a third, grayed state for "keeps its value".
QCheckBox *keepOrSet(QWidget *parent, const QString &name, const QString &text)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(name);
    c->setTristate(true);
    c->setCheckState(Qt::PartiallyChecked);
    c->setToolTip(QStringLiteral("Grau: jeder Eintrag behält seinen Wert"));
    return c;
}

std::optional<bool> stateOf(const QCheckBox *c)
{
    if (c->checkState() == Qt::PartiallyChecked)
        return std::nullopt;
    return c->checkState() == Qt::Checked;
}

// A list value to set: nullopt for "(unverändert)", "" for "(leer)".
std::optional<QString> listValue(const QComboBox *c)
{
    if (c->currentIndex() <= 0)
        return std::nullopt;
    return c->currentIndex() == 1 ? QString() : c->currentText();
}

QString period(const data::group::Entry &e)
{
    return data::formatDate(e.von) + QStringLiteral(" - ") + data::formatDate(e.bis);
}

QString statusText(const QString &status) { return data::lists::statusCaptions().value(status.toInt(), status); }

} // namespace

FrmAendern::FrmAendern(data::Connection &conn, const QString &kursNr, QWidget *parent) : QDialog(parent), m_conn(conn)
{
    setObjectName(QStringLiteral("frmAendern"));
    ui::setHelpChapter(this, "mehrere-aendern");
    setWindowTitle(kTitle);
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QWidget(this), 0, 3); // four columns from the start
    m_course = new CourseField(this, m_conn, QStringLiteral("&Kurs-Nr.:"));
    m_course->addTo(grid, 0);
    buildNarrowing(grid, 1);
    m_list = new TickList(this, QStringLiteral("lstEintraege"),
                          {QStringLiteral("Name"), QStringLiteral("Zeitraum"), QStringLiteral("Status"),
                           QStringLiteral("R"), QStringLiteral("S"), QStringLiteral("Bemerkung")},
                          QStringLiteral("&Einträge:"));
    m_list->addTo(grid, 2, 4);
    buildChange(grid, 5);

    auto *buttons = new QDialogButtonBox(this);
    cmdAendern = buttons->addButton(QStringLiteral("Ände&rn…"), QDialogButtonBox::ActionRole);
    cmdAendern->setObjectName(QStringLiteral("cmdAendern"));
    cmdAendern->setDefault(true);
    cmdLoeschen = buttons->addButton(QStringLiteral("&Löschen…"), QDialogButtonBox::ActionRole);
    cmdLoeschen->setObjectName(QStringLiteral("cmdLoeschen"));
    cmdLoeschen->setAutoDefault(false);
    cmdSchliessen = buttons->addButton(QStringLiteral("S&chließen"), QDialogButtonBox::RejectRole);
    cmdSchliessen->setObjectName(QStringLiteral("cmdSchliessen"));
    grid->addWidget(buttons, 6, 0, 1, 4);
    connect(cmdAendern, &QPushButton::clicked, this, &FrmAendern::changeEntries);
    connect(cmdLoeschen, &QPushButton::clicked, this, &FrmAendern::deleteEntries);
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { m_wrote ? accept() : reject(); });
    connect(m_course, &CourseField::changed, this, &FrmAendern::reload);

    m_course->setKursNr(kursNr);
    ui::sizeForReading(this, QSize(720, 640));
    (kursNr.trimmed().isEmpty() ? static_cast<QWidget *>(m_course->edit()) : cmbStatus)->setFocus();
}

void FrmAendern::buildNarrowing(QGridLayout *grid, int row)
{
    m_ab = new reports::DateField(QStringLiteral("ZeitraumVon"), this);
    m_bis = new reports::DateField(QStringLiteral("ZeitraumBis"), this);
    QStringList statuses = data::lists::statusCaptions();
    statuses.prepend(QStringLiteral("(alle)"));
    cmbNurStatus = listBox(this, QStringLiteral("cmbNurStatus"), statuses);
    auto *box = new QWidget(this);
    auto *h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(dateRow(box, m_ab));
    h->addWidget(labelFor(box, QStringLiteral("b&is:"), m_bis->text()));
    h->addWidget(dateRow(box, m_bis));
    h->addSpacing(16);
    h->addWidget(labelFor(box, QStringLiteral("Nur S&tatus:"), cmbNurStatus));
    h->addWidget(cmbNurStatus);
    h->addStretch(1);
    grid->addWidget(labelFor(this, QStringLiteral("Beginn &zwischen:"), m_ab->text()), row, 0);
    grid->addWidget(box, row, 1, 1, 3);
    ui::nameField(m_bis->text(), QStringLiteral("Beginn bis"));
    for (reports::DateField *f : {m_ab, m_bis})
        connect(f->text(), &QLineEdit::textChanged, this, [this](const QString &text) {
            // Typing a date: the list follows once the text is a date or empty.
            if (text.trimmed().isEmpty() || data::parseDate(text))
                reload();
        });
    connect(cmbNurStatus, &QComboBox::currentIndexChanged, this, &FrmAendern::reload);
}

void FrmAendern::buildChange(QGridLayout *grid, int row)
{
    auto *frame =
        new QGroupBox(QStringLiteral("Für alle ausgewählten Einträge setzen (leer oder grau: unverändert)"), this);
    frame->setObjectName(QStringLiteral("fraSetzen"));
    auto *g = new QGridLayout(frame);
    QStringList statuses = data::lists::statusCaptions();
    statuses.prepend(kKeep);
    cmbStatus = listBox(frame, QStringLiteral("cmbStatus"), statuses);
    chkRechnung = keepOrSet(frame, QStringLiteral("chkRechnung"), QStringLiteral("Rec&hnung vorhanden"));
    chkBeurteilung =
        keepOrSet(frame, QStringLiteral("chkBeurteilung"), QStringLiteral("&Seminarbeurteilung vorhanden"));
    m_datumVon = new reports::DateField(QStringLiteral("DatumVon"), frame);
    m_datumBis = new reports::DateField(QStringLiteral("DatumBis"), frame);
    const auto listOf = [](QStringList items) {
        items.removeAll(QStringLiteral(" "));
        for (QString &i : items)
            i = i.trimmed();
        items.prepend(kEmpty);
        items.prepend(kKeep);
        return items;
    };
    cmbPrioritaet = listBox(frame, QStringLiteral("cmbPrioritaet"), listOf(data::lists::prioritaet()));
    cmbQuelle = listBox(frame, QStringLiteral("cmbQuelle"), listOf(data::lists::quelle()));
    chkBemerkung = new QCheckBox(QStringLiteral("Bemerkun&g ersetzen durch:"), frame);
    chkBemerkung->setObjectName(QStringLiteral("chkBemerkung"));
    txtBemerkung = new QLineEdit(frame);
    txtBemerkung->setObjectName(QStringLiteral("txtBemerkung"));
    ui::limitLength(txtBemerkung, 80);
    ui::nameField(txtBemerkung, QStringLiteral("Neue Bemerkung"));
    txtBemerkung->setEnabled(false);
    connect(chkBemerkung, &QCheckBox::toggled, txtBemerkung, &QLineEdit::setEnabled);

    g->addWidget(labelFor(frame, QStringLiteral("Stat&us:"), cmbStatus), 0, 0);
    g->addWidget(cmbStatus, 0, 1, Qt::AlignLeft);
    g->addWidget(chkRechnung, 0, 2);
    g->addWidget(chkBeurteilung, 0, 3);
    g->addWidget(labelFor(frame, QStringLiteral("Datum &von:"), m_datumVon->text()), 1, 0);
    g->addWidget(dateRow(frame, m_datumVon), 1, 1);
    g->addWidget(labelFor(frame, QStringLiteral("&Datum bis:"), m_datumBis->text()), 1, 2);
    g->addWidget(dateRow(frame, m_datumBis), 1, 3);
    g->addWidget(labelFor(frame, QStringLiteral("&Priorität:"), cmbPrioritaet), 2, 0);
    g->addWidget(cmbPrioritaet, 2, 1, Qt::AlignLeft);
    g->addWidget(labelFor(frame, QStringLiteral("&Quelle:"), cmbQuelle), 2, 2);
    g->addWidget(cmbQuelle, 2, 3, Qt::AlignLeft);
    g->addWidget(chkBemerkung, 3, 0, 1, 2);
    g->addWidget(txtBemerkung, 3, 2, 1, 2);
    grid->addWidget(frame, row, 0, 1, 4);
}

void FrmAendern::reload()
{
    const QDate from = data::parseDate(m_ab->text()->text()).value_or(QDate());
    const QDate to = data::parseDate(m_bis->text()->text()).value_or(QDate());
    const QString status =
        cmbNurStatus->currentIndex() > 0 ? QString::number(cmbNurStatus->currentIndex() - 1) : QString();
    m_entries.clear();
    if (m_course->known()) {
        try {
            m_entries = data::group::entries(m_conn, m_course->kursNr(), from, to, status);
        } catch (const data::DbError &e) {
            ui::inform(this, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
        }
    }
    std::vector<QStringList> rows;
    rows.reserve(m_entries.size());
    for (const data::group::Entry &e : m_entries)
        rows.push_back({e.name, period(e), statusText(e.status), e.rechnung ? QStringLiteral("R") : QString(),
                        e.beurteilung ? QStringLiteral("S") : QString(), e.bemerkung});
    m_list->model()->setRows(std::move(rows), true);
    m_list->view->resizeColumnsToContents();
}

std::vector<data::group::Entry> FrmAendern::tickedEntries() const
{
    std::vector<data::group::Entry> list;
    for (int row : m_list->model()->tickedRows())
        list.push_back(m_entries[size_t(row)]);
    return list;
}

std::optional<data::group::Change> FrmAendern::wantedChange()
{
    data::group::Change c;
    if (cmbStatus->currentIndex() > 0)
        c.status = QString::number(cmbStatus->currentIndex() - 1);
    c.rechnung = stateOf(chkRechnung);
    c.beurteilung = stateOf(chkBeurteilung);
    const struct {
        reports::DateField *field;
        std::optional<QDate> *into;
        const char *invalid;
    } dates[] = {{m_datumVon, &c.von, "Das Startdatum ist ungültig!"},
                 {m_datumBis, &c.bis, "Das Endedatum ist ungültig!"}};
    for (const auto &d : dates) {
        const QString text = d.field->text()->text();
        if (text.trimmed().isEmpty())
            continue;
        const std::optional<QDate> day = data::parseDate(text);
        if (!day) {
            showFault(this, QString::fromUtf8(d.invalid), d.field->text());
            return std::nullopt;
        }
        *d.into = *day;
    }
    c.prioritaet = listValue(cmbPrioritaet);
    c.quelle = listValue(cmbQuelle);
    if (chkBemerkung->isChecked())
        c.bemerkung = txtBemerkung->text();
    if (!c.any()) {
        ui::inform(this, QStringLiteral("Es ist kein Feld zum Ändern gewählt."), kTitle, ui::Icon::Exclamation);
        return std::nullopt;
    }
    return c;
}

void FrmAendern::changeEntries()
{
    const std::vector<data::group::Entry> ticked = tickedEntries();
    if (ticked.empty()) {
        showFault(this, QStringLiteral("Es ist kein Eintrag ausgewählt!"), m_list->view);
        return;
    }
    const std::optional<data::group::Change> change = wantedChange();
    if (!change)
        return;
    data::group::ChangeResult preview;
    try {
        preview = data::group::previewChange(m_conn, ticked, *change);
    } catch (const data::DbError &e) {
        ui::inform(this, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return;
    }
    // The warnings of a save, once for all the entries they concern.
    const QSet<QString> changing(preview.changed.cbegin(), preview.changed.cend());
    bool aai = false, wholeYear = false;
    for (const data::group::Entry &e : ticked) {
        if (!changing.contains(e.name))
            continue;
        const data::group::Entry n = data::group::applied(e, *change);
        aai = aai || (n.quelle == QLatin1String("AAI") && n.prioritaet != QLatin1String("1"));
        wholeYear = wholeYear
                    || (n.von.day() == 1 && n.von.month() == 1 && n.bis.day() == 31 && n.bis.month() == 12
                        && n.status != QLatin1String("0"));
    }
    if (aai)
        ui::inform(this, QStringLiteral("Bei Quelle AAI sollte Priorität 1 gewählt werden!"),
                   QStringLiteral("Datenprüfung"), ui::Icon::Exclamation);
    if (wholeYear)
        ui::inform(this, QStringLiteral("Bitte ggf. Datum anpassen!"), QStringLiteral("Datenprüfung"),
                   ui::Icon::Exclamation);

    std::map<QString, QString> outcome;
    for (const QString &name : preview.changed)
        outcome[name] = QStringLiteral("wird geändert");
    for (const QString &name : preview.unchanged)
        outcome[name] = QStringLiteral("unverändert: hat die Werte schon");
    for (const data::group::Left &l : preview.left)
        outcome[l.name] = QStringLiteral("wird nicht geändert: ") + l.reason;
    std::vector<std::pair<QString, QString>> lines;
    for (const data::group::Entry &e : ticked)
        lines.emplace_back(e.name, outcome[e.name]);
    const QString summary =
        QStringLiteral("Kurs %1 (%2): %3 werden geändert, %4 haben die Werte schon, %5 werden "
                       "nicht geändert.")
            .arg(m_course->kursNr(), m_course->lblBeschreibung->text(), entriesText(preview.changed.size()))
            .arg(preview.unchanged.size())
            .arg(preview.left.size());
    if (!confirmPreview(this, kTitle, summary, lines, QStringLiteral("Ände&rn"), !preview.changed.isEmpty()))
        return;

    data::group::ChangeResult result;
    if (!runWrite(this, kTitle, QStringLiteral("UpdateError: "),
                  [&](const data::group::Progress &p) { result = data::group::change(m_conn, ticked, *change, p); }))
        return;
    m_wrote = true;
    QString text = entriesText(result.changed.size(), "wurde geändert.", "wurden geändert.");
    if (!result.unchanged.isEmpty())
        text += QStringLiteral("\n")
                + entriesText(result.unchanged.size(), "hatte die Werte schon.", "hatten die Werte schon.");
    if (const QString left = leftText(QStringLiteral("Nicht geändert"), result.left); !left.isEmpty())
        text += QStringLiteral("\n\n") + left;
    ui::inform(this, text, kTitle, ui::Icon::Information);
    m_changed = result.changed;
    accept();
}

void FrmAendern::deleteEntries()
{
    const std::vector<data::group::Entry> ticked = tickedEntries();
    if (ticked.empty()) {
        showFault(this, QStringLiteral("Es ist kein Eintrag ausgewählt!"), m_list->view);
        return;
    }
    const QString question =
        ticked.size() == 1
            ? QStringLiteral("Soll der ausgewählte Eintrag wirklich gelöscht werden?")
            : QStringLiteral("Sollen die %1 ausgewählten Einträge wirklich gelöscht werden?").arg(ticked.size());
    if (ui::ask(this, question, QStringLiteral("Löschen")) != ui::Answer::Yes)
        return;
    qint64 deleted = 0;
    if (!runWrite(this, kTitle, QStringLiteral("DeleteError: "),
                  [&](const data::group::Progress &p) { deleted = data::group::remove(m_conn, ticked, p); }))
        return;
    m_wrote = true;
    ui::inform(this, entriesText(deleted, "wurde gelöscht.", "wurden gelöscht."), kTitle, ui::Icon::Information);
    reload();
}

QString FrmAendern::kursNr() const { return m_course->kursNr(); }

} // namespace orv::groups
