#pragma once
#include "reports/reportprinter.h"

#include <QPrinter>
#include <QString>
#include <memory>
#include <vector>

namespace orv::test {

// A printer that writes down what the print routine does to it. A4 paper;
// text measured as a fixed-pitch font is (0.6 em advance, 1.2 em line
// height), so positions are exact numbers the tests can state.
class RecordingPrinter : public reports::ReportPrinter {
public:
    enum class Op { Text, Line, Logo, NewPage, End, Abort };
    struct Item {
        Op op;
        int page = 1;
        double x = 0, y = 0, x2 = 0, y2 = 0;
        QString font;
        double size = 0;
        QString text;
    };
    struct Log {
        std::vector<Item> items;
        reportdata::Orientation orientation = reportdata::Orientation::Portrait;
        bool orientationSet = false;
        bool started = false;
        double scaledWidth = 0, scaledHeight = 0;
        int dialogs = 0;
        int failNewPage = 0;           // when set, the n-th start of a new page (1-based) fails
        bool noPrinter = false;        // neither printer nor file until a print dialog chose one
        bool busyWhilePrinting = true; // the hourglass stood at the start and at the end of the document
        QString title;                 // the document's title
        Destination destination;       // where it goes (nowhere the user is told of by default)
        // Texts printed on one page, in order, empty lines included.
        std::vector<const Item *> texts(int page) const;
        const Item *findText(const QString &text) const; // first text item with exactly this text
    };

    // The print dialog's result is taken from the QPrintDialog the prompter runs.
    explicit RecordingPrinter(std::shared_ptr<Log> log) : m_log(std::move(log)) {}

    // Installs a factory that hands out recording printers writing into `log`.
    static void install(const std::shared_ptr<Log> &log);
    static void uninstall();

    std::optional<reportdata::Orientation> showPrintDialog(QWidget *parent, reportdata::Orientation preset,
                                                           const QString &title) override;
    bool hasPrinter() const override { return !m_log->noPrinter; }
    void setOrientation(reportdata::Orientation o) override;
    void setTitle(const QString &title) override { m_log->title = title; }
    Destination destination() const override { return m_log->destination; }
    double pageWidth() const override;
    double pageHeight() const override;
    void scalePage(double width, double height) override;
    void setFont(const QString &name, double pointSize) override;
    void setX(double x) override { m_x = x; }
    void setY(double y) override { m_y = y; }
    double x() const override { return m_x; }
    double y() const override { return m_y; }
    void printLine(const QString &text) override;
    double lineHeight() const override { return lineHeight(m_size); }
    double textWidth(const QString &text) const override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void drawLogo(double pointSize) override;
    void newPage() override;
    int page() const override { return m_page; }
    bool endDoc() override;
    void abort() override;

    static double lineHeight(double size) { return size * 20 * 1.2; }
    static double charWidth(double size) { return size * 20 * 0.6; }
    static constexpr double a4Short = 11906, a4Long = 16838; // twips

private:
    std::shared_ptr<Log> m_log;
    QString m_font;
    double m_size = 0;
    double m_x = 0, m_y = 0;
    int m_page = 1;
    int m_newPages = 0;
};

} // namespace orv::test
