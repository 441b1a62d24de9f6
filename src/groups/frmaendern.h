#pragma once
#include "data/groupentries.h"

#include <QDialog>
#include <QStringList>
#include <optional>
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

// "Mehrere ändern": the entries of one course, narrowed by period and
// status, in a ticked list. The fields set here are written into all ticked
// entries at once, each entry checked as a save checks it; a field left
// unset keeps each entry's own value. "Löschen" deletes the ticked entries.
// Run modally.
class FrmAendern : public QDialog {
    Q_OBJECT
public:
    FrmAendern(data::Connection &conn, const QString &kursNr, QWidget *parent = nullptr);

    // True once anything was written: the window reads its rows again.
    bool wrote() const { return m_wrote; }
    // The entries changed last, in German order.
    const QStringList &changed() const { return m_changed; }
    // The course as it stands in the dialog.
    QString kursNr() const;

private:
    void buildNarrowing(class QGridLayout *grid, int row);
    void buildChange(class QGridLayout *grid, int row);
    void reload();
    // The fields to set, or nullopt after telling the user what is wrong.
    std::optional<data::group::Change> wantedChange();
    std::vector<data::group::Entry> tickedEntries() const;
    void changeEntries();
    void deleteEntries();

    data::Connection &m_conn;
    std::vector<data::group::Entry> m_entries;
    CourseField *m_course = nullptr;
    TickList *m_list = nullptr;
    reports::DateField *m_ab = nullptr;
    reports::DateField *m_bis = nullptr;
    QComboBox *cmbNurStatus = nullptr;
    QComboBox *cmbStatus = nullptr;
    QCheckBox *chkRechnung = nullptr;
    QCheckBox *chkBeurteilung = nullptr;
    reports::DateField *m_datumVon = nullptr;
    reports::DateField *m_datumBis = nullptr;
    QComboBox *cmbPrioritaet = nullptr;
    QComboBox *cmbQuelle = nullptr;
    QCheckBox *chkBemerkung = nullptr;
    QLineEdit *txtBemerkung = nullptr;
    QPushButton *cmdAendern = nullptr;
    QPushButton *cmdLoeschen = nullptr;
    QPushButton *cmdSchliessen = nullptr;
    bool m_wrote = false;
    QStringList m_changed;
};

} // namespace orv::groups
