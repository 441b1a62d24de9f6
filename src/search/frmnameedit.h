#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class QWindow;

namespace orv::data {
class Connection;
}

namespace orv::search {

// "Name ändern": renames an employee in Mitarbeiter and in every
// Trainingsplan entry at once. Modeless; stays open for further renames.
class FrmNameEdit : public QDialog {
    Q_OBJECT
public:
    explicit FrmNameEdit(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;

private:
    void buildControls();
    void noteFocusWindow(QWindow *window);
    void renameEmployee();
    QString inputError();
    // True when the name may be renamed to the new one; says why not otherwise.
    bool namesAcceptable(data::Connection &conn, const QString &present, const QString &wanted);
    bool writeNewName(data::Connection &conn, const QString &present, const QString &wanted);

    QLineEdit *txtNameAlt = nullptr;
    QLineEdit *txtNameNeu = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    bool m_focusKept = false; // the next activation returns from a box of this dialog
};

} // namespace orv::search
