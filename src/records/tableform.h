#pragma once
#include "records/fieldtable.h"
#include "records/recordform.h"

class QComboBox;
class QGroupBox;
class QLineEdit;

namespace orv::records {

// A record window whose fields all come from one field table, the course
// and the employee window: built into the frame "Allgemein", filled,
// cleared, checked and written from it.
class TableForm : public RecordForm {
    Q_OBJECT
public:
    QGroupBox *fraAllgemein = nullptr;

protected:
    TableForm(RecordFormConfig config, std::span<const FieldDef> defs, QWidget *parent);
    // The frame with a row for each field; the text boxes go into `texts` by their number.
    void buildFields(QLineEdit **texts, int labelSpacing);
    QComboBox *list(const char *column) const;

    void fillFields(const data::RecordSet &rows) override;
    void clearFields() override;
    QString runChecks(QWidget *&focus) override;
    void writeFields(data::RecordSet &rows) override;

private:
    FieldTable m_fields;
};

} // namespace orv::records
