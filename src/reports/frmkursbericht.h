#pragma once
#include "reportdata/kurslist.h"
#include "reports/reportdialog.h"

#include <array>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace orv::reports {

// The course report dialog: all courses, the courses of one Rubrik, or
// those whose trainer contains a text; landscape.
class FrmKursBericht : public ReportDialog {
    Q_OBJECT
public:
    explicit FrmKursBericht(QWidget *parent = nullptr);

protected:
    bool buildReport() override;
    std::optional<reportdata::ExportJob> exportJob(data::Connection &conn) override;

private:
    // The list chosen by the options.
    reportdata::KursSelection selection() const;

    std::array<QRadioButton *, 3> optBericht;
    QComboBox *cmbRubrik;
    QLineEdit *txtReferent;
};

// Opens the dialog modally over the course window.
void openKursBericht(QWidget *parent);

} // namespace orv::reports
