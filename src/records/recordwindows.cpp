#include "records/recordwindows.h"

#include "records/frmkurs.h"
#include "records/frmmitarbeiter.h"
#include "records/frmtrainingsplan.h"
#include "records/trainingsplanpickers.h"

namespace orv::records {

RecordForm *openRecordWindow(const QString &name)
{
    RecordForm *form = nullptr;
    if (name == QLatin1String("frmKurs"))
        form = new FrmKurs;
    else if (name == QLatin1String("frmMitarbeiter"))
        form = new FrmMitarbeiter;
    else if (name == QLatin1String("frmTrainingsplan")) {
        auto *plan = new FrmTrainingsplan;
        attachPickers(*plan);
        form = plan;
    }
    if (form)
        form->load();
    return form;
}

} // namespace orv::records
