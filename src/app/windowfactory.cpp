#include "app/windowfactory.h"

#include <QHash>

namespace orv::app::windowfactory {
namespace {

// The program's windows. Each line names a window and how to make it.
QHash<QString, WindowEntry> builtIn()
{
    QHash<QString, WindowEntry> t;
    // t.insert(QStringLiteral("frmKurs"), {WindowKind::Child, [] { return new records::FrmKurs; }});
    return t;
}

QHash<QString, WindowEntry> &table()
{
    static QHash<QString, WindowEntry> t = builtIn();
    return t;
}

} // namespace

const WindowEntry *find(const QString &name)
{
    auto it = table().constFind(name);
    return it == table().constEnd() ? nullptr : &it.value();
}

void add(const QString &name, WindowEntry entry) { table().insert(name, std::move(entry)); }
void remove(const QString &name) { table().remove(name); }

} // namespace orv::app::windowfactory
