#pragma once
#include "reports/reportdialog.h"

#include <QVariantList>
#include <array>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace orv::data {
class Backend;
}

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
    // The list's statement and title by the option chosen, for the printed list and the export alike.
    struct KursList {
        QString sql;
        QVariantList params;
        QString title;
    };
    KursList kursList(const data::Backend &backend) const;

    std::array<QRadioButton *, 3> optBericht;
    QComboBox *cmbRubrik;
    QLineEdit *txtReferent;
};

// Opens the dialog modally over the course window.
void openKursBericht(QWidget *parent);

} // namespace orv::reports
