#include "search/seek.h"

#include "search/frmseek.h"
#include "ui/prompter.h"

#include <QListWidget>

namespace orv::search {

int runSeek(QWidget *parent, data::RecordSet &rows, const SeekLayout &layout)
{
    FrmSeek dialog(parent);
    dialog.SeekRecordset = &rows;
    dialog.SeekHeadings = layout.headings;
    dialog.SeekColumns = layout.columns;
    dialog.SeekGaps = layout.gaps;
    dialog.SeekFields = layout.fields;
    dialog.lstFields->addItems(layout.captions);
    if (dialog.lstFields->count() > 0)
        dialog.lstFields->setCurrentRow(0);
    ui::Prompter::instance().runModal(dialog);
    return dialog.SeekPosition;
}

} // namespace orv::search
