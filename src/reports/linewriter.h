#pragma once
#include "data/backend.h"
#include "reports/reportmodel.h"

#include <QDate>
#include <QString>

namespace orv::reports {

// Writes the columns of one result row into a report line. Text goes in as
// the database holds it (fixed-width columns keep the layout); a missing
// value keeps its place as blanks of the column's width.
class LineWriter {
public:
    LineWriter(QString &out, data::Cursor &cur) : m_out(out), m_cur(cur) {}

    // The value of column c, at most maxChars characters of it when maxChars > 0.
    void text(int c, int width, int maxChars = -1);
    // The number with `decimals` decimals in the user's format, right-aligned in `width`.
    void number(int c, int decimals, int width);
    // The date as "dd.mm.yy"; 8 blanks when there is none.
    void date(int c);
    void literal(QStringView s) { m_out += s; }
    void blanks(int n) { m_out.append(QString(n, QLatin1Char(' '))); }

private:
    QString &m_out;
    data::Cursor &m_cur;
};

} // namespace orv::reports
