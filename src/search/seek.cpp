#include "search/seek.h"

#include "search/frmseek.h"
#include "ui/prompter.h"

namespace orv::search {

int runSeek(QWidget *parent, data::RecordSet &rows, const SeekLayout &layout)
{
    FrmSeek dialog(parent);
    dialog.SeekRecordset = &rows;
    dialog.setSearchFields(layout);
    ui::Prompter::instance().runModal(dialog);
    return dialog.SeekPosition;
}

} // namespace orv::search
