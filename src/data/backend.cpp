#include "data/backend.h"

#include "data/pgbackend.h"
#include "data/sqlitebackend.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace orv::data {

ConnectionTarget ConnectionTarget::fromString(const QString &s)
{
    const QString t = s.trimmed();
    if (t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return postgres(t);
    return sqliteFile(t);
}

QString ConnectionTarget::displayName() const
{
    if (kind == BackendKind::Sqlite)
        return location;
    QUrl url(location);
    if (!url.isValid()) {
        // Not a URL we can take apart: at least never show what follows a colon in the user part.
        QString s = location;
        s.replace(QRegularExpression(QStringLiteral("//([^:/@]*):[^@]*@")), QStringLiteral("//\\1@"));
        s.replace(QRegularExpression(QStringLiteral("([?&])password=[^&]*&?")), QStringLiteral("\\1"));
        return s;
    }
    url.setPassword(QString());
    QUrlQuery q(url);
    q.removeAllQueryItems(QStringLiteral("password"));
    url.setQuery(q);
    return url.toString();
}

std::unique_ptr<Backend> openBackend(const ConnectionTarget &target)
{
    if (target.kind == BackendKind::Postgres)
        return openPostgresBackend(target.location);
    return openSqliteBackend(target.location);
}

} // namespace orv::data
