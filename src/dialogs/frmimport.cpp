#include "dialogs/frmimport.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/importstore.h"
#include "import/columnmap.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "ui/prompter.h"
#include "ui/savefiledialog.h"
#include "ui/widgets.h"
#include "ui/windowhost.h"
#include "ui/windownames.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <limits>
#include <new>

namespace orv::dialogs {

// "import" opening a line reads as a module import to some formatters.
namespace imp = orv::import;
namespace settings = orv::services::settings;

namespace {

const QString kTitle = QStringLiteral("Importieren");
const QString kNoMemory = QStringLiteral("Für diese Datei reicht der Arbeitsspeicher nicht. Es wurde nichts "
                                         "importiert. Bitte die Datei in kleinere Teile aufteilen.");

QTableWidget *makeTable(QWidget *parent, const char *name, const QStringList &headings)
{
    auto *t = new QTableWidget(0, int(headings.size()), parent);
    t->setObjectName(QLatin1String(name));
    t->setHorizontalHeaderLabels(headings);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setStretchLastSection(true);
    t->resizeColumnsToContents(); // every heading readable before the first row comes
    return t;
}

void setCell(QTableWidget *t, int row, int col, const QString &text)
{
    t->setItem(row, col, new QTableWidgetItem(text));
}

// The table of the record window the dialog is opened from; the first one otherwise.
int openerTable()
{
    ui::WindowHost *host = ui::WindowHost::instance();
    QWidget *main = host ? host->widget() : nullptr;
    auto *area = main ? main->findChild<QMdiArea *>() : nullptr;
    QMdiSubWindow *sub = area ? area->currentSubWindow() : nullptr;
    if (!sub || !sub->widget())
        return 0;
    const QString name = sub->widget()->objectName();
    const ui::WindowId windows[] = {ui::WindowId::Mitarbeiter, ui::WindowId::Kurs, ui::WindowId::Trainingsplan};
    for (int i = 0; i < 3; ++i)
        if (name == ui::windowObjectName(windows[i]))
            return i;
    return 0;
}

} // namespace

FrmImport::FrmImport(QWidget *parent) : QDialog(parent)
{
    setObjectName(ui::windowObjectName(ui::WindowId::Import));
    ui::setHelpChapter(this, "import");
    setWindowTitle(kTitle);
    auto *top = new QVBoxLayout(this);

    auto *grid = new QGridLayout;
    cmbTabelle = new QComboBox(this);
    cmbTabelle->setObjectName(QStringLiteral("cmbTabelle"));
    cmbTabelle->addItems({QStringLiteral("Mitarbeiter"), QStringLiteral("Kurs"), QStringLiteral("Trainingsplan")});
    cmbTabelle->setCurrentIndex(openerTable());
    txtDatei = new QLineEdit(this);
    txtDatei->setObjectName(QStringLiteral("txtDatei"));
    txtDatei->setReadOnly(true);
    cmdDurchsuchen = new QPushButton(QStringLiteral("&Durchsuchen…"), this);
    cmdDurchsuchen->setObjectName(QStringLiteral("cmdDurchsuchen"));
    cmbBlatt = new QComboBox(this);
    cmbBlatt->setObjectName(QStringLiteral("cmbBlatt"));
    cmbBlatt->setEnabled(false);
    auto *lbl = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    }(QStringLiteral("&Tabelle:"), cmbTabelle);
    grid->addWidget(lbl, 0, 0);
    grid->addWidget(cmbTabelle, 0, 1);
    auto *fileLabel = new QLabel(QStringLiteral("Datei:"), this);
    grid->addWidget(fileLabel, 1, 0);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(txtDatei, 1);
    fileRow->addWidget(cmdDurchsuchen);
    grid->addLayout(fileRow, 1, 1, 1, 2);
    auto *sheetLabel = new QLabel(QStringLiteral("Tabellen&blatt:"), this);
    sheetLabel->setBuddy(cmbBlatt);
    grid->addWidget(sheetLabel, 2, 0);
    grid->addWidget(cmbBlatt, 2, 1);
    m_modes = new QButtonGroup(this);
    const QString modes[2] = {QStringLiteral("&Nur neue Zeilen hinzufügen (vorhandene überspringen)"),
                              QStringLiteral("Neue hinzufügen und &vorhandene ändern")};
    for (int i = 0; i < 2; ++i) {
        optModus[i] = new QRadioButton(modes[i], this);
        optModus[i]->setObjectName(QStringLiteral("optModus(%1)").arg(i));
        m_modes->addButton(optModus[i], i);
        grid->addWidget(optModus[i], 3 + i, 1, 1, 2);
    }
    optModus[0]->setChecked(true);
    grid->setColumnStretch(2, 1);
    top->addLayout(grid);

