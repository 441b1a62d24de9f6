#include "data/connection.h"

#include "data/dberror.h"

namespace orv::data {

Connection::~Connection() { close(); }

void Connection::open(const ConnectionTarget &target)
{
    close();
    ++m_execs; // another database: nothing read before stays current
    m_backend = openBackend(target);
    m_target = target;
}

void Connection::close() noexcept
{
    m_undo.clear();
    m_backend.reset();
}

Backend &Connection::backend()
{
    if (!m_backend)
        throw DbError(ErrGeneric, QStringLiteral("Keine Verbindung zur Datenbank."));
    if (!m_backend->inTransaction() && m_backend->lost())
        reopen();
    return *m_backend;
}

void Connection::reopen()
{
    // The same recipe as the first time, session settings included. While
    // the server cannot be reached the lost backend stays, and the next
    // action tries again.
    std::unique_ptr<Backend> fresh = openBackend(m_target);
    ++m_execs; // another session: what was read through the old one is read again
    m_undo.clear();
    m_backend = std::move(fresh);
}

bool Connection::writable()
{
    if (!backend().readOnly())
        return true;
    if (inTransaction())
        return false;
    reopen();
    return !m_backend->readOnly();
}

void Connection::onRollback(std::function<void()> undo)
{
    if (inTransaction())
        m_undo.push_back(std::move(undo));
}

bool Connection::exists(const QString &sql, const QVariantList &params)
{
    auto cur = query(sql, params);
    return cur->next();
}

Transaction::Transaction(Connection &c) : m_conn(c)
{
    m_conn.backend().begin();
    m_conn.m_undo.clear();
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    m_conn.noteRollback();
    std::vector<std::function<void()>> undo;
    undo.swap(m_conn.m_undo);
    try {
        if (m_conn.m_backend)
            m_conn.m_backend->rollback();
    } catch (...) {
    }
    // The table has the rows as they were: so has memory, newest change first undone.
    for (auto it = undo.rbegin(); it != undo.rend(); ++it)
        (*it)();
}

void Transaction::commit()
{
    m_conn.backend().commit();
    m_done = true;
    m_conn.m_undo.clear();
}

} // namespace orv::data
