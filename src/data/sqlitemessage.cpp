#include "data/sqlitemessage.h"

#include <sqlite3.h>

namespace orv::data {

QString sqliteMessage(int code, const char *detail)
{
    // The file the connection has open is no longer the one at its path:
    // whatever is written would go to a file nobody reads any more.
    if (code == SQLITE_READONLY_DBMOVED)
        return QStringLiteral("Die Datenbankdatei wurde gelöscht oder durch eine andere ersetzt, während ORV sie "
                              "geöffnet hatte; die Änderung wurde nicht gespeichert. Schließen Sie das Fenster und "
                              "öffnen Sie es wieder, um mit der jetzigen Datei zu arbeiten.");
    switch (code & 0xFF) {
    case SQLITE_FULL: return QStringLiteral("Der Datenträger ist voll.");
    case SQLITE_IOERR: return QStringLiteral("Fehler beim Lesen oder Schreiben der Datei.");
    case SQLITE_CANTOPEN: return QStringLiteral("Die Datei kann nicht geöffnet oder angelegt werden.");
    case SQLITE_READONLY: return QStringLiteral("Die Datenbank ist schreibgeschützt.");
    case SQLITE_PERM: return QStringLiteral("Keine Berechtigung zum Schreiben.");
    // A reading workstation holds the same lock as a writing one.
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Die Datenbank ist gesperrt, ein anderer Arbeitsplatz benutzt sie gerade.");
    case SQLITE_NOTADB: return QStringLiteral("Die Datei ist keine Datenbank, die ORV öffnen kann.");
    case SQLITE_CORRUPT: return QStringLiteral("Die Datenbankdatei ist beschädigt.");
    default: break;
    }
    return QStringLiteral("Die Datenbank meldet einen Fehler. (%1)")
        .arg(QString::fromUtf8(detail && *detail ? detail : sqlite3_errstr(code)));
}

} // namespace orv::data
