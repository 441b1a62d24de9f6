#pragma once
#include "data/listtables.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orv::data {
class Connection;
}

namespace orv::reportdata {

// A report as a table for spreadsheet programs: the same rows, in the same
// order and with the same filters as the printed list, but as typed values.

// The cell types as the list tables name them.
using data::CellType;

struct ExportColumn {
    QString heading;
    CellType type = CellType::Text;
    int decimals = 0;     // numbers: shown with this many decimals
    bool summed = false;  // numbers: totalled below the rows (when the layout has totals)
    bool upright = false; // a workbook turns the heading upright, so that many narrow columns fit
};

// A text shown in a coloured cell (a state of the qualification matrix).
struct ExportMark {
    QString text;
    quint32 colour; // 0xRRGGBB
};

// A row of the legend sheet; `colour` (0xRRGGBB) fills its first cell.
struct LegendRow {
    QStringList cells;
    std::optional<quint32> colour = {};
    bool bold = false;
};

struct ExportLayout {
    QString title;         // the sheet's name and first row
    QString dateLine;      // "Datum: ..." with the remark
    QStringList selection; // the selection lines of the printed heading
    std::vector<ExportColumn> columns;
    bool totals = false; // a "Summe:" row with formulas and the count of rows
    QStringList legend;  // fixed-width lines below the totals
    // A workbook puts the legend's blocks into cells: the block starting at
    // character legendStops[i] goes into column legendColumns[i].
    std::vector<int> legendStops;
    std::vector<int> legendColumns;
    int frozenColumns = 0;             // columns a workbook keeps in view beside the frozen headings
    std::vector<ExportMark> marks;     // what ExportWriter::mark() writes
    QString legendSheet;               // a workbook's second sheet of this name explains the marks
    std::vector<LegendRow> legendRows; // its rows
};

enum class ExportFormat { Xlsx, Csv };

// Stops an export the user cancelled; nothing is left behind.
struct ExportCancelled {};

// An export failure with the German reason shown to the user.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const QString &reason) : std::runtime_error(reason.toStdString()), m_reason(reason) {}
    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};

// Receives the rows cell by cell, left to right. The writer works on a
// temporary file beside the target; commit() gives it the target's name,
// and a writer destroyed before that removes it.
class ExportWriter {
public:
    virtual ~ExportWriter() = default;

    // Text as the database holds it (UTF-8); the fixed-width padding is dropped.
    virtual void text(std::string_view utf8) = 0;
    virtual void number(double value) = 0;
    virtual void date(qint64 julianDay) = 0; // 0: no date
    virtual void empty() = 0;
    // The text of the layout's mark `index`, in its colour where the format has colours.
    virtual void mark(int index) = 0;
    void endRow()
    {
        finishRow();
        if (m_inFoot)
            return;
        ++m_rows;
        if ((m_rows & 0x3ff) == 0 && m_progress)
            m_progress(m_rows);
    }
    // The rows after this one are the foot (counts below the table): after
    // an empty row, outside the autofilter, and not counted in rows().
    void beginFoot()
    {
        if (m_inFoot)
            return;
        startFoot();
        m_inFoot = true;
    }
    // Totals, legend, then the file under its own name. Throws ExportError.
    virtual void commit() = 0;

    qint64 rows() const { return m_rows; }
    // `progress` is called every 1024 rows with the count so far and may throw
    // ExportCancelled; `total` once the rows to come are known.
    void setProgress(std::function<void(qint64)> progress, std::function<void(qint64)> total = {})
    {
        m_progress = std::move(progress);
        m_total = std::move(total);
    }
    // The rows routine tells how many rows it will write, once it has read them.
    void expect(qint64 rows)
    {
        if (m_total)
            m_total(rows);
    }

protected:
    virtual void finishRow() = 0;
    virtual void startFoot() = 0;

private:
    bool m_inFoot = false;
    qint64 m_rows = 0;
    std::function<void(qint64)> m_progress;
    std::function<void(qint64)> m_total;
};

// A writer for `target` in the given format; throws ExportError when the
// folder cannot take the file.
std::unique_ptr<ExportWriter> makeExportWriter(ExportFormat format, const ExportLayout &layout, const QString &target);

// The routine that writes a report's rows: it runs the list's own query and
// tells the writer how many rows will come (ExportWriter::expect).
using ExportRows = std::function<void(data::Connection &, ExportWriter &)>;

// What a report dialog hands to the export: the table's layout and the
// routine that writes its rows.
struct ExportJob {
    ExportLayout layout;
    ExportRows rows;
};

// Writes the job's rows into `target`: under a temporary name, renamed when
// complete. Returns the number of rows; with none, no file is made. Throws
// ExportError, ExportCancelled (from `progress`) or data::DbError; the target
// is then left as it was. `total` hears the number of rows to come, when the
// rows routine tells it.
qint64 runExport(data::Connection &conn, const ExportJob &job, ExportFormat format, const QString &target,
                 std::function<void(qint64)> progress = {}, std::function<void(qint64)> total = {});

// Why a file cannot be written at `target` as far as its folder and an
// existing file show it ("Keine Berechtigung zum Schreiben in diesem
// Ordner."); empty when nothing there stands in the way.
QString unwritableReason(const QString &target);

// "Liste Trainingsplan 2026-12-06.xlsx": a file name from the title and the day.
QString exportFileName(const QString &title, const QDate &day, ExportFormat format);
// The same with any extension ("pdf").
QString reportFileName(const QString &title, const QDate &day, const QString &suffix);

// The German CSV rendering of single values, as the CSV writer writes them.
std::string csvNumber(double value, int decimals); // "1234,50"
std::string csvDate(qint64 julianDay);             // "06.12.2026"; empty for 0
// A text cell: quoted when it holds ; " CR or LF; one starting with = + - @ tab
// or CR quoted with a leading apostrophe ("'=1+2"), which spreadsheets show as text.
std::string csvField(std::string_view value);

} // namespace orv::reportdata
