#pragma once
#include "records/recordform.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDate;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace orv::records {

// The training plan window: one entry of the table Trainingsplan at a time,
// beside it the master data of its course and its employee.
class FrmTrainingsplan : public RecordForm {
    Q_OBJECT
public:
    explicit FrmTrainingsplan(QWidget *parent = nullptr);

    // --- for the pickers ---
    // The window's own connection, for the lists the pickers show.
    data::Connection &pickerConnection() { return connection(); }
    // Puts a picked course number or name into its field; the master data follow.
    void takeCourse(const QString &kursNr);
    void takeEmployee(const QString &name);
    // The text boxes by the column they show: the entry's key, the master
    // data of its course and its employee, the period and the remark.
    enum Field {
        KursNr,
        Beschreibung,
        Referent,
        Kosten,
        Dauer,
        Name,
        Kostenstelle,
        Abteilung,
        Datum_von,
        Datum_bis,
        Bemerkung,
        FieldCount
    };
    // Puts a picked date into the start or end date field.
    void takeDate(Field field, const QDate &date);

    QLineEdit *txtFields[FieldCount] = {};
    QComboBox *cmbRubrik = nullptr;
    QComboBox *cmbArt = nullptr;
    QComboBox *cmbKategorie = nullptr;
    QComboBox *cmbBereich = nullptr;
    QComboBox *cmbPrioritaet = nullptr;
    QComboBox *cmbQuelle = nullptr;
    QCheckBox *chkRechnung = nullptr;
    QCheckBox *chkBeurteilung = nullptr;
    QRadioButton *optStatus[4] = {};
    QToolButton *cmdKursNrSuchen = nullptr;
    QToolButton *cmdNameSuchen = nullptr;
    QToolButton *cmdMonthViewVon = nullptr;
    QToolButton *cmdMonthViewBis = nullptr;
    QGroupBox *fraKurs = nullptr;
    QGroupBox *fraMitarbeiter = nullptr;
    QGroupBox *fraAllgemein = nullptr;

signals:
    // The picture buttons were clicked; the pickers answer with take...().
    void pickCourseRequested();
    void pickEmployeeRequested();
    void pickDateRequested(Field field);

protected:
    void fillFields(const data::RecordSet &rows) override;
    void afterFill() override;
    void clearFields() override;
    QString runChecks(QWidget *&focus) override;
    void warnBeforeWrite() override;
    void writeFields(data::RecordSet &rows) override;

private:
    void buildFields();
    QGroupBox *buildCourseFrame();
    QGroupBox *buildEmployeeFrame();
    QGroupBox *buildEntryFrame();
    void showCourseDetails();
    void showEmployeeDetails();
    void lookUp(void (FrmTrainingsplan::*lookup)());
    bool courseExists();
    bool employeeExists();
    int selectedStatus() const;
    void selectStatus(int status);

    QButtonGroup *m_status = nullptr;
    bool m_filling = false;
};

} // namespace orv::records
