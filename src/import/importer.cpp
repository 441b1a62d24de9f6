#include "import/importer.h"

#include "data/backup.h"
#include "data/connection.h"
#include "data/csvfield.h"
#include "data/dates.h"
#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/importstore.h"
#include "data/recordchecks.h"
#include "data/series.h"
#include "data/storedvalue.h"
#include "data/valuelists.h"
#include "import/csvreader.h"
#include "import/keyset.h"

#include <QDateTime>
#include <QLocale>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>

namespace orv::import {

using data::ColType;
using data::schema::ColumnDef;
using data::schema::TableDef;

namespace {

constexpr int kHeadingSearchRows = 30;
const QChar kKeySeparator(0x1f);

const QString kNoMemory = QStringLiteral("Für diese Datei reicht der Arbeitsspeicher nicht. Es wurde nichts "
                                         "importiert. Bitte die Datei in kleinere Teile aufteilen.");

QString rtrimmed(QString s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == QLatin1Char(' '))
        --n;
    s.truncate(n);
    return s;
}

bool isStatus(const ColumnDef &c) { return qstrcmp(c.name, "Status") == 0; }

// "B", "Bedarf", "0" -> "0"; anything else as it stands (the check refuses it).
QString statusValue(const QString &raw)
{
    const QString t = raw.trimmed();
    if (t.isEmpty())
        return QStringLiteral("0");
    if (t.size() == 1 && t[0] >= QLatin1Char('0') && t[0] <= QLatin1Char('3'))
        return t;
    const QStringList captions = data::lists::statusCaptions();
    for (int s = 0; s < 4; ++s)
        if (t.compare(data::lists::statusCode(s), Qt::CaseInsensitive) == 0
            || t.compare(captions.value(s), Qt::CaseInsensitive) == 0)
            return QString::number(s);
    return raw;
}

std::optional<bool> fileBool(const QString &raw, const char *column)
{
    const QString t = raw.trimmed().toLower();
    static const QStringList no = {QString(),           QStringLiteral("0"),      QStringLiteral("nein"),
                                   QStringLiteral("n"), QStringLiteral("falsch"), QStringLiteral("false"),
                                   QStringLiteral("no")};
    static const QStringList yes = {QStringLiteral("1"),  QStringLiteral("ja"),   QStringLiteral("j"),
                                    QStringLiteral("x"),  QStringLiteral("wahr"), QStringLiteral("true"),
                                    QStringLiteral("yes")};
    if (no.contains(t))
        return false;
    // ORV's lists mark an invoice with "R" and an evaluation with "S".
    if (yes.contains(t) || (qstrcmp(column, "Rechnung") == 0 && t == u"r")
        || (qstrcmp(column, "Beurteilung") == 0 && t == u"s"))
        return true;
    return std::nullopt;
}

QString numberText(double v)
{
    QLocale loc;
    loc.setNumberOptions(loc.numberOptions() | QLocale::OmitGroupSeparator);
    return loc.toString(v, 'f', QLocale::FloatingPointShortest);
}

// A row below the list that sums it up: ORV's own lists write "Summe:".
bool isSumLabel(const QString &text)
{
    static const QStringList words = {QStringLiteral("summe"),  QStringLiteral("summen"),
                                      QStringLiteral("gesamt"), QStringLiteral("gesamtsumme"),
                                      QStringLiteral("total"),  QStringLiteral("insgesamt")};
    return words.contains(headingKey(text));
}

int fieldIndex(const TableDef &t, const char *column)
{
    return int(data::schema::findColumn(t, QLatin1String(column)) - t.columns.data());
}

std::vector<int> keyFields(const TableDef &t)
{
    std::vector<int> keys;
    for (const QString &k : t.keyColumns)
        keys.push_back(int(data::schema::findColumn(t, k) - t.columns.data()));
    return keys;
}

// A field's value: one cell, or the filled cells of its columns joined.
QString joinedValue(const QStringList &cells, const FieldColumns &fc)
{
    if (fc.columns.size() == 1)
        return cells.value(fc.columns[0]);
    QString text;
    bool first = true;
    for (size_t p = 0; p < fc.columns.size(); ++p) {
        const QString part = cells.value(fc.columns[p]);
        if (part.trimmed().isEmpty())
            continue;
        if (!first)
            text += fc.separator(p);
        text += part;
        first = false;
    }
    return text;
}

QString quotedList(const QStringList &items)
{
    QStringList q;
    for (const QString &i : items)
        q << QStringLiteral("„%1“").arg(i);
    return q.join(QStringLiteral(", "));
}

} // namespace

// ---- results -------------------------------------------------------------------

QString outcomeText(Outcome o)
{
    switch (o) {
    case Outcome::Added: return QStringLiteral("neu");
    case Outcome::Updated: return QStringLiteral("geändert");
    case Outcome::Unchanged: return QStringLiteral("unverändert");
    case Outcome::Skipped: return QStringLiteral("übersprungen");
    case Outcome::NoKey: return QStringLiteral("ohne Schlüssel");
    case Outcome::Refused: break;
    }
    return QStringLiteral("abgewiesen");
}

