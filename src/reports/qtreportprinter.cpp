#include "reports/qtreportprinter.h"

#include "reportdata/reportexport.h"
#include "reports/reportprint.h"
#include "ui/prompter.h"
#include "ui/widgets.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace orv::reports {

namespace {
constexpr double twipsPerPoint = 20.0;
constexpr double twipsPerInch = 1440.0;

ReportPrinter::Factory &factory()
{
    static ReportPrinter::Factory f;
    return f;
}
} // namespace

std::unique_ptr<ReportPrinter> ReportPrinter::create()
{
    if (factory())
        return factory()();
    return std::make_unique<QtReportPrinter>();
}

void ReportPrinter::setFactory(Factory f) { factory() = std::move(f); }

namespace {

// What the user chose in a print dialog, kept for the rest of the run.
struct PrintChoices {
    bool made = false;
    QPrinter::OutputFormat format = QPrinter::NativeFormat;
    QString printerName;
    QString fileName;
    int copies = 1;
    bool collate = true;
    QPageSize pageSize;
    QString pdfFolder; // of the last PDF file printed to
    // The orientation chosen for a report of each kind (by its own orientation).
    std::optional<QPageLayout::Orientation> turned[2];
};

PrintChoices &choices()
{
    static PrintChoices c;
    return c;
}

int kindOf(reportdata::Orientation o) { return o == reportdata::Orientation::Landscape ? 1 : 0; }

} // namespace

void applyPrintChoices(QPrinter &printer)
{
    const PrintChoices &c = choices();
    if (!c.made)
        return;
    if (c.format == QPrinter::PdfFormat) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(c.fileName);
    } else if (QPrinterInfo::availablePrinterNames().contains(c.printerName)) {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(c.printerName);
    }
    printer.setCopyCount(c.copies);
    printer.setCollateCopies(c.collate);
    if (c.pageSize.isValid())
        printer.setPageSize(c.pageSize);
}

void forgetPrintChoices() { choices() = PrintChoices(); }

QString proposedPdfFile(const QString &title)
{
    QString folder = choices().pdfFolder;
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return folder + QLatin1Char('/') + reportdata::reportFileName(title, QDate::currentDate(), QStringLiteral("pdf"));
}

