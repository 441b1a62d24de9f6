#include "reports/reportprint.h"

#include "reports/reportprinter.h"
#include "services/settings.h"
#include "ui/prompter.h"
#include "ui/statuspanels.h"
#include "ui/widgets.h"

#include <QDir>
#include <algorithm>

namespace orv::reports {

namespace {

const QString bodyFont = QStringLiteral("Courier New");
const QString headFont = QStringLiteral("Arial");

// The page layout of one print run; every position in twips of the scaled page.
class PageLayout {
public:
    PageLayout(const reportdata::ReportModel &model, ReportPrinter &printer, double w, double h)
        : m_model(model), m_printer(printer), m_w(w), m_h(h)
    {
    }

    // The first page with `header` as its header lines; the body size fits
    // every line of `lines` (all the document's).
    void firstPageHeading(const QStringList &header, const std::vector<const QStringList *> &lines)
    {
        m_header = header;
        frame();
        m_printer.setX(m_w - 3500);
        m_printer.setY(300);
        printFitted(reportdata::programLine(), headFont, 8, 6, m_w - 200 - gap);
        m_printer.setX(600);
        m_printer.setY(300);
        m_printer.drawLogo(48);
        m_printer.setY(300);
        m_printer.setX(2000);
        // The title stands on the program line's height: it ends before it.
        printFitted(m_model.title, headFont, 16, 10, m_w - 3500 - gap);
        m_printer.setFont(headFont, 12);
        m_printer.printLine(QString());
        m_printer.setX(2000);
        printFitted(reportdata::dateLine(), headFont, 12, 8, m_w - 200 - gap);
        m_printer.drawLine(500, 1300, m_w - 200, 1300);
        m_bodySize = fittedSize(lines);
        m_printer.setFont(bodyFont, m_bodySize);
        m_printer.printLine(QString());
        m_printer.setX(m_w - 2000);
        m_printer.printLine(pageText());
        headerLines();
    }

    // A slice of a wide table: a page of its own under its own header lines.
    void nextSection(const QStringList &header)
    {
        m_header = header;
        followingPage();
    }

    void line(const QString &text)
    {
        const bool pageBreak = text.startsWith(QLatin1String("'Seite"));
        if (m_printer.y() > m_h - 400 || pageBreak)
            followingPage();
        if (text.startsWith(QLatin1String("'Linie"))) {
            const double y = m_printer.y();
            m_printer.drawLine(500, y, m_w - 200, y);
            m_printer.printLine(QString());
        } else if (!pageBreak) {
            m_printer.setX(600);
            m_printer.printLine(text);
        }
    }

private:
    // The room kept between a heading text and the frame or the next text.
    static constexpr double gap = 100;

    // Prints a heading text at the current position in `size`, smaller (not
    // below `minSize`) and then cut where it would reach past `right`. The
    // next line stands where it would after the text at full size.
    void printFitted(const QString &text, const QString &font, double size, double minSize, double right)
    {
        const double x = m_printer.x(), y = m_printer.y();
        const double room = right - x;
        double s = size;
        m_printer.setFont(font, s);
        while (s > minSize && m_printer.textWidth(text) > room) {
            s = std::max(minSize, s - 0.5);
            m_printer.setFont(font, s);
        }
        QString shown = text;
        if (m_printer.textWidth(shown) > room) {
            const QString ellipsis(QChar(0x2026));
            while (!shown.isEmpty() && m_printer.textWidth(shown + ellipsis) > room)
                shown.chop(1);
            shown += ellipsis;
        }
        m_printer.setX(x);
        m_printer.setY(y);
        m_printer.printLine(shown);
        m_printer.setFont(font, size);
        m_printer.setY(y + m_printer.lineHeight());
    }

    void frame()
    {
        m_printer.drawLine(500, 200, m_w - 200, 200);
        m_printer.drawLine(m_w - 200, 200, m_w - 200, m_h - 200);
        m_printer.drawLine(m_w - 200, m_h - 200, 500, m_h - 200);
        m_printer.drawLine(500, m_h - 200, 500, 200);
    }

    QString pageText() const { return QStringLiteral("Seite: ") + QString::number(m_printer.page()); }

    void headerLines()
    {
        if (m_header.isEmpty())
            return;
        for (const QString &l : m_header) {
            m_printer.setX(600);
            m_printer.printLine(l);
        }
        m_printer.printLine(QString());
    }

