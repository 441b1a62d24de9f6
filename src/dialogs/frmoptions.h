#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabBar;

namespace orv::dialogs {

// "Optionen": the seven switches and the report remark of the section
// "Settings". Run modally (Prompter::runModal); writes only on "&Ok".
class FrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit FrmOptions(QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void loadSettings();
    void showPage(int index);
    void saveSettings();

    QTabBar *tbsOptions = nullptr;
    QWidget *picOptions[3] = {};
    QCheckBox *chkSplashScreen = nullptr;
    QCheckBox *chkQueryEnd = nullptr;
    QCheckBox *chkTextSeek = nullptr;
    QCheckBox *chkWinMaxOpen = nullptr;
    QCheckBox *chkTrainingsplanAutoOpen = nullptr;
    QCheckBox *chkAnzeigeMaxOpen = nullptr;
    QCheckBox *chkPrinterWindow = nullptr;
    QLineEdit *txtBem = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
};

} // namespace orv::dialogs
