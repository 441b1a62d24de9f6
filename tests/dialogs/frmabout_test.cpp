#include "dialogs/frmabout.h"
#include "support/testenv.h"
#include "ui/widgets.h"

#include <QIcon>
#include <QImage>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace orv::test {
namespace {

template <typename T> T *child(QWidget &w, const QString &name)
{
    T *c = w.findChild<T *>(name);
    EXPECT_NE(c, nullptr) << name.toStdString();
    return c;
}

// Counts the logo frames as they are shown.
struct FrameLog {
    explicit FrameLog(dialogs::FrmAbout &about)
    {
        QObject::connect(&about, &dialogs::FrmAbout::logoFrameShown, &about, [this](int f) { frames.push_back(f); });
    }
    std::vector<int> frames;
};

std::vector<int> oneTurn()
{
    std::vector<int> v;
    for (int i = 1; i <= 21; ++i)
        v.push_back(i);
    return v;
}

class FrmAboutTest : public OrvTest {};

// One logo everywhere: the About window's last frame, the program icon and
// the mark of the report heading and the display window agree on ring, gap,
// disc and lettering.
TEST(Logo, OneMarkInTheAboutWindowTheProgramIconAndTheReports)
{
    const QImage about = QImage(QStringLiteral(":/about/logo121.png")).convertToFormat(QImage::Format_ARGB32);
    const QImage icon = QIcon(QStringLiteral(":/icons/orv.svg")).pixmap(96, 96).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage drawn = ui::logoPixmap(96).toImage().convertToFormat(QImage::Format_ARGB32);
    auto kind = [](const QImage &img, int x, int y) {
        const QColor c = img.pixelColor(x, y);
        if (c.alpha() < 128)
            return 'c';
        return c.blue() > c.red() + 60 ? 'b' : 'w';
    };
    // ring, gap, disc above and below the name, and the middle of the "R"
    const QPoint probes[] = {{48, 10}, {48, 17}, {48, 24}, {48, 72}, {10, 48}, {86, 48}};
    for (const QImage *img : {&icon, &drawn}) {
        ASSERT_EQ(img->size(), QSize(96, 96));
        for (const QPoint &p : probes)
            EXPECT_EQ(kind(*img, p.x(), p.y()), kind(about, p.x(), p.y())) << p.x() << "," << p.y();
    }
    EXPECT_EQ(kind(about, 48, 24), 'b');
    EXPECT_EQ(kind(about, 48, 17), 'c');
}

TEST_F(FrmAboutTest, SplashModeShowsTheWaitingNoteInsteadOfTheButtons)
{
    for (bool splash : {true, false}) {
        dialogs::FrmAbout about;
        FrameLog log(about);
        about.setSplashMode(splash);
        about.load();

        EXPECT_TRUE(about.isVisible());
        EXPECT_EQ(about.windowTitle(), QString());
        EXPECT_EQ(child<QLabel>(about, "lblTitle")->text(), QStringLiteral("ORV"));
        EXPECT_EQ(child<QLabel>(about, "lblVersion")->text(), QStringLiteral("Version 1.0.1"));
        auto *warten = child<QLabel>(about, "lblWarten");
        EXPECT_EQ(warten->isVisible(), splash);
        EXPECT_EQ(warten->text(), QStringLiteral("Programm wird geladen... bitte warten!"));
        EXPECT_EQ(child<QPushButton>(about, "cmdOK")->isVisible(), !splash);
        EXPECT_EQ(child<QPushButton>(about, "cmdSysInfo")->isVisible(), !splash);
        EXPECT_EQ(child<QPushButton>(about, "cmdSysInfo")->text(), QStringLiteral("&Systeminfo"));
        // The logo turns once while the window loads, and ends on its last frame.
        EXPECT_EQ(log.frames, oneTurn()) << "splash " << splash;
        EXPECT_FALSE(child<QLabel>(about, "picLogo")->pixmap().isNull());
    }
}

TEST_F(FrmAboutTest, MovingTheMouseOverTheLogoReplaysTheFrames)
{
    dialogs::FrmAbout about;
    about.load();
    FrameLog log(about);
    auto *logo = child<QLabel>(about, "picLogo");
    QTest::mouseMove(logo, logo->rect().center());
    QTest::qWait(20);
    EXPECT_EQ(log.frames, oneTurn());
}

TEST_F(FrmAboutTest, ShownFromTheMenuItLoadsOnceAndOkUnloadsIt)
{
    // The main window makes the window and shows it; the rest is the window's own doing.
    QPointer<dialogs::FrmAbout> about = new dialogs::FrmAbout;
    about->setAttribute(Qt::WA_DeleteOnClose);
    FrameLog log(*about);
    about->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.frames.size() >= 21; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(log.frames, oneTurn());
    EXPECT_TRUE(child<QPushButton>(*about, "cmdOK")->isVisible());
    EXPECT_FALSE(child<QLabel>(*about, "lblWarten")->isVisible());

    QTest::mouseClick(child<QPushButton>(*about, "cmdOK"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull()) << "\"&Ok\" unloads the window";
}

// "&Systeminfo" with a PATH that holds a system information program, and with one that holds none.
class SysInfoTest : public OrvTest {
protected:
    void SetUp() override
    {
        OrvTest::SetUp();
        m_path = qgetenv("PATH");
        QDir(tempPath()).mkdir("bin");
        qputenv("PATH", QFile::encodeName(tempPath() + "/bin"));
    }
    void TearDown() override
    {
        qputenv("PATH", m_path);
        OrvTest::TearDown();
    }
    // An executable stand-in that notes its arguments in `marker`.
    QString installProgram(const QString &name)
    {
        const QString marker = tempPath() + "/" + name + ".started";
        QFile f(tempPath() + "/bin/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("#!/bin/sh\necho \"started $#\" > '") + QFile::encodeName(marker) + "'\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return marker;
    }
    void clickSysInfo()
    {
        dialogs::FrmAbout about;
        about.load();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);
    }

private:
    QByteArray m_path;
};

TEST_F(SysInfoTest, StartsTheFirstSystemInformationProgramOnThePath)
{
    const QString marker = installProgram("gnome-system-monitor");
    installProgram("xfce4-taskmanager");
    clickSysInfo();
    QFile started(marker);
    EXPECT_TRUE(QTest::qWaitFor([&] { return started.exists() && started.size() > 0; }, 5000));
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    EXPECT_EQ(started.readAll(), QByteArray("started 0\n"));
    EXPECT_FALSE(QFile::exists(tempPath() + "/xfce4-taskmanager.started"));
}

TEST_F(SysInfoTest, WithoutAnyProgramItSaysSo)
{
    prompter.expectMessage(QStringLiteral("Systeminformationen sind momentan nicht verfügbar!"),
                           QStringLiteral("Warnung"), ui::Icon::Exclamation);
    clickSysInfo();
}

} // namespace
} // namespace orv::test