    auto *assign = new QHBoxLayout;
    auto *fraSpalten = new QGroupBox(QStringLiteral("Spalten der Datei"), this);
    fraSpalten->setObjectName(QStringLiteral("fraSpalten"));
    auto *vs = new QVBoxLayout(fraSpalten);
    tblSpalten =
        makeTable(fraSpalten, "tblSpalten",
                  {QStringLiteral("Spalte in der Datei"), QStringLiteral("Feld"), QStringLiteral("Verbinden mit")});
    tblSpalten->setSelectionMode(QAbstractItemView::NoSelection);
    tblSpalten->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    vs->addWidget(tblSpalten);
    lblHinweis = new QLabel(fraSpalten);
    lblHinweis->setObjectName(QStringLiteral("lblHinweis"));
    lblHinweis->setWordWrap(true);
    vs->addWidget(lblHinweis);
    assign->addWidget(fraSpalten, 3);

    auto *fraWerte = new QGroupBox(QStringLiteral("Werte, die in keiner Liste stehen"), this);
    fraWerte->setObjectName(QStringLiteral("fraWerte"));
    auto *vw = new QVBoxLayout(fraWerte);
    tblWerte = makeTable(fraWerte, "tblWerte",
                         {QStringLiteral("Feld"), QStringLiteral("Wert in der Datei"), QStringLiteral("Zeilen"),
                          QStringLiteral("wird zu")});
    tblWerte->setSelectionMode(QAbstractItemView::NoSelection);
    tblWerte->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    vw->addWidget(tblWerte);
    assign->addWidget(fraWerte, 2);
    top->addLayout(assign, 2);

    auto *fraVorschau = new QGroupBox(QStringLiteral("Vorschau (die ersten Zeilen, wie sie gespeichert werden)"), this);
    fraVorschau->setObjectName(QStringLiteral("fraVorschau"));
    auto *vp = new QVBoxLayout(fraVorschau);
    tblVorschau = makeTable(fraVorschau, "tblVorschau", {});
    vp->addWidget(tblVorschau);
    top->addWidget(fraVorschau, 3);

    auto *fraFehler = new QGroupBox(QStringLiteral("Abgewiesene Zeilen"), this);
    fraFehler->setObjectName(QStringLiteral("fraFehler"));
    auto *vf = new QVBoxLayout(fraFehler);
    tblFehler =
        makeTable(fraFehler, "tblFehler", {QStringLiteral("Zeile"), QStringLiteral("Spalte"), QStringLiteral("Grund")});
    vf->addWidget(tblFehler);
    top->addWidget(fraFehler, 2);

    lblErgebnis = new QLabel(this);
    lblErgebnis->setObjectName(QStringLiteral("lblErgebnis"));
    lblErgebnis->setWordWrap(true);
    top->addWidget(lblErgebnis);

