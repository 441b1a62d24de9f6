#include "app/windowfactory.h"

#include <QHash>

namespace orv::app::windowfactory {
namespace {

// The program's windows, one line each: its name, how it is shown and how it
// is made, for example
//   t.insert(QStringLiteral("frmKurs"), {WindowKind::Child, [] { return new FrmKurs; }});
QHash<QString, WindowEntry> builtIn()
{
    QHash<QString, WindowEntry> t;
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
