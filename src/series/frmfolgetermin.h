#pragma once
#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orv::data {
class Connection;
}
namespace orv::reports {
class DateField;
}

namespace orv::series {

// "Folgetermin anlegen": the next course of the shown course's series. The
// user types its number and the day by which the employees must have
// repeated the training; the course is copied under the new number, and the
// employees due by then are the group to plan into it. Run modally.
class FrmFolgetermin : public QDialog {
    Q_OBJECT
public:
    FrmFolgetermin(data::Connection &conn, const QString &kursNr, const QString &reihe, QWidget *parent = nullptr);

    // After the dialog was accepted: the new course and who is due.
    const QString &newKursNr() const { return m_newKursNr; }
    const QStringList &due() const { return m_due; }

private:
    QStringList dueBy(const QDate &day);
    void countDue();
    void create();

    data::Connection &m_conn;
    QString m_kursNr, m_reihe;
    QLabel *lblKurs = nullptr;
    QLineEdit *txtKursNr = nullptr;
    reports::DateField *m_until = nullptr;
    QLabel *lblFaellig = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QString m_newKursNr;
    QStringList m_due;
};

} // namespace orv::series
