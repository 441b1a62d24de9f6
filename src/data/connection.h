#pragma once
#include "data/backend.h"

#include <functional>
#include <vector>

namespace orv::data {

// Owner of one database connection. Each window, dialog click or report
// build holds its own and lets it go when done.
class Connection {
public:
    Connection() = default;
    Connection(Connection &&) noexcept = default;
    Connection &operator=(Connection &&) noexcept = default;
    ~Connection();

    void open(const ConnectionTarget &target); // closes an earlier one first; throws DbError
    void close() noexcept;
    bool isOpen() const { return m_backend != nullptr; }
    const ConnectionTarget &target() const { return m_target; }

    // The open backend; throws DbError when not open. A connection the
    // server has closed is made anew first, between transactions only: a
    // statement that was cut off is never sent again on its own.
    Backend &backend();
    std::unique_ptr<Cursor> query(const QString &sql, const QVariantList &params = {})
    {
        ++m_statements;
        return backend().query(sql, params);
    }
    std::unique_ptr<Cursor> queryMany(const QString &sql, const QVariantList &params = {})
    {
        ++m_statements;
        return backend().queryMany(sql, params);
    }
    qint64 exec(const QString &sql, const QVariantList &params = {})
    {
        ++m_execs;
        ++m_statements;
        return backend().exec(sql, params);
    }
    // Backend::copyRows, counted like a statement of exec().
    void copyRows(const QString &table, const QStringList &columns, const QVariantList &values)
    {
        ++m_execs;
        ++m_statements;
        backend().copyRows(table, columns, values);
    }
    bool inTransaction() const { return m_backend && m_backend->inTransaction(); }
    // False while the database cannot take changes. A connection made while
    // the file was write-protected is made anew, so that it can write as
    // soon as the file can be written again. Throws DbError.
    bool writable();
    // Statements run through exec() so far, failed ones included: a record set
    // that knows every write of its connection can tell its rows are current.
    quint64 execCount() const { return m_execs; }
    // What went over this connection so far: statements of every kind, and
    // the rows record sets read of their tables (what a re-read costs).
    quint64 statementCount() const { return m_statements; }
    quint64 tableRowsRead() const { return m_tableRows; }
    void countTableRows(quint64 rows) { m_tableRows += rows; }
    // A rolled-back transaction took back writes that record sets already
    // hold in memory: counted like a write, so that they read the table again.
    void noteRollback() { ++m_execs; }
    // Puts back in memory what the open transaction changed there, should it
    // be rolled back (its commit failing included); dropped at the commit.
    // Outside a transaction the write is final and nothing is kept.
    void onRollback(std::function<void()> undo);
    // True when the statement returns at least one row.
    bool exists(const QString &sql, const QVariantList &params = {});

private:
    friend class Transaction;
    void reopen();

    std::unique_ptr<Backend> m_backend;
    ConnectionTarget m_target;
    quint64 m_execs = 0;
    quint64 m_statements = 0;
    quint64 m_tableRows = 0;
    std::vector<std::function<void()>> m_undo;
};

// Begin/commit with rollback when the scope is left by an exception.
class Transaction {
public:
    explicit Transaction(Connection &c);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Connection &m_conn;
    bool m_done = false;
};

} // namespace orv::data
