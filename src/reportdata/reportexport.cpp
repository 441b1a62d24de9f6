#include "reportdata/reportexport.h"

#include "data/csvfield.h"
#include "data/storedvalue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <xlsxwriter.h>

namespace orv::reportdata {

namespace {

std::string_view rightTrimmed(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// Characters, not bytes, of UTF-8 text: for column widths.
int charCount(std::string_view s)
{
    int n = 0;
    for (const char c : s)
        n += (static_cast<unsigned char>(c) & 0xc0) != 0x80;
    return n;
}

QString folderReason(const QString &target)
{
    const QFileInfo folder(QFileInfo(target).absolutePath());
    if (!folder.isDir())
        return QStringLiteral("Der Ordner ist nicht vorhanden.");
    if (QFileInfo(target).isDir())
        return QStringLiteral("Unter diesem Namen gibt es bereits einen Ordner.");
    if (!folder.isWritable())
        return QStringLiteral("Keine Berechtigung zum Schreiben in diesem Ordner.");
    return {};
}

QString fileReason(QFileDevice::FileError error, const QString &target)
{
    const QString folder = folderReason(target);
    if (!folder.isEmpty())
        return folder;
    switch (error) {
    case QFileDevice::ResourceError: return QStringLiteral("Der Datenträger ist voll.");
    case QFileDevice::PermissionsError: return QStringLiteral("Keine Berechtigung zum Schreiben.");
    case QFileDevice::OpenError: return QStringLiteral("Die Datei kann nicht angelegt werden.");
    default: return QStringLiteral("Die Datei kann nicht geschrieben werden.");
    }
}

QString errnoReason(int err)
{
    switch (err) {
    case ENOSPC: return QStringLiteral("Der Datenträger ist voll.");
    case EACCES:
    case EPERM: return QStringLiteral("Keine Berechtigung zum Schreiben.");
    case EROFS: return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case ENOENT: return QStringLiteral("Der Ordner ist nicht vorhanden.");
    default: return QString::fromLocal8Bit(std::strerror(err));
    }
}

// ---- CSV ---------------------------------------------------------------------

using data::appendCsvField;

// UTF-8 with a byte-order mark, ";" between fields, CR LF after each row:
// what German spreadsheet programs open directly.
class CsvWriter final : public ExportWriter {
public:
    CsvWriter(const ExportLayout &layout, const QString &target) : m_layout(layout), m_file(target)
    {
        if (!m_file.open(QIODevice::WriteOnly))
            throw ExportError(fileReason(m_file.error(), target));
        m_buf.reserve(kFlushAt + 4096);
        m_buf += "\xEF\xBB\xBF";
        for (const ExportColumn &c : layout.columns)
            text(c.heading.toStdString());
        finishLine();
        for (const ExportMark &m : layout.marks)
            m_marks.push_back(m.text.toStdString());
    }

    void text(std::string_view utf8) override
    {
        separator();
        appendCsvField(m_buf, rightTrimmed(utf8));
    }
    void number(double value) override
    {
        const int decimals = m_layout.columns[m_col].decimals;
        field(csvNumber(value, decimals));
    }
    void date(qint64 julianDay) override { field(csvDate(julianDay)); }
    void empty() override { field({}); }
    void mark(int index) override { text(m_marks[size_t(index)]); }

    void commit() override
    {
        flush();
        if (!m_file.commit())
            throw ExportError(fileReason(m_file.error(), m_file.fileName()));
    }

protected:
    void finishRow() override { finishLine(); }
    void startFoot() override { finishLine(); }

private:
    static constexpr size_t kFlushAt = 1 << 20;

    void separator()
    {
        if (m_col++ > 0)
            m_buf += ';';
    }
    void field(std::string_view s)
    {
        separator();
        m_buf += s;
    }
    void finishLine()
    {
        m_buf += "\r\n";
        m_col = 0;
        if (m_buf.size() >= kFlushAt)
            flush();
    }
    void flush()
    {
        if (m_buf.empty())
            return;
        if (m_file.write(m_buf.data(), qint64(m_buf.size())) != qint64(m_buf.size()))
            throw ExportError(fileReason(m_file.error(), m_file.fileName()));
        m_buf.clear();
    }

    const ExportLayout &m_layout;
    QSaveFile m_file;
    std::vector<std::string> m_marks;
    std::string m_buf;
    size_t m_col = 0;
};

// ---- XLSX --------------------------------------------------------------------

constexpr lxw_row_t kMaxRows = 1048576;
constexpr size_t kMaxColumns = 16384;
// An upright heading longer than this is cut (the legend sheet has it whole).
constexpr int kUprightChars = 60;
const qint64 kExcelEpoch = QDate(1899, 12, 30).toJulianDay(); // day 0 of the workbook's dates

QString sheetName(const QString &title)
{
    QString name = title.trimmed();
    for (const QChar c : QStringLiteral("[]:*?/\\"))
        name.replace(c, QLatin1Char('_'));
    name = name.left(31).trimmed();
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Bericht") : name;
}

QString xlsxReason(lxw_error e)
{
    switch (e) {
    case LXW_ERROR_CREATING_XLSX_FILE: return QStringLiteral("Die Datei kann nicht angelegt werden.");
    case LXW_ERROR_CREATING_TMPFILE: return QStringLiteral("Die Zwischendatei kann nicht angelegt werden.");
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
    case LXW_ERROR_READING_TMPFILE:
        return QStringLiteral("Die Datei kann nicht geschrieben werden (Datenträger voll?).");
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return QStringLiteral("Zu wenig Arbeitsspeicher.");
    default: return QString::fromUtf8(lxw_strerror(e));
    }
}

// A workbook through libxlsxwriter, row by row so that a million rows need
// little memory: title, date line and selection rows, then bold frozen
// headings with an autofilter, the typed rows, totals as formulas and the legend.
class XlsxWriter final : public ExportWriter {
public:
    XlsxWriter(const ExportLayout &layout, const QString &target) : m_layout(layout), m_target(target)
    {
        const QFileInfo info(target);
        m_temp = info.absolutePath() + QLatin1Char('/') + info.fileName()
                 + QStringLiteral(".%1-%2.tmp")
                       .arg(QCoreApplication::applicationPid())
                       .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        if (const QString reason = folderReason(target); !reason.isEmpty())
            throw ExportError(reason);
        if (layout.columns.size() > kMaxColumns)
            throw ExportError(QStringLiteral("Die Liste hat mehr Spalten, als ein Tabellenblatt fassen kann. "
                                             "Bitte als CSV exportieren."));
        {
            // The workbook is written only at the end; find out now whether the folder takes it.
            QFile probe(m_temp);
            if (!probe.open(QIODevice::WriteOnly))
                throw ExportError(fileReason(probe.error(), target));
        }
        const QByteArray path = QFile::encodeName(m_temp);
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        m_book = workbook_new_opt(path.constData(), &options);
        if (!m_book) {
            QFile::remove(m_temp);
            throw ExportError(QStringLiteral("Zu wenig Arbeitsspeicher."));
        }
        m_sheet = workbook_add_worksheet(m_book, sheetName(layout.title).toUtf8().constData());
        m_bold = workbook_add_format(m_book);
        format_set_bold(m_bold);
        m_titleFormat = workbook_add_format(m_book);
        format_set_bold(m_titleFormat);
        format_set_font_size(m_titleFormat, 14);
        m_headFormat = workbook_add_format(m_book);
        format_set_bold(m_headFormat);
        format_set_bottom(m_headFormat, LXW_BORDER_THIN);
        m_dateFormat = workbook_add_format(m_book);
        format_set_num_format(m_dateFormat, "dd.mm.yyyy");
        m_widths.assign(layout.columns.size(), 0);
        m_sums.assign(layout.columns.size(), 0.0);
        for (const ExportColumn &c : layout.columns) {
            lxw_format *f = nullptr, *bold = nullptr;
            if (c.type == CellType::Number) {
                const std::string pattern = c.decimals > 0 ? "0." + std::string(size_t(c.decimals), '0') : "0";
                f = workbook_add_format(m_book);
                format_set_num_format(f, pattern.c_str());
                bold = workbook_add_format(m_book);
                format_set_num_format(bold, pattern.c_str());
                format_set_bold(bold);
            }
            m_numFormats.push_back(f);
            m_boldNumFormats.push_back(bold);
        }

        for (const ExportMark &m : layout.marks) {
            lxw_format *f = workbook_add_format(m_book);
            format_set_bg_color(f, lxw_color_t(m.colour));
            format_set_align(f, LXW_ALIGN_CENTER);
            m_markFormats.push_back(f);
            m_markTexts.push_back(m.text.toStdString());
        }
        if (!layout.legendSheet.isEmpty())
            writeLegendSheet();

        string(0, 0, layout.title.toUtf8(), m_titleFormat);
        string(1, 0, layout.dateLine.toUtf8(), nullptr);
        m_row = 2;
        for (const QString &line : layout.selection)
            string(m_row++, 0, line.toUtf8(), nullptr);
        ++m_row; // an empty row before the headings
        m_headRow = m_row;
        writeHeadings();
        worksheet_freeze_panes(m_sheet, m_headRow + 1, lxw_col_t(layout.frozenColumns));
        m_row = m_headRow + 1;
        m_firstDataRow = m_row;
    }

    ~XlsxWriter() override
    {
        if (m_book) {
            // Given up: nothing but the temporary file, which goes too.
            workbook_close(m_book);
            QFile::remove(m_temp);
        }
    }

    void text(std::string_view utf8) override
    {
        const std::string_view v = rightTrimmed(utf8);
        if (!v.empty()) {
            m_cell.assign(v);
            worksheet_write_string(m_sheet, m_row, m_col, m_cell.c_str(), nullptr);
            m_widths[m_col] = std::max(m_widths[m_col], charCount(v));
        }
        ++m_col;
    }
    void number(double value) override
    {
        // The value the printed list shows, so that the workbook's sums agree with it.
        value = data::roundedAmount(value, m_layout.columns[m_col].decimals);
        worksheet_write_number(m_sheet, m_row, m_col, value, m_numFormats[m_col]);
        m_sums[m_col] += value;
        // "-1234.50": digits before the point, the point and the decimals.
        const int len = int(std::snprintf(nullptr, 0, "%.*f", m_layout.columns[m_col].decimals, value));
        m_widths[m_col] = std::max(m_widths[m_col], len);
        ++m_col;
    }
    void date(qint64 julianDay) override
    {
        if (julianDay != 0) {
            worksheet_write_number(m_sheet, m_row, m_col, double(julianDay - kExcelEpoch), m_dateFormat);
            m_widths[m_col] = std::max(m_widths[m_col], 10);
        }
        ++m_col;
    }
    void empty() override { ++m_col; }
    void mark(int index) override
    {
        worksheet_write_string(m_sheet, m_row, m_col, m_markTexts[size_t(index)].c_str(), m_markFormats[size_t(index)]);
        m_widths[m_col] = std::max(m_widths[m_col], charCount(m_markTexts[size_t(index)]));
        ++m_col;
    }

    void commit() override
    {
        if (!m_footRow)
            filterTo(m_row);
        const lxw_row_t lastData = *m_footRow > m_firstDataRow ? *m_footRow - 1 : m_firstDataRow;
        if (m_layout.totals && rows() > 0) {
            ++m_row;
            string(m_row, 0, QByteArrayLiteral("Summe:"), m_bold);
            int after = 0;
            for (size_t c = 0; c < m_layout.columns.size(); ++c) {
                if (!m_layout.columns[c].summed)
                    continue;
                char from[16], to[16];
                lxw_rowcol_to_cell(from, m_firstDataRow, lxw_col_t(c));
                lxw_rowcol_to_cell(to, lastData, lxw_col_t(c));
                const std::string formula = std::string("=SUM(") + from + ":" + to + ")";
                worksheet_write_formula_num(m_sheet, m_row, lxw_col_t(c), formula.c_str(), m_boldNumFormats[c],
                                            m_sums[c]);
                after = int(c) + 1;
            }
            string(m_row, lxw_col_t(after), QByteArrayLiteral("Anzahl:"), m_bold);
            worksheet_write_number(m_sheet, m_row, lxw_col_t(after + 1), double(rows()), m_bold);
            ++m_row;
        }
        if (!m_layout.legend.isEmpty()) {
            ++m_row;
            for (const QString &line : m_layout.legend) {
                for (size_t b = 0; b < m_layout.legendStops.size(); ++b) {
                    const int from = m_layout.legendStops[b];
                    const int to = b + 1 < m_layout.legendStops.size() ? m_layout.legendStops[b + 1] : int(line.size());
                    const QString block = line.mid(from, to - from).trimmed();
                    if (!block.isEmpty())
                        string(m_row, lxw_col_t(m_layout.legendColumns[b]), block.toUtf8(), b == 0 ? m_bold : nullptr);
                }
                ++m_row;
            }
        }
        for (size_t c = 0; c < m_widths.size(); ++c)
            worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), std::min(m_widths[c], 80) + 2, nullptr);

        const lxw_error e = workbook_close(m_book);
        m_book = nullptr;
        if (e != LXW_NO_ERROR) {
            QFile::remove(m_temp);
            throw ExportError(xlsxReason(e));
        }
        if (std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_target).constData()) != 0) {
            const int err = errno;
            QFile::remove(m_temp);
            throw ExportError(errnoReason(err));
        }
    }

