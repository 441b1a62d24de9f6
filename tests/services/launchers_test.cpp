#include "services/launchers.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>
#include <optional>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

namespace orv::test {
namespace {

// Calculators are looked for on PATH: the test puts its own programs there.
class CalculatorTest : public OrvTest {
protected:
    void SetUp() override
    {
        OrvTest::SetUp();
        bin = tempPath() + u"/bin"_s;
        QDir().mkpath(bin);
        m_path.emplace("PATH", QFile::encodeName(bin));
    }
    void TearDown() override
    {
        if (launcher.pid() > 0)
            ::kill(pid_t(launcher.pid()), SIGKILL);
        m_path.reset();
        OrvTest::TearDown();
    }
    // A stand-in calculator that notes each start in the test folder and then waits.
    void install(const QString &name)
    {
        const QString file = bin + "/" + name;
        ASSERT_TRUE(writeFile(
            file, u"#!/bin/sh\necho %1 >> '%2/starts'\nexec /bin/sleep 30\n"_s.arg(name, tempPath()).toLocal8Bit()));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QStringList starts() const
    {
        QFile f(tempPath() + "/starts");
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    bool waitForStarts(int n) const
    {
        return QTest::qWaitFor([&] { return starts().size() >= n; }, 5000);
    }

    QString bin;
    services::CalculatorLauncher launcher;

private:
    std::optional<ScopedEnv> m_path;
};

TEST_F(CalculatorTest, StartsTheFirstOneFoundAndReusesItWhileItRuns)
{
    // None installed: nothing happens, and that is no error.
    EXPECT_FALSE(launcher.bringUp());
    EXPECT_FALSE(launcher.isRunning());
    install("xcalc");
    install("kcalc");
    // The test adopts the calculator, as a session manager does: once closed, it
    // lingers as a zombie until collected.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const auto unadopt = qScopeGuard([] { prctl(PR_SET_CHILD_SUBREAPER, 0); });
    EXPECT_TRUE(launcher.bringUp());
    ASSERT_TRUE(waitForStarts(1));
    EXPECT_EQ(starts(), QStringList{"kcalc"});
    const qint64 first = launcher.pid();

    // Still running (now as another program image): no second one.
    EXPECT_TRUE(launcher.isRunning());
    EXPECT_TRUE(launcher.bringUp());
    QTest::qWait(200);
    EXPECT_EQ(starts().size(), 1);
    EXPECT_EQ(launcher.pid(), first);

    // Closed by the user: the next click starts a new one.
    ::kill(pid_t(first), SIGKILL);
    const bool closed = QTest::qWaitFor([&] { return !launcher.isRunning(); }, 5000);
    waitpid(pid_t(first), nullptr, 0);
    prctl(PR_SET_CHILD_SUBREAPER, 0);
    ASSERT_TRUE(closed);
    EXPECT_TRUE(launcher.bringUp());
    ASSERT_TRUE(waitForStarts(2));
    EXPECT_NE(launcher.pid(), first);
}

} // namespace
} // namespace orv::test
