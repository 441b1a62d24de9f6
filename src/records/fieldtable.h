#pragma once
#include <QString>
#include <QStringList>
#include <span>
#include <vector>

class QGridLayout;
class QLineEdit;
class QWidget;

namespace orv::data {
class RecordSet;
}

namespace orv::records {

// One entry control of the course or the employee window, as the printed
// lists have their column tables: the column it shows and how it is built.
struct FieldDef {
    enum Kind { Text, Number, List };
    Kind kind;
    const char *column;
    const char *label;
    int field;      // Text, Number: the text box txtFields(field); List: -1, its name is "cmb" + column
    int length;     // Text, Number: the input limit
    int width;      // characters wide; 0 stretches the box to the right edge
    int places = 0; // Number: the decimals shown
    QStringList (*items)() = nullptr; // List: the values offered
};

// The controls of a window built from its field definitions in the order of its grid,
// and what is done to all of them alike: filled from the row, cleared for a
// new one, written back.
class FieldTable {
public:
    explicit FieldTable(std::span<const FieldDef> defs) : m_defs(defs) {}

    // Builds each control with its label into a row of the grid; the text
    // boxes go into `texts` by their number.
    void build(QWidget *parent, QGridLayout *grid, QLineEdit **texts);
    std::span<const FieldDef> defs() const { return m_defs; }
    const std::vector<QWidget *> &widgets() const { return m_widgets; }
    QWidget *widget(const QString &column) const;
    // What the control of the column shows as typed.
    QString text(const QString &column) const;

    void fill(const data::RecordSet &rows) const;
    // A new row: empty texts, numbers at 0.
    void clear() const;
    void write(data::RecordSet &rows) const;

private:
    std::span<const FieldDef> m_defs;
    std::vector<QWidget *> m_widgets; // by the order of the defs
};

} // namespace orv::records
