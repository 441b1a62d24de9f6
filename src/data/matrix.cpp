#include "data/matrix.h"

#include "data/collation.h"
#include "data/dberror.h"
#include "data/dbtext.h"

#include <QSet>
#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orv::data::matrix {
namespace {

std::string_view trimmedBytes(std::string_view bytes)
{
    while (!bytes.empty() && bytes.back() == ' ')
        bytes.remove_suffix(1);
    return bytes;
}

QString textOf(const Cursor &cur, int c) { return fromDbText(trimmedBytes(cur.textBytes(c))); }

bool keeps(const QString &wanted, const QString &stored)
{
    return wanted.trimmed().isEmpty() || wanted.trimmed() == stored;
}

// Ranks in German order: equal texts share a rank.
std::vector<uint32_t> ranks(const std::vector<QString> &texts)
{
    std::vector<QByteArray> utf8;
    utf8.reserve(texts.size());
    std::vector<std::string_view> views;
    views.reserve(texts.size());
    for (const QString &t : texts) {
        utf8.push_back(t.toUtf8());
        views.emplace_back(utf8.back().constData(), size_t(utf8.back().size()));
    }
    const std::vector<uint32_t> order = germanOrder(views);
    std::vector<uint32_t> rank(texts.size());
    uint32_t r = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && germanCompare(views[order[i - 1]], views[order[i]]) != 0)
            ++r;
        rank[order[i]] = r;
    }
    return rank;
}

// A course that makes (part of) a column.
struct Source {
    int column;
    std::optional<int> months;
};

struct StoredCourse {
    std::string nr; // trimmed bytes, the key of the entries
    QString kursNr, rubrik, art, beschreibung, reihe;
    std::optional<int> months;
};

std::vector<StoredCourse> storedCourses(Connection &conn)
{
    std::vector<StoredCourse> list;
    auto cur = conn.query(QStringLiteral("SELECT k.KursNr, k.Rubrik, k.Art, k.Beschreibung, r.Reihe, r.Gueltigkeit "
                                         "FROM Kurs k LEFT JOIN Kursreihe r ON r.KursNr = k.KursNr"));
    while (cur->next())
        list.push_back({std::string(trimmedBytes(cur->textBytes(0))), textOf(*cur, 0), textOf(*cur, 1), textOf(*cur, 2),
                        textOf(*cur, 3), cur->isNull(4) ? QString() : textOf(*cur, 4),
                        cur->isNull(5) ? std::nullopt : std::optional<int>(int(cur->integer(5)))});
    std::vector<QString> numbers;
    for (const StoredCourse &c : list)
        numbers.push_back(c.kursNr);
    const std::vector<uint32_t> rank = ranks(numbers);
    std::vector<size_t> order(list.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return rank[a] < rank[b]; });
    std::vector<StoredCourse> sorted;
    sorted.reserve(list.size());
    for (size_t i : order)
        sorted.push_back(std::move(list[i]));
    return sorted;
}

// The columns of the selection, and which course feeds which column.
std::vector<Column> chooseColumns(Connection &conn, const Selection &sel,
                                  std::unordered_map<std::string, Source> &sources)
{
    const std::vector<StoredCourse> stored = storedCourses(conn);
    QSet<QString> ticked;
    for (const QString &k : sel.kursNrs)
        ticked.insert(k.trimmed());
    const auto chosen = [&](const StoredCourse &c) {
        if (!sel.series && !ticked.empty())
            return ticked.contains(c.kursNr);
        return keeps(sel.rubrik, c.rubrik) && keeps(sel.art, c.art) && (!sel.series || !c.reihe.isEmpty());
    };
    std::vector<Column> columns;
    if (!sel.series) {
        for (const StoredCourse &c : stored)
            if (chosen(c)) {
                sources.emplace(c.nr, Source{int(columns.size()), c.months});
                columns.push_back({c.kursNr, c.kursNr, c.beschreibung, c.months});
            }
        return columns;
    }
    std::vector<QString> codes;
    for (const StoredCourse &c : stored)
        if (chosen(c))
            codes.push_back(c.reihe);
    const std::vector<uint32_t> rank = ranks(codes);
    std::vector<int> columnOfRank(codes.empty() ? 0 : *std::max_element(rank.begin(), rank.end()) + 1, -1);
    // The courses come in German order of their numbers: the last of a series is its latest cycle.
    std::vector<std::pair<uint32_t, const StoredCourse *>> fed;
    size_t i = 0;
    for (const StoredCourse &c : stored)
        if (chosen(c))
            fed.emplace_back(rank[i++], &c);
    std::vector<const StoredCourse *> latest(columnOfRank.size(), nullptr);
    for (const auto &[r, c] : fed)
        latest[r] = c;
    for (size_t r = 0; r < latest.size(); ++r) {
        columnOfRank[r] = int(columns.size());
        columns.push_back({latest[r]->reihe, latest[r]->kursNr, latest[r]->beschreibung, latest[r]->months});
    }
    for (const auto &[r, c] : fed)
        sources.emplace(c->nr, Source{columnOfRank[r], c->months});
    return columns;
}

