#include "import/importer.h"

#include "data/backup.h"
#include "data/batchinsert.h"
#include "data/connection.h"
#include "data/dates.h"
#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/recordchecks.h"
#include "data/valuelists.h"
#include "import/columnmap.h"
#include "import/csvreader.h"
#include "import/xlsxreader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <optional>

namespace orv::import {

using data::ColType;
using data::schema::ColumnDef;
using data::schema::TableDef;

namespace {

constexpr int kHeadingSearchRows = 30;
constexpr int kRowsPerInsert = 50; // 500 parameters at most: within every SQLite's limit

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
    static const QStringList captions = data::lists::statusCaptions();
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

// What the database holds before the import.
struct Existing {
    QSet<QString> keys;
    QHash<QString, QVariantList> rows; // by key; only when rows are updated
    QSet<QString> courses, employees;  // for plan entries
};

QString joinKey(const QStringList &parts) { return parts.join(QChar(0x1f)); }

QVariant storedOf(const data::Cursor &cur, int c, ColType type)
{
    switch (type) {
    case ColType::Text: return rtrimmed(cur.isNull(c) ? QString() : data::fromDbText(cur.textBytes(c)));
    case ColType::Date: {
        const qint64 jd = cur.julianDay(c);
        return jd ? QDate::fromJulianDay(jd) : QDate();
    }
    case ColType::Bool: return cur.boolean(c);
    default: return cur.isNull(c) ? 0.0 : cur.real(c);
    }
}

QSet<QString> keysOf(data::Connection &conn, const QString &sql)
{
    QSet<QString> keys;
    auto cur = conn.query(sql);
    while (cur->next())
        keys.insert(rtrimmed(data::fromDbText(cur->textBytes(0))));
    return keys;
}

QString csvCell(const QString &v)
{
    if (!v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('"')) && !v.contains(QLatin1Char('\n'))
        && !v.contains(QLatin1Char('\r')))
        return v;
    return QLatin1Char('"') + QString(v).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

QString outcomeText(Outcome o)
{
    switch (o) {
    case Outcome::Added: return QStringLiteral("neu");
    case Outcome::Updated: return QStringLiteral("geändert");
    case Outcome::Unchanged: return QStringLiteral("unverändert");
    case Outcome::Skipped: return QStringLiteral("übersprungen");
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
    case Outcome::Refused: break;
    }
    return refused;
}

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

Sheet readFile(const QString &path, const QString &sheet)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0)
        return readXlsxFile(path, sheet);
    return readCsvFile(path);
}

Import::Import(const TableDef &table, Sheet sheet) : m_table(&table), m_sheet(std::move(sheet))
{
    const auto &rows = m_sheet.rows;
    m_head = rows.empty() ? 0 : rows.size();
    for (size_t i = 0; i < rows.size() && i < size_t(kHeadingSearchRows) && m_head == rows.size(); ++i) {
        const std::vector<int> map = mapHeadings(table, rows[i].cells);
        bool allKeys = true;
        for (const QString &k : table.keyColumns) {
            const ColumnDef *c = data::schema::findColumn(table, k);
            const int f = int(c - table.columns.data());
            allKeys = allKeys && std::find(map.begin(), map.end(), f) != map.end();
        }
        if (allKeys)
            m_head = i;
    }
    if (m_head == rows.size() && !rows.empty())
        m_head = 0;
    if (rows.empty()) {
        m_first = m_last = 0;
        return;
    }
    m_mapping = mapHeadings(table, rows[m_head].cells);
    // The list ends at its first empty row: below it ORV's lists have their totals and legend.
    m_first = m_last = m_head + 1;
    int expected = rows[m_head].line + 1;
    while (m_last < rows.size() && rows[m_last].line == expected) {
        ++m_last;
        ++expected;
    }
}

QStringList Import::headings() const
{
    return m_head < m_sheet.rows.size() ? m_sheet.rows[m_head].cells : QStringList();
}

int Import::headingLine() const { return m_head < m_sheet.rows.size() ? m_sheet.rows[m_head].line : 0; }

void Import::setMapping(std::vector<int> mapping)
{
    mapping.resize(size_t(headings().size()), -1);
    m_mapping = std::move(mapping);
}