    auto *buttons = new QHBoxLayout;
    cmdPruefen = new QPushButton(QStringLiteral("&Prüfen"), this);
    cmdPruefen->setObjectName(QStringLiteral("cmdPruefen"));
    cmdFehlerliste = new QPushButton(QStringLiteral("Fehlerliste &speichern…"), this);
    cmdFehlerliste->setObjectName(QStringLiteral("cmdFehlerliste"));
    cmdImportieren = new QPushButton(QStringLiteral("&Importieren"), this);
    cmdImportieren->setObjectName(QStringLiteral("cmdImportieren"));
    cmdSchliessen = new QPushButton(QStringLiteral("Schl&ießen"), this);
    cmdSchliessen->setObjectName(QStringLiteral("cmdSchliessen"));
    buttons->addWidget(cmdPruefen);
    buttons->addWidget(cmdFehlerliste);
    buttons->addStretch(1);
    buttons->addWidget(cmdImportieren);
    buttons->addWidget(cmdSchliessen);
    top->addLayout(buttons);

    connect(cmdDurchsuchen, &QPushButton::clicked, this, &FrmImport::chooseFile);
    connect(cmbTabelle, &QComboBox::currentIndexChanged, this, &FrmImport::reload);
    connect(cmbBlatt, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            reload();
    });
    connect(m_modes, &QButtonGroup::idClicked, this, &FrmImport::clearResult);
    connect(cmdPruefen, &QPushButton::clicked, this, &FrmImport::check);
    connect(cmdImportieren, &QPushButton::clicked, this, &FrmImport::importRows);
    connect(cmdFehlerliste, &QPushButton::clicked, this, &FrmImport::saveRefusals);
    connect(cmdSchliessen, &QPushButton::clicked, this, &QDialog::reject);
    ui::sizeForReading(this, QSize(1100, 860));
    clearResult();
}

FrmImport::~FrmImport() = default;

const data::schema::TableDef &FrmImport::table() const
{
    return data::importstore::importFields(*data::schema::findTable(cmbTabelle->currentText()));
}

imp::Mode FrmImport::mode() const { return optModus[1]->isChecked() ? imp::Mode::AddOrUpdate : imp::Mode::AddOnly; }

void FrmImport::chooseFile()
{
    QString folder = txtDatei->text().isEmpty()
                         ? settings::importFolder()
                         : QFileInfo(QDir::fromNativeSeparators(txtDatei->text())).absolutePath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const std::optional<QString> file = ui::askOpenFileName(
        this, kTitle, folder,
        {QStringLiteral("Tabellen (*.csv *.xlsx *.ods *.txt)"), QStringLiteral("Excel-Arbeitsmappe (*.xlsx)"),
         QStringLiteral("OpenDocument-Tabelle (*.ods)"), QStringLiteral("CSV (*.csv *.txt)"),
         QStringLiteral("Alle Dateien (*)")});
    if (file)
        loadFile(*file);
}

void FrmImport::loadFile(const QString &path)
{
    txtDatei->setText(QDir::toNativeSeparators(path));
    settings::setImportFolder(QFileInfo(path).absolutePath());
    m_filling = true;
    cmbBlatt->clear();
    try {
        cmbBlatt->addItems(imp::sheetNames(path));
    } catch (const imp::ImportError &) {
        // Reported by the reading below.
    } catch (const std::bad_alloc &) {
    }
    cmbBlatt->setEnabled(cmbBlatt->count() > 1);
    m_filling = false;
    reload();
}

void FrmImport::reload()
{
    m_import.reset();
    clearResult();
    const QString path = QDir::fromNativeSeparators(txtDatei->text());
    if (path.isEmpty()) {
        fillMapping();
        return;
    }
    QString problem;
    try {
        ui::BusyPointer wait;
        m_import = std::make_unique<imp::Import>(table(), imp::readFile(path, cmbBlatt->currentText()));
        const QString name = QLatin1String(table().name);
        // What the user assigned for these headings and values last time.
        m_import->setMapping(
            imp::applyRemembered(m_import->mapping(), settings::importColumns(name), table(), m_import->headings()));
        m_import->setValueTable(imp::valueTableFromText(settings::importValues(name)));
    } catch (const imp::ImportError &e) {
        problem = e.reason();
    } catch (const std::bad_alloc &) {
        problem = kNoMemory;
    }
    if (!problem.isEmpty()) {
        m_import.reset();
        ui::inform(this,
                   QStringLiteral("Die Datei kann nicht gelesen werden:\r\n") + path + QStringLiteral("\r\n\r\n")
                       + problem,
                   kTitle, ui::Icon::Exclamation);
    }
    fillMapping();
}

