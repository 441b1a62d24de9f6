#include "support/ordinaryuser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace orv::test {
namespace {

constexpr const char *kDroppedMark = "ORV_TEST_DROPPED_TO";

// True when every folder on the way to `file` lets others through and the
// file lets them run it: else "nobody" could not start the test program.
bool othersMayRun(const QString &file)
{
    QString path = QFileInfo(file).canonicalFilePath();
    for (mode_t need = S_IXOTH | S_IROTH; !path.isEmpty() && path != u"/"_s; need = S_IXOTH) {
        struct stat st = {};
        if (stat(QFile::encodeName(path).constData(), &st) != 0 || (st.st_mode & need) != need)
            return false;
        path = QFileInfo(path).path();
    }
    return true;
}

} // namespace

bool ranAsOrdinaryUser()
{
    if (::geteuid() != 0)
        return false;
    if (qEnvironmentVariableIsSet(kDroppedMark)) {
        ADD_FAILURE() << "the child meant to run as " << qgetenv(kDroppedMark).constData() << " still runs as root";
        return true;
    }
    const passwd *pw = getpwnam("nobody");
    if (!pw) {
        ADD_FAILURE() << "cannot drop the rights of root: there is no user \"nobody\" to run this test as";
        return true;
    }
    const uid_t uid = pw->pw_uid;
    const gid_t gid = pw->pw_gid;

    // A home and runtime folder of nobody's own; removed by root afterwards.
    QTemporaryDir home(QDir::tempPath() + u"/orv-nobody-XXXXXX"_s);
    const QByteArray homePath = QFile::encodeName(home.path());
    // Its temporary files apart from its home, as on a real system.
    const QByteArray tmpPath = homePath + "/tmp";
    if (!home.isValid() || mkdir(tmpPath.constData(), 0700) != 0 || chown(tmpPath.constData(), uid, gid) != 0
        || chown(homePath.constData(), uid, gid) != 0 || chmod(homePath.constData(), 0700) != 0) {
        ADD_FAILURE() << "cannot make a home folder for nobody in " << QDir::tempPath().toStdString();
        return true;
    }
    QString program = QCoreApplication::applicationFilePath();
    if (!othersMayRun(program)) {
        // A checkout in a folder closed to others: nobody runs a copy.
        const QString copy = home.path() + u"/"_s + QFileInfo(program).fileName();
        if (!QFile::copy(program, copy) || chown(QFile::encodeName(copy).constData(), uid, gid) != 0) {
            ADD_FAILURE() << "cannot copy " << program.toStdString() << " for nobody to run";
            return true;
        }
        program = copy;
        // The database tool is tested from beside the test program.
        const QString tool = QFileInfo(QCoreApplication::applicationFilePath()).path() + u"/orvdb"_s;
        if (QFileInfo::exists(tool) && !QFile::copy(tool, home.path() + u"/orvdb"_s)) {
            ADD_FAILURE() << "cannot copy " << tool.toStdString() << " for nobody to run";
            return true;
        }
    }

    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString name = QString::fromUtf8(test->test_suite_name()) + u'.' + QString::fromUtf8(test->name());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, home.path());
    env.insert(u"XDG_RUNTIME_DIR"_s, home.path());
    env.insert(u"TMPDIR"_s, QFile::decodeName(tmpPath));
    env.insert(QString::fromLatin1(kDroppedMark), u"nobody"_s);
    QProcess child;
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(home.path());
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setChildProcessModifier([uid, gid] {
        // Supplementary groups first: root's would stay otherwise.
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) {
            static const char msg[] = "cannot drop the rights of root to nobody\n";
            (void)!write(STDERR_FILENO, msg, sizeof msg - 1);
            _exit(126);
        }
    });
    child.start(program, {u"--gtest_filter="_s + name, u"--gtest_color=no"_s});
    const bool finished = child.waitForStarted(10000) && child.waitForFinished(240000);
    const QByteArray output = child.readAll();
    std::fputs(output.constData(), stdout);
    EXPECT_TRUE(finished) << name.toStdString() << " did not finish as nobody";
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << name.toStdString() << " failed as nobody";
    // A filter that matched nothing would also end with 0.
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << name.toStdString() << " did not run as nobody";
    return true;
}

} // namespace orv::test