protected:
    void finishRow() override
    {
        ++m_row;
        m_col = 0;
        checkRoom();
    }
    void startFoot() override
    {
        filterTo(m_row);
        ++m_row;
    }

private:
    void string(lxw_row_t row, lxw_col_t col, const QByteArray &utf8, lxw_format *format)
    {
        worksheet_write_string(m_sheet, row, col, utf8.constData(), format);
    }

    // The autofilter over the headings and the rows before `end`. Row by row
    // the library takes the filter's range only while its last row is still open.
    void filterTo(lxw_row_t end)
    {
        m_footRow = end;
        const lxw_row_t lastData = end > m_firstDataRow ? end - 1 : m_firstDataRow;
        worksheet_autofilter(m_sheet, m_headRow, 0, lastData, lxw_col_t(m_layout.columns.size() - 1));
    }

    // Bold headings over a thin line; upright ones in a row as high as the longest needs.
    void writeHeadings()
    {
        lxw_format *upright = nullptr;
        int tallest = 0;
        for (size_t c = 0; c < m_layout.columns.size(); ++c) {
            const ExportColumn &col = m_layout.columns[c];
            if (!col.upright)
                continue;
            if (!upright) {
                upright = workbook_add_format(m_book);
                format_set_bold(upright);
                format_set_bottom(upright, LXW_BORDER_THIN);
                format_set_rotation(upright, 90);
                format_set_align(upright, LXW_ALIGN_CENTER);
            }
            tallest = std::max(tallest, int(std::min<qsizetype>(col.heading.size(), kUprightChars)));
        }
        if (upright) // about 6 points a character of the 11-point font, and a margin
            worksheet_set_row(m_sheet, m_headRow, 6.0 * tallest + 12, nullptr);
        for (size_t c = 0; c < m_layout.columns.size(); ++c) {
            const ExportColumn &col = m_layout.columns[c];
            QString h = col.heading;
            if (col.upright && h.size() > kUprightChars)
                h = h.left(kUprightChars - 1) + QChar(0x2026);
            const QByteArray utf8 = h.toUtf8();
            string(m_headRow, lxw_col_t(c), utf8, col.upright ? upright : m_headFormat);
            // An upright heading takes no width: the column is as wide as its cells.
            m_widths[c] = col.upright ? 2 : charCount(utf8.toStdString());
        }
    }

    // The second sheet, whole before the first one's rows: its first
    // cells coloured as the marks they explain.
    void writeLegendSheet()
    {
        lxw_worksheet *sheet = workbook_add_worksheet(m_book, sheetName(m_layout.legendSheet).toUtf8().constData());
        std::vector<int> widths;
        std::vector<std::pair<std::pair<quint32, bool>, lxw_format *>> formats;
        const auto formatOf = [&](const LegendRow &r) -> lxw_format * {
            if (!r.colour && !r.bold)
                return nullptr;
            const std::pair<quint32, bool> key{r.colour ? *r.colour + 1 : 0, r.bold};
            for (const auto &f : formats)
                if (f.first == key)
                    return f.second;
            lxw_format *f = workbook_add_format(m_book);
            if (r.colour) {
                format_set_bg_color(f, lxw_color_t(*r.colour));
                format_set_align(f, LXW_ALIGN_CENTER);
            }
            if (r.bold)
                format_set_bold(f);
            formats.emplace_back(key, f);
            return f;
        };
        const auto boldOnly = [&](bool bold) { return bold ? m_bold : nullptr; };
        for (size_t row = 0; row < m_layout.legendRows.size(); ++row) {
            const LegendRow &r = m_layout.legendRows[row];
            for (qsizetype c = 0; c < r.cells.size(); ++c) {
                const QByteArray utf8 = r.cells[c].toUtf8();
                lxw_format *f = c == 0 ? formatOf(r) : boldOnly(r.bold);
                if (!utf8.isEmpty())
                    worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(c), utf8.constData(), f);
                else if (f) // a colour alone
                    worksheet_write_blank(sheet, lxw_row_t(row), lxw_col_t(c), f);
                if (size_t(c) >= widths.size())
                    widths.resize(size_t(c) + 1, 0);
                widths[size_t(c)] = std::max(widths[size_t(c)], charCount(utf8.toStdString()));
            }
        }
        for (size_t c = 0; c < widths.size(); ++c)
            worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), std::min(widths[c], 80) + 2, nullptr);
    }
    // Room for the next row and the totals and legend below the last one.
    void checkRoom()
    {
        if (m_row + 16 >= kMaxRows)
            throw ExportError(QStringLiteral("Die Liste hat mehr Zeilen, als ein Tabellenblatt fassen kann. "
                                             "Bitte als CSV exportieren."));
    }

    const ExportLayout &m_layout;
    QString m_target, m_temp;
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_bold = nullptr, *m_titleFormat = nullptr, *m_headFormat = nullptr, *m_dateFormat = nullptr;
    std::vector<lxw_format *> m_numFormats, m_boldNumFormats, m_markFormats;
    std::vector<std::string> m_markTexts;
    std::optional<lxw_row_t> m_footRow; // the empty row before the foot
    std::vector<int> m_widths;
    std::vector<double> m_sums;
    lxw_row_t m_row = 0, m_headRow = 0, m_firstDataRow = 0;
    lxw_col_t m_col = 0;
    std::string m_cell;
};

} // namespace

