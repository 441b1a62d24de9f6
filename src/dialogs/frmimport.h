#pragma once
#include "import/importer.h"

#include <QDialog>
#include <memory>
#include <optional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace orv::data {
class Connection;
}

namespace orv::dialogs {

// "Importieren": a CSV file or workbook into one table. The user picks the
// table and the file, sees and changes which column goes into which field
// (several columns joined into one with a separator), assigns the file's
// words to the items of the lists, checks the rows ("&Prüfen": a preview of
// the first rows as they will be stored, every refused row with all its
// reasons) and imports the accepted rows all together. What the user assigns
// is kept per table for the next import, and so is the folder of the file.
// Run modally (Prompter::runModal).
class FrmImport : public QDialog {
    Q_OBJECT
public:
    // Proposes the table of the record window it is opened from.
    explicit FrmImport(QWidget *parent = nullptr);
    ~FrmImport() override;

    // Reads the file (tests and the file chooser come here).
    void loadFile(const QString &path);

private:
    void chooseFile();
    void reload();
    void fillMapping();
    void columnChanged(int column);
    void separatorChanged(int column);
    void mappingChanged();
    void fillValues();
    void valueChanged(int row);
    void check();
    void importRows();
    void saveRefusals();
    // Runs the import with the progress window; nullopt when it failed or was cancelled (the user was told).
    std::optional<import::ImportResult> runWithProgress(bool write);
    void setBusy(bool busy);
    void showResult(const import::ImportResult &result, bool written);
    void clearResult();
    import::Mode mode() const;
    const data::schema::TableDef &table() const;

    QComboBox *cmbTabelle = nullptr;
    QLineEdit *txtDatei = nullptr;
    QPushButton *cmdDurchsuchen = nullptr;
    QComboBox *cmbBlatt = nullptr;
    QRadioButton *optModus[2] = {};
    QButtonGroup *m_modes = nullptr;
    QTableWidget *tblSpalten = nullptr;
    QLabel *lblHinweis = nullptr;
    QTableWidget *tblWerte = nullptr;
    QTableWidget *tblVorschau = nullptr;
    QTableWidget *tblFehler = nullptr;
    QLabel *lblErgebnis = nullptr;
    QPushButton *cmdPruefen = nullptr;
    QPushButton *cmdFehlerliste = nullptr;
    QPushButton *cmdImportieren = nullptr;
    QPushButton *cmdSchliessen = nullptr;

    std::unique_ptr<import::Import> m_import;
    std::vector<import::UnknownValue> m_unknown; // the rows of tblWerte
    std::optional<import::ImportResult> m_result;
    bool m_filling = false;
    bool m_running = false;
};

} // namespace orv::dialogs
