#include "data/backend.h"

#include "data/dberror.h"
#include "data/pgbackend.h"
#include "data/sqlitebackend.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <libpq-fe.h>

namespace orv::data {

namespace {

// The settings libpq takes as secrets: the password, and that of the client's SSL key.
const char *const kSecrets[] = {"password", "sslpassword"};

bool isSecret(const char *keyword)
{
    return std::any_of(std::begin(kSecrets), std::end(kSecrets),
                       [keyword](const char *s) { return std::strcmp(keyword, s) == 0; });
}

bool isUri(const QString &s)
{
    return s.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
           || s.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString uriWithoutPassword(const QString &location)
{
    QUrl url(location);
    if (!url.isValid()) {
        // Not a URL we can take apart: at least never show what follows a colon in the user part.
        QString s = location;
        s.replace(QRegularExpression(QStringLiteral("//([^:/@]*):[^@]*@")), QStringLiteral("//\\1@"));
        s.replace(QRegularExpression(QStringLiteral("([?&])(ssl)?password=[^&]*&?")), QStringLiteral("\\1"));
        return s;
    }
    url.setPassword(QString());
    QUrlQuery q(url);
    for (const char *secret : kSecrets)
        q.removeAllQueryItems(QString::fromLatin1(secret));
    url.setQuery(q);
    return url.toString();
}

// A value as libpq reads it back: quoted, with \ before ' and \, when it is
// empty or holds blanks, quotes or backslashes.
QString conninfoValue(const char *value)
{
    QString v = QString::fromUtf8(value);
    if (!v.isEmpty() && !v.contains(QRegularExpression(QStringLiteral("[\\s'\\\\]"))))
        return v;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// "host=db dbname=orv password=…": rebuilt from what libpq's own parser reads,
// without the secrets, in libpq's order of the settings.
QString keywordsWithoutPassword(const QString &location)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(location.toUtf8().constData(), &error);
    if (!options) {
        PQfreemem(error);
        // libpq cannot read it either (an open quote, an unknown setting), so
        // nothing tells where a password ends: show nothing from the first
        // secret's name on.
        const qsizetype secret = location.indexOf(QLatin1String("password"), 0, Qt::CaseInsensitive);
        return secret < 0 ? location : location.left(secret) + QStringLiteral("…");
    }
    QStringList shown;
    for (const PQconninfoOption *o = options; o->keyword; ++o)
        if (o->val && !isSecret(o->keyword))
            shown << QString::fromUtf8(o->keyword) + QLatin1Char('=') + conninfoValue(o->val);
    PQconninfoFree(options);
    return shown.join(QLatin1Char(' '));
}

} // namespace

ConnectionTarget ConnectionTarget::fromString(const QString &s)
{
    const QString t = s.trimmed();
    // libpq's "host=… dbname=…" form too: taken for a file name, it would be
    // said back with its password in the "not there" message.
    static const QRegularExpression keywords(
        QStringLiteral("^(host|hostaddr|port|dbname|user|password|passfile|service|sslmode|options|"
                       "application_name|connect_timeout)\\s*="),
        QRegularExpression::CaseInsensitiveOption);
    if (isUri(t) || keywords.match(t).hasMatch())
        return postgres(t);
    return sqliteFile(t);
}

QString ConnectionTarget::displayName() const
{
    if (kind == BackendKind::Sqlite)
        return location;
    if (isUri(location))
        return uriWithoutPassword(location);
    // libpq takes a text without "=" as the name of a database.
    if (!location.contains(QLatin1Char('=')))
        return location;
    return keywordsWithoutPassword(location);
}

void Backend::copyRows(const QString &, const QStringList &, const QVariantList &)
{
    throw DbError(ErrGeneric, QStringLiteral("Diese Datenbank schreibt keine Zeilen als Datenstrom."));
}

std::unique_ptr<Backend> openBackend(const ConnectionTarget &target)
{
    if (target.kind == BackendKind::Postgres)
        return openPostgresBackend(target.location);
    return openSqliteBackend(target.location);
}

} // namespace orv::data
