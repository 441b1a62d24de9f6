#pragma once
#include <QAbstractListModel>
#include <QStringList>
#include <vector>

namespace orv::data {
class RecordSet;
}

namespace orv::search {

// How a result line is laid out: the shown columns (indexes in the record
// set) and the blanks put before each of them.
struct LineLayout {
    std::vector<int> columns;
    std::vector<int> gaps;
};

// Builds the result line of the current row of `rows`.
QString resultLine(const data::RecordSet &rows, const LineLayout &layout);

// The found rows of a search, held only as their positions; a line is built
// from the record set when the view asks for it, so that a result of a
// million rows costs a few megabytes and no time until it is shown.
class SeekResultModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit SeekResultModel(QObject *parent = nullptr);

    void clear();
    // Takes the positions found over `rows` (not owned) with their layout.
    void setResult(data::RecordSet *rows, const LineLayout &layout, std::vector<int> positions);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // Display: the line; UserRole: the row's position in the record set.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    int position(int row) const;

private:
    data::RecordSet *m_rows = nullptr;
    LineLayout m_layout;
    std::vector<int> m_positions;
};

} // namespace orv::search
