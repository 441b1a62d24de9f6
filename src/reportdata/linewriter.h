#pragma once
#include "data/backend.h"
#include "data/prefault.h"
#include "data/recordset.h"
#include "reportdata/reportmodel.h"

#include <QDate>
#include <QString>
#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

namespace orv::data {
class ListQuery;
}

namespace orv::reportdata {

// The rows of a record set in its sorted order, read like a query result.
// Reports sort in memory with the record set's German order instead of
// through the database's collation, which costs several times the read.
class SortedRows final : public data::Cursor {
public:
    // Reads the whole result of sql, then sorts it by the comma-separated
    // columns. `expectedRows`: about how many rows come; 0 when unknown.
    SortedRows(data::Connection &conn, const QString &sql, const QVariantList &params, const QString &sortColumns,
               qint64 expectedRows = 0);
    // The same for a list's rows; the file database reads a joined list's
    // tables one by one and joins them here.
    SortedRows(data::Connection &conn, const data::ListQuery &query, const QString &sortColumns,
               qint64 expectedRows = 0);
    int size() const { return m_rows.recordCount(); }

    bool next() override;
    int columnCount() const override { return m_rows.columnCount(); }
    const data::ColumnInfo &column(int c) const override { return m_rows.column(c); }
    bool isNull(int c) const override { return m_rows.isNull(c); }
    std::string_view textBytes(int c) const override { return m_rows.textBytes(c); } // without trailing blanks
    qint64 textKey(int c) const { return m_rows.textKey(c); }                        // see RecordSet::textKey
    qint64 integer(int c) const override { return qint64(m_rows.number(c)); }
    double real(int c) const override { return m_rows.number(c); }
    qint64 julianDay(int c) const override;
    bool boolean(int c) const override { return m_rows.boolean(c); }

private:
    data::RecordSet m_rows;
    bool m_started = false;
};

// Writes the columns of one result row into a report line. Text keeps the
// place of its fixed-width column (padded with blanks to the width); a
// missing value keeps its place as blanks. Lists repeat a few course names,
// departments and amounts over many lines: each distinct cell is made once
// and then only copied.
class LineWriter {
public:
    // Writes after what `out` holds; the text stands in `out` after finish().
    LineWriter(QString &out, SortedRows &cur) : m_out(out), m_cur(cur), m_length(out.size()) {}
    ~LineWriter() { finish(); }
    LineWriter(const LineWriter &) = delete;
    LineWriter &operator=(const LineWriter &) = delete;

    // The value of column c, padded to width, at most maxChars characters of it when maxChars > 0.
    void text(int c, int width, int maxChars = -1);
    // The number with `decimals` decimals in the user's format, right-aligned in `width`.
    void number(int c, int decimals, int width);
    // The date as "dd.mm.yy"; 8 blanks when there is none.
    void date(int c);
    void literal(QStringView s)
    {
        std::memcpy(room(s.size()), s.utf16(), size_t(s.size()) * sizeof(char16_t));
        m_length += s.size();
    }
    void blanks(qsizetype n)
    {
        std::fill_n(room(n), n, u' ');
        m_length += n;
    }
    // Room for about n characters in all, given at once: a list of a million
    // lines is hundreds of megabytes, which should be neither copied nor
    // filled page by small page.
    void reserve(qsizetype n);
    // Cuts `out` to what was written; nothing may be written after it.
    void finish()
    {
        m_prefault.reset();
        if (!m_finished)
            m_out.resize(m_length);
        m_finished = true;
    }

private:
    QString textCell(int c, int width, int maxChars) const;
    QString numberCell(int c, int decimals, int width) const;

    // The cells made so far for one column, as laid out by the last call for it.
    struct Cells {
        int width = -1;
        int detail = 0;                              // maxChars of a text, decimals of a number
        std::vector<QString> byKey;                  // text: by the record set's text key
        std::unordered_map<quint64, QString> byBits; // number: by the value's bits
    };
    Cells &cellsFor(int c, int width, int detail);
    // Where the next n characters go. The lines are written straight into the
    // text's own buffer: a million lines of appends cost more than the read.
    char16_t *room(qsizetype n)
    {
        if (m_length + n > m_out.size())
            grow(m_length + n);
        return reinterpret_cast<char16_t *>(m_out.data()) + m_length;
    }
    void grow(qsizetype needed);

    QString &m_out;
    SortedRows &m_cur;
    qsizetype m_length; // characters written; m_out may be longer until finish()
    bool m_finished = false;
    std::vector<Cells> m_cells;
    std::unique_ptr<data::Prefault> m_prefault; // while the text is fresh
};

} // namespace orv::reportdata