qint64 ImportResult::count(Outcome o) const
{
    switch (o) {
    case Outcome::Added: return added;
    case Outcome::Updated: return updated;
    case Outcome::Unchanged: return unchanged;
    case Outcome::Skipped: return skipped;
    case Outcome::NoKey: return noKey;
    case Outcome::Refused: break;
    }
    return refused;
}

std::span<const RowFault> ImportResult::faultsOf(const RowResult &row) const
{
    return std::span<const RowFault>(faults).subspan(row.firstFault, row.faultCount);
}

QString ImportResult::summary() const
{
    QString text = QStringLiteral("%1 neu, %2 geändert, %3 unverändert, %4 übersprungen, %5 abgewiesen")
                       .arg(added)
                       .arg(updated)
                       .arg(unchanged)
                       .arg(skipped)
                       .arg(refused);
    if (noKey > 0)
        text +=
            QStringLiteral("; %1 Zeile(n) ohne Schlüssel unter der Liste (Summen, Legende) übersprungen").arg(noKey);
    return text;
}

// ---- lists and value tables -----------------------------------------------------

std::vector<int> listFields(const TableDef &table)
{
    static const char *lists[] = {"Rubrik", "Art", "Kategorie", "Bereich", "Prioritaet", "Quelle", "Status"};
    std::vector<int> fields;
    for (size_t f = 0; f < table.columns.size(); ++f)
        for (const char *l : lists)
            if (qstrcmp(table.columns[f].name, l) == 0)
                fields.push_back(int(f));
    return fields;
}

QStringList listItems(const TableDef &table, int field)
{
    const QString name = QLatin1String(table.columns[size_t(field)].name);
    QStringList items;
    if (name == u"Rubrik")
        items = data::lists::rubrik();
    else if (name == u"Art")
        items = data::lists::art();
    else if (name == u"Kategorie")
        items = data::lists::kategorie();
    else if (name == u"Bereich")
        items = data::lists::bereichMitarbeiter();
    else if (name == u"Prioritaet")
        items = data::lists::prioritaet();
    else if (name == u"Quelle")
        items = data::lists::quelle();
    else if (name == u"Status")
        items = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    for (QString &i : items)
        i = i.trimmed();
    return items;
}

QString itemCaption(const TableDef &table, int field, const QString &item)
{
    if (isStatus(table.columns[size_t(field)]))
        return data::lists::statusCaptions().value(item.toInt(), item);
    return item.isEmpty() ? QStringLiteral("(leer)") : item;
}

ValueTable valueTableFromText(const QString &text)
{
    ValueTable table;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        if (parts.size() == 3)
            table[parts[0]].insert(parts[1], parts[2]);
    }
    return table;
}

QString valueTableText(const ValueTable &table)
{
    QStringList lines;
    for (auto c = table.cbegin(); c != table.cend(); ++c)
        for (auto v = c.value().cbegin(); v != c.value().cend(); ++v)
            lines << c.key() + QLatin1Char('\t') + v.key() + QLatin1Char('\t') + v.value();
    lines.sort();
    return lines.join(QLatin1Char('\n'));
}

ValueTable readValueTable(const TableDef &table, const QString &path)
{
    const Sheet sheet = readCsvFile(path);
    ValueTable values;
    const std::vector<int> fields = listFields(table);
    for (qsizetype r = 1; r < sheet.size(); ++r) {
        const QStringList cells = sheet.cells(r);
        const QString where = QStringLiteral("%1, Zeile %2: ").arg(path).arg(sheet.line(r));
        const QString fieldName = cells.value(0).trimmed(), value = cells.value(1).trimmed(),
                      item = cells.value(2).trimmed();
        int field = -1;
        for (const int f : fields)
            if (headingKey(fieldName) == headingKey(QLatin1String(table.columns[size_t(f)].name))
                || headingKey(fieldName) == headingKey(fieldCaption(table.columns[size_t(f)].name)))
                field = f;
        const QStringList names = [&] {
            QStringList n;
            for (const int f : fields)
                n << fieldCaption(table.columns[size_t(f)].name);
            return n;
        }();
        if (field < 0)
            throw ImportError(where
                              + QStringLiteral("Das Feld „%1“ hat in der Tabelle %2 keine Werteliste (%3).")
                                    .arg(fieldName, QLatin1String(table.name), quotedList(names)));
        if (value.isEmpty())
            throw ImportError(where + QStringLiteral("Der Wert in der Datei fehlt."));
        const QStringList items = listItems(table, field);
        QString target;
        for (const QString &i : items)
            if (i == item || (isStatus(table.columns[size_t(field)]) && statusValue(item) == i))
                target = i;
        if (target.isNull() && !(item.isEmpty() && items.contains(QString())))
            throw ImportError(where
                              + QStringLiteral("„%1“ ist kein Wert der Liste %2 (%3).")
                                    .arg(item, fieldCaption(table.columns[size_t(field)].name), quotedList(items)));
        values[QLatin1String(table.columns[size_t(field)].name)].insert(value, target.isNull() ? QString() : target);
    }
    return values;
}

