#include "records/recordwindows.h"

#include "records/frmkurs.h"
#include "records/frmmitarbeiter.h"
#include "records/frmtrainingsplan.h"
#include "records/trainingsplanpickers.h"
#include "reports/frmkursbericht.h"
#include "reports/frmmitarbeiterbericht.h"
#include "reports/frmtrainingsplanbericht.h"

namespace orv::records {

RecordForm *openRecordWindow(const QString &name)
{
    RecordForm *form = nullptr;
    if (name == QLatin1String("frmKurs")) {
        form = new FrmKurs;
        form->setReportOpener(reports::openKursBericht);
    } else if (name == QLatin1String("frmMitarbeiter")) {
        form = new FrmMitarbeiter;
        form->setReportOpener(reports::openMitarbeiterBericht);
    } else if (name == QLatin1String("frmTrainingsplan")) {
        auto *plan = new FrmTrainingsplan;
        attachPickers(*plan);
        plan->setReportOpener(reports::openTrainingsplanBericht);
        form = plan;
    }
    if (form)
        form->load();
    return form;
}

} // namespace orv::records