// The employees the filters leave, sorted as chosen.
std::vector<Row> chooseRows(Connection &conn, const Selection &sel, std::vector<std::string> &keys)
{
    std::vector<Row> rows;
    std::vector<std::string> names;
    auto cur =
        conn.queryMany(QStringLiteral("SELECT Name, Bereich, Abteilung, Kostenstelle, Kategorie FROM Mitarbeiter"));
    while (cur->next()) {
        Row r{textOf(*cur, 0), textOf(*cur, 1), textOf(*cur, 2), textOf(*cur, 3), textOf(*cur, 4)};
        if (keeps(sel.bereich, r.bereich) && keeps(sel.abteilung, r.abteilung)
            && keeps(sel.kostenstelle, r.kostenstelle) && keeps(sel.kategorie, r.kategorie)) {
            names.emplace_back(trimmedBytes(cur->textBytes(0)));
            rows.push_back(std::move(r));
        }
    }
    std::vector<QString> texts;
    texts.reserve(rows.size());
    const auto rankOf = [&](QString Row::*field) {
        texts.clear();
        for (const Row &r : rows)
            texts.push_back(r.*field);
        return ranks(texts);
    };
    const std::vector<uint32_t> byName = rankOf(&Row::name);
    std::vector<uint32_t> byBereich, byAbteilung;
    if (sel.grouped) {
        byBereich = rankOf(&Row::bereich);
        byAbteilung = rankOf(&Row::abteilung);
    }
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (sel.grouped && byBereich[a] != byBereich[b])
            return byBereich[a] < byBereich[b];
        if (sel.grouped && byAbteilung[a] != byAbteilung[b])
            return byAbteilung[a] < byAbteilung[b];
        return byName[a] != byName[b] ? byName[a] < byName[b] : a < b;
    });
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    keys.clear();
    keys.reserve(rows.size());
    for (size_t i : order) {
        sorted.push_back(std::move(rows[i]));
        keys.push_back(std::move(names[i]));
    }
    return sorted;
}

// One entry of a chosen course, as the cells need it.
struct Mark {
    quint64 cell; // row * columns + column
    qint32 von;   // Julian days; 0: none
    qint32 bis;
    qint16 months; // of its course; -1: valid for good
    Status status;
};

Status statusOf(std::string_view code)
{
    if (code.size() != 1)
        return Status::None;
    switch (code[0]) {
    case '0': return Status::Bedarf;
    case '1': return Status::Geplant;
    case '2': return Status::Erledigt;
    case '3': return Status::KeineTeilnahme;
    default: return Status::None;
    }
}

void refuseSize(qint64 rows, qint64 columns)
{
    if (rows * columns > kMaxCells)
        throw TooLarge(QStringLiteral("Die Matrix hätte mehr als %L1 Felder (%L2 Mitarbeiter × %L3 Spalten). Bitte "
                                      "grenzen Sie die Mitarbeiter oder die Kurse ein.")
                           .arg(kMaxCells)
                           .arg(rows)
                           .arg(columns));
}

// The state of one cell from the entries of its course (or of its series' courses).
Cell cellOf(const Mark *first, const Mark *last, const Selection &sel)
{
    const Mark *latest = nullptr, *done = nullptr;
    for (const Mark *m = first; m != last; ++m) {
        // On the same day a completed entry stands for the cycle.
        if (!latest || m->von > latest->von
            || (m->von == latest->von && m->status == Status::Erledigt && latest->status != Status::Erledigt))
            latest = m;
        if (m->status == Status::Erledigt && m->bis != 0 && (!done || m->bis > done->bis))
            done = m;
    }
    Cell cell{latest->status, Validity::None};
    if (done && done->months >= 0) {
        const qint64 days = sel.today.daysTo(QDate::fromJulianDay(done->bis).addMonths(done->months));
        cell.validity = days < 0 ? Validity::Expired : days < sel.dueDays ? Validity::Due : Validity::Valid;
    }
    return cell;
}

} // namespace

