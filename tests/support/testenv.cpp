#include "support/testenv.h"

#include "data/schema.h"
#include "data/sqlitebackend.h"
#ifndef ORV_DATA_TESTS_ONLY
#include "reports/qtreportprinter.h"
#endif
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "ui/statuspanels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTest>
#include <QUuid>
#include <atomic>
#include <sys/stat.h>
#include <thread>

namespace orv::test {

using data::schema::padded;

void OrvTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path() + u"/settings"_s);
    services::setDataPath(QString());
    ui::StatusPanels::setInstance(nullptr);
    ui::setStatus(QString());
    ui::setSort(QString());
#ifndef ORV_DATA_TESTS_ONLY
    reports::forgetPrintChoices(); // each test is a fresh run of the program
#endif
}

void OrvTest::TearDown() { prompter.verify(); }

template <typename Target> static void typeInto(Target *w, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.unicode() < 128)
            QTest::keyClick(w, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text.mid(i, ch.isHighSurrogate() ? 2 : 1),
                                Qt::NoModifier);
        i += ch.isHighSurrogate();
    }
}

void typeText(QWidget *w, const QString &text) { typeInto(w, text); }
void typeText(QWindow *w, const QString &text) { typeInto(w, text); }

QString setting(const QString &key) { return services::settings::read(u"Settings"_s, key); }
void setSetting(const QString &key, const QString &value) { services::settings::write(u"Settings"_s, key, value); }