std::optional<reportdata::Orientation> runPrintSetup(QPrinter &printer, reportdata::Orientation preset,
                                                     const QString &pdfFile, QWidget *parent)
{
    applyPrintChoices(printer);
    // The dialog offers the printer's file name for "Print to File (PDF)".
    // Setting it turns the printer to PDF: a printer chosen before is put
    // back, and the name stays on offer.
    const bool toPrinter = printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();
    const QString printerName = printer.printerName();
    printer.setOutputFileName(pdfFile);
    if (toPrinter) {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(printerName);
    }
    const auto turned = choices().turned[kindOf(preset)];
    printer.setPageOrientation(
        turned ? *turned
               : (preset == reportdata::Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait));
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageRanges(QPageRanges());
    QPrintDialog dialog(&printer, parent);
    // Qt's dialog, as it is made, turns the printer to the system's default
    // printer when there is one; a file chosen before is put back, so that the
    // dialog opens on "Print to File (PDF)" again.
    if (!toPrinter) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile);
    }
    dialog.setObjectName(QStringLiteral("cbdPrint"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (ui::Prompter::instance().runModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    PrintChoices &c = choices();
    c.made = true;
    c.format = printer.outputFormat();
    c.printerName = printer.printerName();
    c.fileName = printer.outputFileName();
    if (c.format == QPrinter::PdfFormat)
        c.pdfFolder = QFileInfo(c.fileName).absolutePath();
    c.copies = printer.copyCount();
    c.collate = printer.collateCopies();
    c.pageSize = printer.pageLayout().pageSize();
    c.turned[kindOf(preset)] = printer.pageLayout().orientation();
    return printer.pageLayout().orientation() == QPageLayout::Landscape ? reportdata::Orientation::Landscape
                                                                        : reportdata::Orientation::Portrait;
}

void previewReport(const reportdata::ReportModel &model, QWidget *parent)
{
    QtReportPrinter target;
    // The preview shows the pages as "Drucken" prints them: turned as the user
    // last turned a list of this kind in the print dialog.
    const auto turned = choices().turned[kindOf(model.orientation)];
    reportdata::Orientation shown = model.orientation;
    if (turned)
        shown =
            *turned == QPageLayout::Landscape ? reportdata::Orientation::Landscape : reportdata::Orientation::Portrait;
    target.setOrientation(shown);
    QPrintPreviewDialog dialog(&target.printer(), parent);
    dialog.setObjectName(QStringLiteral("frmSeitenansicht"));
    dialog.setWindowTitle(QStringLiteral("Seitenansicht"));
    // Tall enough that a whole page can be read, as wide as a landscape page needs.
    ui::sizeForReading(&dialog, QSize(1400, 1000));
    // The preview paints on the very printer that "Drucken" in the preview then
    // prints on, each time through the one print routine.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter *) { printReport(model, target, &dialog, PrintSetup::AsSet); });
    ui::Prompter::instance().runModal(dialog);
}

QtReportPrinter::QtReportPrinter(const QString &pdfFile) : m_printer(QPrinter::HighResolution), m_pdfFile(pdfFile)
{
    if (!pdfFile.isEmpty()) {
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(pdfFile);
    } else {
        // Printed without the dialog, a report goes where the user sent the last one.
        applyPrintChoices(m_printer);
    }
    if (m_printer.outputFormat() == QPrinter::PdfFormat) {
        // A quarter inch all round, the unprintable edge of a common office printer.
        m_printer.setPageMargins(QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
    }
    m_printer.setDocName(QStringLiteral("ORV"));
    m_printer.setCreator(QStringLiteral("ORV"));
}

QtReportPrinter::~QtReportPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

std::optional<reportdata::Orientation> QtReportPrinter::showPrintDialog(QWidget *parent, reportdata::Orientation preset,
                                                                        const QString &title)
{
    const auto chosen =
        runPrintSetup(m_printer, preset, m_pdfFile.isEmpty() ? proposedPdfFile(title) : m_pdfFile, parent);
    if (chosen) {
        if (m_printer.outputFormat() == QPrinter::PdfFormat)
            m_printer.setPageMargins(QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
        // A range the printer system did not take over is honoured here.
        if (m_printer.printRange() == QPrinter::PageRange)
            m_ranges = m_printer.pageRanges();
    }
    return chosen;
}

bool QtReportPrinter::hasPrinter() const
{
    // Without a printer in the print system QPrinter falls back to a PDF file
    // it has no name for: that is no printer either.
    if (m_printer.outputFormat() == QPrinter::PdfFormat)
        return !m_printer.outputFileName().isEmpty();
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

ReportPrinter::Destination QtReportPrinter::destination() const
{
    if (m_printer.outputFormat() == QPrinter::PdfFormat)
        return {m_printer.outputFileName(), {}};
    return {{}, m_printer.printerName()};
}

bool QtReportPrinter::wanted(int page) const { return m_ranges.isEmpty() || m_ranges.contains(page); }

// The first page to paper opens the document, each further one a new sheet.
void QtReportPrinter::startPaperPage()
{
    m_onPaper = wanted(m_page);
    if (!m_onPaper)
        return;
    if (!m_painter.isActive()) {
        if (!m_painter.begin(&m_printer)) {
            if (m_printer.outputFormat() != QPrinter::PdfFormat)
                throw PrintError(ErrPrinter, QStringLiteral("Der Drucker kann nicht geöffnet werden"));
            // A file that cannot be made: the user learns why, as for an export.
            const QString reason = reportdata::unwritableReason(m_printer.outputFileName());
            throw PrintError(ErrPrinter, QStringLiteral("Die PDF-Datei %1 kann nicht angelegt werden. %2")
                                             .arg(QDir::toNativeSeparators(m_printer.outputFileName()),
                                                  reason.isEmpty() ? QStringLiteral("Die Datei kann nicht angelegt "
                                                                                    "werden.")
                                                                   : reason));
        }
    } else if (!m_printer.newPage()) {
        throw PrintError(ErrPrinter, QStringLiteral("Die neue Seite kann nicht begonnen werden"));
    }
}

void QtReportPrinter::setOrientation(reportdata::Orientation o)
{
    m_printer.setPageOrientation(o == reportdata::Orientation::Landscape ? QPageLayout::Landscape
                                                                         : QPageLayout::Portrait);
}

double QtReportPrinter::pageWidth() const { return m_printer.pageLayout().paintRectPoints().width() * twipsPerPoint; }

double QtReportPrinter::pageHeight() const { return m_printer.pageLayout().paintRectPoints().height() * twipsPerPoint; }

double QtReportPrinter::deviceScale() const { return m_printer.resolution() / twipsPerInch; }

void QtReportPrinter::scalePage(double width, double height)
{
    const QRect paint = m_printer.pageLayout().paintRectPixels(m_printer.resolution());
    m_sx = width > 0 ? paint.width() / width : deviceScale();
    m_sy = height > 0 ? paint.height() / height : deviceScale();
    m_page = 1;
    m_x = m_y = 0;
    startPaperPage();
}

QPointF QtReportPrinter::toDevice(double x, double y) const { return QPointF(x * m_sx, y * m_sy); }

void QtReportPrinter::setFont(const QString &name, double pointSize) { m_font = ui::fontByName(name, pointSize); }

double QtReportPrinter::lineHeight() const
{
    const QFontMetricsF fm(m_font, const_cast<QPrinter *>(&m_printer));
    return fm.lineSpacing() / m_sy;
}

void QtReportPrinter::printLine(const QString &text)
{
    const QFontMetricsF fm(m_font, &m_printer);
    if (painting() && !text.isEmpty()) {
        m_painter.setFont(m_font);
        m_painter.setPen(Qt::black);
        const QPointF p = toDevice(m_x, m_y);
        m_painter.drawText(QPointF(p.x(), p.y() + fm.ascent()), text);
    }
    m_x = 0;
    m_y += fm.lineSpacing() / m_sy;
}

double QtReportPrinter::textWidth(const QString &text) const
{
    const QFontMetricsF fm(m_font, const_cast<QPrinter *>(&m_printer));
    return fm.horizontalAdvance(text) / m_sx;
}

void QtReportPrinter::drawLine(double x1, double y1, double x2, double y2)
{
    if (painting()) {
        // One screen pixel wide, as a rule looks on paper.
        m_painter.setPen(QPen(Qt::black, 15 * m_sx));
        m_painter.drawLine(toDevice(x1, y1), toDevice(x2, y2));
    }
    m_x = x2;
    m_y = y2;
}

void QtReportPrinter::drawLogo(double pointSize)
{
    if (!painting())
        return;
    const double side = pointSize * twipsPerPoint;
    const QPointF p = toDevice(m_x, m_y);
    ui::paintLogo(m_painter, QRectF(p.x(), p.y(), side * m_sx, side * m_sy));
}

void QtReportPrinter::newPage()
{
    ++m_page;
    m_x = m_y = 0;
    startPaperPage();
}

bool QtReportPrinter::endDoc()
{
    if (!m_painter.isActive())
        return false;
    if (!m_painter.end())
        throw PrintError(ErrPrinter, QStringLiteral("Der Druck kann nicht abgeschlossen werden"));
    return true;
}

void QtReportPrinter::abort()
{
    if (m_painter.isActive()) {
        m_printer.abort();
        m_painter.end();
    }
}

} // namespace orv::reports
