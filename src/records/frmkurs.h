#pragma once
#include "records/tableform.h"

class QComboBox;
class QLineEdit;

namespace orv::records {

// The course window: one course of the table Kurs at a time.
class FrmKurs : public TableForm {
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
};

} // namespace orv::records
