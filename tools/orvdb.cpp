// orvdb: creates a new ORV database, empty, with the German sample, or with
// a generated training plan of a given size; imports a CSV file or workbook
// into one of its tables.
#include "data/backend.h"
#include "data/connection.h"
#include "data/dberror.h"
#include "data/demodata.h"
#include "data/schema.h"
#include "data/schemaversion.h"
#include "import/importer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <new>

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
    "        orvdb import [--update] [--dry-run] [--blatt NAME] [--werte DATEI] TABELLE DATEI DATENBANK\n"
    "        orvdb upgrade DATENBANK\n"
    "\n"
    "Legt eine neue ORV-Datenbank mit den Tabellen Kurs, Mitarbeiter und Trainingsplan an.\n"
    "  ZIEL       Pfad einer neuen SQLite-Datei (z. B. orv.mdb) oder eine\n"
    "             PostgreSQL-URI (postgresql://host[:port]/datenbank?user=...)\n"
    "  --demo     mit Beispieldaten: 42 Mitarbeiter, 25 Kurse, 300 Trainingsplaneinträge\n"
    "  --rows N   mit N erzeugten Trainingsplaneinträgen (für Messungen; gleiche Zeilen bei gleichem N)\n"
    "\n"
    "Eine vorhandene Datenbank wird nie überschrieben.\n"
    "\n"
    "import liest eine CSV-Datei oder Arbeitsmappe (.xlsx, .ods) in die TABELLE\n"
    "(Mitarbeiter, Kurs oder Trainingsplan), mit denselben Prüfungen wie die Fenster.\n"
    "  --update   vorhandene Zeilen (gleicher Schlüssel) ändern; sonst werden sie übersprungen\n"
    "  --dry-run  nur prüfen, nichts schreiben\n"
    "  --blatt    das Tabellenblatt einer Arbeitsmappe (sonst das erste)\n"
    "  --werte    eine CSV-Datei mit den Spalten Feld;Wert;wird zu, die Werte der Datei\n"
    "             einem Eintrag einer Liste zuordnet (z. B. Kategorie;Angestellte;Ets)\n"
    "Alle angenommenen Zeilen werden gemeinsam geschrieben oder keine. Abgewiesene\n"
    "Zeilen werden mit Zeile, Spalte und Grund gemeldet; dann ist der Rückgabewert 1.\n"
    "\n"
    "upgrade bringt eine Datenbank einer älteren ORV-Version auf den Stand dieser\n"
    "Version (bei SQLite nach einer Sicherung im Ordner Sicherung); import tut das\n"
    "vor dem Lesen von selbst. Eine Datenbank einer neueren Version bleibt unverändert.\n";

int usage(const QString &problem)
{
    if (!problem.isEmpty())
        err() << "orvdb: " << problem << '\n';
    err() << kUsage;
    err().flush();
    return 2;
}

// Brings an older database up to date and says so; throws DbError for a newer one.
void upgradeAndSay(Connection &conn)
{
    if (const versions::Outcome o = versions::bringUpToDate(conn); o.changed())
        out() << versions::outcomeText(o) << '\n';
    out().flush();
}

int upgradeCommand(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("upgrade braucht die DATENBANK."));
    const ConnectionTarget where = ConnectionTarget::fromString(args.first());
    if (where.kind == BackendKind::Sqlite && !QFileInfo::exists(where.location)) {
        err() << "orvdb: Die Datenbank ist nicht vorhanden: " << QDir::toNativeSeparators(where.location) << '\n';
        return 1;
    }
    try {
        Connection conn;
        conn.open(where);
        if (!schema::exists(conn)) {
            err() << "orvdb: " << where.displayName() << " enthält die Tabellen von ORV nicht.\n";
            return 1;
        }
        const int before = versions::recorded(conn);
        upgradeAndSay(conn);
        if (before == versions::current())
            out() << QStringLiteral("Die Datenbank hat bereits die Schemaversion %1.\n").arg(before);
        out().flush();
        return 0;
    } catch (const DbError &e) {
        err() << "orvdb: " << e.message(QStringLiteral("Fehler bei der Umstellung: ")) << '\n';
    }
    err().flush();
    return 1;
}

