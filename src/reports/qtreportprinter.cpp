#include "reports/qtreportprinter.h"

#include "reports/logo.h"
#include "reports/reportprint.h"
#include "ui/prompter.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>

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

std::optional<Orientation> runPrintSetup(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("cbdPrint"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (ui::Prompter::instance().runModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return printer.pageLayout().orientation() == QPageLayout::Landscape ? Orientation::Landscape
                                                                         : Orientation::Portrait;
}

void previewReport(const ReportModel &model, QWidget *parent)
{
    QtReportPrinter target;
    target.setOrientation(model.orientation);
    QPrintPreviewDialog dialog(&target.printer(), parent);
    dialog.setObjectName(QStringLiteral("frmSeitenansicht"));
    dialog.setWindowTitle(QStringLiteral("Seitenansicht"));
    // The preview paints on the very printer that "Drucken" in the preview then
    // prints on, each time through the one print routine.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *) {
        printReport(model, target, &dialog, PrintSetup::AsSet);
    });
    ui::Prompter::instance().runModal(dialog);
}

QtReportPrinter::QtReportPrinter(const QString &pdfFile) : m_printer(QPrinter::HighResolution)
{
    if (!pdfFile.isEmpty()) {
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(pdfFile);
    }
    if (m_printer.outputFormat() == QPrinter::PdfFormat) {
        // A quarter inch all round, the unprintable edge of a common office printer.
        m_printer.setPageMargins(QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
    }
    m_printer.setDocName(QStringLiteral("ORV"));
}

QtReportPrinter::~QtReportPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

std::optional<Orientation> QtReportPrinter::showPrintDialog(QWidget *parent)
{
    return runPrintSetup(m_printer, parent);
}

void QtReportPrinter::setOrientation(Orientation o)
{
    m_printer.setPageOrientation(o == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

double QtReportPrinter::pageWidth() const
{
    return m_printer.pageLayout().paintRectPoints().width() * twipsPerPoint;
}

double QtReportPrinter::pageHeight() const
{
    return m_printer.pageLayout().paintRectPoints().height() * twipsPerPoint;
}

double QtReportPrinter::deviceScale() const { return m_printer.resolution() / twipsPerInch; }

void QtReportPrinter::scalePage(double width, double height)
{
    if (m_printer.outputFormat() == QPrinter::NativeFormat && m_printer.printerName().isEmpty()
        && QPrinterInfo::availablePrinterNames().isEmpty())
        throw PrintError(ErrPrinter, QStringLiteral("Kein Drucker vorhanden"));
    if (!m_painter.begin(&m_printer))
        throw PrintError(ErrPrinter, QStringLiteral("Der Drucker kann nicht geöffnet werden"));
    const QRect paint = m_printer.pageLayout().paintRectPixels(m_printer.resolution());
    m_sx = width > 0 ? paint.width() / width : deviceScale();
    m_sy = height > 0 ? paint.height() / height : deviceScale();
    m_page = 1;
    m_x = m_y = 0;
}

QPointF QtReportPrinter::toDevice(double x, double y) const { return QPointF(x * m_sx, y * m_sy); }

void QtReportPrinter::setFont(const QString &name, double pointSize)
{
    m_font = QFont(name);
    m_font.setPointSizeF(pointSize);
}

void QtReportPrinter::printLine(const QString &text)
{
    const QFontMetricsF fm(m_font, &m_printer);
    if (m_painter.isActive() && !text.isEmpty()) {
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
    if (m_painter.isActive()) {
        // One screen pixel wide, as a rule looks on paper.
        m_painter.setPen(QPen(Qt::black, 15 * m_sx));
        m_painter.drawLine(toDevice(x1, y1), toDevice(x2, y2));
    }
    m_x = x2;
    m_y = y2;
}

void QtReportPrinter::drawLogo(double pointSize)
{
    if (!m_painter.isActive())
        return;
    const double side = pointSize * twipsPerPoint;
    const QPointF p = toDevice(m_x, m_y);
    paintLogo(m_painter, QRectF(p.x(), p.y(), side * m_sx, side * m_sy));
}

void QtReportPrinter::newPage()
{
    if (!m_painter.isActive())
        return;
    if (!m_printer.newPage())
        throw PrintError(ErrPrinter, QStringLiteral("Die neue Seite kann nicht begonnen werden"));
    ++m_page;
    m_x = m_y = 0;
}

void QtReportPrinter::endDoc()
{
    if (m_painter.isActive() && !m_painter.end())
        throw PrintError(ErrPrinter, QStringLiteral("Der Druck kann nicht abgeschlossen werden"));
}

void QtReportPrinter::abort()
{
    if (m_painter.isActive()) {
        m_printer.abort();
        m_painter.end();
    }
}

} // namespace orv::reports