void FrmImport::fillMapping()
{
    m_filling = true;
    tblSpalten->setRowCount(0);
    if (m_import) {
        const QStringList headings = m_import->headings();
        const data::schema::TableDef &t = table();
        const std::vector<int> fields = imp::fieldsOfColumns(m_import->mapping(), headings.size());
        tblSpalten->setRowCount(int(headings.size()));
        for (int c = 0; c < int(headings.size()); ++c) {
            setCell(tblSpalten, c, 0, QStringLiteral("%1: %2").arg(imp::columnLetters(c), headings[c].simplified()));
            auto *combo = new QComboBox(tblSpalten);
            combo->setObjectName(QStringLiteral("cmbFeld(%1)").arg(c));
            combo->addItem(QStringLiteral("– nicht übernehmen –"), -1);
            for (int f = 0; f < int(t.columns.size()); ++f)
                combo->addItem(imp::fieldCaption(t.columns[size_t(f)].name), f);
            combo->setCurrentIndex(combo->findData(fields[size_t(c)]));
            connect(combo, &QComboBox::currentIndexChanged, this, [this, c] { columnChanged(c); });
            tblSpalten->setCellWidget(c, 1, combo);
            auto *sep = new QLineEdit(tblSpalten);
            sep->setObjectName(QStringLiteral("txtTrenner(%1)").arg(c));
            sep->setPlaceholderText(QStringLiteral("Trennzeichen"));
            sep->setToolTip(QStringLiteral("Steht zwischen dem Wert der vorigen Spalte des Feldes und dem dieser "
                                           "Spalte, zum Beispiel „, “ zwischen Nachname und Vorname."));
            connect(sep, &QLineEdit::textEdited, this, [this, c] { separatorChanged(c); });
            tblSpalten->setCellWidget(c, 2, sep);
        }
        // The field lists as wide as their longest caption.
        tblSpalten->resizeColumnToContents(0);
        tblSpalten->resizeColumnToContents(1);
    }
    m_filling = false;
    mappingChanged();
}

void FrmImport::columnChanged(int column)
{
    if (m_filling || !m_import)
        return;
    imp::Mapping map = m_import->mapping();
    for (imp::FieldColumns &fc : map)
        for (size_t p = 0; p < fc.columns.size(); ++p)
            if (fc.columns[p] == column) {
                fc.columns.erase(fc.columns.begin() + qsizetype(p));
                fc.separators.erase(fc.separators.begin() + qsizetype(p));
                break;
            }
    const int f = static_cast<QComboBox *>(tblSpalten->cellWidget(column, 1))->currentData().toInt();
    if (f >= 0) {
        // A second column for a field is joined to it, once the user says with what.
        map[size_t(f)].columns.push_back(column);
        map[size_t(f)].separators.push_back(QString());
    }
    for (imp::FieldColumns &fc : map)
        if (!fc.separators.empty())
            fc.separators[0].clear();
    m_import->setMapping(map);
    const QString name = QLatin1String(table().name);
    settings::setImportColumns(name,
                               imp::rememberMapping(settings::importColumns(name), map, table(), m_import->headings()));
    mappingChanged();
}

void FrmImport::separatorChanged(int column)
{
    if (m_filling || !m_import)
        return;
    imp::Mapping map = m_import->mapping();
    const QString text = static_cast<QLineEdit *>(tblSpalten->cellWidget(column, 2))->text();
    for (imp::FieldColumns &fc : map)
        for (size_t p = 1; p < fc.columns.size(); ++p)
            if (fc.columns[p] == column)
                fc.separators[p] = text;
    m_import->setMapping(map);
    const QString name = QLatin1String(table().name);
    settings::setImportColumns(name,
                               imp::rememberMapping(settings::importColumns(name), map, table(), m_import->headings()));
    mappingChanged();
}

