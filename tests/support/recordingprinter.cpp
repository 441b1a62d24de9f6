#include "support/recordingprinter.h"

#include "reports/qtreportprinter.h"

#include <QCursor>
#include <QGuiApplication>

using namespace Qt::StringLiterals;

namespace orv::test {

using reportdata::Orientation;

std::vector<const RecordingPrinter::Item *> RecordingPrinter::Log::texts(int page) const
{
    std::vector<const Item *> out;
    for (const Item &i : items)
        if (i.op == Op::Text && i.page == page)
            out.push_back(&i);
    return out;
}

const RecordingPrinter::Item *RecordingPrinter::Log::findText(const QString &text) const
{
    for (const Item &i : items)
        if (i.op == Op::Text && i.text == text)
            return &i;
    return nullptr;
}

void RecordingPrinter::install(const std::shared_ptr<Log> &log)
{
    ReportPrinter::setFactory([log] { return std::make_unique<RecordingPrinter>(log); });
}

void RecordingPrinter::uninstall() { ReportPrinter::setFactory({}); }

std::optional<Orientation> RecordingPrinter::showPrintDialog(QWidget *parent, Orientation preset, const QString &title)
{
    ++m_log->dialogs;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    const auto chosen = reports::runPrintSetup(printer, preset, reports::proposedPdfFile(title), parent);
    if (chosen)
        m_log->noPrinter = false;
    return chosen;
}

static bool busy()
{
    const QCursor *c = QGuiApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor;
}

void RecordingPrinter::setOrientation(Orientation o)
{
    m_log->orientation = o;
    m_log->orientationSet = true;
}

double RecordingPrinter::pageWidth() const { return m_log->orientation == Orientation::Landscape ? a4Long : a4Short; }

double RecordingPrinter::pageHeight() const { return m_log->orientation == Orientation::Landscape ? a4Short : a4Long; }

void RecordingPrinter::scalePage(double width, double height)
{
    m_log->started = true;
    m_log->busyWhilePrinting = busy();
    m_log->scaledWidth = width;
    m_log->scaledHeight = height;
}

void RecordingPrinter::setFont(const QString &name, double pointSize)
{
    m_font = name;
    m_size = pointSize;
}

void RecordingPrinter::printLine(const QString &text)
{
    m_log->items.push_back({Op::Text, m_page, m_x, m_y, 0, 0, m_font, m_size, text});
    m_x = 0;
    m_y += lineHeight(m_size);
}

double RecordingPrinter::textWidth(const QString &text) const { return text.size() * charWidth(m_size); }

void RecordingPrinter::drawLine(double x1, double y1, double x2, double y2)
{
    m_log->items.push_back({Op::Line, m_page, x1, y1, x2, y2, QString(), 0, QString()});
    m_x = x2;
    m_y = y2;
}

void RecordingPrinter::drawLogo(double pointSize)
{
    m_log->items.push_back({Op::Logo, m_page, m_x, m_y, 0, 0, QString(), pointSize, QString()});
}

void RecordingPrinter::newPage()
{
    ++m_newPages;
    if (m_log->failNewPage == m_newPages)
        throw reports::PrintError(reports::ErrPrinter, u"Papierstau"_s);
    ++m_page;
    m_x = m_y = 0;
    m_log->items.push_back({Op::NewPage, m_page, 0, 0, 0, 0, QString(), 0, QString()});
}

bool RecordingPrinter::endDoc()
{
    m_log->busyWhilePrinting = m_log->busyWhilePrinting && busy();
    m_log->items.push_back({Op::End, m_page, 0, 0, 0, 0, QString(), 0, QString()});
    return true;
}

void RecordingPrinter::abort() { m_log->items.push_back({Op::Abort, m_page, 0, 0, 0, 0, QString(), 0, QString()}); }

} // namespace orv::test
