#include "groups/groupparts.h"

#include "data/dberror.h"
#include "data/recordset.h"
#include "data/tables.h"
#include "groups/tickmodel.h"
#include "records/fieldfactory.h"
#include "records/trainingsplanpickers.h"
#include "reports/datefield.h"
#include "ui/prompter.h"
#include "ui/statuspanels.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>
#include <optional>

namespace orv::groups {

CourseField::CourseField(QWidget *parent, data::Connection &conn, const QString &label)
    : QObject(parent), m_parent(parent), m_conn(conn)
{
    txtKursNr = new QLineEdit(parent);
    txtKursNr->setObjectName(QStringLiteral("txtKursNr"));
    txtKursNr->setFont(records::fields::fieldFont());
    ui::limitLength(txtKursNr, 6);
    txtKursNr->setMaximumWidth(txtKursNr->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 9);
    cmdKursNrSuchen = records::fields::makePictureButton(parent, QStringLiteral("cmdKursNrSuchen"),
                                                         QStringLiteral("Lookup"), QStringLiteral("Kurs auswählen"));
    lblBeschreibung = new QLabel(parent);
    lblBeschreibung->setObjectName(QStringLiteral("lblBeschreibung"));
    m_label = new QLabel(label, parent);
    ui::labelField(m_label, txtKursNr);
    connect(txtKursNr, &QLineEdit::textChanged, this, [this] {
        lookUp();
        emit changed();
    });
    connect(cmdKursNrSuchen, &QToolButton::clicked, this, [this] {
        if (const auto picked = records::pickKursNr(m_parent, m_conn))
            setKursNr(*picked);
    });
}

void CourseField::addTo(QGridLayout *grid, int row)
{
    auto *box = new QWidget(m_parent);
    auto *h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(txtKursNr);
    h->addWidget(cmdKursNrSuchen);
    h->addWidget(lblBeschreibung, 1);
    grid->addWidget(m_label, row, 0);
    grid->addWidget(box, row, 1, 1, grid->columnCount() > 2 ? grid->columnCount() - 1 : 3);
}

QString CourseField::kursNr() const { return txtKursNr->text().trimmed(); }

void CourseField::setKursNr(const QString &kursNr) { txtKursNr->setText(kursNr.trimmed()); }

void CourseField::lookUp()
{
    m_known = false;
    lblBeschreibung->clear();
    if (kursNr().isEmpty())
        return;
    try {
        data::RecordSet kurs;
        data::tables::openRows(kurs, m_conn, QStringLiteral("Kurs"), QStringLiteral("KursNr"), kursNr());
        if (kurs.hasCurrent()) {
            m_known = true;
            lblBeschreibung->setText(kurs.text(QStringLiteral("Beschreibung")).trimmed());
        } else
            lblBeschreibung->setText(QStringLiteral("(kein Kurs mit dieser Nummer)"));
    } catch (const data::DbError &) {
        // Said when the user goes on: the write's own statements fail then.
    }
}

TickList::TickList(QWidget *parent, const QString &name, QStringList headings, const QString &label) : QObject(parent)
{
    m_model = new TickModel(std::move(headings), this);
    view = new QTableView(parent);
    view->setObjectName(name);
    view->setModel(m_model);
    view->setFont(records::fields::fieldFont());
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    lblListe = new QLabel(label, parent);
    ui::labelField(lblListe, view);
    cmdAlle = new QPushButton(QStringLiteral("&Alle"), parent);
    cmdAlle->setObjectName(QStringLiteral("cmdAlle"));
    cmdAlle->setAutoDefault(false);
    cmdKeine = new QPushButton(QStringLiteral("Kei&ne"), parent);
    cmdKeine->setObjectName(QStringLiteral("cmdKeine"));
    cmdKeine->setAutoDefault(false);
    lblAnzahl = new QLabel(parent);
    lblAnzahl->setObjectName(QStringLiteral("lblAnzahl"));
    connect(cmdAlle, &QPushButton::clicked, m_model, [this] { m_model->tickShown(true); });
    connect(cmdKeine, &QPushButton::clicked, m_model, [this] { m_model->tickShown(false); });
    connect(m_model, &TickModel::tickedChanged, this, &TickList::count);
    count();
}

void TickList::addTo(QGridLayout *grid, int row, int columns)
{
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdAlle);
    buttons->addWidget(cmdKeine);
    buttons->addWidget(lblAnzahl, 1);
    grid->addWidget(lblListe, row, 0, 1, columns);
    grid->addWidget(view, row + 1, 0, 1, columns);
    grid->addLayout(buttons, row + 2, 0, 1, columns);
    grid->setRowStretch(row + 1, 1);
}

void TickList::count()
{
    const int hidden = m_model->tickedHidden();
    QString text = QStringLiteral("%1 von %2 ausgewählt").arg(m_model->tickedCount()).arg(m_model->allRows());
    if (hidden > 0)
        text += QStringLiteral(", davon %1 nicht angezeigt").arg(hidden);
    lblAnzahl->setText(text);
    // The screen reader says how many as the list changes.
    view->setAccessibleDescription(text);
}

