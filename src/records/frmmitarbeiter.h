#pragma once
#include "records/fieldtable.h"
#include "records/recordform.h"

class QComboBox;
class QGroupBox;
class QLineEdit;

namespace orv::records {

// The employee window: one employee of the table Mitarbeiter at a time.
class FrmMitarbeiter : public RecordForm {
    Q_OBJECT
public:
    explicit FrmMitarbeiter(QWidget *parent = nullptr);

    // The text boxes by the column they show, in the order of their names
    // txtFields(0), txtFields(1)...; how each is built, filled and written
    // says the field table (kMitarbeiterFields).
    enum Field { Name, Kostenstelle, Abteilung, FieldCount };
    QLineEdit *txtFields[FieldCount] = {};
    QComboBox *cmbKategorie = nullptr;
    QComboBox *cmbBereich = nullptr;
    QGroupBox *fraAllgemein = nullptr;

protected:
    void fillFields(const data::RecordSet &rows) override;
    void clearFields() override;
    QString runChecks(QWidget *&focus) override;
    void writeFields(data::RecordSet &rows) override;

private:
    void buildFields();

    FieldTable m_fields;
};

} // namespace orv::records