QByteArray readFile(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return QDir().mkpath(QFileInfo(path).path()) && f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

int fileMode(const QString &path)
{
    struct stat st = {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

ScopedUmask::ScopedUmask(unsigned mask) : m_old(umask(mode_t(mask))) {}
ScopedUmask::~ScopedUmask() { umask(mode_t(m_old)); }

ScopedEnv::ScopedEnv(const char *name, const QByteArray &value)
    : m_name(name), m_old(qgetenv(name)), m_was(qEnvironmentVariableIsSet(name))
{
    qputenv(name, value);
}
ScopedEnv::~ScopedEnv()
{
    if (m_was)
        qputenv(m_name, m_old);
    else
        qunsetenv(m_name);
}

std::string backendName(const ::testing::TestParamInfo<data::BackendKind> &info)
{
    return info.param == data::BackendKind::Postgres ? "Postgres" : "Sqlite";
}

void DbTest::SetUp()
{
    OrvTest::SetUp();
    if (isPostgres() && qEnvironmentVariableIsEmpty("ORV_TEST_PG_URI"))
        GTEST_SKIP() << "ORV_TEST_PG_URI is not set; scripts/test starts a PostgreSQL cluster and sets it";
    if (kind() == data::BackendKind::Sqlite) {
        services::setDataPath(tempPath() + QLatin1Char('/'));
        m_target = data::ConnectionTarget::sqliteFile(tempPath() + u"/orv.mdb"_s);
        data::createSqliteBackend(m_target.location);
    } else {
        const QString base = qEnvironmentVariable("ORV_TEST_PG_URI");
        m_pgSchema = u"t_"_s + QUuid::createUuid().toString(QUuid::Id128).left(16);
        data::Connection admin;
        admin.open(data::ConnectionTarget::postgres(base));
        admin.exec(u"CREATE SCHEMA "_s + m_pgSchema);
        const QChar sep = base.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
        m_target = data::ConnectionTarget::postgres(base + sep + u"options=-csearch_path%3D"_s + m_pgSchema);
        services::settings::write(u"Service"_s, u"Datenbank"_s, m_target.location);
        services::setDataPath(tempPath() + QLatin1Char('/'));
    }
    m_conn.open(m_target);
    data::schema::create(m_conn);
    setUpOnDatabase();
}

void DbTest::TearDown()
{
    m_conn.close();
    if (!m_pgSchema.isEmpty()) {
        try {
            data::Connection admin;
            admin.open(data::ConnectionTarget::postgres(qEnvironmentVariable("ORV_TEST_PG_URI")));
            admin.exec(u"DROP SCHEMA "_s + m_pgSchema + u" CASCADE"_s);
        } catch (...) {
        }
    }
    OrvTest::TearDown();
}

data::Connection newDatabase(const QString &file)
{
    data::createSqliteBackend(file);
    data::Connection c;
    c.open(data::ConnectionTarget::sqliteFile(file));
    data::schema::create(c);
    return c;
}

data::Connection DbTest::connect() const
{
    data::Connection c;
    c.open(m_target);
    return c;
}

void DbTest::addKurs(const QString &nr, const QString &rubrik, const QString &beschreibung, const QString &art,
                     const QString &referent, double kosten, double dauer)
{
    m_conn.exec(u"INSERT INTO Kurs (KursNr, Rubrik, Beschreibung, Art, Referent, Kosten, Dauer) "
                "VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
                {padded(nr, 6), padded(rubrik, 40), padded(beschreibung, 80), padded(art, 1),
                 referent.isNull() ? QVariant() : QVariant(padded(referent, 30)), kosten, dauer});
}

void DbTest::addMitarbeiter(const QString &name, const QString &kst, const QString &abt, const QString &kat,
                            const QString &bereich)
{
    m_conn.exec(u"INSERT INTO Mitarbeiter (Name, Kostenstelle, Abteilung, Kategorie, Bereich) "
                "VALUES (?, ?, ?, ?, ?)"_s,
                {padded(name, 30), kst.isNull() ? QVariant() : QVariant(padded(kst, 6)),
                 abt.isNull() ? QVariant() : QVariant(padded(abt, 10)), padded(kat, 3), padded(bereich, 30)});
}

void DbTest::addPlan(const QString &kursNr, const QString &name, const QString &status, const QDate &von,
                     const QDate &bis, const QString &prio, const QString &quelle, bool rechnung, bool beurteilung,
                     const QString &bemerkung)
{
    m_conn.exec(u"INSERT INTO Trainingsplan (KursNr, Name, Prioritaet, Quelle, Datum_von, Datum_bis, "
                "Rechnung, Beurteilung, Bemerkung, Status) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                {padded(kursNr, 6), padded(name, 30), padded(prio, 1), padded(quelle, 3), von, bis, rechnung,
                 beurteilung, padded(bemerkung, 80), padded(status, 1)});
}

void DbTest::seed()
{
    addKurs(u"K1"_s, u"IT"_s, u"Excel"_s, u"I"_s, u"Meier"_s, 100, 8);
    addKurs(u"K2"_s, u"Sprachen"_s, u"Englisch"_s, u"E"_s, u"Smith"_s, 250.5, 16);
    addKurs(u"K3"_s, u"Qualität"_s, u"Audit"_s, u"A"_s, u"O'Brien"_s, 50, 4);
    addMitarbeiter(u"Abel, Anna"_s, u"100"_s, u"EK"_s, u"Ets"_s, u"Einkauf"_s);
    addMitarbeiter(u"Ärger, Udo"_s, u"300"_s, u"VK"_s, u"O"_s, u"Werkleitung"_s);
    addMitarbeiter(u"Zorn, Zeno"_s, u"200"_s, u"AB"_s, u"I/C"_s, u"Logistik"_s);
    addPlan(u"K1"_s, u"Abel, Anna"_s, u"0"_s, QDate(2027, 2, 1), QDate(2027, 2, 28), u"2"_s, u"ORV"_s, true, false,
            u"erst"_s);
    addPlan(u"K2"_s, u"Ärger, Udo"_s, u"3"_s, QDate(2027, 4, 1), QDate(2027, 4, 2), u"3"_s, u"ZM"_s);
    addPlan(u"K2"_s, u"Zorn, Zeno"_s, u"1"_s, QDate(2027, 5, 1), QDate(2027, 5, 3), u"1"_s, u"AAI"_s, false, true);
}

void DbTest::whileAnotherWorkstationWrites(const QStringList &statements, const std::function<void()> &work, int holdMs)
{
    std::atomic<bool> holding{false};
    std::thread other([&] {
        data::Connection conn = connect();
        data::Transaction tx(conn);
        for (const QString &sql : statements)
            conn.exec(sql);
        holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
        tx.commit();
    });
    while (!holding)
        std::this_thread::yield();
    try {
        work();
    } catch (...) {
        other.join(); // a failing test ends with the other workstation done, not the program
        throw;
    }
    other.join();
}

QStringList DbTest::rows(const QString &sql)
{
    QStringList out;
    for (auto cur = m_conn.query(sql); cur->next();) {
        QStringList texts;
        for (int c = 0; c < cur->columnCount(); ++c) {
            const auto bytes = cur->textBytes(c);
            texts << QString::fromUtf8(bytes.data(), qsizetype(bytes.size())).trimmed();
        }
        out << texts.join(QLatin1Char('/'));
    }
    return out;
}

qint64 DbTest::count(const QString &table, const QString &where, const QVariantList &params)
{
    QString sql = u"SELECT COUNT(*) FROM "_s + table;
    if (!where.isEmpty())
        sql += u" WHERE "_s + where;
    auto cur = m_conn.query(sql, params);
    return cur->next() ? cur->integer(0) : -1;
}

} // namespace orv::test
