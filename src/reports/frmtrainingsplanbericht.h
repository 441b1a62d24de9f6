#pragma once
#include "reportdata/trainingsplanlist.h"
#include "reports/reportdialog.h"

#include <array>

class QCheckBox;
class QGroupBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace orv::reports {

class DateField;
class ThreeStateCheck;

// The training plan report dialog: a period of start dates, the statuses,
// ten filters and a sort order.
class FrmTrainingsplanBericht : public ReportDialog {
    Q_OBJECT
public:
    explicit FrmTrainingsplanBericht(QWidget *parent = nullptr);

protected:
    bool buildReport() override;
    std::optional<reportdata::ExportJob> exportJob(data::Connection &conn) override;

private:
    void buildForm();
    QGroupBox *buildPeriodFrame();
    QGroupBox *buildStatusFrame();
    QGroupBox *buildFilterFrame();
    QGroupBox *buildSortFrame();
    // The selection as the controls hold it, once the entries passed their checks.
    reportdata::TrainingsplanSelection selection() const;
    // The checks in order; false after telling the user about the first failure.
    bool checkEntries();

    DateField *m_von;
    DateField *m_bis;
    QLineEdit *txtVon;
    QLineEdit *txtBis;
    std::array<QCheckBox *, 4> chkStatus;
    QComboBox *cmbBereich;
    QLineEdit *txtName;
    QComboBox *cmbKategorie;
    QLineEdit *txtKursNr;
    QComboBox *cmbRubrik;
    QComboBox *cmbArt;
    QLineEdit *txtReferent;
    QComboBox *cmbPrioritaet;
    ThreeStateCheck *chkRechnung;
    ThreeStateCheck *chkBeurteilung;
    QComboBox *cmbSortierung;
    QProgressBar *prgStatistik;
    QPushButton *cmdDrucken;
    QPushButton *cmdAblage;
    QPushButton *cmdAnzeige;
    QPushButton *cmdExport;
    QPushButton *cmdCancel;
};

// Opens the dialog modally over the training plan window.
void openTrainingsplanBericht(QWidget *parent);

} // namespace orv::reports
