#pragma once
#include "data/connection.h"
#include <QString>

class QWidget;

namespace orv::services {

// The database folder, ending in the path separator; set once by start-up.
QString dataPath();
void setDataPath(const QString &path);
// The file name of the database in the data folder.
inline QString databaseFileName() { return QStringLiteral("orv.mdb"); }

// Where connections go: the PostgreSQL URI of Service/Datenbank when set,
// otherwise the SQLite file dataPath() + "orv.mdb".
data::ConnectionTarget connectionTarget();

// The one recipe every window uses to reach the database. On failure it
// shows "OpenConnectionError: " + number + " " + description and returns false;
// the connection is then closed.
bool openConnection(data::Connection &conn, QWidget *parent = nullptr);

} // namespace orv::services
