#include "data/changelog.h"

namespace orv::data::changelog {

QString mark(Connection &conn)
{
    if (conn.backend().kind() != BackendKind::Postgres || !conn.backend().keepsChangeLog())
        return {};
    auto cur = conn.query(QStringLiteral("SELECT pg_current_snapshot()::text"));
    return cur->next() ? QString::fromUtf8(cur->textBytes(0)) : QString();
}

void tidy(Connection &conn)
{
    if (conn.backend().kind() == BackendKind::Postgres && conn.backend().keepsChangeLog())
        conn.query(QStringLiteral("SELECT orv_aenderung_aufraeumen()"))->next();
}

Since since(Connection &conn, const QString &table, const QString &mark, int limit)
{
    // One round trip: the new mark, whether entries the old one needs were
    // cleared away (the old mark does not see the transaction that cleared
    // them; every entry it cleared was older, and seen by any mark that sees
    // it), and the keys. Entries of this session are its own writes,
    // which its windows hold already; those of transactions the old mark saw
    // were in that read. Every other transaction has an id from the old
    // mark's lowest on, which the index finds.
    auto cur = conn.query(
        QStringLiteral(
            "SELECT pg_current_snapshot()::text, COALESCE(NOT pg_visible_in_snapshot((SELECT Geloescht_bis FROM "
            "Aenderungsstand), ?::pg_snapshot), false) OR to_regclass(?) IS NULL, a.Schluessel1, a.Schluessel2 "
            "FROM (SELECT 1) AS eins LEFT "
            "JOIN (SELECT DISTINCT Schluessel1, Schluessel2 FROM Aenderung WHERE Tabelle = ? AND Pid <> "
            "pg_backend_pid() AND Xact >= pg_snapshot_xmin(?::pg_snapshot) AND NOT pg_visible_in_snapshot(Xact, "
            "?::pg_snapshot) LIMIT ?) AS a ON true"),
        {mark, table, table, mark, mark, limit + 1});
    Since s;
    bool cleared = false;
    while (cur->next()) {
        if (s.mark.isEmpty()) {
            s.mark = QString::fromUtf8(cur->textBytes(0));
            cleared = cur->boolean(1);
        }
        if (!cur->isNull(2))
            s.keys.push_back({QString::fromUtf8(cur->textBytes(2)),
                              cur->isNull(3) ? QString() : QString::fromUtf8(cur->textBytes(3))});
    }
    s.lost = s.mark.isEmpty() || cleared || qsizetype(s.keys.size()) > limit;
    if (s.lost)
        s.keys.clear();
    return s;
}

} // namespace orv::data::changelog
