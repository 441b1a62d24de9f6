#include "services/connectionrecipe.h"

#include "data/changelog.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "data/schemaversion.h"
#include "services/settings.h"
#include "ui/prompter.h"

#include <QSet>

namespace orv::services {
namespace {
QString g_dataPath;
}

QString dataPath() { return g_dataPath; }
void setDataPath(const QString &path) { g_dataPath = path; }

data::ConnectionTarget connectionTarget()
{
    const QString uri = settings::databaseAddress();
    if (!uri.isEmpty())
        return data::ConnectionTarget::postgres(uri);
    return data::ConnectionTarget::sqliteFile(dataPath() + databaseFileName());
}

bool openConnection(data::Connection &conn, QWidget *parent)
{
    try {
        const data::ConnectionTarget target = connectionTarget();
        conn.open(target);
        // An empty file (or an empty database) opens without complaint; the
        // windows would then fail on the first table they read, in English.
        if (!data::schema::exists(conn))
            throw data::DbError(data::ErrGeneric,
                                QStringLiteral("Die Datenbank %1 enthält die Tabellen von ORV (Kurs, Mitarbeiter, "
                                               "Trainingsplan) nicht.")
                                    .arg(target.displayName()));
        // The first program of a newer version to open an older database
        // brings it up to date. Once a database has this version it keeps
        // it (a newer program only adds tables), so it is asked once a run.
        static QSet<QString> current;
        if (!current.contains(target.location)) {
            if (const data::versions::Outcome o = data::versions::bringUpToDate(conn); o.changed())
                ui::inform(parent, data::versions::outcomeText(o), QStringLiteral("ORV"), ui::Icon::Information);
            data::changelog::tidy(conn);
            current.insert(target.location);
        }
        return true;
    } catch (const data::DbError &e) {
        conn.close();
        ui::inform(parent, e.message(QStringLiteral("OpenConnectionError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return false;
    }
}

} // namespace orv::services
