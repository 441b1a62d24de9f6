#include "dialogs/frmimport.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "import/columnmap.h"
#include "import/xlsxreader.h"
#include "services/connectionrecipe.h"
#include "ui/prompter.h"
#include "ui/savefiledialog.h"
#include "ui/widgets.h"
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
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <limits>

namespace orv::dialogs {

// "import" opening a line reads as a module import to some formatters.
namespace imp = orv::import;

namespace {

const QString kTitle = QStringLiteral("Importieren");

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

} // namespace

FrmImport::FrmImport(QWidget *parent) : QDialog(parent)
{
    setObjectName(ui::windowObjectName(ui::WindowId::Import));
    setWindowTitle(kTitle);
    auto *top = new QVBoxLayout(this);

    auto *grid = new QGridLayout;
    cmbTabelle = new QComboBox(this);
    cmbTabelle->setObjectName(QStringLiteral("cmbTabelle"));
    cmbTabelle->addItems({QStringLiteral("Mitarbeiter"), QStringLiteral("Kurs"), QStringLiteral("Trainingsplan")});
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

    auto *fraSpalten = new QGroupBox(QStringLiteral("Spalten der Datei"), this);
    fraSpalten->setObjectName(QStringLiteral("fraSpalten"));
    auto *vs = new QVBoxLayout(fraSpalten);
    tblSpalten = makeTable(fraSpalten, "tblSpalten", {QStringLiteral("Spalte in der Datei"), QStringLiteral("Feld")});
    tblSpalten->setSelectionMode(QAbstractItemView::NoSelection);
    tblSpalten->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    vs->addWidget(tblSpalten);
    lblHinweis = new QLabel(fraSpalten);
    lblHinweis->setObjectName(QStringLiteral("lblHinweis"));
    lblHinweis->setWordWrap(true);
    vs->addWidget(lblHinweis);
    top->addWidget(fraSpalten, 1);

    auto *fraVorschau = new QGroupBox(QStringLiteral("Vorschau (die ersten Zeilen, wie sie gespeichert werden)"), this);
    fraVorschau->setObjectName(QStringLiteral("fraVorschau"));
    auto *vp = new QVBoxLayout(fraVorschau);
    tblVorschau = makeTable(fraVorschau, "tblVorschau", {});
    vp->addWidget(tblVorschau);
    top->addWidget(fraVorschau, 4);

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
    ui::sizeForReading(this, QSize(1000, 820));
    clearResult();
}

FrmImport::~FrmImport() = default;

const data::schema::TableDef &FrmImport::table() const { return *data::schema::findTable(cmbTabelle->currentText()); }

imp::Mode FrmImport::mode() const
{
    return optModus[1]->isChecked() ? imp::Mode::AddOrUpdate : imp::Mode::AddOnly;
} // namespace orv::dialogs

void FrmImport::chooseFile()
{
    const QString folder = txtDatei->text().isEmpty() ? QDir::homePath() : QFileInfo(txtDatei->text()).absolutePath();
    const std::optional<QString> file = ui::askOpenFileName(
        this, kTitle, folder,
        {QStringLiteral("Tabellen (*.csv *.xlsx *.txt)"), QStringLiteral("Excel-Arbeitsmappe (*.xlsx)"),
         QStringLiteral("CSV (*.csv *.txt)"), QStringLiteral("Alle Dateien (*)")});
    if (file)
        loadFile(*file);
}

void FrmImport::loadFile(const QString &path)
{
    txtDatei->setText(QDir::toNativeSeparators(path));
    m_filling = true;
    cmbBlatt->clear();
    const bool workbook = QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0;
    if (workbook) {
        try {
            cmbBlatt->addItems(imp::xlsxSheetNames(path));
        } catch (const imp::ImportError &) {
            // Reported by the reading below.
        }
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
    try {
        ui::BusyPointer wait;
        m_import = std::make_unique<imp::Import>(table(), imp::readFile(path, cmbBlatt->currentText()));
    } catch (const imp::ImportError &e) {
        ui::inform(this,
                   QStringLiteral("Die Datei kann nicht gelesen werden:\r\n") + path + QStringLiteral("\r\n\r\n")
                       + e.reason(),
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
        tblSpalten->setRowCount(int(headings.size()));
        for (int c = 0; c < int(headings.size()); ++c) {
            setCell(tblSpalten, c, 0, QStringLiteral("%1: %2").arg(imp::columnLetters(c), headings[c].simplified()));
            auto *combo = new QComboBox(tblSpalten);
            combo->setObjectName(QStringLiteral("cmbFeld(%1)").arg(c));
            combo->addItem(QStringLiteral("– nicht übernehmen –"), -1);
            for (int f = 0; f < int(t.columns.size()); ++f)
                combo->addItem(imp::fieldCaption(t.columns[size_t(f)].name), f);
            combo->setCurrentIndex(combo->findData(m_import->mapping()[size_t(c)]));
            connect(combo, &QComboBox::currentIndexChanged, this, &FrmImport::mappingChanged);
            tblSpalten->setCellWidget(c, 1, combo);
        }
        tblSpalten->resizeColumnToContents(0);
    }
    m_filling = false;
    mappingChanged();
}

void FrmImport::mappingChanged()
{
    if (m_filling)
        return;
    clearResult();
    if (!m_import) {
        lblHinweis->setText(QString());
        return;
    }
    std::vector<int> map;
    for (int c = 0; c < tblSpalten->rowCount(); ++c)
        map.push_back(static_cast<QComboBox *>(tblSpalten->cellWidget(c, 1))->currentData().toInt());
    m_import->setMapping(map);
    QString text = QStringLiteral("Überschriften in Zeile %1, %2 Zeile(n) darunter.")
                       .arg(m_import->headingLine())
                       .arg(m_import->rowCount());
    if (const QString missing = m_import->missingFields(); !missing.isEmpty())
        text += QLatin1Char(' ') + missing;
    if (const QString notice = m_import->notice(); !notice.isEmpty())
        text += QLatin1Char(' ') + notice;
    lblHinweis->setText(text);
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

std::optional<imp::ImportResult> FrmImport::runWithProgress(bool write)
{
    if (!m_import)
        return std::nullopt;
    // Stops before anything is read when a required field has no column.
    if (const QString missing = m_import->missingFields(); !missing.isEmpty()) {
        ui::inform(this, missing, kTitle, ui::Icon::Exclamation);
        return std::nullopt;
    }
    data::Connection conn;
    if (!services::openConnection(conn, this))
        return std::nullopt;
    QProgressDialog progress(write ? QStringLiteral("Die Zeilen werden geprüft und importiert …")
                                   : QStringLiteral("Die Zeilen werden geprüft …"),
                             QStringLiteral("Abbrechen"), 0, 0, this);
    progress.setObjectName(QStringLiteral("frmImportFortschritt"));
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    ui::BusyPointer wait;
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
        progress.close();
        wait.restore();
        if (write)
            ui::inform(this, QStringLiteral("Der Import wurde abgebrochen. Die Datenbank ist unverändert."), kTitle,
                       ui::Icon::Information);
    } catch (const imp::ImportError &e) {
        progress.close();
        wait.restore();
        ui::inform(this, e.reason(), kTitle, ui::Icon::Exclamation);
    } catch (const data::DbError &e) {
        progress.close();
        wait.restore();
        ui::inform(this,
                   e.message(QStringLiteral("ImportError: "))
                       + (write ? QStringLiteral("\r\n\r\nEs wurde nichts importiert.") : QString()),
                   QStringLiteral("ORV"), ui::Icon::None);
    }
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
    clearResult();
    std::optional<imp::ImportResult> r = runWithProgress(true);
    if (!r)
        return;
    showResult(*r, r->written);
    QString text = r->written
                       ? QStringLiteral("Import abgeschlossen: %1 neu, %2 geändert.").arg(r->added).arg(r->updated)
                       : QStringLiteral("Es gab nichts zu importieren.");
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
    int n = 0;
    for (const imp::RowResult &row : r.rows)
        n += row.outcome == imp::Outcome::Refused;
    tblFehler->setRowCount(n);
    int i = 0;
    for (const imp::RowResult &row : r.rows) {
        if (row.outcome != imp::Outcome::Refused)
            continue;
        setCell(tblFehler, i, 0, QString::number(row.line));
        setCell(tblFehler, i, 1, row.column);
        setCell(tblFehler, i, 2, row.reason);
        ++i;
    }
    tblFehler->resizeColumnToContents(0);
    tblFehler->resizeColumnToContents(1);
    lblErgebnis->setText(
        (written ? QStringLiteral("Importiert: ") : QStringLiteral("Geprüft, noch nichts geschrieben: "))
        + QStringLiteral("%1 neu, %2 geändert, %3 unverändert, %4 übersprungen, %5 abgewiesen.")
              .arg(r.added)
              .arg(r.updated)
              .arg(r.unchanged)
              .arg(r.skipped)
              .arg(r.refused));
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
    } catch (const imp::ImportError &e) {
        ui::inform(this, e.reason(), kTitle, ui::Icon::Exclamation);
    }
}

} // namespace orv::dialogs