    // The largest whole size from 10 down at which the longest line fits
    // between the margins. In a fixed-pitch font the longest line is the
    // widest; the first line may be the empty line or the short heading of a
    // group. The column heading lines are measured too: they stay inside the frame.
    double fittedSize(const std::vector<const QStringList *> &all)
    {
        const QString *probe = nullptr;
        for (const QStringList *lines : all)
            for (const QString &l : *lines)
                if (!probe || l.size() > probe->size())
                    probe = &l;
        double size = 10;
        m_printer.setFont(bodyFont, size);
        while (size > 1 && probe && m_printer.textWidth(*probe) >= m_w - 700) {
            size -= 1;
            m_printer.setFont(bodyFont, size);
        }
        return size;
    }

    void followingPage()
    {
        m_printer.newPage();
        frame();
        m_printer.setX(600);
        m_printer.setY(500);
        printFitted(m_model.title, bodyFont, m_bodySize, m_bodySize, m_w - 2000 - gap);
        m_printer.setFont(bodyFont, m_bodySize);
        m_printer.setX(m_w - 2000);
        m_printer.setY(500);
        m_printer.printLine(pageText());
        headerLines();
    }

    const reportdata::ReportModel &m_model;
    ReportPrinter &m_printer;
    double m_w, m_h;
    QStringList m_header;
    double m_bodySize = 10;
};

// What is printed under one set of header lines: the whole report, or one
// slice of a wide table.
struct Section {
    QStringList header, body;
};

// The slices of a wide table, each as wide as the page takes at the body
// size: the largest from 10 down at which the row names with the widest
// column, and every line printed whole, fit between the margins.
std::vector<Section> slicedSections(const reportdata::TableSlices &t, const QStringList &header,
                                    const QStringList &body, ReportPrinter &printer, double w)
{
    const int columns = int(t.columnStarts.size());
    const int headerFrom = std::clamp(t.headerFrom, 0, int(header.size()));
    const int rows = std::clamp(t.rows, 0, int(body.size()));
    const int keyFrom = std::clamp(t.keyFrom, rows, int(body.size()));
    const int keyEnd = std::min(keyFrom + columns, int(body.size()));
    std::vector<bool> isWhole(size_t(rows), false);
    for (int i : t.wholeRows)
        if (i >= 0 && i < rows)
            isWhole[size_t(i)] = true;
    qsizetype tableEnd = 0, whole = 0;
    for (int i = 0; i < header.size(); ++i) {
        qsizetype &longest = i < headerFrom ? whole : tableEnd;
        longest = std::max(longest, header[i].size());
    }
    for (int i = 0; i < body.size(); ++i) {
        qsizetype &longest = i < rows && !isWhole[size_t(i)] ? tableEnd : whole;
        longest = std::max(longest, body[i].size());
    }
    std::vector<int> ends(size_t(columns), 0);
    int widest = 0;
    for (int c = 0; c < columns; ++c) {
        const int start = t.columnStarts[size_t(c)];
        ends[size_t(c)] = std::max(start, c + 1 < columns ? t.columnStarts[size_t(c) + 1] : int(tableEnd));
        widest = std::max(widest, ends[size_t(c)] - start);
    }
    const double room = w - 700;
    const auto fits = [&](qsizetype chars) { return printer.textWidth(QString(chars, QLatin1Char('M'))) < room; };
    double size = 10;
    printer.setFont(QStringLiteral("Courier New"), size);
    while (size > 1 && !fits(std::max<qsizetype>(t.rowNames + widest, whole))) {
        size -= 1;
        printer.setFont(QStringLiteral("Courier New"), size);
    }
    int capacity = int(room / std::max(1.0, printer.textWidth(QStringLiteral("M"))));
    while (capacity > 0 && !fits(capacity))
        --capacity;
    while (fits(capacity + 1))
        ++capacity;

    std::vector<Section> sections;
    for (int a = 0; a < columns;) {
        const int from = t.columnStarts[size_t(a)];
        int b = a + 1; // a column wider than the page stands alone
        while (b < columns && t.rowNames + ends[size_t(b)] - from <= capacity)
            ++b;
        const int length = ends[size_t(b) - 1] - from;
        const auto cut = [&](const QString &line) {
            QString s = line.left(t.rowNames).leftJustified(t.rowNames) + line.mid(from, length);
            while (s.endsWith(QLatin1Char(' ')))
                s.chop(1);
            return s;
        };
        Section slice;
        for (int i = 0; i < header.size(); ++i)
            slice.header << (i < headerFrom ? header[i] : cut(header[i]));
        for (int i = 0; i < rows; ++i)
            slice.body << (isWhole[size_t(i)] ? body[i] : cut(body[i]));
        slice.body << body.mid(rows, keyFrom - rows);
        const int keyA = std::min(keyFrom + a, keyEnd), keyB = std::min(keyFrom + b, keyEnd);
        slice.body << body.mid(keyA, keyB - keyA);
        if (b == columns)
            slice.body << body.mid(keyEnd);
        sections.push_back(std::move(slice));
        a = b;
    }
    return sections;
}

// True when the user wants to give up after a printer failure.
bool abandonAfter(const PrintError &e, QWidget *parent)
{
    const ui::NormalPointer normal;
    const QString text = QStringLiteral("Druckerfehler: ") + QString::number(e.number()) + QLatin1Char(' ')
                         + e.description() + reportdata::crlf + QStringLiteral("Möchten Sie den Druck abbrechen?");
    return ui::Prompter::instance().message(parent, text, QStringLiteral("Druckerfehler"), ui::Icon::Question,
                                            ui::Buttons::YesNo, ui::Answer::Yes)
           == ui::Answer::Yes;
}

} // namespace

void tellWherePrinted(const QString &title, const ReportPrinter::Destination &to, QWidget *parent)
{
    if (!to.pdfFile.isEmpty()) {
        ui::inform(parent,
                   QStringLiteral("„%1“ wurde als PDF-Datei gespeichert:\r\n").arg(title)
                       + QDir::toNativeSeparators(to.pdfFile),
                   QStringLiteral("Drucken"), ui::Icon::Information);
        ui::setStatus(QStringLiteral("Gedruckt in %1").arg(QDir::toNativeSeparators(to.pdfFile)));
    } else if (!to.printer.isEmpty()) {
        ui::setStatus(QStringLiteral("„%1“ wurde auf dem Drucker „%2“ gedruckt.").arg(title, to.printer));
    }
}

PrintOutcome printReport(const reportdata::ReportModel &model, ReportPrinter &printer, QWidget *parent,
                         PrintSetup setup)
{
    const QStringList body = reportdata::splitLines(model.body);
    bool abandoned = false;
    // Runs one step; after a failure the user chooses between giving up and going on with the next step.
    auto step = [&](auto &&fn) {
        if (abandoned)
            return false;
        try {
            fn();
        } catch (const PrintError &e) {
            abandoned = abandonAfter(e, parent);
            if (abandoned)
                printer.abort();
        }
        return !abandoned;
    };

    // The page preview has set the printer up already.
    const bool needsSetup = setup == PrintSetup::FromSettings;
    bool withDialog = needsSetup && services::settings::isOn(services::settings::Switch::PrinterWindow);
    if (needsSetup && !withDialog && !printer.hasPrinter()) {
        // Nothing to print on: "Nein" goes on in the print dialog, where a file can be chosen.
        if (abandonAfter(PrintError(ErrPrinter, QStringLiteral("Kein Drucker vorhanden")), parent))
            return PrintOutcome::Abandoned;
        withDialog = true;
    }
    bool cancelled = false;
    if (needsSetup && !step([&] {
            if (withDialog) {
                const ui::NormalPointer normal;
                const auto chosen = printer.showPrintDialog(parent, model.orientation, model.title);
                if (!chosen) {
                    cancelled = true;
                    return;
                }
                printer.setOrientation(*chosen);
            } else {
                printer.setOrientation(model.orientation);
            }
        }))
        return PrintOutcome::Abandoned;
    if (cancelled)
        return PrintOutcome::Cancelled;

    printer.setTitle(model.title);
    double w = 0, h = 0;
    if (!step([&] {
            w = printer.pageWidth();
            h = printer.pageHeight();
            printer.scalePage(w, h);
        }))
        return PrintOutcome::Abandoned;

    const QStringList header = model.header.isEmpty() ? QStringList() : reportdata::splitLines(model.header);
    std::vector<Section> sections;
    if (model.slices && !model.slices->columnStarts.empty()) {
        if (!step([&] { sections = slicedSections(*model.slices, header, body, printer, w); }))
            return PrintOutcome::Abandoned;
    }
    if (sections.empty())
        sections.push_back({header, body});
    std::vector<const QStringList *> all;
    for (const Section &s : sections)
        all.insert(all.end(), {&s.header, &s.body});

    PageLayout layout(model, printer, w, h);
    if (!step([&] { layout.firstPageHeading(sections.front().header, all); }))
        return PrintOutcome::Abandoned;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (i > 0 && !step([&] { layout.nextSection(sections[i].header); }))
            return PrintOutcome::Abandoned;
        for (const QString &l : sections[i].body) {
            if (!step([&] { layout.line(l); }))
                return PrintOutcome::Abandoned;
        }
    }
    bool produced = false;
    if (!step([&] { produced = printer.endDoc(); }))
        return PrintOutcome::Abandoned;
    // Past a failure that kept every page from paper or file, nothing was
    // printed: no success is claimed.
    return produced ? PrintOutcome::Printed : PrintOutcome::Abandoned;
}

} // namespace orv::reports
