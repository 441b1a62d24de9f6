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

void Connection::close() noexcept { m_backend.reset(); }

Backend &Connection::backend()
{
    if (!m_backend)
        throw DbError(ErrGeneric, QStringLiteral("Keine Verbindung zur Datenbank."));
    return *m_backend;
}

bool Connection::exists(const QString &sql, const QVariantList &params)
{
    auto cur = query(sql, params);
    return cur->next();
}

Transaction::Transaction(Connection &c) : m_conn(c) { m_conn.backend().begin(); }

Transaction::~Transaction()
{
    if (!m_done) {
        m_conn.noteRollback();
        try {
            m_conn.backend().rollback();
        } catch (...) {
        }
    }
}

void Transaction::commit()
{
    m_conn.backend().commit();
    m_done = true;
}

} // namespace orv::data
