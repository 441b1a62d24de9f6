#include "records/tableform.h"

#include "data/recordchecks.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace orv::records {

TableForm::TableForm(RecordFormConfig config, std::span<const FieldDef> defs, QWidget *parent)
    : RecordForm(std::move(config), parent), m_fields(defs)
{
}

void TableForm::buildFields(QLineEdit **texts, int labelSpacing)
{
    fraAllgemein = new QGroupBox(QStringLiteral("Allgemein"), this);
    fraAllgemein->setObjectName(QStringLiteral("fraAllgemein"));
    auto *grid = new QGridLayout(fraAllgemein);
    grid->setHorizontalSpacing(labelSpacing);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(2, 1);
    m_fields.build(fraAllgemein, grid, texts);
    contentLayout()->addWidget(fraAllgemein);

    for (QWidget *f : m_fields.widgets())
        watchChanges(f);
    for (const FieldDef &s : m_fields.defs())
        if (s.kind == FieldDef::Number)
            replaceFullStop(texts[s.field]);
    setKeyFields({qobject_cast<QLineEdit *>(m_fields.widget(config().keyColumns.first()))});
    finishFields();
}

QComboBox *TableForm::list(const char *column) const
{
    return qobject_cast<QComboBox *>(m_fields.widget(QLatin1String(column)));
}

void TableForm::fillFields(const data::RecordSet &rows) { m_fields.fill(rows); }

void TableForm::clearFields() { m_fields.clear(); }

QString TableForm::runChecks(QWidget *&focus)
{
    const auto value = [this](const char *column) { return m_fields.text(QLatin1String(column)); };
    data::checks::Lookups lookups;
    lookups.keyExists = [this](const QStringList &key) { return recordExists(config().keyColumns, key); };
    const data::checks::Fault fault = data::checks::forTable(config().table, value, isAddMode(), lookups);
    if (fault)
        focus = m_fields.widget(fault.column);
    return fault.message;
}

void TableForm::writeFields(data::RecordSet &rows) { m_fields.write(rows); }

} // namespace orv::records