std::unique_ptr<ExportWriter> makeExportWriter(ExportFormat format, const ExportLayout &layout, const QString &target)
{
    if (format == ExportFormat::Csv)
        return std::make_unique<CsvWriter>(layout, target);
    return std::make_unique<XlsxWriter>(layout, target);
}

qint64 runExport(data::Connection &conn, const ExportJob &job, ExportFormat format, const QString &target,
                 std::function<void(qint64)> progress, std::function<void(qint64)> total)
{
    // The file goes in under a new name; a file there that the user
    // write-protected is not replaced behind that protection.
    if (const QString reason = unwritableReason(target); !reason.isEmpty())
        throw ExportError(reason);
    const std::unique_ptr<ExportWriter> writer = makeExportWriter(format, job.layout, target);
    writer->setProgress(std::move(progress), std::move(total));
    job.rows(conn, *writer);
    if (writer->rows() > 0)
        writer->commit();
    return writer->rows();
}

QString unwritableReason(const QString &target)
{
    const QString folder = folderReason(target);
    if (!folder.isEmpty())
        return folder;
    const QFileInfo file(target);
    if (file.exists() && !file.isWritable())
        return QStringLiteral("Keine Berechtigung zum Schreiben.");
    return {};
}

QString exportFileName(const QString &title, const QDate &day, ExportFormat format)
{
    return reportFileName(title, day, format == ExportFormat::Csv ? QStringLiteral("csv") : QStringLiteral("xlsx"));
}