void FrmImport::mappingChanged()
{
    if (m_filling)
        return;
    clearResult();
    if (!m_import) {
        lblHinweis->setText(QString());
        fillValues();
        return;
    }
    // Only a later column of a joined field takes a separator.
    const imp::Mapping &map = m_import->mapping();
    m_filling = true;
    for (int c = 0; c < tblSpalten->rowCount(); ++c) {
        auto *sep = static_cast<QLineEdit *>(tblSpalten->cellWidget(c, 2));
        bool later = false;
        for (const imp::FieldColumns &fc : map)
            for (size_t p = 1; p < fc.columns.size(); ++p)
                if (fc.columns[p] == c) {
                    later = true;
                    if (sep->text() != fc.separators[p])
                        sep->setText(fc.separators[p]);
                }
        sep->setEnabled(later);
        if (!later)
            sep->clear();
    }
    m_filling = false;
    QString text = QStringLiteral("Überschriften in Zeile %1, %2 Zeile(n) darunter.")
                       .arg(m_import->headingLine())
                       .arg(m_import->rowCount());
    const QStringList headings = m_import->headings();
    for (size_t f = 0; f < map.size(); ++f) {
        if (map[f].columns.size() < 2)
            continue;
        QString joined = QStringLiteral("„%1“").arg(headings.value(map[f].columns[0]).simplified());
        for (size_t p = 1; p < map[f].columns.size(); ++p)
            joined += QStringLiteral(" + „%1“ + „%2“")
                          .arg(map[f].separators[p], headings.value(map[f].columns[p]).simplified());
        text += QStringLiteral(" %1 = %2.").arg(imp::fieldCaption(table().columns[f].name), joined);
    }
    // The line of the headings stands at the start already.
    if (const QString missing = m_import->missingFields(false); !missing.isEmpty())
        text += QLatin1Char(' ') + missing;
    if (const QString notice = m_import->notice(); !notice.isEmpty())
        text += QLatin1Char(' ') + notice;
    lblHinweis->setText(text);
    fillValues();
}

void FrmImport::fillValues()
{
    m_filling = true;
    tblWerte->setRowCount(0);
    m_unknown.clear();
    if (m_import) {
        try {
            ui::BusyPointer wait;
            m_unknown = m_import->unknownValues();
        } catch (const std::bad_alloc &) {
            m_unknown.clear();
        }
    }
    const data::schema::TableDef &t = table();
    tblWerte->setRowCount(int(m_unknown.size()));
    for (int i = 0; i < int(m_unknown.size()); ++i) {
        const imp::UnknownValue &u = m_unknown[size_t(i)];
        const QString column = QLatin1String(t.columns[size_t(u.field)].name);
        setCell(tblWerte, i, 0, imp::fieldCaption(t.columns[size_t(u.field)].name));
        setCell(tblWerte, i, 1, u.value);
        setCell(tblWerte, i, 2,
                u.rows == 1 ? QStringLiteral("Zeile %1").arg(u.firstLine)
                            : QStringLiteral("%1, ab Zeile %2").arg(u.rows).arg(u.firstLine));
        auto *combo = new QComboBox(tblWerte);
        combo->setObjectName(QStringLiteral("cmbWert(%1)").arg(i));
        combo->addItem(QStringLiteral("– abweisen –"));
        for (const QString &item : imp::listItems(t, u.field))
            combo->addItem(imp::itemCaption(t, u.field, item), item);
        const auto table = m_import->valueTable().value(column);
        if (const auto it = table.constFind(u.value); it != table.cend())
            combo->setCurrentIndex(qMax(0, combo->findData(*it)));
        connect(combo, &QComboBox::currentIndexChanged, this, [this, i] { valueChanged(i); });
        tblWerte->setCellWidget(i, 3, combo);
    }
    tblWerte->resizeColumnsToContents();
    m_filling = false;
}

