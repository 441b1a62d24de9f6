#include "records/recordwindows.h"

#include "records/frmkurs.h"

namespace orv::records {

RecordForm *openRecordWindow(const QString &name)
{
    RecordForm *form = nullptr;
    if (name == QLatin1String("frmKurs"))
        form = new FrmKurs;
    if (form)
        form->load();
    return form;
}

} // namespace orv::records
