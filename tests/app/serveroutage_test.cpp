#include "app/frmmain.h"
#include "records/recorddriver.h"
#include "search/frmseek.h"
#include "services/settings.h"

#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QUuid>
#include <unistd.h>

namespace orv::test {
namespace {

// The throw-away cluster of the test command (scripts/pg-test-cluster),
// stopped and started by its owner as an administrator would.
class Cluster {
public:
    static bool restart() { return pgCtl({u"-m"_s, u"fast"_s, u"restart"_s}); }
    static bool stop() { return pgCtl({u"-m"_s, u"fast"_s, u"stop"_s}); }
    static bool start()
    {
        QFile port(folder() + u"/port"_s);
        if (!port.open(QIODevice::ReadOnly))
            return false;
        return pgCtl({u"-o"_s, u"-p "_s + QString::fromLatin1(port.readAll().trimmed()), u"start"_s});
    }
    static bool running() { return pgCtl({u"status"_s}); }
    static QString folder() { return qEnvironmentVariable("ORV_TEST_PG_DIR"); }

private:
    static bool pgCtl(const QStringList &command)
    {
        QFile version(folder() + u"/data/PG_VERSION"_s);
        if (!version.open(QIODevice::ReadOnly))
            return false;
        const QString pgCtl =
            u"/usr/lib/postgresql/%1/bin/pg_ctl"_s.arg(QString::fromLatin1(version.readAll().trimmed()));
        const QStringList args =
            QStringList{u"-D"_s, folder() + u"/data"_s, u"-l"_s, folder() + u"/server.log"_s, u"-w"_s, u"-t"_s, u"60"_s}
            + command;
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        // The server refuses to run as root; the cluster then belongs to postgres.
        if (::geteuid() == 0)
            p.start(u"runuser"_s, QStringList{u"-u"_s, u"postgres"_s, u"--"_s, pgCtl} + args);
        else
            p.start(pgCtl, args);
        return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
};

// A record window on PostgreSQL while the server goes away and comes back.
// The server is shared by every test of the run: these run on their own.
class ServerOutageTest : public RecordWindowTest {
protected:
    void SetUp() override
    {
        RecordWindowTest::SetUp();
        ASSERT_FALSE(Cluster::folder().isEmpty()) << "ORV_TEST_PG_DIR is not set; scripts/pg-test-cluster sets it";
        ASSERT_TRUE(Cluster::running());
        seed();
        // The windows' sessions carry a name of their own, to be found on the server.
        services::settings::write(u"Service"_s, u"Datenbank"_s, target().location + u"&application_name="_s + m_name);
    }
    void TearDown() override
    {
        if (!Cluster::running()) {
            EXPECT_TRUE(Cluster::start());
        }
        RecordWindowTest::TearDown();
    }
    // Ends the window's session on the server and waits until it is gone.
    void endWindowSession()
    {
        auto cur = db().query(u"SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity "
                              "WHERE application_name = ?"_s,
                              {m_name});
        ASSERT_TRUE(cur->next() && cur->boolean(0));
        EXPECT_FALSE(cur->next());
    }
    QString beschreibung(const char *nr) { return value(u"SELECT Beschreibung FROM Kurs WHERE KursNr = ?"_s, {nr}); }

private:
    QString m_name = u"orv_"_s + QUuid::createUuid().toString(QUuid::Id128).left(12);
};

TEST_P(ServerOutageTest, TheSameWindowWorksAgainAfterItsSessionEndedOrTheServerRestarted)
{
    open(ui::WindowId::Kurs);
    const struct {
        const char *what;
        std::function<void()> loseConnection;
    } losses[] = {
        {"session ended", [this] { endWindowSession(); }},
        {"server restarted", [] { ASSERT_TRUE(Cluster::restart()); }},
    };
    int saves = 0;
    for (const auto &loss : losses) {
        SCOPED_TRACE(loss.what);
        loss.loseConnection();
        const QString text = u"Excel %1"_s.arg(++saves);
        drv.type(records::FrmKurs::Beschreibung, text);
        drv.click(u"cmdSave"_s);
        EXPECT_TRUE(drv.looksLikeBrowseMode());
        EXPECT_EQ(beschreibung("K1"), text);

        // The search reads the table afresh.
        loss.loseConnection();
        prompter.expectModal([](QDialog &d) {
            static_cast<search::FrmSeek &>(d).SeekPosition = 0;
            d.reject();
        });
        drv.trigger(u"Seek"_s);
        EXPECT_FALSE(prompter.pending());
        EXPECT_EQ(shown(), "K1");
    }
}

// Opened while the server was down, the window offers only closing; asked
// for again once the server is back, the same window reads its rows and saves.
TEST_P(ServerOutageTest, AWindowOpenedWhileTheServerWasDownWorksWhenAskedForAgain)
{
    app::FrmMain main;
    main.show();
    QAction *mitarbeiter = nullptr;
    for (QAction *a : main.findChild<QMenu *>(u"mnuFile"_s)->actions())
        if (a->objectName() == QLatin1String("mnuMitarbeiter"))
            mitarbeiter = a;
    ASSERT_NE(mitarbeiter, nullptr);

    ASSERT_TRUE(Cluster::stop());
    prompter.expectMessageMatching(u"^OpenConnectionError: -2147467259 Keine Verbindung zur PostgreSQL-Datenbank "
                                   ".*: Der Datenbankserver ist nicht erreichbar \\(er läuft nicht oder nimmt keine "
                                   "Verbindungen an\\)\\. \\(.+\\)$"_s,
                                   u"ORV"_s, ui::Icon::None);
    mitarbeiter->trigger();
    auto *form = main.findChild<records::RecordForm *>(u"frmMitarbeiter"_s);
    ASSERT_NE(form, nullptr);
    drv = RecordDriver(form);
    EXPECT_FALSE(drv.field(records::FrmMitarbeiter::Kostenstelle)->isEnabled());
    EXPECT_FALSE(drv.action(u"Gonext"_s)->isEnabled());
    prompter.verify();

    // Its own "Datei" menu, which replaces the main window's, asks for it again.
    QAction *again = drv.action(u"mnuMitarbeiter"_s);
    EXPECT_TRUE(again->isEnabled());
    ASSERT_TRUE(Cluster::start());
    again->trigger();
    EXPECT_FALSE(again->isEnabled());
    EXPECT_EQ(main.findChildren<records::RecordForm *>().size(), 1);
    EXPECT_EQ(drv.text(records::FrmMitarbeiter::Name).trimmed(), "Abel, Anna");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_FALSE(drv.field(records::FrmMitarbeiter::Name)->isEnabled()); // the key only while adding
    EXPECT_TRUE(drv.field(records::FrmMitarbeiter::Kostenstelle)->isEnabled());
    drv.type(records::FrmMitarbeiter::Kostenstelle, u"999"_s);
    drv.click(u"cmdSave"_s);
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(value(u"SELECT Kostenstelle FROM Mitarbeiter WHERE Name = ?"_s, {u"Abel, Anna"_s}), "999");
}

ORV_POSTGRES_TEST_SUITE(ServerOutageTest);

} // namespace
} // namespace orv::test
