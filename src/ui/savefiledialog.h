#pragma once
#include <QString>
#include <QStringList>
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

} // namespace orv::ui
