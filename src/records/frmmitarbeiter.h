#pragma once
#include "records/tableform.h"

class QComboBox;
class QLineEdit;

namespace orv::records {

// The employee window: one employee of the table Mitarbeiter at a time.
class FrmMitarbeiter : public TableForm {
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
};

} // namespace orv::records
