#include "dialogs/frmabout.h"

#include "dialogs/programinfo.h"
#include "dialogs/startsound.h"
#include "services/launchers.h"
#include "ui/prompter.h"
#include "ui/windownames.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

namespace orv::dialogs {
namespace {

constexpr int frameMs = 50;
constexpr int splashMs = 5000;
constexpr int exposeWaitMs = 1000;

// Common system information programs of Linux desktops, the most informative first.
const char *const sysInfoPrograms[] = {
    "hardinfo2",         "hardinfo", "gnome-system-monitor", "plasma-systemmonitor", "ksysguard", "mate-system-monitor",
    "xfce4-taskmanager", "lxtask",
};

} // namespace

FrmAbout::FrmAbout(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint)
{
    setObjectName(ui::windowObjectName(ui::WindowId::About));
    setWindowTitle(QString());
    buildControls();
    fillLabels();
}

void FrmAbout::buildControls()
{
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setLineWidth(2);

    picLogo = new QLabel(frame);
    picLogo->setObjectName(QStringLiteral("picLogo"));
    picLogo->setFixedSize(96, 96);
    picLogo->setPixmap(logoFrame(logoFrameCount));
    picLogo->setMouseTracking(true);
    picLogo->installEventFilter(this);

    lblTitle = new QLabel(frame);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 2.4);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(frame);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    lblWarten = new QLabel(QStringLiteral("Programm wird geladen... bitte warten!"), frame);
    lblWarten->setObjectName(QStringLiteral("lblWarten"));
    lblWarten->setAlignment(Qt::AlignCenter);

    cmdOK = new QPushButton(QStringLiteral("&Ok"), frame);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&Systeminfo"), frame);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, &FrmAbout::startSysInfo);
    arrangeControls(frame);
}

void FrmAbout::arrangeControls(QFrame *frame)
{
    auto *heading = new QVBoxLayout;
    heading->addStretch();
    heading->addWidget(lblTitle);
    heading->addWidget(lblVersion);
    heading->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(picLogo);
    top->addSpacing(20);
    top->addLayout(heading, 1);

    // The waiting note and the buttons share the bottom row; the mode shows one of them.
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto *bottom = new QGridLayout;
    bottom->addWidget(lblWarten, 0, 0);
    bottom->addLayout(buttons, 0, 0);

    auto *inner = new QVBoxLayout(frame);
    inner->setContentsMargins(20, 20, 20, 14);
    inner->addLayout(top);
    inner->addSpacing(16);
    inner->addLayout(bottom);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    setFixedSize(380, 200);
}

void FrmAbout::fillLabels()
{
    lblTitle->setText(QStringLiteral("ORV"));
    lblVersion->setText(versionText());
    cmdOK->setVisible(!m_splashMode);
    cmdSysInfo->setVisible(!m_splashMode);
    lblWarten->setVisible(m_splashMode);
}

void FrmAbout::load()
{
    m_loaded = true;
    playStartSound();
    fillLabels();
    drawNow();
    animateLogo();
}

void FrmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Opened from the menu, the window is shown by the main window; the chime
    // and the logo follow as soon as the window is up.
    if (!m_loaded) {
        m_loaded = true;
        QMetaObject::invokeMethod(this, &FrmAbout::load, Qt::QueuedConnection);
    }
}

void FrmAbout::drawNow()
{
    show();
    // Only a window the window system has mapped can be drawn; wait for that,
    // letting nothing the user does through.
    QElapsedTimer waited;
    waited.start();
    while (!(windowHandle() && windowHandle()->isExposed()) && waited.elapsed() < exposeWaitMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    repaint();
}

void FrmAbout::animateLogo()
{
    for (int i = 1; i <= logoFrameCount; ++i) {
        picLogo->setPixmap(logoFrame(i));
        picLogo->repaint();
        emit logoFrameShown(i);
        QThread::msleep(frameMs);
    }
}

bool FrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == picLogo && event->type() == QEvent::MouseMove)
        animateLogo();
    return QDialog::eventFilter(watched, event);
}

void FrmAbout::startSysInfo()
{
    const auto unavailable = [this](const QString &why) {
        ui::inform(this,
                   QStringLiteral("Systeminformationen sind momentan nicht verfügbar!")
                       + (why.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + why),
                   QStringLiteral("Warnung"), ui::Icon::Exclamation);
    };
    QStringList programs;
    for (const char *name : sysInfoPrograms)
        programs << QString::fromLatin1(name);
    if (!services::launchFirst(programs, this, unavailable))
        unavailable({});
}

void showSplashScreen()
{
    FrmAbout splash;
    splash.setSplashMode(true);
    splash.load();
    splash.setSplashMode(false);
    QThread::msleep(splashMs);
}

} // namespace orv::dialogs
