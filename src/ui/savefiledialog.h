#pragma once
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace orv::ui {

// The standard dialog for the name of a file to write, run modally through
// the prompter (object name "dlgSpeichern"). `filters` like "CSV (*.csv)";
// the first is preselected unless `chosenFilter` names another, and the one
// the user chose comes back there. A name typed without an extension gets
// that of the chosen filter. Replacing an existing file is confirmed.
// nullopt: cancelled.
std::optional<QString> askSaveFileName(QWidget *parent, const QString &caption, const QString &proposed,
                                       const QStringList &filters, QString *chosenFilter = nullptr);

// The standard dialog for choosing an existing file to read, run modally the
// same way (object name "dlgOeffnen"). nullopt: cancelled.
std::optional<QString> askOpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                                       const QStringList &filters);

// Both open in the detail view with names, sizes, types and dates uncut, at
// the size the user last gave one of them. Where that size is kept between
// runs (the settings store); unset, it is kept for this run only.
struct FileDialogSizeStore {
    std::function<QSize()> read;
    std::function<void(const QSize &)> write;
};
void setFileDialogSizeStore(FileDialogSizeStore store);

} // namespace orv::ui
