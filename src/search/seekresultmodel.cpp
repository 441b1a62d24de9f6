#include "search/seekresultmodel.h"

#include "data/recordset.h"

#include <QLocale>
#include <cmath>

namespace orv::search {

namespace {

// A number as plain text in the user's format, without thousands separators.
QString numberText(double value)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return loc.toString(qint64(value));
    return loc.toString(value, 'f', QLocale::FloatingPointShortest);
}

QString valueText(const data::RecordSet &rows, int c)
{
    const data::ColumnInfo &col = rows.column(c);
    if (rows.isNull(c))
        return QString(col.definedSize, QLatin1Char(' '));
    switch (col.type) {
    case data::ColType::Integer:
    case data::ColType::Double:
        // Right-aligned in six places; a longer number is shown whole.
        return numberText(rows.number(c)).rightJustified(6, QLatin1Char(' '));
    case data::ColType::Date: return rows.date(c).toString(QStringLiteral("yyyy.MM.dd"));
    case data::ColType::Single: return numberText(rows.number(c));
    case data::ColType::Text:
    case data::ColType::Bool: break;
    }
    return rows.text(c);
}

} // namespace

QString resultLine(const data::RecordSet &rows, const LineLayout &layout)
{
    QString line;
    for (size_t i = 0; i < layout.columns.size(); ++i) {
        line += QString(layout.gaps[i], QLatin1Char(' '));
        line += valueText(rows, layout.columns[i]);
    }
    return line;
}

SeekResultModel::SeekResultModel(QObject *parent) : QAbstractListModel(parent) {}

void SeekResultModel::clear()
{
    beginResetModel();
    m_rows = nullptr;
    m_layout = {};
    m_positions.clear();
    endResetModel();
}

void SeekResultModel::setResult(data::RecordSet *rows, const LineLayout &layout, std::vector<int> positions)
{
    beginResetModel();
    m_rows = rows;
    m_layout = layout;
    m_positions = std::move(positions);
    endResetModel();
}

int SeekResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_positions.size());
}

QVariant SeekResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_positions.size()))
        return {};
    const int pos = m_positions[size_t(index.row())];
    if (role == Qt::UserRole)
        return pos;
    if (role != Qt::DisplayRole || !m_rows || !m_rows->gotoBookmark(pos))
        return {};
    return resultLine(*m_rows, m_layout);
}

int SeekResultModel::position(int row) const
{
    return row >= 0 && row < int(m_positions.size()) ? m_positions[size_t(row)] : 0;
}

} // namespace orv::search
