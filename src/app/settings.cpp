#include "app/settings.h"

#include <QSettings>

namespace orv::app::settings {
namespace {

// One ini file per user under the application name "ORV".
QSettings store()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ORV"), QStringLiteral("ORV"));
}

QString path(const QString &section, const QString &key) { return section + QLatin1Char('/') + key; }

} // namespace

QString read(const QString &section, const QString &key, const QString &defaultValue)
{
    const QVariant v = store().value(path(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

void write(const QString &section, const QString &key, const QString &value)
{
    QSettings s = store();
    s.setValue(path(section, key), value);
    s.sync();
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

} // namespace orv::app::settings
