#include "services/settings.h"

#include "data/format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>

namespace orv::services::settings {
namespace {

// One ini file per user under the application name "ORV".
QSettings store()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ORV"), QStringLiteral("ORV"));
}

QString path(const QString &section, const QString &key) { return section + QLatin1Char('/') + key; }

const QString kSettings = QStringLiteral("Settings");
const QString kService = QStringLiteral("Service");
const QString kDatenpfad = QStringLiteral("Datenpfad");
const QString kOn = QStringLiteral("ON");
const QString kOff = QStringLiteral("OFF");
// The value of "Datenpfad" before the first start has chosen a folder.
const QString kNew = QStringLiteral("NEU");

struct SwitchInfo {
    const char *key;
    bool firstRun; // the value a first start writes
};
// In the order of the enumeration.
constexpr SwitchInfo switches[] = {
    {"WinMaxOpen", false}, {"TrainingsplanAutoOpen", false}, {"AnzeigeMaxOpen", true}, {"PrinterWindow", true},
    {"TextSeek", true},    {"SplashScreen", true},           {"QueryEnd", true},       {"ReportAutoEnd", false},
};
const SwitchInfo &info(Switch s) { return switches[int(s)]; }

struct PlaceInfo {
    const char *key;
    double whenMissing;
};
// In the order of the enumeration.
constexpr PlaceInfo places[] = {{"MainLeft", 1000}, {"MainTop", 1000}, {"MainWidth", 6500}, {"MainHeight", 6500}};
const PlaceInfo &info(MainPlace p) { return places[int(p)]; }

} // namespace

namespace {
const QString kImport = QStringLiteral("Import");
}

QString importFolder() { return read(kImport, QStringLiteral("Ordner")); }
void setImportFolder(const QString &folder) { write(kImport, QStringLiteral("Ordner"), folder); }
QString importColumns(const QString &table) { return read(kImport, QStringLiteral("Spalten_") + table); }
void setImportColumns(const QString &table, const QString &text)
{
    write(kImport, QStringLiteral("Spalten_") + table, text);
}
QString importValues(const QString &table) { return read(kImport, QStringLiteral("Werte_") + table); }
void setImportValues(const QString &table, const QString &text)
{
    write(kImport, QStringLiteral("Werte_") + table, text);
}

QString read(const QString &section, const QString &key, const QString &defaultValue)
{
    const QVariant v = store().value(path(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

void write(const QString &section, const QString &key, const QString &value)
{
    QSettings s = store();
    // The file may hold a database address with a password: readable by its
    // owner only. Made so before the first write (a rewrite keeps the
    // permissions of the file it replaces) and kept so afterwards.
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!QFile::exists(s.fileName())) {
        QDir().mkpath(QFileInfo(s.fileName()).absolutePath());
        QFile f(s.fileName());
        f.open(QIODevice::WriteOnly, ownerOnly);
    }
    s.setValue(path(section, key), value);
    s.sync();
    QFile::setPermissions(s.fileName(), ownerOnly);
}

QList<QPair<QString, QString>> readSection(const QString &section)
{
    QSettings s = store();
    s.beginGroup(section);
    QList<QPair<QString, QString>> pairs;
    const QStringList keys = s.childKeys();
    for (const QString &k : keys)
        pairs.append({k, s.value(k).toString()});
    return pairs;
}

QString keyOf(Switch s) { return QLatin1String(info(s).key); }

bool isOn(Switch s) { return read(kSettings, keyOf(s)) == kOn; }

void setOn(Switch s, bool on) { write(kSettings, keyOf(s), on ? kOn : kOff); }

const QList<Switch> &optionSwitches()
{
    static const QList<Switch> list{
        Switch::WinMaxOpen, Switch::TrainingsplanAutoOpen, Switch::AnzeigeMaxOpen, Switch::PrinterWindow,
        Switch::TextSeek,   Switch::SplashScreen,          Switch::QueryEnd};
    return list;
}

QString remark() { return read(kSettings, QStringLiteral("Remark")); }

void setRemark(const QString &text) { write(kSettings, QStringLiteral("Remark"), text); }

void writeFirstRunDefaults(const QString &dataFolder, const QString &remarkText)
{
    setDataFolder(dataFolder);
    // In the order of the options dialog, the remark after "PrinterWindow".
    for (Switch s : optionSwitches()) {
        setOn(s, info(s).firstRun);
        if (s == Switch::PrinterWindow)
            setRemark(remarkText);
    }
}

bool dataFolderChosen() { return read(kService, kDatenpfad, kNew) != kNew; }

QString dataFolder(const QString &fallback) { return read(kService, kDatenpfad, fallback); }

void setDataFolder(const QString &folder) { write(kService, kDatenpfad, folder); }

QString databaseAddress() { return read(kService, QStringLiteral("Datenbank")).trimmed(); }

double mainWindowTwips(MainPlace place)
{
    const PlaceInfo &p = info(place);
    const std::optional<double> stored = data::parseNumber(read(kSettings, QLatin1String(p.key)));
    return float(stored.value_or(p.whenMissing));
}

void setMainWindowTwips(MainPlace place, double twips)
{
    // The text of a single-precision number, as the positions have always been stored.
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    write(kSettings, QLatin1String(info(place).key), loc.toString(float(twips), 'g', 7));
}

} // namespace orv::services::settings
