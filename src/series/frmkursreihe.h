#pragma once
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orv::data {
class Connection;
}

namespace orv::series {

// "Reihe und Gültigkeit": the series a course belongs to and the months its
// training stays valid, beside the course window's own fields. Run modally.
class FrmKursreihe : public QDialog {
    Q_OBJECT
public:
    FrmKursreihe(data::Connection &conn, const QString &kursNr, QWidget *parent = nullptr);

private:
    void save();

    data::Connection &m_conn;
    QString m_kursNr;
    QLabel *lblKurs = nullptr;
    QComboBox *cmbReihe = nullptr;
    QLineEdit *txtGueltigkeit = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
};

} // namespace orv::series
