#pragma once
#include "data/dberror.h"
#include "reportdata/reportmodel.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class QWidget;

namespace orv::reports {

// A failure of the printer or the print dialog, with the number and text
// that the "Druckerfehler" question shows.
class PrintError : public data::NumberedError {
public:
    using data::NumberedError::NumberedError;
};

using data::ErrPrintCancel;
using data::ErrPrinter;

// The printer as the print routine sees it. Positions are in twips, origin
// at the top left of the printable page. Printing a line places it at the
// current position and moves to x = 0 one line height of the current font
// further down; drawing a line leaves the position at its end point.
class ReportPrinter {
public:
    virtual ~ReportPrinter() = default;

    // The print-setup dialog, opened with `preset` (the report's orientation,
    // or what the user chose for such a report earlier in this run); a file
    // is offered under the report's `title` and the day: the orientation
    // chosen, or nullopt when the user cancelled.
    virtual std::optional<reportdata::Orientation> showPrintDialog(QWidget *parent, reportdata::Orientation preset,
                                                                   const QString &title) = 0;
    // False when there is neither a printer nor a file to print into.
    virtual bool hasPrinter() const = 0;
    virtual void setOrientation(reportdata::Orientation o) = 0;
    // The document's title (a PDF's title, the print job's name); set before the first page.
    virtual void setTitle(const QString &title) = 0;
    // Where the document goes: the PDF file's path, or the printer's name when it is paper.
    struct Destination {
        QString pdfFile, printer;
    };
    virtual Destination destination() const = 0;
    virtual double pageWidth() const = 0;  // twips, after the orientation is set
    virtual double pageHeight() const = 0; // twips
    // Starts the document with the page scaled to (0, 0)-(width, height).
    virtual void scalePage(double width, double height) = 0;
    virtual void setFont(const QString &name, double pointSize) = 0;
    virtual void setX(double x) = 0;
    virtual void setY(double y) = 0;
    virtual double x() const = 0;
    virtual double y() const = 0;
    virtual void printLine(const QString &text) = 0;
    virtual double lineHeight() const = 0; // of the current font
    virtual double textWidth(const QString &text) const = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2) = 0;
    // Our logo mark at the current position, `pointSize` high.
    virtual void drawLogo(double pointSize) = 0;
    virtual void newPage() = 0;
    virtual int page() const = 0; // 1 on the first page
    // False when no page reached the paper or the file: the print went past
    // a failure that kept the document from being opened.
    virtual bool endDoc() = 0;
    // Throws away a document the user gave up on.
    virtual void abort() = 0;

    // A printer for the next print: the system's unless a test or tool installed another way.
    static std::unique_ptr<ReportPrinter> create();
    using Factory = std::function<std::unique_ptr<ReportPrinter>()>;
    static void setFactory(Factory factory); // empty: the system printer again
};

} // namespace orv::reports
