#pragma once
#include <QString>

namespace orv::ui {

// The keyed panels "Status" and "Sort" of the main window's status bar.
class StatusPanels {
public:
    virtual ~StatusPanels() = default;
    virtual void setPanelText(const QString &key, const QString &text) = 0;
    virtual QString panelText(const QString &key) const = 0;

    // The panels in force; without a main window a silent stand-in that keeps the texts.
    static StatusPanels &instance();
    static void setInstance(StatusPanels *panels); // not owned; nullptr: the stand-in
};

inline void setStatus(const QString &text) { StatusPanels::instance().setPanelText(QStringLiteral("Status"), text); }
inline void setSort(const QString &text) { StatusPanels::instance().setPanelText(QStringLiteral("Sort"), text); }

} // namespace orv::ui