QString Import::missingFields() const
{
    QStringList missing;
    for (int f : requiredFields(*m_table))
        if (std::find(m_mapping.begin(), m_mapping.end(), f) == m_mapping.end())
            missing << QStringLiteral("„%1“").arg(fieldCaption(m_table->columns[size_t(f)].name));
    if (missing.isEmpty())
        return {};
    if (m_sheet.rows.empty())
        return QStringLiteral("Die Datei enthält keine Zeilen.");
    return (missing.size() == 1 ? QStringLiteral("Für das Pflichtfeld %1 gibt es keine Spalte in der Datei.")
                                : QStringLiteral("Für die Pflichtfelder %1 gibt es keine Spalten in der Datei."))
               .arg(missing.join(QStringLiteral(", ")))
           + QStringLiteral(" Die Überschriften stehen in Zeile %1.").arg(headingLine());
}

void Import::checkCells() const
{
    if (rowCount() == 0)
        return;
    const int from = row(0).line, to = row(rowCount() - 1).line;
    for (const int line : m_sheet.formulaLines)
        if (line >= from && line <= to)
            throw ImportError(QStringLiteral("Das Tabellenblatt enthält in Zeile %1 eine Formel. Bitte die Werte "
                                             "ohne Formeln speichern (Kopieren, Inhalte einfügen: Werte).")
                                  .arg(line));
    for (const auto &[a, b] : m_sheet.mergedLines)
        if (b >= headingLine() && a <= to)
            throw ImportError(QStringLiteral("Das Tabellenblatt enthält in Zeile %1 verbundene Zellen. Bitte die "
                                             "Verbindung aufheben, sodass jeder Wert in seiner eigenen Zelle steht.")
                                  .arg(qMax(a, headingLine())));
}

QString Import::notice() const
{
    const qint64 below = qint64(m_sheet.rows.size()) - qint64(m_last);
    if (below <= 0 || m_last == 0)
        return {};
    return QStringLiteral("Die Liste endet mit der leeren Zeile %1; die %2 Zeile(n) darunter werden nicht eingelesen.")
        .arg(m_last > m_first ? m_sheet.rows[m_last - 1].line + 1 : headingLine() + 1)
        .arg(below);
}