// ---- the file's values -----------------------------------------------------------

std::optional<double> fileNumber(const QString &text)
{
    QString t = text.trimmed();
    t.remove(QLatin1Char(' '));
    t.remove(QChar(0x00A0));
    if (t.isEmpty())
        return std::nullopt;
    const qsizetype comma = t.lastIndexOf(QLatin1Char(',')), point = t.lastIndexOf(QLatin1Char('.'));
    if (comma >= 0 && point >= 0) {
        // The later mark is the decimal one, the other separates thousands.
        const QChar group = comma > point ? QLatin1Char('.') : QLatin1Char(',');
        t.remove(group);
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    } else if (t.count(QLatin1Char(',')) > 1 || t.count(QLatin1Char('.')) > 1) {
        t.remove(QLatin1Char(','));
        t.remove(QLatin1Char('.'));
    } else {
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<QDate> fileDate(const QString &text)
{
    const QString t = text.trimmed();
    // yyyy-mm-dd, also with a time after it.
    if (t.size() >= 10 && t[4] == QLatin1Char('-') && t[7] == QLatin1Char('-')) {
        if (t.size() > 10 && t[10] != QLatin1Char('T') && t[10] != QLatin1Char(' '))
            return std::nullopt;
        const QDate d = QDate::fromString(t.left(10), Qt::ISODate);
        return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
    }
    // dd.mm.yyyy without the locale's parser, which is slow for a hundred thousand rows.
    if (t.size() == 10 && t[2] == QLatin1Char('.') && t[5] == QLatin1Char('.')) {
        bool d = false, m = false, y = false;
        const QDate date(t.mid(6, 4).toInt(&y), t.mid(3, 2).toInt(&m), t.left(2).toInt(&d));
        if (d && m && y)
            return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
    }
    return data::parseDate(t);
}

// ---- the import ------------------------------------------------------------------

// One row of the file as the checks and the table take it.
struct Import::Row {
    int line = 0;
    QStringList raw;     // per field: the file's value (joined columns)
    QStringList typed;   // per field: as a window would hold it
    QVariantList values; // per field: as read (text without filling blanks, QDate, bool, rounded number)
    std::vector<bool> given;
    std::vector<QString> unreadable; // per field: why the value could not be read
    QString key;                     // the key fields' texts
    bool keyGiven = false;
};

namespace {

// Stored rows kept small, for a million of them: each field's value as text
// after its length, one row after another in one buffer.
class StoredRows {
public:
    explicit StoredRows(const TableDef &t) : m_table(t) {}
    size_t size() const { return m_starts.size(); }
    void add(const QVariantList &values)
    {
        m_starts.push_back(m_bytes.size());
        for (size_t f = 0; f < m_table.columns.size(); ++f) {
            const QVariant &v = values[qsizetype(f)];
            QByteArray text;
            switch (m_table.columns[f].type) {
            case ColType::Text: text = v.toString().toUtf8(); break;
            case ColType::Date: text = v.toDate().isValid() ? QByteArray::number(v.toDate().toJulianDay()) : ""; break;
            case ColType::Bool: text = v.toBool() ? "1" : "0"; break;
            case ColType::Integer: text = v.isNull() ? "" : QByteArray::number(v.toInt()); break;
            default: text = QByteArray::number(v.toDouble(), 'g', 17); break;
            }
            const quint32 n = quint32(text.size());
            m_bytes.append(reinterpret_cast<const char *>(&n), sizeof n);
            m_bytes.append(text);
        }
    }
    QVariantList at(size_t row) const
    {
        QVariantList values;
        const char *p = m_bytes.constData() + m_starts[row];
        for (size_t f = 0; f < m_table.columns.size(); ++f) {
            quint32 n = 0;
            std::memcpy(&n, p, sizeof n);
            const QByteArray text = QByteArray::fromRawData(p + sizeof n, qsizetype(n));
            p += sizeof n + n;
            switch (m_table.columns[f].type) {
            case ColType::Text: values << QString::fromUtf8(text); break;
            case ColType::Date: values << (text.isEmpty() ? QDate() : QDate::fromJulianDay(text.toLongLong())); break;
            case ColType::Bool: values << (text == "1"); break;
            case ColType::Integer: values << (text.isEmpty() ? QVariant() : QVariant(text.toInt())); break;
            default: values << text.toDouble(); break;
            }
        }
        return values;
    }

private:
    const TableDef &m_table;
    QByteArray m_bytes;
    std::vector<qsizetype> m_starts;
};

} // namespace

// What the database holds of the file's keys before the import.
struct Import::Stored {
    KeySet fileKeys;           // every key of the file -> line of its first accepted row (0: none yet)
    KeySet keys;               // stored -> index into rows (when whole rows were read)
    StoredRows rows;           // AddOrUpdate: the stored rows the file names
    KeySet courses, employees; // plan entries: those the file names that exist
};

struct Import::Accepted {
    qint64 row = 0;
    bool update = false;
    quint32 changed = 0; // a bit per field the row changes
};

Import::Import(const TableDef &table, Sheet sheet)
    : m_table(&data::importstore::importFields(table)), m_sheet(std::move(sheet))
{
    const size_t rows = size_t(m_sheet.size());
    m_head = rows;
    for (size_t i = 0; i < rows && i < size_t(kHeadingSearchRows) && m_head == rows; ++i) {
        const Mapping map = mapHeadings(*m_table, m_sheet.cells(qsizetype(i)));
        bool allKeys = true;
        for (const int f : keyFields(*m_table))
            allKeys = allKeys && !map[size_t(f)].columns.empty();
        if (allKeys)
            m_head = i;
    }
    if (rows == 0) {
        m_head = m_first = m_last = 0;
        m_mapping.assign(m_table->columns.size(), {});
        return;
    }
    if (m_head == rows)
        m_head = 0;
    m_mapping = mapHeadings(*m_table, m_sheet.cells(qsizetype(m_head)));
    // The list ends at its first empty row: below it ORV's lists have their
    // totals and legend. Empty rows right under the headings do not end it.
    m_first = m_last = m_head + 1;
    if (m_last < rows)
        ++m_last;
    while (m_last < rows && !m_sheet.blankBefore(qsizetype(m_last)))
        ++m_last;
}

QStringList Import::headings() const
{
    return m_head < size_t(m_sheet.size()) ? m_sheet.cells(qsizetype(m_head)) : QStringList();
}

int Import::headingLine() const { return m_head < size_t(m_sheet.size()) ? m_sheet.line(qsizetype(m_head)) : 0; }

void Import::setMapping(Mapping mapping)
{
    mapping.resize(m_table->columns.size());
    const qsizetype columns = headings().size();
    for (FieldColumns &f : mapping) {
        for (size_t p = 0; p < f.columns.size();) {
            if (f.columns[p] < 0 || f.columns[p] >= columns) {
                f.columns.erase(f.columns.begin() + qsizetype(p));
                if (p < f.separators.size())
                    f.separators.erase(f.separators.begin() + qsizetype(p));
            } else {
                ++p;
            }
        }
        f.separators.resize(f.columns.size());
    }
    m_mapping = std::move(mapping);
}

QString Import::headingOf(int field) const
{
    const FieldColumns &fc = m_mapping[size_t(field)];
    if (fc.columns.empty())
        return fieldCaption(m_table->columns[size_t(field)].name);
    const QStringList heads = headings();
    QStringList names;
    for (const int c : fc.columns)
        names << heads.value(c).simplified();
    return names.join(QStringLiteral(" + "));
}

QString Import::missingFields(bool withHeadingLine) const
{
    if (m_sheet.empty())
        return QStringLiteral("Die Datei enthält keine Zeilen.");
    QStringList missing;
    for (int f : requiredFields(*m_table))
        if (m_mapping[size_t(f)].columns.empty())
            missing << QStringLiteral("„%1“").arg(fieldCaption(m_table->columns[size_t(f)].name));
    QStringList text;
    if (!missing.isEmpty())
        text << (missing.size() == 1 ? QStringLiteral("Für das Pflichtfeld %1 gibt es keine Spalte in der Datei.")
                                     : QStringLiteral("Für die Pflichtfelder %1 gibt es keine Spalten in der Datei."))
                        .arg(missing.join(QStringLiteral(", ")))
                    + (withHeadingLine ? QStringLiteral(" Die Überschriften stehen in Zeile %1.").arg(headingLine())
                                       : QString());
    const QStringList heads = headings();
    for (size_t f = 0; f < m_mapping.size(); ++f) {
        const FieldColumns &fc = m_mapping[f];
        for (size_t p = 1; p < fc.columns.size(); ++p)
            if (fc.separator(p).isEmpty()) {
                text << QStringLiteral("Die Spalten „%1“ und „%2“ gehen beide in das Feld „%3“. Zum Verbinden bitte "
                                       "bei „%2“ ein Trennzeichen angeben (zum Beispiel „, “), sonst eine der "
                                       "Spalten nicht übernehmen.")
                            .arg(heads.value(fc.columns[p - 1]).simplified(), heads.value(fc.columns[p]).simplified(),
                                 fieldCaption(m_table->columns[f].name));
                break;
            }
    }
    return text.join(QLatin1Char(' '));
}

void Import::checkCells() const
{
    if (rowCount() == 0)
        return;
    const int to = line(rowCount() - 1);
    for (const auto &[a, b] : m_sheet.mergedLines)
        if (b >= headingLine() && a <= to)
            throw ImportError(QStringLiteral("Das Tabellenblatt enthält in Zeile %1 verbundene Zellen. Bitte die "
                                             "Verbindung aufheben, sodass jeder Wert in seiner eigenen Zelle steht.")
                                  .arg(qMax(a, headingLine())));
}

QString Import::notice() const
{
    const qint64 below = qint64(m_sheet.size()) - qint64(m_last);
    if (below <= 0 || m_last == 0)
        return {};
    return QStringLiteral("Die Liste endet mit einer leeren Zeile; die %1 Zeile(n) darunter, ab Zeile %2, werden "
                          "nicht eingelesen.")
        .arg(below)
        .arg(m_sheet.line(qsizetype(m_last)));
}

Import::Row Import::convert(qint64 i) const
{
    const TableDef &t = *m_table;
    const size_t fields = t.columns.size();
    const qsizetype sheetRow = qsizetype(m_first + size_t(i));
    const QStringList cells = m_sheet.cells(sheetRow);
    const bool formulas = m_sheet.hasFormulaWithoutValue(sheetRow);
    Row row;
    row.line = m_sheet.line(sheetRow);
    row.given.assign(fields, false);
    row.unreadable.assign(fields, QString());
    for (size_t f = 0; f < fields; ++f) {
        const ColumnDef &c = t.columns[f];
        const FieldColumns &fc = m_mapping[f];
        row.given[f] = !fc.columns.empty();
        for (const int col : fc.columns)
            if (formulas && m_sheet.formulaWithoutValue(sheetRow, col) && row.unreadable[f].isEmpty())
                row.unreadable[f] = QStringLiteral("Die Zelle %1%2 enthält eine Formel ohne gespeicherten Wert. "
                                                   "Bitte die Arbeitsmappe im Tabellenprogramm neu berechnen "
                                                   "lassen und speichern.")
                                        .arg(columnLetters(col))
                                        .arg(row.line);
        const QString raw = joinedValue(cells, fc);
        if (raw.contains(QChar(0)) && row.unreadable[f].isEmpty())
            row.unreadable[f] = QStringLiteral("Das Feld darf kein Nullzeichen (U+0000) enthalten.");
        row.raw << raw;
        QString v = raw;
        if (const auto table = m_values.constFind(QLatin1String(c.name)); table != m_values.cend())
            if (const auto item = table->constFind(raw.trimmed()); item != table->cend())
                v = item->isEmpty() ? QString() : *item;
        switch (c.type) {
        case ColType::Text: {
            if (isStatus(c))
                v = statusValue(v);
            row.typed << v;
            row.values << rtrimmed(v);
            break;
        }
        case ColType::Date: {
            const auto d = fileDate(v);
            row.typed << (d ? data::shortDateText(*d) : v);
            row.values << (d ? *d : QDate());
            break;
        }
        case ColType::Bool: {
            const auto b = fileBool(v, c.name);
            if (!b && row.unreadable[f].isEmpty())
                row.unreadable[f] =
                    QStringLiteral("Der Wert „%1“ ist kein Ja/Nein-Wert (ja, nein, x oder leer).").arg(v);
            row.typed << QString();
            row.values << b.value_or(false);
            break;
        }
        case ColType::Integer: {
            // The months a course stays valid: a whole number, or none.
            const std::optional<double> n = fileNumber(v);
            const bool whole = n && *n == std::floor(*n) && *n >= 1 && *n <= data::series::kMaxMonths;
            if (!v.trimmed().isEmpty() && !whole && row.unreadable[f].isEmpty())
                row.unreadable[f] = data::series::monthsMessage();
            row.typed << (whole ? QString::number(int(*n)) : v.trimmed());
            row.values << (whole ? QVariant(int(*n)) : QVariant());
            break;
        }
        default: {
            std::optional<double> n = v.trimmed().isEmpty() ? std::optional<double>(0.0) : fileNumber(v);
            // Stored, checked and shown with the places the window takes.
            if (const int places = data::placesOf(QLatin1String(c.name)); n && places >= 0)
                n = data::roundedAmount(*n, places);
            row.typed << (n ? numberText(*n) : v);
            row.values << double(float(n.value_or(0.0)));
            break;
        }
        }
    }
    QStringList key;
    row.keyGiven = true;
    for (const int f : keyFields(t)) {
        key << rtrimmed(row.typed[f]);
        row.keyGiven = row.keyGiven && !row.typed[f].trimmed().isEmpty();
    }
    row.key = key.join(kKeySeparator);
    return row;
}

qint64 Import::trailingNoKey() const
{
    const std::vector<int> keys = keyFields(*m_table);
    qint64 n = 0;
    for (qint64 i = rowCount() - 1; i >= 0; --i) {
        const QStringList cells = this->cells(i);
        bool keyed = true, sum = false;
        for (const int f : keys) {
            QString text;
            for (const int c : m_mapping[size_t(f)].columns)
                text += cells.value(c).trimmed();
            keyed = keyed && !text.isEmpty();
            sum = sum || isSumLabel(text);
        }
        if (keyed && !sum)
            break;
        ++n;
    }
    return n;
}

std::vector<UnknownValue> Import::unknownValues() const
{
    std::vector<UnknownValue> out;
    QHash<QString, size_t> seen;
    std::vector<std::pair<int, QStringList>> fields;
    for (const int f : listFields(*m_table))
        if (!m_mapping[size_t(f)].columns.empty())
            fields.emplace_back(f, listItems(*m_table, f));
    const qint64 n = rowCount() - trailingNoKey();
    for (qint64 i = 0; i < n; ++i) {
        const QStringList cells = this->cells(i);
        for (const auto &[f, items] : fields) {
            const QString value = joinedValue(cells, m_mapping[size_t(f)]).trimmed();
            const bool status = isStatus(m_table->columns[size_t(f)]);
            // Empty: a required value is missing, which no item mends.
            if (value.isEmpty() || items.contains(status ? statusValue(value) : value))
                continue;
            const QString id = QString::number(f) + kKeySeparator + value;
            const auto it = seen.constFind(id);
            if (it != seen.cend()) {
                ++out[*it].rows;
                continue;
            }
            seen.insert(id, out.size());
            out.push_back({f, value, 1, line(i)});
        }
    }
    return out;
}

void Import::prepare() const
{
    if (const QString missing = missingFields(); !missing.isEmpty())
        throw ImportError(missing);
    checkCells();
}

Import::Stored Import::readStored(data::Connection &conn, Mode mode) const
{
    const TableDef &t = *m_table;
    const std::vector<int> keys = keyFields(t);
    const bool plan = qstrcmp(t.name, "Trainingsplan") == 0;
    // The file's keys first: only what it names is kept of the database.
    Stored stored{{}, {}, StoredRows(t), {}, {}};
    KeySet &fileKeys = stored.fileKeys;
    KeySet fileCourses, fileNames;
    for (qint64 i = 0; i < rowCount(); ++i) {
        const QStringList cells = this->cells(i);
        QStringList key;
        for (const int f : keys)
            key << rtrimmed(joinedValue(cells, m_mapping[size_t(f)]));
        fileKeys.insert(key.join(kKeySeparator), 0);
        if (plan) {
            fileCourses.insert(key.value(0), 0);
            fileNames.insert(key.value(1), 0);
        }
    }

    const bool whole = mode == Mode::AddOrUpdate;
    data::importstore::readRows(conn, t, whole, [&](const QVariantList &values) {
        QStringList key;
        for (qsizetype k = 0; k < qsizetype(keys.size()); ++k)
            key << values.value(whole ? keys[size_t(k)] : k).toString();
        const QString joined = key.join(kKeySeparator);
        if (!fileKeys.contains(joined))
            return;
        stored.keys.insert(joined, int(stored.rows.size()));
        if (whole)
            stored.rows.add(values);
    });
    if (plan) {
        data::importstore::readColumn(conn, QStringLiteral("Kurs"), QStringLiteral("KursNr"), [&](const QString &k) {
            if (fileCourses.contains(k))
                stored.courses.insert(k, 0);
        });
        data::importstore::readColumn(conn, QStringLiteral("Mitarbeiter"), QStringLiteral("Name"),
                                      [&](const QString &n) {
                                          if (fileNames.contains(n))
                                              stored.employees.insert(n, 0);
                                      });
    }
    return stored;
}

std::vector<RowFault> Import::check(const Row &row, bool adding, const Stored &stored,
                                    const std::vector<QString> &keyTaken) const
{
    const TableDef &t = *m_table;
    data::checks::Lookups lookups;
    lookups.keyTaken = [&keyTaken](const QStringList &) { return keyTaken.empty() ? QString() : keyTaken.front(); };
    lookups.courseExists = [&stored](const QString &k) { return stored.courses.contains(rtrimmed(k)); };
    lookups.employeeExists = [&stored](const QString &n) { return stored.employees.contains(rtrimmed(n)); };
    const auto value = [&](const char *column) { return row.typed.value(fieldIndex(t, column)); };
    const auto unreadable = [&](const char *column) { return row.unreadable[size_t(fieldIndex(t, column))]; };
    std::vector<RowFault> faults;
    // A stored row keeps its key: no key check of the windows asks about a second row of the file.
    if (!adding && !keyTaken.empty())
        faults.push_back({headingOf(keyFields(t).front()), keyTaken.front()});
    for (const data::checks::Fault &f :
         data::checks::allFaults(QLatin1String(t.name), value, adding, lookups, unreadable)) {
        const int field = fieldIndex(t, f.column.toLatin1().constData());
        QString reason = f.message;
        if (!f.allowed.isEmpty()) {
            QStringList shown;
            for (const QString &item : f.allowed)
                shown << (isStatus(t.columns[size_t(field)])
                              ? QStringLiteral("„%1“ (%2, %3)")
                                    .arg(itemCaption(t, field, item), data::lists::statusCode(item.toInt()), item)
                          : item.isEmpty() ? QStringLiteral("leer")
                                           : QStringLiteral("„%1“").arg(item));
            reason += QStringLiteral(" Erlaubt: ") + shown.join(QStringLiteral(", ")) + QLatin1Char('.');
        }
        faults.push_back({headingOf(field), reason});
    }
    // A course's series entry, which the window's checks do not know.
    for (size_t f = data::schema::findTable(QLatin1String(t.name))->columns.size(); f < t.columns.size(); ++f) {
        const ColumnDef &c = t.columns[f];
        if (!row.unreadable[f].isEmpty())
            faults.push_back({headingOf(int(f)), row.unreadable[f]});
        else if (c.type == ColType::Text && row.values[qsizetype(f)].toString().trimmed().size() > c.width)
            faults.push_back({headingOf(int(f)), QStringLiteral("Der Text ist länger als %1 Zeichen.").arg(c.width)});
    }
    return faults;
}

quint32 Import::mergeStored(Row &row, const QVariantList &old) const
{
    const TableDef &t = *m_table;
    const QString dateFormat = data::shortDateFormat();
    quint32 changed = 0;
    for (size_t f = 0; f < t.columns.size(); ++f) {
        const ColType type = t.columns[f].type;
        // A field the file does not have keeps its stored value.
        if (!row.given[f]) {
            row.values[qsizetype(f)] = old[qsizetype(f)];
            row.typed[qsizetype(f)] = type == ColType::Date      ? old[f].toDate().toString(dateFormat)
                                      : type == ColType::Single  ? numberText(old[f].toDouble())
                                      : type == ColType::Text    ? old[f].toString()
                                      : type == ColType::Integer ? (old[f].isNull() ? QString() : old[f].toString())
                                                                 : QString();
            continue;
        }
        bool same = false;
        switch (type) {
        case ColType::Text: same = row.values[f].toString() == old[f].toString(); break;
        case ColType::Date: same = row.values[f].toDate() == old[f].toDate(); break;
        case ColType::Bool: same = row.values[f].toBool() == old[f].toBool(); break;
        case ColType::Integer:
            same = row.values[f].isNull() == old[f].isNull() && row.values[f].toInt() == old[f].toInt();
            break;
        default: same = float(row.values[f].toDouble()) == float(old[f].toDouble()); break;
        }
        if (!same)
            changed |= 1u << f;
    }
    return changed;
}

void Import::addPreview(ImportResult &result, const Row &row, Outcome outcome, qint64 i) const
{
    if (result.preview.size() >= size_t(kPreviewRows))
        return;
    const TableDef &t = *m_table;
    const QString dateFormat = data::shortDateFormat();
    QStringList shown;
    for (size_t f = 0; f < t.columns.size(); ++f) {
        const ColType type = t.columns[f].type;
        if (outcome == Outcome::Refused || outcome == Outcome::NoKey) {
            // As the file has it; a date that could be read as the accepted rows show theirs.
            const QDate d = type == ColType::Date ? row.values[f].toDate() : QDate();
            shown << (d.isValid() ? d.toString(dateFormat) : i >= 0 ? row.raw.value(qsizetype(f)) : QString());
        } else if (type == ColType::Bool) {
            shown << (row.values[f].toBool() ? QStringLiteral("ja") : QStringLiteral("nein"));
        } else if (type == ColType::Single) {
            const int places = qMax(0, data::placesOf(QLatin1String(t.columns[f].name)));
            shown << QLocale().toString(data::roundedAmount(row.values[f].toDouble(), places), 'f', places);
        } else if (type == ColType::Date) {
            shown << row.values[f].toDate().toString(dateFormat);
        } else if (type == ColType::Integer) {
            shown << (row.values[f].isNull() ? QString() : row.values[f].toString());
        } else if (isStatus(t.columns[f])) {
            shown << data::lists::statusCaptions().value(row.values[f].toString().toInt(), row.values[f].toString());
        } else {
            shown << row.values[f].toString();
        }
    }
    result.preview.push_back(shown);
}

ImportResult Import::run(data::Connection &conn, Mode mode, bool write, const Progress &progress) const
{
    try {
        prepare();
        const TableDef &t = *m_table;
        std::optional<data::Transaction> tx;
        if (write) {
            tx.emplace(conn);
            data::importstore::holdTables(conn, t);
        }
        Stored stored = readStored(conn, mode);

        ImportResult result;
        const qint64 n = rowCount();
        const qint64 dataRows = n - trailingNoKey();
        result.rows.reserve(size_t(n));
        std::vector<Accepted> accepted;
        const auto keep = [&](RowResult res, std::vector<RowFault> faults) {
            res.firstFault = quint32(result.faults.size());
            res.faultCount = quint32(faults.size());
            for (RowFault &f : faults)
                result.faults.push_back(std::move(f));
            switch (res.outcome) {
            case Outcome::Added: ++result.added; break;
            case Outcome::Updated: ++result.updated; break;
            case Outcome::Unchanged: ++result.unchanged; break;
            case Outcome::Skipped: ++result.skipped; break;
            case Outcome::NoKey: ++result.noKey; break;
            case Outcome::Refused: ++result.refused; break;
            }
            result.rows.push_back(res);
        };

        for (qint64 i = 0; i < n; ++i) {
            if (progress && (i & 0x3ff) == 0)
                progress(i, 2 * n);
            Row row = convert(i);
            RowResult res;
            res.line = row.line;
            // Below the list: its sums and legend, no data.
            if (i >= dataRows) {
                res.outcome = Outcome::NoKey;
                addPreview(result, row, res.outcome, i);
                keep(res, {});
                continue;
            }
            int *seen = row.keyGiven ? stored.fileKeys.value(row.key) : nullptr;
            const std::optional<int> firstLine = seen && *seen > 0 ? std::optional<int>(*seen) : std::nullopt;
            const std::optional<int> storedRow = row.keyGiven ? stored.keys.find(row.key) : std::nullopt;
            std::vector<QString> taken;
            if (firstLine)
                taken.push_back(
                    QStringLiteral("Der Schlüssel steht in dieser Datei schon in Zeile %1.").arg(*firstLine));
            std::vector<RowFault> faults;
            quint32 changed = 0;
            if (storedRow && !firstLine && mode == Mode::AddOnly) {
                res.outcome = Outcome::Skipped;
            } else {
                if (storedRow && mode == Mode::AddOrUpdate)
                    changed = mergeStored(row, stored.rows.at(size_t(*storedRow)));
                faults = check(row, !storedRow, stored, taken);
                if (!faults.empty())
                    res.outcome = Outcome::Refused;
                else if (storedRow && changed == 0)
                    res.outcome = Outcome::Unchanged;
                else {
                    res.outcome = storedRow ? Outcome::Updated : Outcome::Added;
                    accepted.push_back({i, storedRow.has_value(), changed});
                }
            }
            // A refused row leaves its key to a later row of the file.
            if (seen && !firstLine && res.outcome != Outcome::Refused)
                *seen = row.line;
            addPreview(result, row, res.outcome, i);
            keep(res, std::move(faults));
        }

        if (!write || accepted.empty()) {
            if (progress)
                progress(n, n);
            return result;
        }
        // The state right before the import can be restored from its own copy.
        if (conn.backend().kind() == data::BackendKind::Sqlite)
            result.backupFile = data::makeImportBackup(conn.target().location, QDateTime::currentDateTime());
        this->write(conn, accepted, stored, n, progress);
        tx->commit();
        result.written = true;
        return result;
    } catch (const std::bad_alloc &) {
        // Whatever was begun is rolled back by now; the program goes on.
        throw ImportError(kNoMemory);
    }
}

void Import::write(data::Connection &conn, const std::vector<Accepted> &accepted, const Stored &stored, qint64 done,
                   const Progress &progress) const
{
    const qint64 total = done + qint64(accepted.size());
    data::importstore::RowWriter writer(conn, *m_table);
    std::vector<bool> changed(m_table->columns.size());
    qint64 written = 0;
    for (const Accepted &a : accepted) {
        if (progress && (written & 0x3ff) == 0)
            progress(done + written, total);
        ++written;
        // Read once more: keeping every converted row would take many times the file.
        Row row = convert(a.row);
        if (!a.update) {
            writer.add(row.values);
            continue;
        }
        // A series entry is written whole: with the stored value of a field the file lacks.
        mergeStored(row, stored.rows.at(size_t(*stored.keys.find(row.key))));
        for (size_t f = 0; f < changed.size(); ++f)
            changed[f] = (a.changed >> f) & 1u;
        writer.change(row.values, changed);
    }
    writer.finish();
    if (progress)
        progress(total, total);
}

void Import::saveRefusals(const ImportResult &result, const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ImportError(QStringLiteral("Die Datei kann nicht angelegt werden: ") + file.errorString());
    QStringList heads = headings();
    const qsizetype width = heads.size();
    std::string out = "\xEF\xBB\xBF";
    const auto line = [&out](const QStringList &cells) {
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i > 0)
                out += ';';
            data::appendCsvField(out, cells[i].toStdString());
        }
        out += "\r\n";
    };
    line(heads << QStringLiteral("Zeile") << QStringLiteral("Spalte") << QStringLiteral("Grund"));
    for (qint64 i = 0; i < qint64(result.rows.size()) && i < rowCount(); ++i) {
        const RowResult &r = result.rows[size_t(i)];
        if (r.outcome != Outcome::Refused)
            continue;
        QStringList cells = this->cells(i).mid(0, width);
        while (cells.size() < width)
            cells << QString();
        QStringList columns, reasons;
        for (const RowFault &f : result.faultsOf(r)) {
            columns << f.column;
            reasons << f.reason;
        }
        line(cells << QString::number(r.line) << columns.join(QLatin1Char('\n')) << reasons.join(QLatin1Char('\n')));
    }
    if (file.write(out.data(), qint64(out.size())) != qint64(out.size()) || !file.commit())
        throw ImportError(QStringLiteral("Die Datei kann nicht geschrieben werden: ") + file.errorString());
}

} // namespace orv::import