int importCommand(const QStringList &args)
{
    bool update = false, dryRun = false;
    QString sheet, valueFile;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QStringLiteral("--update"))
            update = true;
        else if (a == QStringLiteral("--dry-run"))
            dryRun = true;
        else if (a == QStringLiteral("--blatt") && i + 1 < args.size())
            sheet = args.at(++i);
        else if (a == QStringLiteral("--werte") && i + 1 < args.size())
            valueFile = args.at(++i);
        else if (a.startsWith(QLatin1Char('-')) && a.size() > 1)
            return usage(QStringLiteral("Unbekannte Angabe „%1“.").arg(a));
        else
            positional << a;
    }
    if (positional.size() != 3)
        return usage(QStringLiteral("import braucht TABELLE, DATEI und DATENBANK."));
    const schema::TableDef *table = schema::findTable(positional[0]);
    if (!table)
        return usage(
            QStringLiteral("Unbekannte Tabelle „%1“ (Mitarbeiter, Kurs oder Trainingsplan).").arg(positional[0]));
    const QString file = positional[1];
    const ConnectionTarget where = ConnectionTarget::fromString(positional[2]);
    if (where.kind == BackendKind::Sqlite && !QFileInfo::exists(where.location)) {
        err() << "orvdb: Die Datenbank ist nicht vorhanden: " << QDir::toNativeSeparators(where.location) << '\n';
        return 1;
    }
    orv::import::ValueTable values;
    if (!valueFile.isEmpty()) {
        try {
            values = orv::import::readValueTable(*table, valueFile);
        } catch (const orv::import::ImportError &e) {
            return usage(e.reason());
        }
    }
    QElapsedTimer clock;
    clock.start();
    try {
        orv::import::Import imp(*table, orv::import::readFile(file, sheet));
        imp.setValueTable(values);
        if (const QString notice = imp.notice(); !notice.isEmpty())
            err() << "orvdb: Hinweis: " << notice << '\n';
        Connection conn;
        conn.open(where);
        upgradeAndSay(conn);
        const orv::import::ImportResult r =
            imp.run(conn, update ? orv::import::Mode::AddOrUpdate : orv::import::Mode::AddOnly, !dryRun);
        for (const orv::import::RowResult &row : r.rows)
            for (const orv::import::RowFault &f : r.faultsOf(row))
                err()
                    << QStringLiteral("Zeile %1, Spalte „%2“: %3\n").arg(QString::number(row.line), f.column, f.reason);
        out() << QStringLiteral("%1: %2 (%3 s)\n")
                     .arg(dryRun ? QStringLiteral("Prüfung ohne Schreiben")
                                 : QStringLiteral("Import in ") + where.displayName(),
                          r.summary(), QString::number(double(clock.elapsed()) / 1000.0, 'f', 2));
        if (!r.backupFile.isEmpty())
            out() << "Sicherung vor dem Import: " << QDir::toNativeSeparators(r.backupFile) << '\n';
        out().flush();
        err().flush();
        return r.refused > 0 ? 1 : 0;
    } catch (const orv::import::ImportError &e) {
        err() << "orvdb: " << QDir::toNativeSeparators(file) << ": " << e.reason() << '\n';
    } catch (const DbError &e) {
        err() << "orvdb: " << e.message(QStringLiteral("Fehler beim Import, nichts wurde geschrieben: ")) << '\n';
    } catch (const std::bad_alloc &) {
        err() << "orvdb: " << QDir::toNativeSeparators(file)
              << ": Für diese Datei reicht der Arbeitsspeicher nicht. Es wurde nichts importiert.\n";
    } catch (const std::exception &e) {
        err() << "orvdb: Fehler beim Import, nichts wurde geschrieben: " << QString::fromLocal8Bit(e.what()) << '\n';
    }
    err().flush();
    return 1;
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
    // Numbers and dates are read as the windows read them, with German conventions.
    if (QLocale::system().language() != QLocale::German)
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (args.first() == QStringLiteral("import"))
        return importCommand(args.mid(1));
    if (args.first() == QStringLiteral("upgrade"))
        return upgradeCommand(args.mid(1));
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
