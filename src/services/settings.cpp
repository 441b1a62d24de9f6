#include "services/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

} // namespace orv::app::settings
