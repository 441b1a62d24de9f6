#pragma once
#include <QDialog>

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QTabBar;

namespace orv::services::settings {
enum class Switch;
}

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
    void buildTabs();
    QFrame *buildPages();
    void loadSettings();
    void showPage(int index);
    void saveSettings();
    QCheckBox *checkOf(services::settings::Switch s) const;

    QTabBar *tbsOptions = nullptr;
    QWidget *picOptions[3] = {};
    QLineEdit *txtBem = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
};

} // namespace orv::dialogs