void FrmImport::valueChanged(int row)
{
    if (m_filling || !m_import || row >= int(m_unknown.size()))
        return;
    const imp::UnknownValue &u = m_unknown[size_t(row)];
    const QString column = QLatin1String(table().columns[size_t(u.field)].name);
    auto *combo = static_cast<QComboBox *>(tblWerte->cellWidget(row, 3));
    imp::ValueTable values = m_import->valueTable();
    if (combo->currentIndex() <= 0)
        values[column].remove(u.value);
    else
        values[column].insert(u.value, combo->currentData().toString());
    m_import->setValueTable(values);
    settings::setImportValues(QLatin1String(table().name), imp::valueTableText(values));
    clearResult();
}

void FrmImport::clearResult()
{
    m_result.reset();
    tblVorschau->setRowCount(0);
    tblVorschau->setColumnCount(0);
    tblFehler->setRowCount(0);
    lblErgebnis->setText(QString());
    cmdFehlerliste->setEnabled(false);
    cmdPruefen->setEnabled(m_import != nullptr);
    cmdImportieren->setEnabled(m_import != nullptr);
}

void FrmImport::setBusy(bool busy)
{
    // While the rows are checked or written the dialog takes no input: a
    // second click would start a second import.
    for (QWidget *w :
         std::initializer_list<QWidget *>{cmbTabelle, cmdDurchsuchen, cmbBlatt, optModus[0], optModus[1], tblSpalten,
                                          tblWerte, cmdPruefen, cmdFehlerliste, cmdImportieren, cmdSchliessen})
        w->setEnabled(!busy);
    if (!busy) {
        cmbBlatt->setEnabled(cmbBlatt->count() > 1);
        clearResult();
    }
}

std::optional<imp::ImportResult> FrmImport::runWithProgress(bool write)
{
    if (!m_import || m_running)
        return std::nullopt;
    // Stops before anything is read when a required field has no column.
    if (const QString missing = m_import->missingFields(); !missing.isEmpty()) {
        ui::inform(this, missing, kTitle, ui::Icon::Exclamation);
        return std::nullopt;
    }
    data::Connection conn;
    if (!services::openConnection(conn, this))
        return std::nullopt;
    m_running = true;
    setBusy(true);
    struct Done {
        FrmImport *dlg;
        ~Done()
        {
            dlg->m_running = false;
            dlg->setBusy(false);
        }
    } done{this};
    QProgressDialog progress(write ? QStringLiteral("Die Zeilen werden geprüft und importiert …")
                                   : QStringLiteral("Die Zeilen werden geprüft …"),
                             QStringLiteral("Abbrechen"), 0, 0, this);
    progress.setObjectName(QStringLiteral("frmImportFortschritt"));
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    // Shown at once, not when the dialog guesses the rest takes long: "Abbrechen" is there from the start.
    progress.setMinimumDuration(0);
    progress.show();
    ui::BusyPointer wait;
    QString problem, title = kTitle;
    ui::Icon icon = ui::Icon::Exclamation;
    try {
        imp::ImportResult r = m_import->run(conn, mode(), write, [&progress](qint64 done, qint64 total) {
            progress.setMaximum(int(qMin<qint64>(total, std::numeric_limits<int>::max())));
            progress.setValue(int(qMin<qint64>(done, total)));
            if (progress.wasCanceled())
                throw imp::ImportCancelled();
        });
        progress.close();
        return r;
    } catch (const imp::ImportCancelled &) {
        if (write) {
            problem = QStringLiteral("Der Import wurde abgebrochen. Die Datenbank ist unverändert.");
            icon = ui::Icon::Information;
        }
    } catch (const imp::ImportError &e) {
        problem = e.reason();
    } catch (const data::DbError &e) {
        problem = e.message(QStringLiteral("ImportError: "))
                  + (write ? QStringLiteral("\r\n\r\nEs wurde nichts importiert.") : QString());
        title = QStringLiteral("ORV");
        icon = ui::Icon::None;
    } catch (const std::bad_alloc &) {
        problem = kNoMemory;
    }
    progress.close();
    wait.restore();
    if (!problem.isEmpty())
        ui::inform(this, problem, title, icon);
    return std::nullopt;
}

void FrmImport::check()
{
    clearResult();
    if (std::optional<imp::ImportResult> r = runWithProgress(false))
        showResult(*r, false);
}

