#include "groups/tickmodel.h"

#include <algorithm>

namespace orv::groups {

TickModel::TickModel(QStringList headings, QObject *parent)
    : QAbstractTableModel(parent), m_headings(std::move(headings))
{
}

void TickModel::setRows(std::vector<QStringList> rows, bool ticked)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_ticked.assign(m_rows.size(), ticked ? 1 : 0);
    m_tickedCount = ticked ? int(m_rows.size()) : 0;
    m_shown.resize(m_rows.size());
    for (size_t i = 0; i < m_shown.size(); ++i)
        m_shown[i] = int(i);
    endResetModel();
    emit tickedChanged();
}

void TickModel::setFilter(const std::function<bool(int row)> &keep)
{
    beginResetModel();
    m_shown.clear();
    for (int i = 0; i < allRows(); ++i)
        if (!keep || keep(i))
            m_shown.push_back(i);
    endResetModel();
    emit tickedChanged();
}

void TickModel::tickShown(bool on)
{
    for (int row : m_shown)
        if (bool(m_ticked[size_t(row)]) != on) {
            m_ticked[size_t(row)] = on ? 1 : 0;
            m_tickedCount += on ? 1 : -1;
        }
    if (!m_shown.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
    emit tickedChanged();
}

void TickModel::setTicked(int row, bool on)
{
    if (bool(m_ticked[size_t(row)]) == on)
        return;
    m_ticked[size_t(row)] = on ? 1 : 0;
    m_tickedCount += on ? 1 : -1;
    const auto line = std::lower_bound(m_shown.begin(), m_shown.end(), row);
    if (line != m_shown.end() && *line == row) {
        const QModelIndex i = index(int(line - m_shown.begin()), 0);
        emit dataChanged(i, i, {Qt::CheckStateRole});
    }
    emit tickedChanged();
}

std::vector<int> TickModel::tickedRows() const
{
    std::vector<int> rows;
    rows.reserve(size_t(m_tickedCount));
    for (int i = 0; i < allRows(); ++i)
        if (m_ticked[size_t(i)])
            rows.push_back(i);
    return rows;
}

int TickModel::tickedHidden() const
{
    int shown = 0;
    for (int row : m_shown)
        shown += m_ticked[size_t(row)];
    return m_tickedCount - shown;
}

int TickModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_shown.size()); }

int TickModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_headings.size()); }

QVariant TickModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = rowAt(index.row());
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_rows[size_t(row)].value(index.column());
    if (role == Qt::CheckStateRole && index.column() == 0)
        return m_ticked[size_t(row)] ? Qt::Checked : Qt::Unchecked;
    return {};
}

QVariant TickModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headings.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TickModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool TickModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    setTicked(rowAt(index.row()), value.toInt() == Qt::Checked);
    return true;
}

} // namespace orv::groups
