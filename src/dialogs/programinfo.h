#pragma once
#include <QPixmap>
#include <QString>

// What the information windows say about the running program.
namespace orv::dialogs {

// "Version 1.0.1", from the version the program was built with.
QString versionText();
// The database in use: the SQLite file, or the PostgreSQL URI without its password.
QString databaseText();
// The program's icon, or the last logo frame when none is set.
QPixmap programIcon(int size);
// Frame 1..21 of the logo animation.
QPixmap logoFrame(int frame);
inline constexpr int logoFrameCount = 21;

} // namespace orv::dialogs
