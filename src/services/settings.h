#pragma once
#include <QList>
#include <QPair>
#include <QString>

namespace orv::services {

// The per-user settings store under the application name "ORV", sections
// "Settings" and "Service". Read where a value acts, never cached. Each key
// has one accessor here, with the value it reads as when it is missing.
namespace settings {

// The switches of section "Settings": "ON" exactly is on, anything else
// (a missing key included) is off.
enum class Switch {        // the order of the table in settings.cpp
    WinMaxOpen,            // record windows open maximized
    TrainingsplanAutoOpen, // the training plan window opens at start
    AnzeigeMaxOpen,        // the display window opens maximized
    PrinterWindow,         // the print dialog before printing
    TextSeek,              // full-text search preset in the search dialog
    SplashScreen,          // the start picture
    QueryEnd,              // "Programm wirklich beenden?"
    ReportAutoEnd,         // a report dialog closes after its output
};
QString keyOf(Switch s);
bool isOn(Switch s);
void setOn(Switch s, bool on);
// The seven switches of the options dialog, in the order it writes them.
const QList<Switch> &optionSwitches();

// The remark printed under every report heading ("" when missing).
QString remark();
void setRemark(const QString &text);

// What a first start writes: the data folder, the switches and the remark.
void writeFirstRunDefaults(const QString &dataFolder, const QString &remark);
// True once a data folder has been chosen (the first start is over).
bool dataFolderChosen();
// The data folder, `fallback` when none is stored.
QString dataFolder(const QString &fallback);
void setDataFolder(const QString &folder);
// The PostgreSQL address in section "Service", key "Datenbank"; "" for the
// embedded database file.
QString databaseAddress();

// The main window's place in twips; an unreadable value counts as missing
// (1000, 1000, 6500, 6500).
enum class MainPlace { Left, Top, Width, Height }; // the order of the table in settings.cpp
double mainWindowTwips(MainPlace place);
void setMainWindowTwips(MainPlace place, double twips);

// What the import dialog keeps from one import to the next, in section
// "Import": the folder of the last file, and per table ("Kurs", …) the
// columns and values the user assigned ("" when none).
QString importFolder();
void setImportFolder(const QString &folder);
QString importColumns(const QString &table);
void setImportColumns(const QString &table, const QString &text);
QString importValues(const QString &table);
void setImportValues(const QString &table, const QString &text);

// The store itself, by section and key.
QString read(const QString &section, const QString &key, const QString &defaultValue = QString());
void write(const QString &section, const QString &key, const QString &value);
QList<QPair<QString, QString>> readSection(const QString &section);

} // namespace settings
} // namespace orv::services
