// orvdb: creates a new ORV database, empty, with the German sample, or with
// a generated training plan of a given size.
#include "data/backend.h"
#include "data/dberror.h"
#include "data/demodata.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

namespace {

using namespace orv::data;

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

const char *const kUsage =
    "Aufruf: orvdb init [--demo | --rows N] ZIEL\n"
    "\n"
    "Legt eine neue ORV-Datenbank mit den Tabellen Kurs, Mitarbeiter und Trainingsplan an.\n"
    "  ZIEL       Pfad einer neuen SQLite-Datei (z. B. orv.mdb) oder eine\n"
    "             PostgreSQL-URI (postgresql://host[:port]/datenbank?user=...)\n"
    "  --demo     mit Beispieldaten: 42 Mitarbeiter, 25 Kurse, 300 Trainingsplaneinträge\n"
    "  --rows N   mit N erzeugten Trainingsplaneinträgen (für Messungen; gleiche Zeilen bei gleichem N)\n"
    "\n"
    "Eine vorhandene Datenbank wird nie überschrieben.\n";

int usage(const QString &problem)
{
    if (!problem.isEmpty())
        err() << "orvdb: " << problem << '\n';
    err() << kUsage;
    err().flush();
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // The data layer's German ordering may need Qt's locale support.
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        if (args.isEmpty())
            return usage(QString());
        out() << kUsage;
        return 0;
    }
    if (args.first() != QStringLiteral("init"))
        return usage(QStringLiteral("Unbekannter Befehl „%1“.").arg(args.first()));

    demo::Content content = demo::Content::Empty;
    qint64 rows = 0;
    QString target;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QStringLiteral("--demo") && content == demo::Content::Empty) {
            content = demo::Content::Demo;
        } else if (a == QStringLiteral("--rows") && content == demo::Content::Empty) {
            bool ok = false;
            rows = i + 1 < args.size() ? args.at(i + 1).toLongLong(&ok) : 0;
            if (!ok || rows < 0)
                return usage(QStringLiteral("--rows braucht eine Anzahl (0 oder mehr)."));
            content = demo::Content::Rows;
            ++i;
        } else if (a == QStringLiteral("--demo") || a == QStringLiteral("--rows")) {
            return usage(QStringLiteral("Nur eine der Angaben --demo und --rows ist möglich."));
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usage(QStringLiteral("Unbekannte Angabe „%1“.").arg(a));
        } else if (target.isEmpty()) {
            target = a;
        } else {
            return usage(QStringLiteral("Nur ein Ziel ist möglich."));
        }
    }
    if (target.isEmpty())
        return usage(QStringLiteral("Das Ziel fehlt."));

    const ConnectionTarget where = ConnectionTarget::fromString(target);
    QElapsedTimer clock;
    clock.start();
    try {
        const demo::Summary s = demo::initDatabase(where, content, rows);
        // One arg() call: a URI may itself contain "%3D".
        out() << QStringLiteral("Datenbank angelegt: %1 (%2 Mitarbeiter, %3 Kurse, %4 Trainingsplaneinträge) in %5 s\n")
                     .arg(where.displayName(), QString::number(s.employees), QString::number(s.courses),
                          QString::number(s.entries), QString::number(double(clock.elapsed()) / 1000.0, 'f', 2));
        out().flush();
        return 0;
    } catch (const demo::AlreadyExists &e) {
        err() << "orvdb: " << e.text() << '\n';
    } catch (const DbError &e) {
        err() << "orvdb: " << e.message(QStringLiteral("Fehler beim Anlegen der Datenbank: ")) << '\n';
    } catch (const std::exception &e) {
        err() << "orvdb: Fehler beim Anlegen der Datenbank: " << QString::fromLocal8Bit(e.what()) << '\n';
    }
    err().flush();
    return 1;
}
