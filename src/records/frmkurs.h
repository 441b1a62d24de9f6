#pragma once
#include "records/fieldtable.h"
#include "records/recordform.h"

class QComboBox;
class QGroupBox;
class QLineEdit;

namespace orv::records {

// The course window: one course of the table Kurs at a time.
class FrmKurs : public RecordForm {
    Q_OBJECT
public:
    explicit FrmKurs(QWidget *parent = nullptr);

    // The text boxes by the column they show, in the order of their names
    // txtFields(0), txtFields(1)...; how each is built, filled and written
    // says the field table (kKursFields).
    enum Field { KursNr, Beschreibung, Referent, Kosten, Dauer, FieldCount };
    QLineEdit *txtFields[FieldCount] = {};
    QComboBox *cmbRubrik = nullptr;
    QComboBox *cmbArt = nullptr;
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
