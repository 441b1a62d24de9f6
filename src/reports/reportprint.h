#pragma once
#include "reportdata/reportmodel.h"
#include "reports/reportprinter.h"

class QWidget;

namespace orv::reports {

enum class PrintOutcome {
    Printed,   // the document was ended (also after errors the user chose to go past)
    Cancelled, // the print dialog was cancelled
    Abandoned  // the user gave up after a printer error
};

// Lays a built report out on pages: the print dialog or the report's own
// orientation, the framed first page with its heading, the fitted body font,
// the following pages' headings and the control lines "'Seite" and "'Linie".
// Printer failures are put to the user as the "Druckerfehler" question.
// With `setup` AsSet the printer's own orientation stands (the page preview
// has set it) and neither the print dialog nor the report's orientation is used.
enum class PrintSetup { FromSettings, AsSet };
// Says where a printed report went: a PDF file in a message naming it (the
// user has to find it again), a printer in the status bar.
void tellWherePrinted(const QString &title, const ReportPrinter::Destination &to, QWidget *parent);

PrintOutcome printReport(const reportdata::ReportModel &model, ReportPrinter &printer, QWidget *parent,
                         PrintSetup setup = PrintSetup::FromSettings);

} // namespace orv::reports
