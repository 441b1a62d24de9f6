#include "support/testenv.h"

#include "data/schema.h"
#include "data/sqlitebackend.h"
#ifndef ORV_DATA_TESTS_ONLY
#include "reports/qtreportprinter.h"
#endif
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "ui/statuspanels.h"

#include <QCoreApplication>
#include <QSettings>
#include <QUuid>

namespace orv::test {

void OrvTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path() + QStringLiteral("/settings"));
    app::setDataPath(QString());
    ui::StatusPanels::setInstance(nullptr);
    ui::setStatus(QString());
    ui::setSort(QString());
#ifndef ORV_DATA_TESTS_ONLY
    reports::forgetPrintChoices(); // each test is a fresh run of the program
#endif
}

void OrvTest::TearDown() { prompter.verify(); }

std::vector<data::BackendKind> testBackends()
{
    std::vector<data::BackendKind> kinds{data::BackendKind::Sqlite};
    if (!qEnvironmentVariableIsEmpty("ORV_TEST_PG_URI"))
        kinds.push_back(data::BackendKind::Postgres);
    return kinds;
}

std::string backendName(const ::testing::TestParamInfo<data::BackendKind> &info)
{
    return info.param == data::BackendKind::Postgres ? "Postgres" : "Sqlite";
}

void DbTest::SetUp()
{
    OrvTest::SetUp();
    if (kind() == data::BackendKind::Sqlite) {
        app::setDataPath(tempPath() + QLatin1Char('/'));
        m_target = data::ConnectionTarget::sqliteFile(tempPath() + QStringLiteral("/orv.mdb"));
        data::createSqliteBackend(m_target.location);
    } else {
        const QString base = qEnvironmentVariable("ORV_TEST_PG_URI");
        m_pgSchema = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
        data::Connection admin;
        admin.open(data::ConnectionTarget::postgres(base));
        admin.exec(QStringLiteral("CREATE SCHEMA ") + m_pgSchema);
        const QChar sep = base.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
        m_target = data::ConnectionTarget::postgres(base + sep + QStringLiteral("options=-csearch_path%3D")
                                                    + m_pgSchema);
        app::settings::write(QStringLiteral("Service"), QStringLiteral("Datenbank"), m_target.location);
        app::setDataPath(tempPath() + QLatin1Char('/'));
    }
    m_conn.open(m_target);
    data::schema::create(m_conn);
}

void DbTest::TearDown()
{
    m_conn.close();
    if (!m_pgSchema.isEmpty()) {
        try {
            data::Connection admin;
            admin.open(data::ConnectionTarget::postgres(qEnvironmentVariable("ORV_TEST_PG_URI")));
            admin.exec(QStringLiteral("DROP SCHEMA ") + m_pgSchema + QStringLiteral(" CASCADE"));
        } catch (...) {
        }
    }
    OrvTest::TearDown();
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
    using data::schema::padded;
    m_conn.exec(QStringLiteral("INSERT INTO Kurs (KursNr, Rubrik, Beschreibung, Art, Referent, Kosten, Dauer) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {padded(nr, 6), padded(rubrik, 40), padded(beschreibung, 80), padded(art, 1),
                 referent.isNull() ? QVariant() : QVariant(padded(referent, 30)), kosten, dauer});
}

void DbTest::addMitarbeiter(const QString &name, const QString &kst, const QString &abt, const QString &kat,
                            const QString &bereich)
{
    using data::schema::padded;
    m_conn.exec(QStringLiteral("INSERT INTO Mitarbeiter (Name, Kostenstelle, Abteilung, Kategorie, Bereich) "
                               "VALUES (?, ?, ?, ?, ?)"),
                {padded(name, 30), kst.isNull() ? QVariant() : QVariant(padded(kst, 6)),
                 abt.isNull() ? QVariant() : QVariant(padded(abt, 10)), padded(kat, 3), padded(bereich, 30)});
}

void DbTest::addPlan(const QString &kursNr, const QString &name, const QString &status, const QDate &von,
                     const QDate &bis, const QString &prio, const QString &quelle, bool rechnung, bool beurteilung,
                     const QString &bemerkung)
{
    using data::schema::padded;
    m_conn.exec(QStringLiteral("INSERT INTO Trainingsplan (KursNr, Name, Prioritaet, Quelle, Datum_von, Datum_bis, "
                               "Rechnung, Beurteilung, Bemerkung, Status) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {padded(kursNr, 6), padded(name, 30), padded(prio, 1), padded(quelle, 3), von, bis, rechnung,
                 beurteilung, padded(bemerkung, 80), padded(status, 1)});
}

qint64 DbTest::count(const QString &table, const QString &where, const QVariantList &params)
{
    QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + table;
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    auto cur = m_conn.query(sql, params);
    return cur->next() ? cur->integer(0) : -1;
}

} // namespace orv::test
