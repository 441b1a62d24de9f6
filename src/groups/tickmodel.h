#pragma once
#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <vector>

namespace orv::groups {

// Rows of texts with a check box in the first column, of which a filter
// shows some. A tick stays when its row is filtered out and comes back with
// it, so that a group can be gathered over several filters.
class TickModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TickModel(QStringList headings, QObject *parent = nullptr);

    // New rows, all ticked or none; all of them shown.
    void setRows(std::vector<QStringList> rows, bool ticked);
    // Shows the rows `keep` takes, in their order; an empty function shows all.
    void setFilter(const std::function<bool(int row)> &keep);
    // Ticks or clears the rows shown.
    void tickShown(bool on);
    void setTicked(int row, bool on);

    int allRows() const { return int(m_rows.size()); }
    const QStringList &cells(int row) const { return m_rows[size_t(row)]; }
    // The row behind a shown line.
    int rowAt(int line) const { return m_shown[size_t(line)]; }
    std::vector<int> tickedRows() const; // every ticked row, shown or not, in order
    int tickedCount() const { return m_tickedCount; }
    int tickedHidden() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

signals:
    void tickedChanged();

private:
    QStringList m_headings;
    std::vector<QStringList> m_rows;
    std::vector<char> m_ticked;
    std::vector<int> m_shown;
    int m_tickedCount = 0;
};

} // namespace orv::groups
