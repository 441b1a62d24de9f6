#include "ui/savefiledialog.h"

#include "ui/prompter.h"
#include "ui/widgets.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTreeView>

namespace orv::ui {

namespace {
// "CSV (Semikolon-getrennt) (*.csv)" -> "csv"
QString suffixOf(const QString &filter)
{
    static const QRegularExpression ext(QStringLiteral("\\(\\*\\.([^)\\s]+)\\)\\s*$"));
    return ext.match(filter).captured(1);
}
FileDialogSizeStore &sizeStore()
{
    static FileDialogSizeStore store;
    return store;
}

QSize &sizeThisRun()
{
    static QSize size;
    return size;
}

// The detail view, its name column taking the room the others leave, and the size last given.
void prepare(QFileDialog &dialog)
{
    dialog.setViewMode(QFileDialog::Detail);
    if (auto *list = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *head = list->header();
        head->setStretchLastSection(false);
        head->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int c = 1; c < head->count(); ++c)
            head->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    QSize size = sizeThisRun();
    if (!size.isValid() && sizeStore().read)
        size = sizeStore().read();
    // Wide enough for long file names in the list and the details beside them.
    sizeForReading(&dialog, size.isValid() ? size.expandedTo(QSize(640, 400)) : QSize(960, 640));
}

int run(QFileDialog &dialog)
{
    const int result = Prompter::instance().runModal(dialog);
    sizeThisRun() = dialog.size();
    if (sizeStore().write)
        sizeStore().write(dialog.size());
    return result;
}

} // namespace

void setFileDialogSizeStore(FileDialogSizeStore store) { sizeStore() = std::move(store); }

std::optional<QString> askSaveFileName(QWidget *parent, const QString &caption, const QString &proposed,
                                       const QStringList &filters, QString *chosenFilter)
{
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(QStringLiteral("dlgSpeichern"));
    // Qt's own dialog: German texts from Qt's translations on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    const QString initial = chosenFilter && filters.contains(*chosenFilter) ? *chosenFilter : filters.value(0);
    dialog.selectNameFilter(initial);
    // The proposed name follows the type the user picks.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &f) {
        const QStringList files = dialog.selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo fi(files.first());
            if (!fi.completeBaseName().isEmpty() && !fi.isDir())
                dialog.selectFile(fi.completeBaseName() + QLatin1Char('.') + suffixOf(f));
        }
    });
    const QFileInfo p(proposed);
    dialog.setDirectory(p.absolutePath());
    dialog.selectFile(p.fileName());
    prepare(dialog);
    if (run(dialog) != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    const QString filter = dialog.selectedNameFilter();
    if (chosenFilter)
        *chosenFilter = filter;
    QString file = files.first();
    if (QFileInfo(file).suffix().isEmpty() && !suffixOf(filter).isEmpty()) {
        // A name typed without its extension gets the type's; the dialog
        // could not ask about replacing that file, so ask here.
        file += QLatin1Char('.') + suffixOf(filter);
        if (QFileInfo::exists(file)
            && ask(parent,
                   QStringLiteral("Die Datei \"") + QFileInfo(file).fileName()
                       + QStringLiteral("\" ist bereits vorhanden. Möchten Sie sie ersetzen?"),
                   caption)
                   != Answer::Yes)
            return std::nullopt;
    }
    return file;
}

std::optional<QString> askOpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                                       const QStringList &filters)
{
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(QStringLiteral("dlgOeffnen"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.setDirectory(folder);
    prepare(dialog);
    if (run(dialog) != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return files.first();
}

} // namespace orv::ui
