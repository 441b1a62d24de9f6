#include "ui/statuspanels.h"

#include <QHash>

namespace orv::ui {
namespace {

// Keeps the texts when no main window is there (tools, tests of single windows).
class DetachedPanels final : public StatusPanels {
public:
    void setPanelText(const QString &key, const QString &text) override { m_texts[key] = text; }
    QString panelText(const QString &key) const override { return m_texts.value(key); }

private:
    QHash<QString, QString> m_texts;
};

DetachedPanels &detached()
{
    static DetachedPanels p;
    return p;
}

StatusPanels *g_panels = nullptr;

} // namespace

StatusPanels &StatusPanels::instance() { return g_panels ? *g_panels : detached(); }
void StatusPanels::setInstance(StatusPanels *panels) { g_panels = panels; }

} // namespace orv::ui
