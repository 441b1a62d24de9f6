#pragma once
#include "reports/reportprinter.h"

#include <QFont>
#include <QPageRanges>
#include <QPainter>
#include <QPrinter>

namespace orv::reports {

// The print-setup dialog over `printer`, run through the prompter: a page
// range is offered (the printer honours it), a selection is not, printing to
// a PDF file is. It opens with the printer, copies and paper the user chose
// before in this run and with `preset`, or with the orientation the user
// turned such a report to before. "Print to File (PDF)" offers `pdfFile`.
// The orientation chosen, or nullopt on cancel.
std::optional<reportdata::Orientation> runPrintSetup(QPrinter &printer, reportdata::Orientation preset,
                                                     const QString &pdfFile, QWidget *parent);
// The PDF file offered for a report: "Liste Kurse 2026-12-07.pdf" after its
// title and the day, in the folder of the last PDF of this run (at first the
// documents folder), never one name for every report.
QString proposedPdfFile(const QString &title);
// Puts the printer, copies and paper the user chose in a print dialog of this run on `printer`.
void applyPrintChoices(QPrinter &printer);
// A fresh run: no choices remembered.
void forgetPrintChoices();

// The page preview of a built report: exactly the pages that printing lays out,
// in the report's orientation, from which the user may print or close.
void previewReport(const reportdata::ReportModel &model, QWidget *parent);

// Paints the report on a QPrinter: the system's printer, or a PDF file when
// `pdfFile` is given.
class QtReportPrinter final : public ReportPrinter {
public:
    explicit QtReportPrinter(const QString &pdfFile = QString());
    ~QtReportPrinter() override;

    std::optional<reportdata::Orientation> showPrintDialog(QWidget *parent, reportdata::Orientation preset,
                                                           const QString &title) override;
    bool hasPrinter() const override;
    void setOrientation(reportdata::Orientation o) override;
    void setTitle(const QString &title) override { m_printer.setDocName(title); }
    Destination destination() const override;
    double pageWidth() const override;
    double pageHeight() const override;
    void scalePage(double width, double height) override;
    void setFont(const QString &name, double pointSize) override;
    void setX(double x) override { m_x = x; }
    void setY(double y) override { m_y = y; }
    double x() const override { return m_x; }
    double y() const override { return m_y; }
    void printLine(const QString &text) override;
    double lineHeight() const override;
    double textWidth(const QString &text) const override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void drawLogo(double pointSize) override;
    void newPage() override;
    int page() const override { return m_page; }
    bool endDoc() override;
    void abort() override;

    QPrinter &printer() { return m_printer; }

private:
    double deviceScale() const; // device pixels per twip
    QPointF toDevice(double x, double y) const;
    // Pages outside the range the user chose are laid out but not printed.
    bool wanted(int page) const;
    void startPaperPage();
    bool painting() const { return m_onPaper && m_painter.isActive(); }

    QPrinter m_printer;
    QString m_pdfFile; // given for every print, instead of the file the print dialog offers
    QPainter m_painter;
    QFont m_font;
    double m_x = 0, m_y = 0;
    double m_sx = 1, m_sy = 1; // device pixels per page unit after scalePage
    int m_page = 1;
    bool m_onPaper = false; // the current page goes to paper
    QPageRanges m_ranges;   // empty: every page
};

} // namespace orv::reports
