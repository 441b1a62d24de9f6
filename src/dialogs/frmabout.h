#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace orv::dialogs {

// The About window: title, version and the turning logo with the start
// chime. In splash mode it has no buttons and says the program is loading.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);

    // Set by start-up before load(); off otherwise.
    void setSplashMode(bool on) { m_splashMode = on; }
    bool splashMode() const { return m_splashMode; }

    // Plays the chime, fills the labels, shows the window fully drawn and
    // turns the logo once. Returns when the animation is over. A window shown
    // without it loads itself once, right after it appears.
    void load();
    // The 21 logo frames, 50 ms each; the program does not react meanwhile.
    void animateLogo();

signals:
    void logoFrameShown(int frame);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void arrangeControls(QFrame *frame);
    void fillLabels();
    void drawNow();
    void startSysInfo();

    bool m_splashMode = false;
    bool m_loaded = false;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *picLogo = nullptr;
    QLabel *lblWarten = nullptr;
    QPushButton *cmdSysInfo = nullptr;
    QPushButton *cmdOK = nullptr;
};

// Start-up's splash screen: the About window in splash mode, fully drawn, for
// five seconds in which the program does nothing else; then it is gone.
void showSplashScreen();

} // namespace orv::dialogs