std::vector<Course> courses(Connection &conn)
{
    std::vector<Course> list;
    for (const StoredCourse &c : storedCourses(conn))
        list.push_back({c.kursNr, c.rubrik, c.art, c.beschreibung});
    return list;
}

Matrix build(Connection &conn, const Selection &sel, const Progress &progress)
{
    Matrix m;
    std::unordered_map<std::string, Source> sources;
    m.columns = chooseColumns(conn, sel, sources);
    std::vector<std::string> keys;
    std::vector<Row> candidates = chooseRows(conn, sel, keys);
    const quint64 columnCount = m.columns.size();
    if (m.columns.empty() || candidates.empty())
        return m;
    if (sel.withoutEntries)
        refuseSize(qint64(candidates.size()), qint64(columnCount));
    std::unordered_map<std::string_view, quint64> rowOf;
    rowOf.reserve(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        rowOf.emplace(keys[i], quint64(i));
    std::unordered_map<std::string_view, const Source *> sourceOf;
    for (const auto &s : sources)
        sourceOf.emplace(s.first, &s.second);

    QString where;
    QVariantList params;
    if (sel.from.isValid()) {
        where += QStringLiteral(" AND Datum_von >= ?");
        params << sel.from;
    }
    if (sel.to.isValid()) {
        where += QStringLiteral(" AND Datum_von <= ?");
        params << sel.to;
    }
    if (!where.isEmpty())
        where = QStringLiteral(" WHERE") + where.mid(4);
    qint64 total = 1;
    if (progress) {
        auto count = conn.query(QStringLiteral("SELECT COUNT(*) FROM Trainingsplan") + where, params);
        total = (count->next() ? count->integer(0) : 0) + 1;
        progress(0, total);
    }
    std::vector<Mark> marks;
    {
        auto cur = conn.queryMany(
            QStringLiteral("SELECT KursNr, Name, Status, Datum_von, Datum_bis FROM Trainingsplan") + where, params);
        qint64 read = 0;
        while (cur->next()) {
            if (progress && (++read & 0x3fff) == 0)
                progress(std::min(read, total - 1), total);
            const auto s = sourceOf.find(trimmedBytes(cur->textBytes(0)));
            if (s == sourceOf.end())
                continue;
            const auto r = rowOf.find(trimmedBytes(cur->textBytes(1)));
            if (r == rowOf.end())
                continue;
            const Status status = statusOf(trimmedBytes(cur->textBytes(2)));
            if (status == Status::None)
                continue;
            const std::optional<int> &months = s->second->months;
            marks.push_back({r->second * columnCount + quint64(s->second->column), qint32(cur->julianDay(3)),
                             qint32(cur->julianDay(4)), qint16(months ? *months : -1), status});
        }
    }
    std::sort(marks.begin(), marks.end(), [](const Mark &a, const Mark &b) { return a.cell < b.cell; });

    // The rows shown: every candidate, or those with an entry in a column.
    std::vector<qint64> shownAs(candidates.size(), -1);
    for (size_t i = 0, at = 0; i < candidates.size(); ++i) {
        if (!sel.withoutEntries) {
            while (at < marks.size() && marks[at].cell / columnCount < i)
                ++at;
            if (at >= marks.size() || marks[at].cell / columnCount != i)
                continue;
        }
        shownAs[i] = qint64(m.rows.size());
        m.rows.push_back(std::move(candidates[i]));
    }
    refuseSize(qint64(m.rows.size()), qint64(columnCount));
    m.cells.assign(m.rows.size() * columnCount, 0);
    m.qualified.assign(columnCount, 0);
    for (size_t at = 0; at < marks.size();) {
        size_t end = at;
        while (end < marks.size() && marks[end].cell == marks[at].cell)
            ++end;
        const quint64 column = marks[at].cell % columnCount;
        const Cell cell = cellOf(&marks[at], &marks[end], sel);
        const quint64 row = quint64(shownAs[marks[at].cell / columnCount]);
        m.cells[row * columnCount + column] = std::uint8_t(int(cell.status) | int(cell.validity) << 4);
        if (cell.qualified())
            ++m.qualified[column];
        at = end;
    }
    if (progress)
        progress(total, total);
    return m;
}

} // namespace orv::data::matrix
