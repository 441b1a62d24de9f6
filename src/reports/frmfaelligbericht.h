#pragma once
#include "data/series.h"
#include "reports/reportdialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace orv::reports {

class DateField;

// "Fällige Schulungen": who must repeat a training of one series or of all,
// by a chosen day, filtered by Bereich, Abteilung, Kategorie and Rubrik, and
// who never completed it. Every output of the other reports.
class FrmFaelligBericht : public ReportDialog {
    Q_OBJECT
public:
    explicit FrmFaelligBericht(QWidget *parent = nullptr);

protected:
    bool buildReport() override;
    std::optional<reportdata::ExportJob> exportJob(data::Connection &conn) override;

private:
    // The selection, or nullopt once the user has been told what is wrong.
    std::optional<data::series::DueSelection> selection();

    QComboBox *cmbReihe;
    DateField *m_until;
    QComboBox *cmbBereich;
    QLineEdit *txtAbteilung;
    QComboBox *cmbKategorie;
    QComboBox *cmbRubrik;
    QCheckBox *chkNie;
};

} // namespace orv::reports
