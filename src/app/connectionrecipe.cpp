#include "app/connectionrecipe.h"

#include "app/settings.h"
#include "data/dberror.h"
#include "ui/prompter.h"

namespace orv::app {
namespace {
QString g_dataPath;
}

QString dataPath() { return g_dataPath; }
void setDataPath(const QString &path) { g_dataPath = path; }

data::ConnectionTarget connectionTarget()
{
    const QString uri = settings::read(QStringLiteral("Service"), QStringLiteral("Datenbank")).trimmed();
    if (!uri.isEmpty())
        return data::ConnectionTarget::postgres(uri);
    return data::ConnectionTarget::sqliteFile(dataPath() + databaseFileName());
}

bool openConnection(data::Connection &conn, QWidget *parent)
{
    try {
        conn.open(connectionTarget());
        return true;
    } catch (const data::DbError &e) {
        conn.close();
        ui::Prompter::instance().message(parent, e.message(QStringLiteral("OpenConnectionError: ")),
                                         QStringLiteral("ORV"), ui::Icon::None);
        return false;
    }
}

} // namespace orv::app
