#include "records/recordwindows.h"

#include "groups/groupcommands.h"
#include "records/frmkurs.h"
#include "records/frmmitarbeiter.h"
#include "records/frmtrainingsplan.h"
#include "records/trainingsplanpickers.h"
#include "reports/frmkursbericht.h"
#include "reports/frmmitarbeiterbericht.h"
#include "reports/frmtrainingsplanbericht.h"
#include "series/seriescommands.h"

namespace orv::records {

RecordForm *openRecordWindow(ui::WindowId window)
{
    RecordForm *form = nullptr;
    switch (window) {
    case ui::WindowId::Kurs:
        form = new FrmKurs;
        form->setReportOpener(reports::openKursBericht);
        groups::attachToKurs(*form);
        series::attachToKurs(*form);
        break;
    case ui::WindowId::Mitarbeiter:
        form = new FrmMitarbeiter;
        form->setReportOpener(reports::openMitarbeiterBericht);
        break;
    case ui::WindowId::Trainingsplan: {
        auto *plan = new FrmTrainingsplan;
        attachPickers(*plan);
        plan->setReportOpener(reports::openTrainingsplanBericht);
        groups::attachToTrainingsplan(*plan);
        form = plan;
        break;
    }
    default: return nullptr;
    }
    form->load();
    return form;
}

} // namespace orv::records
