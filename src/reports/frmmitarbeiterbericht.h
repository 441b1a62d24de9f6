#pragma once
#include "reports/reportdialog.h"

class QRadioButton;

namespace orv::reports {

// The employee report dialog: the complete list of employees, portrait.
class FrmMitarbeiterBericht : public ReportDialog {
    Q_OBJECT
public:
    explicit FrmMitarbeiterBericht(QWidget *parent = nullptr);

protected:
    bool buildReport() override;
    std::optional<reportdata::ExportJob> exportJob(data::Connection &conn) override;

private:
    QRadioButton *optBericht0;
};

// Opens the dialog modally over the employee window.
void openMitarbeiterBericht(QWidget *parent);

} // namespace orv::reports
