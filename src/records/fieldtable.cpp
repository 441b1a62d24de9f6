#include "records/fieldtable.h"

#include "data/format.h"
#include "data/recordset.h"
#include "records/fieldfactory.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>

namespace orv::records {

void FieldTable::build(QWidget *parent, QGridLayout *grid, QLineEdit **texts)
{
    int r = 0;
    for (const FieldDef &s : m_defs) {
        QWidget *w = nullptr;
        if (s.kind == FieldDef::List) {
            w = fields::makeCombo(parent, QStringLiteral("cmb") + QLatin1String(s.column), s.items(), s.width);
        } else {
            QLineEdit *le = fields::makeField(parent, s.field, s.length, s.width, s.kind == FieldDef::Number);
            texts[s.field] = le;
            w = le;
        }
        m_widgets.push_back(w);
        grid->addWidget(fields::makeLabel(parent, QString::fromUtf8(s.label), w), r, 0);
        if (s.width == 0)
            grid->addWidget(w, r, 1, 1, 2);
        else
            grid->addWidget(w, r, 1, Qt::AlignLeft);
        ++r;
    }
}

QWidget *FieldTable::widget(const QString &column) const
{
    for (size_t i = 0; i < m_defs.size(); ++i)
        if (column == QLatin1String(m_defs[i].column))
            return m_widgets[i];
    return nullptr;
}

QString FieldTable::text(const QString &column) const
{
    QWidget *w = widget(column);
    if (auto *cb = qobject_cast<QComboBox *>(w))
        return cb->currentText();
    auto *le = qobject_cast<QLineEdit *>(w);
    return le ? le->text() : QString();
}

void FieldTable::fill(const data::RecordSet &rows) const
{
    for (size_t i = 0; i < m_defs.size(); ++i) {
        const FieldDef &s = m_defs[i];
        const QString column = QLatin1String(s.column);
        if (s.kind == FieldDef::List)
            static_cast<QComboBox *>(m_widgets[i])->setEditText(rows.text(column));
        else
            static_cast<QLineEdit *>(m_widgets[i])
                ->setText(s.kind == FieldDef::Number ? fields::numberText(rows, s.column, s.places)
                                                     : rows.text(column));
    }
}

void FieldTable::clear() const
{
    for (size_t i = 0; i < m_defs.size(); ++i) {
        const FieldDef &s = m_defs[i];
        if (s.kind == FieldDef::List)
            static_cast<QComboBox *>(m_widgets[i])->setEditText(QString());
        else if (s.kind == FieldDef::Number)
            static_cast<QLineEdit *>(m_widgets[i])->setText(QStringLiteral("0"));
        else
            static_cast<QLineEdit *>(m_widgets[i])->clear();
    }
}

void FieldTable::write(data::RecordSet &rows) const
{
    for (const FieldDef &s : m_defs) {
        const QString column = QLatin1String(s.column);
        const QString typed = text(column);
        // The numbers of the record windows are single precision columns (Kosten, Dauer).
        if (s.kind == FieldDef::Number)
            rows.setField(column, double(float(data::parseNumber(typed).value_or(0.0))));
        else
            rows.setField(column, typed);
    }
}

} // namespace orv::records
