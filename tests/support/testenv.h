#pragma once
#include "data/backend.h"
#include "data/connection.h"
#include "data/dberror.h"
#include "support/scriptedprompter.h"

#include <QAbstractButton>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <vector>

// Readable QString values in failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace orv::data {
inline void PrintTo(BackendKind k, std::ostream *os) { *os << (k == BackendKind::Postgres ? "Postgres" : "Sqlite"); }
} // namespace orv::data

namespace orv::test {

// Every test: a fresh temporary settings store, no data path, a scripted
// prompter (checked at the end) and detached status panels.
class OrvTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    QString tempPath() const { return m_dir.path(); }
    ScriptedPrompter prompter;

private:
    QTemporaryDir m_dir;
};

// A fresh database with the three tables, on SQLite and on PostgreSQL (its
// own schema per test in the database of ORV_TEST_PG_URI; skipped without).
// The settings point the connection recipe at it. A fixture prepares its
// rows and windows in setUpOnDatabase, which a skipped test never reaches.
class DbTest : public OrvTest, public ::testing::WithParamInterface<data::BackendKind> {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual void setUpOnDatabase() {}
    data::BackendKind kind() const { return GetParam(); }
    bool isPostgres() const { return kind() == data::BackendKind::Postgres; }
    const data::ConnectionTarget &target() const { return m_target; }
    // A new connection to the test database (another window, another workstation).
    data::Connection connect() const;
    // A connection kept open for the whole test, for setting up and checking rows.
    data::Connection &db() { return m_conn; }

    // Row helpers that write through SQL with bound values.
    void addKurs(const QString &nr, const QString &rubrik, const QString &beschreibung, const QString &art,
                 const QString &referent = QString(), double kosten = 0, double dauer = 0);
    void addMitarbeiter(const QString &name, const QString &kst, const QString &abt, const QString &kat,
                        const QString &bereich);
    void addPlan(const QString &kursNr, const QString &name, const QString &status = u"0"_s,
                 const QDate &von = QDate(2027, 1, 1), const QDate &bis = QDate(2027, 12, 31),
                 const QString &prio = u" "_s, const QString &quelle = u" "_s, bool rechnung = false,
                 bool beurteilung = false, const QString &bemerkung = QString());
    qint64 count(const QString &table, const QString &where = QString(), const QVariantList &params = {});
    // The standard rows: courses K1 Excel, K2 Englisch, K3 Audit; employees
    // "Abel, Anna", "Ärger, Udo", "Zorn, Zeno"; entries K1/Abel (Bedarf, R),
    // K2/Ärger (keine Teilnahme) and K2/Zorn (geplant, S): two entries share K2.
    void seed();
    // Each row of a query as its trimmed texts joined by "/".
    QStringList rows(const QString &sql);
    // Another workstation runs `statements` in a transaction it holds open
    // while `work` runs here, and commits after `holdMs`.
    void whileAnotherWorkstationWrites(const QStringList &statements, const std::function<void()> &work,
                                       int holdMs = 300);

private:
    data::ConnectionTarget m_target;
    data::Connection m_conn;
    QString m_pgSchema;
};

// A new database file with the program's tables, open.
data::Connection newDatabase(const QString &file);

// The first text column of the first row of a query, as the database holds it.
inline QString firstText(data::Connection &c, const QString &sql, const QVariantList &params = {})
{
    auto cur = c.query(sql, params);
    if (!cur->next())
        return u"<no row>"_s;
    const auto bytes = cur->textBytes(0);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// The number and description of the database error `f` raises; empty when it raises none.
inline QString dbErrorText(const std::function<void()> &f)
{
    try {
        f();
    } catch (const data::DbError &e) {
        return QString::number(e.number()) + u' ' + e.description();
    }
    return QString();
}
// The number alone; 0 when it raises none.
inline long dbErrorOf(const std::function<void()> &f) { return dbErrorText(f).section(u' ', 0, 0).toLong(); }

// Types as a user does, key by key: ASCII through its key, any other character
// (a surrogate pair as one) as the keyboard sends it, with its text.
void typeText(QWidget *w, const QString &text);
// The same into the active window, which hands the keys to its focused control.
void typeText(QWindow *w, const QString &text);

// The control `name` inside `parent`; a test that needs it fails without it.
template <typename T = QWidget> T *child(const QObject &parent, const QString &name)
{
    T *c = parent.findChild<T *>(name);
    EXPECT_NE(c, nullptr) << name.toStdString();
    return c;
}
// Clicks the button `name` inside `parent` with the mouse.
inline void clickButton(const QObject &parent, const QString &name)
{
    if (auto *b = child<QAbstractButton>(parent, name))
        QTest::mouseClick(b, Qt::LeftButton);
}
// Clicks a check box on its box, where a user clicks it.
inline void clickBox(QAbstractButton *box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }
// Shows the window and makes it the active one, as a click on it does; false when it does not become active.
inline bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// An option of the program's "Settings" section.
QString setting(const QString &key);
void setSetting(const QString &key, const QString &value);
// What a file holds; a test that reads it fails when it cannot be read.
QByteArray readFile(const QString &path);
// Writes `content` as the whole file, its folder made first; false when that fails.
bool writeFile(const QString &path, const QByteArray &content);
// The permission bits of a file; -1 when there is none.
int fileMode(const QString &path);

// Sets the process's umask or an environment variable until the end of the scope.
class ScopedUmask {
public:
    explicit ScopedUmask(unsigned mask);
    ~ScopedUmask();
    Q_DISABLE_COPY(ScopedUmask)

private:
    unsigned m_old;
};
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value);
    ~ScopedEnv();
    Q_DISABLE_COPY(ScopedEnv)

private:
    const char *m_name;
    QByteArray m_old;
    bool m_was;
};

std::string backendName(const ::testing::TestParamInfo<data::BackendKind> &info);

} // namespace orv::test

// Both engines always, whatever the environment when the tests are listed: a
// PostgreSQL case without a server is reported as skipped, never left out.
#define ORV_DB_TEST_SUITE(Suite)                                                                                       \
    INSTANTIATE_TEST_SUITE_P(Db, Suite,                                                                                \
                             ::testing::Values(::orv::data::BackendKind::Sqlite, ::orv::data::BackendKind::Postgres),  \
                             ::orv::test::backendName)
// For what only a server can do: sessions ended and servers restarted.
#define ORV_POSTGRES_TEST_SUITE(Suite)                                                                                 \
    INSTANTIATE_TEST_SUITE_P(Db, Suite, ::testing::Values(::orv::data::BackendKind::Postgres), ::orv::test::backendName)
// For cases that need a database but never reach what differs between the engines.
#define ORV_SQLITE_TEST_SUITE(Suite)                                                                                   \
    INSTANTIATE_TEST_SUITE_P(Db, Suite, ::testing::Values(::orv::data::BackendKind::Sqlite), ::orv::test::backendName)
