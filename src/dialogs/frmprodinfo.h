#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace orv::dialogs {

// "Produktinformation": what the program does, its version, who uses it and
// which database. Run modally (Prompter::runModal).
class FrmProdinfo : public QDialog {
    Q_OBJECT
public:
    explicit FrmProdinfo(QWidget *parent = nullptr);

private:
    void arrangeControls(QFrame *line, QLabel *label1, QLabel *label2);

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblText = nullptr;
    QLabel *lblUser = nullptr;
    QLabel *lblDatenbasis = nullptr;
    QPushButton *cmdOK = nullptr;
};

} // namespace orv::dialogs