void FrmImport::importRows()
{
    if (m_running)
        return;
    clearResult();
    std::optional<imp::ImportResult> r = runWithProgress(true);
    if (!r)
        return;
    showResult(*r, r->written);
    QString text = r->written
                       ? QStringLiteral("Import abgeschlossen: %1 neu, %2 geändert.").arg(r->added).arg(r->updated)
                       : QStringLiteral("Es gab nichts zu importieren.");
    if (r->skipped > 0)
        text += QStringLiteral("\r\n%1 vorhandene Zeile(n) wurden übersprungen.").arg(r->skipped);
    if (r->refused > 0)
        text += QStringLiteral("\r\n%1 Zeile(n) wurden abgewiesen (siehe Liste).").arg(r->refused);
    if (!r->backupFile.isEmpty())
        text += QStringLiteral("\r\n\r\nSicherung vor dem Import:\r\n") + QDir::toNativeSeparators(r->backupFile);
    ui::inform(this, text, kTitle, r->refused > 0 ? ui::Icon::Exclamation : ui::Icon::Information);
}

void FrmImport::showResult(const imp::ImportResult &r, bool written)
{
    const data::schema::TableDef &t = table();
    QStringList heads = {QStringLiteral("Zeile"), QStringLiteral("Ergebnis")};
    for (const auto &c : t.columns)
        heads << imp::fieldCaption(c.name);
    tblVorschau->setColumnCount(int(heads.size()));
    tblVorschau->setHorizontalHeaderLabels(heads);
    tblVorschau->setRowCount(int(r.preview.size()));
    for (int i = 0; i < int(r.preview.size()); ++i) {
        setCell(tblVorschau, i, 0, QString::number(r.rows[size_t(i)].line));
        setCell(tblVorschau, i, 1, imp::outcomeText(r.rows[size_t(i)].outcome));
        for (int f = 0; f < int(r.preview[size_t(i)].size()); ++f)
            setCell(tblVorschau, i, f + 2, r.preview[size_t(i)][f]);
    }
    tblVorschau->resizeColumnsToContents();
    tblFehler->setRowCount(int(r.faults.size()));
    int i = 0;
    for (const imp::RowResult &row : r.rows) {
        for (const imp::RowFault &f : r.faultsOf(row)) {
            setCell(tblFehler, i, 0, QString::number(row.line));
            setCell(tblFehler, i, 1, f.column);
            setCell(tblFehler, i, 2, f.reason);
            ++i;
        }
    }
    tblFehler->resizeColumnToContents(0);
    tblFehler->resizeColumnToContents(1);
    lblErgebnis->setText(
        (written ? QStringLiteral("Importiert: ") : QStringLiteral("Geprüft, noch nichts geschrieben: ")) + r.summary()
        + QLatin1Char('.'));
    m_result = r;
    cmdFehlerliste->setEnabled(r.refused > 0);
}

void FrmImport::saveRefusals()
{
    if (!m_import || !m_result)
        return;
    const QFileInfo source(QDir::fromNativeSeparators(txtDatei->text()));
    const std::optional<QString> file = ui::askSaveFileName(
        this, QStringLiteral("Fehlerliste speichern"),
        source.absolutePath() + QLatin1Char('/') + source.completeBaseName() + QStringLiteral(" abgewiesen.csv"),
        {QStringLiteral("CSV (*.csv)")});
    if (!file)
        return;
    try {
        m_import->saveRefusals(*m_result, *file);
        ui::inform(
            this,
            QStringLiteral("Die Fehlerliste (%1 abgewiesene Zeilen) ist gespeichert in\r\n").arg(m_result->refused)
                + QDir::toNativeSeparators(*file),
            kTitle, ui::Icon::Information);
    } catch (const imp::ImportError &e) {
        ui::inform(this, e.reason(), kTitle, ui::Icon::Exclamation);
    } catch (const std::bad_alloc &) {
        ui::inform(this, kNoMemory, kTitle, ui::Icon::Exclamation);
    }
}

} // namespace orv::dialogs