bool confirmPreview(QWidget *parent, const QString &title, const QString &summary,
                    const std::vector<std::pair<QString, QString>> &lines, const QString &okCaption, bool canGoOn)
{
    QDialog d(parent);
    d.setObjectName(QStringLiteral("frmVorschau"));
    d.setWindowTitle(title + QStringLiteral(" – Vorschau"));
    auto *v = new QVBoxLayout(&d);
    auto *lbl = new QLabel(summary, &d);
    lbl->setObjectName(QStringLiteral("lblZusammenfassung"));
    lbl->setWordWrap(true);
    v->addWidget(lbl);
    auto *table = new QTableWidget(int(lines.size()), 2, &d);
    table->setObjectName(QStringLiteral("tblVorschau"));
    table->setAccessibleName(QStringLiteral("Vorschau"));
    table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Ergebnis")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setTabKeyNavigation(false);
    table->horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < int(lines.size()); ++i) {
        table->setItem(i, 0, new QTableWidgetItem(lines[size_t(i)].first));
        table->setItem(i, 1, new QTableWidgetItem(lines[size_t(i)].second));
    }
    table->resizeColumnToContents(0);
    v->addWidget(table, 1);
    auto *buttons = new QDialogButtonBox(&d);
    QPushButton *ok = buttons->addButton(okCaption, QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setEnabled(canGoOn);
    QPushButton *back = buttons->addButton(QStringLiteral("&Zurück"), QDialogButtonBox::RejectRole);
    back->setObjectName(QStringLiteral("cmdZurueck"));
    (canGoOn ? ok : back)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    v->addWidget(buttons);
    ui::sizeForReading(&d, QSize(560, 420));
    (canGoOn ? static_cast<QWidget *>(ok) : back)->setFocus();
    return ui::Prompter::instance().runModal(d) == QDialog::Accepted;
}

bool runWrite(QWidget *parent, const QString &title, const QString &errorPrefix,
              const std::function<void(const data::group::Progress &)> &write)
{
    bool cancelled = false;
    std::optional<data::DbError> failure;
    {
        // The dialog takes no input while it writes (a second click would
        // start a second write); the progress window is a window of its own,
        // so that its "Abbrechen" stays usable.
        parent->setEnabled(false);
        QProgressDialog progress(QStringLiteral("Die Einträge werden geschrieben …"), QStringLiteral("Abbrechen"), 0,
                                 0);
        progress.setObjectName(QStringLiteral("frmGruppeFortschritt"));
        progress.setWindowTitle(title);
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setMinimumDuration(500);
        progress.setAutoReset(false);
        progress.setAutoClose(false);
        ui::BusyPointer wait;
        try {
            write([&progress](qint64 done, qint64 total) {
                progress.setMaximum(int(qMin<qint64>(total, std::numeric_limits<int>::max())));
                progress.setValue(int(qMin<qint64>(done, total)));
                // "Abbrechen" is seen before the window shows, too.
                QCoreApplication::processEvents();
                if (progress.wasCanceled())
                    throw data::group::Cancelled();
            });
        } catch (const data::group::Cancelled &) {
            cancelled = true;
        } catch (const data::DbError &e) {
            failure = e;
        }
        progress.close();
        parent->setEnabled(true);
    }
    if (cancelled)
        ui::inform(parent, QStringLiteral("Abgebrochen: die Datenbank ist unverändert."), title, ui::Icon::Information);
    else if (failure && failure->number() == data::ErrRowGone)
        ui::inform(parent, failure->description() + QStringLiteral(" Es wurde nichts geschrieben."),
                   QStringLiteral("Warnung"), ui::Icon::Exclamation);
    else if (failure)
        ui::inform(parent, failure->message(errorPrefix) + QStringLiteral("\r\n\r\nEs wurde nichts geschrieben."),
                   QStringLiteral("ORV"), ui::Icon::None);
    return !cancelled && !failure;
}

QString entriesText(qint64 n) { return n == 1 ? QStringLiteral("1 Eintrag") : QStringLiteral("%1 Einträge").arg(n); }

QString entriesText(qint64 n, const char *one, const char *more)
{
    return entriesText(n) + QLatin1Char(' ') + QString::fromUtf8(n == 1 ? one : more);
}

QString leftText(const QString &heading, const std::vector<data::group::Left> &left)
{
    if (left.empty())
        return QString();
    constexpr size_t kNamed = 15;
    QString text = QStringLiteral("%1 (%2):").arg(heading).arg(left.size());
    for (size_t i = 0; i < left.size() && i < kNamed; ++i)
        text += QStringLiteral("\n") + left[i].name + QStringLiteral(": ") + left[i].reason;
    if (left.size() > kNamed)
        text += QStringLiteral("\n… und %1 weitere").arg(left.size() - kNamed);
    return text;
}

QLabel *labelFor(QWidget *parent, const QString &text, QWidget *field)
{
    auto *l = new QLabel(text, parent);
    ui::labelField(l, field);
    return l;
}

QComboBox *listBox(QWidget *parent, const QString &name, const QStringList &items)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(name);
    c->addItems(items);
    return c;
}

QWidget *dateRow(QWidget *parent, reports::DateField *field)
{
    auto *box = new QWidget(parent);
    auto *h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(field->text());
    h->addWidget(field->button());
    return box;
}

void showFault(QWidget *parent, const QString &message, QWidget *field)
{
    ui::setStatus(message);
    if (field)
        field->setFocus();
    ui::inform(parent, message, QStringLiteral("Datenprüfung"), ui::Icon::Exclamation);
}

} // namespace orv::groups
