#pragma once
#include <QList>
#include <QPair>
#include <QString>

namespace orv::app {

// The per-user settings store under the application name "ORV", sections
// "Settings" and "Service". Read where a value acts, never cached.
namespace settings {

QString read(const QString &section, const QString &key, const QString &defaultValue = QString());
void write(const QString &section, const QString &key, const QString &value);
QList<QPair<QString, QString>> readSection(const QString &section);

// Switches are "ON" exactly; anything else is off.
inline bool isOn(const QString &section, const QString &key, const QString &defaultValue = QString())
{
    return read(section, key, defaultValue) == QLatin1String("ON");
}
inline bool settingOn(const QString &key, const QString &defaultValue = QString())
{
    return isOn(QStringLiteral("Settings"), key, defaultValue);
}

} // namespace settings
} // namespace orv::app
