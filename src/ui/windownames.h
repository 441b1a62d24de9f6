#pragma once
#include <QString>
#include <iterator>

namespace orv::ui {

// The windows the program opens by name: from the menus, the toolbar and at
// start-up; the main window's factory makes them. A window's object name is
// the one the tests and the stored settings know it by.
enum class WindowId { Mitarbeiter, Kurs, Trainingsplan, NameEdit, About, Options, Prodinfo, Import, Faellig, Matrix };

// How the main window shows a window it opens.
enum class WindowKind {
    Child,    // a child window of the main window (record windows)
    Modeless, // a window of its own beside the main window (rename dialog, About)
    Modal,    // a QDialog run through the prompter; the main window waits (options, product information)
};

struct WindowName {
    WindowId id;
    const char *objectName; // "frmKurs"
    const char *menuItem;   // "mnuKurs": the menu item that opens it, in the main and the record windows
    const char *caption;    // "&Kurs": that item's text (UTF-8)
    WindowKind kind;
};

// In the order of WindowId.
inline constexpr WindowName windowNames[] = {
    {WindowId::Mitarbeiter, "frmMitarbeiter", "mnuMitarbeiter", "&Mitarbeiter", WindowKind::Child},
    {WindowId::Kurs, "frmKurs", "mnuKurs", "&Kurs", WindowKind::Child},
    {WindowId::Trainingsplan, "frmTrainingsplan", "mnuTrainingsplan", "&Trainingsplan", WindowKind::Child},
    {WindowId::NameEdit, "frmNameEdit", "mnuNameEdit", "&Name ändern", WindowKind::Modeless},
    // The main window's item ends in a blank, the record windows' does not.
    {WindowId::About, "frmAbout", "mnuInfo", "Inf&o ", WindowKind::Modeless},
    {WindowId::Options, "frmOptions", "mnuOptionen", "&Optionen", WindowKind::Modal},
    {WindowId::Prodinfo, "frmProdinfo", "mnuProdInfo", "&Produktinformation", WindowKind::Modal},
    {WindowId::Import, "frmImport", "mnuImportieren", "&Importieren…", WindowKind::Modal},
    {WindowId::Faellig, "frmFaelligBericht", "mnuFaellig", "&Fällige Schulungen…", WindowKind::Modal},
    {WindowId::Matrix, "frmMatrixBericht", "mnuMatrix", "&Qualifikationsmatrix…", WindowKind::Modal},
};

constexpr const WindowName &windowName(WindowId id) { return windowNames[static_cast<int>(id)]; }

constexpr bool inIdOrder()
{
    if (std::size(windowNames) != std::size_t(WindowId::Matrix) + 1)
        return false;
    for (std::size_t i = 0; i < std::size(windowNames); ++i)
        if (std::size_t(windowNames[i].id) != i)
            return false;
    return true;
}
static_assert(inIdOrder(), "windowNames lists every WindowId once, in its order");

inline QString windowObjectName(WindowId id) { return QString::fromLatin1(windowName(id).objectName); }
inline QString windowMenuItem(WindowId id) { return QString::fromLatin1(windowName(id).menuItem); }
inline QString windowCaption(WindowId id) { return QString::fromUtf8(windowName(id).caption); }

} // namespace orv::ui
