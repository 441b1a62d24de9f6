#pragma once
#include "data/groupentries.h"

#include <QDialog>
#include <QStringList>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace orv::data {
class Connection;
}
namespace orv::reports {
class DateField;
}

namespace orv::groups {

class CourseField;
class TickList;

// "Für mehrere einplanen": one course for many employees at once. The
// employees are ticked in a list filtered by Bereich, Abteilung, Kostenstelle,
// Kategorie and name; the values of the new entries are set once and checked
// as a typed entry's are; a preview names who gets an entry and who is
// skipped; then all of them are written in one transaction. Run modally.
class FrmEinplanen : public QDialog {
    Q_OBJECT
public:
    FrmEinplanen(data::Connection &conn, const QString &kursNr, QWidget *parent = nullptr);

    // Ticks these employees (the others keep their ticks).
    void tick(const QStringList &names);
    // After the dialog was accepted: who got an entry, in German order.
    const QStringList &planned() const { return m_planned; }
    // The course as it stands in the dialog.
    QString kursNr() const;

private:
    void buildFilters(class QGridLayout *grid, int row);
    void buildValues(class QGridLayout *grid, int row);
    void applyFilter();
    void planEntries();
    // The values as typed; the name is the first ticked employee's.
    data::group::Entry values() const;
    QString typedValue(const char *column, const QString &name) const;
    QWidget *fieldOf(const QString &column) const;
    QStringList tickedNames() const;

    data::Connection &m_conn;
    std::vector<data::group::Person> m_people;
    CourseField *m_course = nullptr;
    TickList *m_list = nullptr;
    QComboBox *cmbBereich = nullptr;
    QComboBox *cmbAbteilung = nullptr;
    QComboBox *cmbKostenstelle = nullptr;
    QComboBox *cmbKategorie = nullptr;
    QLineEdit *txtName = nullptr;
    QComboBox *cmbPrioritaet = nullptr;
    QComboBox *cmbQuelle = nullptr;
    reports::DateField *m_von = nullptr;
    reports::DateField *m_bis = nullptr;
    QComboBox *cmbStatus = nullptr;
    QCheckBox *chkRechnung = nullptr;
    QCheckBox *chkBeurteilung = nullptr;
    QLineEdit *txtBemerkung = nullptr;
    QPushButton *cmdEinplanen = nullptr;
    QPushButton *cmdSchliessen = nullptr;
    QStringList m_planned;
};

} // namespace orv::groups