QString reportFileName(const QString &title, const QDate &day, const QString &suffix)
{
    QString name = title.simplified();
    for (const QChar c : QStringLiteral("/\\:*?\"<>|"))
        name.replace(c, QLatin1Char('_'));
    name = name.simplified();
    if (name.isEmpty())
        name = QStringLiteral("Bericht");
    return name + QLatin1Char(' ') + day.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('.') + suffix;
}

std::string csvNumber(double value, int decimals)
{
    // Rounded as the printed list rounds it, so that both show and total alike.
    const qint64 units = data::amountUnits(value, decimals);
    std::string s = std::to_string(units < 0 ? -units : units);
    if (decimals > 0) {
        if (s.size() <= size_t(decimals))
            s.insert(0, size_t(decimals) + 1 - s.size(), '0');
        s.insert(s.size() - size_t(decimals), 1, ',');
    }
    return units < 0 ? "-" + s : s; // no "-0,00": zero units have no sign
}

std::string csvDate(qint64 julianDay)
{
    if (julianDay == 0)
        return {};
    int y, m, d;
    QDate::fromJulianDay(julianDay).getDate(&y, &m, &d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d, m, y);
    return buf;
}

std::string csvField(std::string_view value) { return data::csvField(value); }

} // namespace orv::reportdata