ImportResult Import::run(data::Connection &conn, Mode mode, bool write, const Progress &progress) const
{
    if (const QString missing = missingFields(); !missing.isEmpty())
        throw ImportError(missing);
    checkCells();
    const TableDef &t = *m_table;
    const QString table = QLatin1String(t.name);
    const size_t fields = t.columns.size();
    std::vector<int> columnOf(fields, -1); // file column per field
    for (size_t c = 0; c < m_mapping.size(); ++c)
        if (m_mapping[c] >= 0)
            columnOf[size_t(m_mapping[c])] = int(c);
    std::vector<int> keyFields;
    for (const QString &k : t.keyColumns)
        keyFields.push_back(int(data::schema::findColumn(t, k) - t.columns.data()));
    QStringList names;
    for (const ColumnDef &c : t.columns)
        names << QLatin1String(c.name);
    const QString dateFormat = data::shortDateFormat(); // once: the locale's format is built each time

    std::optional<data::Transaction> tx;
    if (write) {
        tx.emplace(conn);
        // Nobody deletes a course or an employee, nor writes this table, while the rows are checked and written.
        if (conn.backend().kind() == data::BackendKind::Postgres) {
            conn.exec(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(table));
            if (table == QLatin1String("Trainingsplan"))
                conn.exec(QStringLiteral("LOCK TABLE Kurs, Mitarbeiter IN SHARE MODE"));
        }
    }

    // What the database holds.
    Existing ex;
    {
        QStringList keyNames;
        for (int f : keyFields)
            keyNames << names[f];
        const QString cols =
            mode == Mode::AddOrUpdate ? names.join(QStringLiteral(", ")) : keyNames.join(QStringLiteral(", "));
        auto cur = conn.query(QStringLiteral("SELECT %1 FROM %2").arg(cols, table));
        while (cur->next()) {
            QStringList key;
            QVariantList values;
            if (mode == Mode::AddOrUpdate) {
                for (size_t f = 0; f < fields; ++f)
                    values.append(storedOf(*cur, int(f), t.columns[f].type));
                for (int f : keyFields)
                    key << values[f].toString();
            } else {
                for (qsizetype k = 0; k < keyNames.size(); ++k)
                    key << storedOf(*cur, int(k), ColType::Text).toString();
            }
            const QString joined = joinKey(key);
            ex.keys.insert(joined);
            if (mode == Mode::AddOrUpdate)
                ex.rows.insert(joined, values);
        }
        if (table == QLatin1String("Trainingsplan")) {
            ex.courses = keysOf(conn, QStringLiteral("SELECT KursNr FROM Kurs"));
            ex.employees = keysOf(conn, QStringLiteral("SELECT Name FROM Mitarbeiter"));
        }
    }

    data::checks::Lookups lookups;
    lookups.keyExists = [](const QStringList &) { return false; }; // decided before the checks
    lookups.courseExists = [&ex](const QString &k) { return ex.courses.contains(rtrimmed(k)); };
    lookups.employeeExists = [&ex](const QString &n) { return ex.employees.contains(rtrimmed(n)); };

    ImportResult result;
    result.rows.reserve(size_t(rowCount()));
    QHash<QString, int> seen; // key -> line of its first row in the file
    seen.reserve(rowCount());
    struct Pending {
        qint64 row;
        bool update;
        QVariantList stored;
        std::vector<bool> changed;
        QStringList key;
    };
    std::vector<Pending> pending;
    const qint64 n = rowCount();
    qint64 total = 2 * n;

    const auto headingOf = [&](int field) {
        const int c = columnOf[size_t(field)];
        return c >= 0 ? headings().value(c) : fieldCaption(t.columns[size_t(field)].name);
    };

    for (qint64 i = 0; i < n; ++i) {
        if (progress && (i & 0x3ff) == 0)
            progress(i, total);
        const SheetRow &r = row(i);
        RowResult res;
        res.line = r.line;
        const auto refuse = [&](int field, const QString &reason) {
            res.outcome = Outcome::Refused;
            res.column = headingOf(field);
            res.reason = reason;
        };

        // The file's cells as typed values and as stored values.
        QStringList typed;
        QVariantList stored;
        typed.reserve(qsizetype(fields));
        stored.reserve(qsizetype(fields));
        std::vector<bool> given(fields, false);
        int faultField = -1;
        QString fault;
        for (size_t f = 0; f < fields; ++f) {
            const ColumnDef &c = t.columns[f];
            const int col = columnOf[f];
            given[f] = col >= 0;
            const QString raw = col >= 0 ? r.cells.value(col) : QString();
            const auto setFault = [&](const QString &m) {
                if (faultField < 0) {
                    faultField = int(f);
                    fault = m;
                }
            };
            if (raw.contains(QChar(0)))
                setFault(QStringLiteral("Das Feld darf kein Nullzeichen (U+0000) enthalten."));
            switch (c.type) {
            case ColType::Text: {
                const QString v = isStatus(c) ? statusValue(raw) : raw;
                if (data::characterCount(rtrimmed(v)) > c.width)
                    setFault(QStringLiteral("Der Text ist länger als %1 Zeichen.").arg(c.width));
                typed << v;
                stored << rtrimmed(v);
                break;
            }
            case ColType::Date: {
                const auto d = fileDate(raw);
                typed << (d ? data::shortDateText(*d) : raw);
                stored << (d ? *d : QDate());
                break;
            }
            case ColType::Bool: {
                const auto b = fileBool(raw, c.name);
                if (!b)
                    setFault(QStringLiteral("Der Wert „%1“ ist kein Ja/Nein-Wert (ja, nein, x oder leer).").arg(raw));
                typed << QString();
                stored << b.value_or(false);
                break;
            }
            default: {
                const auto v = raw.trimmed().isEmpty() ? std::optional<double>(0.0) : fileNumber(raw);
                typed << (v ? numberText(*v) : raw);
                stored << double(float(v.value_or(0.0)));
                break;
            }
            }
        }

        QStringList key;
        for (int f : keyFields)
            key << rtrimmed(typed[f]);
        const QString joined = joinKey(key);
        const bool keyGiven =
            std::all_of(key.cbegin(), key.cend(), [](const QString &k) { return !k.trimmed().isEmpty(); });
        const auto firstLine = keyGiven ? seen.constFind(joined) : seen.constEnd();
        const bool stored_ = keyGiven && ex.keys.contains(joined);

        if (faultField >= 0) {
            refuse(faultField, fault);
        } else if (firstLine != seen.constEnd()) {
            refuse(keyFields[0],
                   QStringLiteral("Der Schlüssel steht in dieser Datei schon in Zeile %1.").arg(*firstLine));
        } else if (stored_ && mode == Mode::AddOnly) {
            res.outcome = Outcome::Skipped;
        } else {
            std::vector<bool> changed(fields, false);
            if (stored_) {
                // A stored row: the fields the file does not have keep their values.
                const QVariantList &old = ex.rows[joined];
                for (size_t f = 0; f < fields; ++f) {
                    const ColType type = t.columns[f].type;
                    if (!given[f]) {
                        stored[f] = old[f];
                        typed[f] = type == ColType::Date     ? old[f].toDate().toString(dateFormat)
                                   : type == ColType::Single ? numberText(old[f].toDouble())
                                   : type == ColType::Text   ? old[f].toString()
                                                             : QString();
                        continue;
                    }
                    bool same = false;
                    switch (type) {
                    case ColType::Text: same = stored[f].toString() == old[f].toString(); break;
                    case ColType::Date: same = stored[f].toDate() == old[f].toDate(); break;
                    case ColType::Bool: same = stored[f].toBool() == old[f].toBool(); break;
                    default: same = float(stored[f].toDouble()) == float(old[f].toDouble()); break;
                    }
                    changed[f] = !same;
                }
            }
            const auto value = [&](const char *column) {
                for (size_t f = 0; f < fields; ++f)
                    if (qstrcmp(t.columns[f].name, column) == 0)
                        return typed[qsizetype(f)];
                return QString();
            };
            const data::checks::Fault f = data::checks::forTable(table, value, !stored_, lookups);
            if (f) {
                refuse(int(data::schema::findColumn(t, f.column) - t.columns.data()), f.message);
            } else if (stored_ && std::none_of(changed.begin(), changed.end(), [](bool b) { return b; })) {
                res.outcome = Outcome::Unchanged;
            } else {
                res.outcome = stored_ ? Outcome::Updated : Outcome::Added;
                pending.push_back({i, stored_, stored, changed, key});
            }
        }
        // A refused row leaves its key to a later row of the file.
        if (keyGiven && firstLine == seen.constEnd() && res.outcome != Outcome::Refused)
            seen.insert(joined, r.line);

        switch (res.outcome) {
        case Outcome::Added: ++result.added; break;
        case Outcome::Updated: ++result.updated; break;
        case Outcome::Unchanged: ++result.unchanged; break;
        case Outcome::Skipped: ++result.skipped; break;
        case Outcome::Refused: ++result.refused; break;
        }
        if (result.preview.size() < size_t(kPreviewRows)) {
            QStringList shown;
            for (size_t f = 0; f < fields; ++f) {
                const ColType type = t.columns[f].type;
                if (res.outcome == Outcome::Refused)
                    shown << (columnOf[f] >= 0 ? r.cells.value(columnOf[f]) : QString());
                else if (type == ColType::Bool)
                    shown << (stored[f].toBool() ? QStringLiteral("ja") : QStringLiteral("nein"));
                else if (type == ColType::Single)
                    shown << QLocale().toString(stored[f].toDouble(), 'f',
                                                qstrcmp(t.columns[f].name, "Kosten") == 0 ? 2 : 1);
                else if (type == ColType::Date)
                    shown << stored[f].toDate().toString(dateFormat);
                else if (isStatus(t.columns[f]))
                    shown << data::lists::statusCaptions().value(stored[f].toString().toInt(), stored[f].toString());
                else
                    shown << stored[f].toString();
            }
            result.preview.push_back(shown);
        }
        result.rows.push_back(res);
    }

    if (!write || pending.empty()) {
        if (progress)
            progress(n, n);
        return result;
    }

    // The state right before the import can be restored from its own copy.
    if (conn.backend().kind() == data::BackendKind::Sqlite)
        result.backupFile = data::makeImportBackup(conn.target().location, QDateTime::currentDateTime());

    total = n + qint64(pending.size());
    data::BatchInsert insert(conn, table, names, kRowsPerInsert);
    // Changed rows go to a table of their own first and then into the table
    // in one statement: a statement per row takes minutes on a server.
    const QString changesTable = QStringLiteral("orv_import_changes");
    std::optional<data::BatchInsert> changes;
    if (std::any_of(pending.begin(), pending.end(), [](const Pending &p) { return p.update; })) {
        conn.exec(QStringLiteral("CREATE TEMP TABLE %1 AS SELECT *, '' AS orv_changed FROM %2 WHERE 1 = 0")
                      .arg(changesTable, table),
                  {});
        changes.emplace(conn, changesTable, names + QStringList{QStringLiteral("orv_changed")}, kRowsPerInsert);
    }
    std::vector<bool> anyChanged(fields, false);
    qint64 done = 0;
    for (const Pending &p : pending) {
        if (progress && (done & 0x3ff) == 0)
            progress(n + done, total);
        ++done;
        QVariantList values;
        QString changed; // '1' for each column this row changes
        for (size_t f = 0; f < fields; ++f) {
            const ColumnDef &c = t.columns[f];
            QVariant v = p.stored[f];
            if (c.type == ColType::Text)
                v = data::schema::padded(v.toString(), c.width);
            else if (c.type == ColType::Date && !v.toDate().isValid())
                v = QVariant();
            values << v;
            changed += QLatin1Char(p.update && p.changed[f] ? '1' : '0');
            anyChanged[f] = anyChanged[f] || (p.update && p.changed[f]);
        }
        if (!p.update) {
            insert.add(values);
            continue;
        }
        values << changed;
        changes->add(values);
    }
    if (changes) {
        changes->flush();
        // Only the columns a row changes are written, as a save does; the
        // others keep what is stored.
        QStringList sets, where;
        for (size_t f = 0; f < fields; ++f)
            if (anyChanged[f])
                sets << QStringLiteral("%1 = CASE WHEN substr(u.orv_changed, %2, 1) = '1' THEN u.%1 ELSE %3.%1 END")
                            .arg(names[int(f)])
                            .arg(f + 1)
                            .arg(table);
        for (int f : keyFields)
            where << QStringLiteral("%1.%2 = u.%2").arg(table, names[f]);
        if (!sets.isEmpty())
            conn.exec(
                QStringLiteral("UPDATE %1 SET %2 FROM %3 AS u WHERE %4")
                    .arg(table, sets.join(QStringLiteral(", ")), changesTable, where.join(QStringLiteral(" AND "))),
                {});
        conn.exec(QStringLiteral("DROP TABLE ") + changesTable, {});
    }
    insert.flush();
    if (progress)
        progress(total, total);
    tx->commit();
    result.written = true;
    return result;
}

void Import::saveRefusals(const ImportResult &result, const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ImportError(QStringLiteral("Die Datei kann nicht angelegt werden: ") + file.errorString());
    QStringList heads = headings();
    const qsizetype width = heads.size();
    QString out = QStringLiteral("\uFEFF");
    const auto line = [&out](const QStringList &cells) {
        QStringList quoted;
        for (const QString &c : cells)
            quoted << csvCell(c);
        out += quoted.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    };
    line(heads << QStringLiteral("Zeile") << QStringLiteral("Spalte") << QStringLiteral("Grund"));
    for (qint64 i = 0; i < qint64(result.rows.size()) && i < rowCount(); ++i) {
        const RowResult &r = result.rows[size_t(i)];
        if (r.outcome != Outcome::Refused)
            continue;
        QStringList cells = row(i).cells.mid(0, width);
        while (cells.size() < width)
            cells << QString();
        line(cells << QString::number(r.line) << r.column << r.reason);
    }
    const QByteArray bytes = out.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw ImportError(QStringLiteral("Die Datei kann nicht geschrieben werden: ") + file.errorString());
}

} // namespace orv::import
