#include "reports/frmmatrixbericht.h"

#include "data/dberror.h"
#include "data/format.h"
#include "data/valuelists.h"
#include "groups/groupparts.h"
#include "groups/tickmodel.h"
#include "reportdata/matrixlist.h"
#include "reports/datefield.h"
#include "services/connectionrecipe.h"
#include "ui/prompter.h"
#include "ui/statuspanels.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <limits>

namespace orv::reports {
namespace {

const QString kTitle = QStringLiteral("Qualifikationsmatrix");

// An empty item first, then the trimmed values.
QComboBox *listBox(QWidget *parent, const QString &name, QStringList items)
{
    items.prepend(QString());
    for (QString &i : items)
        i = i.trimmed();
    return groups::listBox(parent, name, items);
}

QLineEdit *textField(QWidget *parent, const QString &name, int length)
{
    auto *t = new QLineEdit(parent);
    t->setObjectName(name);
    ui::limitLength(t, length);
    return t;
}

void addRow(QGridLayout *g, int row, QWidget *parent, const QString &label, QWidget *field, QWidget *shown = nullptr)
{
    g->addWidget(groups::labelFor(parent, label, field), row, 0);
    g->addWidget(shown ? shown : field, row, 1);
}

} // namespace

FrmMatrixBericht::FrmMatrixBericht(QWidget *parent) : ReportDialog(parent)
{
    QGroupBox *sel = startSelection(QStringLiteral("frmMatrixBericht"));
    setWindowTitle(kTitle);
    ui::setHelpChapter(this, "matrix");
    // The courses to tick; without a database the dialog still opens, with none.
    data::Connection conn;
    data::Connection *opened = nullptr;
    if (services::openConnection(conn, this))
        opened = &conn;
    auto *g = new QGridLayout(sel);
    g->addWidget(buildRows(sel), 0, 0);
    g->addWidget(buildPeriod(sel), 1, 0);
    g->addWidget(buildColumns(sel, opened), 0, 1, 3, 1);
    g->setRowStretch(2, 1);
    g->setColumnStretch(1, 1);
    placeBesideButtons(sel);
    ui::sizeForReading(this, QSize(1000, 600));
}

QWidget *FrmMatrixBericht::buildRows(QWidget *parent)
{
    auto *frame = new QGroupBox(QStringLiteral("Mitarbeiter"), parent);
    frame->setObjectName(QStringLiteral("fraMitarbeiter"));
    cmbBereich = listBox(frame, QStringLiteral("cmbBereich"), data::lists::bereichAlphabetisch());
    txtAbteilung = textField(frame, QStringLiteral("txtAbteilung"), 10);
    txtKostenstelle = textField(frame, QStringLiteral("txtKostenstelle"), 6);
    cmbKategorie = listBox(frame, QStringLiteral("cmbKategorie"), data::lists::kategorie());
    cmbSortierung = groups::listBox(frame, QStringLiteral("cmbSortierung"),
                                    {QStringLiteral("Name"), QStringLiteral("Bereich und Abteilung")});
    chkOhneEintrag = new QCheckBox(QStringLiteral("Auch Mitarbeiter o&hne Eintrag in den Spalten"), frame);
    chkOhneEintrag->setObjectName(QStringLiteral("chkOhneEintrag"));
    chkOhneEintrag->setChecked(true);
    auto *g = new QGridLayout(frame);
    addRow(g, 0, frame, QStringLiteral("B&ereich:"), cmbBereich);
    addRow(g, 1, frame, QStringLiteral("Abte&ilung:"), txtAbteilung);
    addRow(g, 2, frame, QStringLiteral("K&ostenstelle:"), txtKostenstelle);
    addRow(g, 3, frame, QStringLiteral("Kate&gorie:"), cmbKategorie);
    addRow(g, 4, frame, QStringLiteral("&Sortierung:"), cmbSortierung);
    g->addWidget(chkOhneEintrag, 5, 0, 1, 2);
    g->setColumnStretch(1, 1);
    return frame;
}

QWidget *FrmMatrixBericht::buildColumns(QWidget *parent, data::Connection *conn)
{
    auto *frame = new QGroupBox(QStringLiteral("Spalten"), parent);
    frame->setObjectName(QStringLiteral("fraSpalten"));
    optKurse = new QRadioButton(QStringLiteral("&Kurse"), frame);
    optKurse->setObjectName(QStringLiteral("optSpalten(0)"));
    optKurse->setChecked(true);
    optReihen = new QRadioButton(QStringLiteral("&Reihen: eine Spalte je Reihe, mit ihrem letzten Zyklus"), frame);
    optReihen->setObjectName(QStringLiteral("optSpalten(1)"));
    cmbRubrik = listBox(frame, QStringLiteral("cmbRubrik"), data::lists::rubrik());
    cmbArt = listBox(frame, QStringLiteral("cmbArt"), data::lists::art());
    m_courses = new groups::TickList(
        frame, QStringLiteral("lstKurse"),
        {QStringLiteral("Kurs-Nr."), QStringLiteral("Rubrik"), QStringLiteral("Art"), QStringLiteral("Beschreibung")},
        QStringLiteral("Kurs&wahl (ohne Kreuz: alle Kurse der Rubrik und Art):"));
    // "&Ablage" has the A.
    m_courses->cmdAlle->setText(QStringLiteral("A&lle"));
    if (conn) {
        try {
            m_courseRows = data::matrix::courses(*conn);
        } catch (const data::DbError &e) {
            ui::inform(this, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
        }
    }
    std::vector<QStringList> rows;
    for (const data::matrix::Course &c : m_courseRows)
        rows.push_back({c.kursNr, c.rubrik, c.art, c.beschreibung});
    m_courses->model()->setRows(std::move(rows), false);
    const int em = m_courses->view->fontMetrics().horizontalAdvance(QLatin1Char('M'));
    m_courses->view->setColumnWidth(0, em * 11); // the check box and six characters
    m_courses->view->setColumnWidth(1, em * 17);
    m_courses->view->setColumnWidth(2, em * 4);

    auto *g = new QGridLayout(frame);
    g->addWidget(optKurse, 0, 0, 1, 2);
    addRow(g, 1, frame, QStringLiteral("R&ubrik:"), cmbRubrik);
    addRow(g, 2, frame, QStringLiteral("Ar&t:"), cmbArt);
    m_courses->addTo(g, 3, 2);
    g->addWidget(optReihen, 6, 0, 1, 2);
    g->setColumnStretch(1, 1);
    g->setRowStretch(4, 1);

    connect(cmbRubrik, &QComboBox::currentIndexChanged, this, &FrmMatrixBericht::applyCourseFilter);
    connect(cmbArt, &QComboBox::currentIndexChanged, this, &FrmMatrixBericht::applyCourseFilter);
    // The list picks courses; the series take every course of theirs.
    connect(optReihen, &QRadioButton::toggled, this, [this](bool series) {
        for (QWidget *w : {static_cast<QWidget *>(m_courses->view), static_cast<QWidget *>(m_courses->cmdAlle),
                           static_cast<QWidget *>(m_courses->cmdKeine), static_cast<QWidget *>(m_courses->lblListe)})
            w->setEnabled(!series);
    });
    return frame;
}

QWidget *FrmMatrixBericht::buildPeriod(QWidget *parent)
{
    auto *frame = new QGroupBox(QStringLiteral("Zeitraum und Gültigkeit"), parent);
    frame->setObjectName(QStringLiteral("fraZeitraum"));
    m_von = new DateField(QStringLiteral("Von"), frame);
    m_bis = new DateField(QStringLiteral("Bis"), frame);
    m_stichtag = new DateField(QStringLiteral("Stichtag"), frame);
    m_stichtag->text()->setText(data::formatDate(QDate::currentDate()));
    txtTage = textField(frame, QStringLiteral("txtTage"), 4);
    txtTage->setText(QStringLiteral("30"));
    auto *g = new QGridLayout(frame);
    addRow(g, 0, frame, QStringLiteral("Datum &von:"), m_von->text(), groups::dateRow(frame, m_von));
    addRow(g, 1, frame, QStringLiteral("Datu&m bis:"), m_bis->text(), groups::dateRow(frame, m_bis));
    auto *hint = new QLabel(QStringLiteral("(leer: alle Einträge)"), frame);
    g->addWidget(hint, 2, 1);
    // The state on an audit's day, which need not be today.
    addRow(g, 3, frame, QStringLiteral("Sti&chtag:"), m_stichtag->text(), groups::dateRow(frame, m_stichtag));
    addRow(g, 4, frame, QStringLiteral("&Fällig in Tagen:"), txtTage);
    g->setColumnStretch(1, 1);
    return frame;
}

void FrmMatrixBericht::applyCourseFilter()
{
    const QString rubrik = cmbRubrik->currentText().trimmed(), art = cmbArt->currentText().trimmed();
    if (rubrik.isEmpty() && art.isEmpty()) {
        m_courses->model()->setFilter({});
        return;
    }
    m_courses->model()->setFilter([&](int row) {
        const data::matrix::Course &c = m_courseRows[size_t(row)];
        return (rubrik.isEmpty() || c.rubrik == rubrik) && (art.isEmpty() || c.art == art);
    });
}

std::optional<data::matrix::Selection> FrmMatrixBericht::selection()
{
    const auto fault = [this](const QString &text, QWidget *field) {
        groups::showFault(this, text, field);
        return std::nullopt;
    };
    // An empty date leaves the period open at its end.
    const auto dateOf = [](const QLineEdit *t) -> std::optional<QDate> {
        if (t->text().trimmed().isEmpty())
            return QDate();
        return data::parseDate(t->text());
    };
    const std::optional<QDate> from = dateOf(m_von->text()), to = dateOf(m_bis->text());
    if (!from)
        return fault(QStringLiteral("Das Startdatum ist ungültig!"), m_von->text());
    if (!to)
        return fault(QStringLiteral("Das Endedatum ist ungültig!"), m_bis->text());
    if (from->isValid() && to->isValid() && *to < *from)
        return fault(QStringLiteral("Das Startdatum darf nicht größer als das Endedatum sein!"), m_von->text());
    const std::optional<QDate> today = data::parseDate(m_stichtag->text()->text());
    if (!today)
        return fault(QStringLiteral("Der Stichtag ist ungültig!"), m_stichtag->text());
    bool ok = false;
    const int days = txtTage->text().trimmed().toInt(&ok);
    if (!ok || days < 0)
        return fault(QStringLiteral("Die Tage bis zur Fälligkeit müssen eine Zahl von 0 bis 9999 sein!"), txtTage);
    ui::setStatus(QString());

    data::matrix::Selection s;
    s.bereich = cmbBereich->currentText();
    s.abteilung = txtAbteilung->text();
    s.kostenstelle = txtKostenstelle->text();
    s.kategorie = cmbKategorie->currentText();
    s.grouped = cmbSortierung->currentIndex() == 1;
    s.withoutEntries = chkOhneEintrag->isChecked();
    s.series = optReihen->isChecked();
    s.rubrik = cmbRubrik->currentText();
    s.art = cmbArt->currentText();
    if (!s.series)
        for (int row : m_courses->model()->tickedRows())
            s.kursNrs << m_courseRows[size_t(row)].kursNr;
    s.from = *from;
    s.to = *to;
    s.today = *today;
    s.dueDays = days;
    return s;
}

std::shared_ptr<const data::matrix::Matrix> FrmMatrixBericht::buildMatrix(data::Connection &conn,
                                                                          const data::matrix::Selection &sel)
{
    bool cancelled = false;
    std::optional<QString> tooLarge;
    std::shared_ptr<data::matrix::Matrix> m;
    {
        // The dialog takes no input meanwhile; the progress window is one of
        // its own, so that its "Abbrechen" stays usable.
        setEnabled(false);
        QProgressDialog progress(QStringLiteral("Die Matrix wird erstellt …"), QStringLiteral("Abbrechen"), 0, 0);
        progress.setObjectName(QStringLiteral("frmMatrixFortschritt"));
        progress.setWindowTitle(kTitle);
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setMinimumDuration(500);
        progress.setAutoReset(false);
        progress.setAutoClose(false);
        try {
            m = std::make_shared<data::matrix::Matrix>(
                data::matrix::build(conn, sel, [&progress](qint64 done, qint64 total) {
                    progress.setMaximum(int(qMin<qint64>(total, std::numeric_limits<int>::max())));
                    progress.setValue(int(qMin<qint64>(done, total)));
                    // "Abbrechen" is seen before the window shows, too.
                    QCoreApplication::processEvents();
                    if (progress.wasCanceled())
                        throw data::matrix::Cancelled();
                }));
        } catch (const data::matrix::Cancelled &) {
            cancelled = true;
        } catch (const data::matrix::TooLarge &e) {
            tooLarge = e.text();
        } catch (...) {
            setEnabled(true);
            throw; // the database's failure, told by the output
        }
        progress.close();
        setEnabled(true);
    }
    if (tooLarge)
        ui::inform(this, *tooLarge, kTitle, ui::Icon::Exclamation);
    if (cancelled || tooLarge)
        return nullptr;
    return m;
}

bool FrmMatrixBericht::buildReport()
{
    const std::optional<data::matrix::Selection> s = selection();
    if (!s)
        return false;
    std::optional<data::Connection> opened = startBuild();
    if (!opened)
        return false;
    m_matrix = buildMatrix(*opened, *s);
    if (!m_matrix)
        return false;
    m_model = reportdata::matrixReport(*m_matrix, *s);
    return true;
}

QString FrmMatrixBericht::clipboardText() const { return m_matrix ? reportdata::matrixTable(*m_matrix) : QString(); }

std::optional<reportdata::ExportJob> FrmMatrixBericht::exportJob(data::Connection &conn)
{
    const std::optional<data::matrix::Selection> s = selection();
    if (!s)
        return std::nullopt;
    std::shared_ptr<const data::matrix::Matrix> m = buildMatrix(conn, *s);
    if (!m)
        return std::nullopt;
    if (m->isEmpty()) {
        ui::inform(this, QStringLiteral("Keine Vorgaben vorhanden!"), QStringLiteral("Error"), ui::Icon::Exclamation);
        return std::nullopt;
    }
    return reportdata::matrixExport(std::move(m), *s);
}

} // namespace orv::reports
