#pragma once
#include "data/matrix.h"
#include "reports/reportdialog.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace orv::groups {
class TickList;
}

namespace orv::reports {

class DateField;

// "Qualifikationsmatrix": who is trained in what, and is it still valid.
// The employees of a Bereich, Abteilung, Kostenstelle or Kategorie in rows,
// sorted by name or grouped; the courses of a Rubrik and Art, or those
// ticked, or the series in columns; the entries of a period. Every output of
// the other reports; the clipboard takes the matrix as a table.
class FrmMatrixBericht : public ReportDialog {
    Q_OBJECT
public:
    explicit FrmMatrixBericht(QWidget *parent = nullptr);

protected:
    bool buildReport() override;
    QString clipboardText() const override;
    std::optional<reportdata::ExportJob> exportJob(data::Connection &conn) override;

private:
    QWidget *buildRows(QWidget *parent);
    QWidget *buildColumns(QWidget *parent, data::Connection *conn);
    QWidget *buildPeriod(QWidget *parent);
    void applyCourseFilter();
    // The selection, or nullopt once the user has been told what is wrong.
    std::optional<data::matrix::Selection> selection();
    // The matrix under a progress window; nullopt when cancelled or too large (the user has been told).
    std::shared_ptr<const data::matrix::Matrix> buildMatrix(data::Connection &conn, const data::matrix::Selection &sel);

    QComboBox *cmbBereich;
    QLineEdit *txtAbteilung;
    QLineEdit *txtKostenstelle;
    QComboBox *cmbKategorie;
    QComboBox *cmbSortierung;
    QCheckBox *chkOhneEintrag;
    QRadioButton *optKurse;
    QRadioButton *optReihen;
    QComboBox *cmbRubrik;
    QComboBox *cmbArt;
    groups::TickList *m_courses;
    DateField *m_von;
    DateField *m_bis;
    DateField *m_stichtag;
    QLineEdit *txtTage;

    std::vector<data::matrix::Course> m_courseRows;
    std::shared_ptr<const data::matrix::Matrix> m_matrix; // of the last build
};

} // namespace orv::reports
