#include "import/xlsxreader.h"

#include "import/ziparchive.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QXmlStreamReader>
#include <algorithm>

namespace orv::import {

namespace {

const QString kKind = QStringLiteral("Excel-Arbeitsmappe (.xlsx)");

struct SheetRef {
    QString name;
    QString part; // "xl/worksheets/sheet1.xml"
};

std::vector<SheetRef> sheetsOf(Archive &zip)
{
    std::vector<SheetRef> sheets;
    QHash<QString, QString> targets;
    const auto never = [&zip] { return zip.damaged(QStringLiteral("ein Text ohne Ende")); };
    zip.read(
        QStringLiteral("xl/_rels/workbook.xml.rels"),
        [&](QXmlStreamReader &x) {
            if (x.name() == u"Relationship")
                targets.insert(x.attributes().value(QLatin1String("Id")).toString(),
                               x.attributes().value(QLatin1String("Target")).toString());
        },
        never);
    zip.read(
        QStringLiteral("xl/workbook.xml"),
        [&](QXmlStreamReader &x) {
            if (x.name() != u"sheet")
                return;
            QString id;
            for (const QXmlStreamAttribute &a : x.attributes())
                if (a.name() == u"id")
                    id = a.value().toString();
            QString target = targets.value(id);
            target = target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
            sheets.push_back({x.attributes().value(QLatin1String("name")).toString(), target});
        },
        never);
    if (sheets.empty())
        throw ImportError(zip.damaged(QStringLiteral("kein Tabellenblatt")));
    return sheets;
}

// Whether a number format shows a date: the built-in date formats and any
// own format with day, month or year outside quotes and brackets.
bool isDateFormat(int id, const QString &code)
{
    if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58))
        return true;
    bool quoted = false;
    int bracket = 0;
    for (const QChar c : code) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('['))
            ++bracket;
        else if (!quoted && c == QLatin1Char(']'))
            --bracket;
        else if (!quoted && bracket == 0 && QStringLiteral("dDyY").contains(c))
            return true;
    }
    return false;
}

std::vector<bool> dateStyles(Archive &zip)
{
    std::vector<bool> styles;
    if (!zip.has(QStringLiteral("xl/styles.xml")))
        return styles;
    QHash<int, QString> codes;
    bool inCellXfs = false;
    zip.read(
        QStringLiteral("xl/styles.xml"),
        [&](QXmlStreamReader &x) {
            const auto n = x.name();
            if (n == u"numFmt") {
                codes.insert(x.attributes().value(QLatin1String("numFmtId")).toInt(),
                             x.attributes().value(QLatin1String("formatCode")).toString());
            } else if (n == u"cellXfs") {
                inCellXfs = true;
            } else if (n == u"cellStyleXfs" || n == u"cellStyles" || n == u"dxfs") {
                inCellXfs = false;
            } else if (n == u"xf" && inCellXfs) {
                const int id = x.attributes().value(QLatin1String("numFmtId")).toInt();
                styles.push_back(isDateFormat(id, codes.value(id)));
            }
        },
        [] { return QStringLiteral("Die Formatvorlagen der Arbeitsmappe sind zu groß."); });
    return styles;
}

QString cellTooLong(int line, int col)
{
    return QStringLiteral("Zeile %1, Spalte %2: Die Zelle ist länger als %3 Zeichen.")
        .arg(line)
        .arg(columnLetters(qMax(col, 0)))
        .arg(kMaxCellChars);
}

QStringList sharedStrings(Archive &zip)
{
    QStringList strings;
    if (!zip.has(QStringLiteral("xl/sharedStrings.xml")))
        return strings;
    const QString tooLong = QStringLiteral("Eine Zelle ist länger als %1 Zeichen.").arg(kMaxCellChars);
    zip.read(
        QStringLiteral("xl/sharedStrings.xml"),
        [&](QXmlStreamReader &x) {
            if (x.name() == u"si")
                strings.append(QString());
            else if (x.name() == u"rPh") // phonetic hints belong to no cell's text
                x.skipCurrentElement();
            else if (x.name() == u"t" && !strings.isEmpty()) {
                // Each run of a text with several formats adds its part.
                strings.last() += x.readElementText();
                if (strings.last().size() > kMaxCellChars)
                    throw ImportError(tooLong);
            }
        },
        [&] { return tooLong; });
    return strings;
}

// "C12" -> column 2, row 12; -1 for what is no reference.
std::pair<int, int> cellRef(QStringView ref)
{
    int col = 0, row = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i) {
        col = col * 26 + (ref[i].toUpper().unicode() - u'A' + 1);
        if (col > 16384)
            return {-1, -1};
    }
    for (; i < ref.size() && ref[i].isDigit(); ++i) {
        row = row * 10 + (ref[i].unicode() - u'0');
        if (row > kMaxRows)
            return {-1, -1};
    }
    if (col == 0 || row == 0 || i != ref.size())
        return {-1, -1};
    return {col - 1, row};
}

const QDate kExcelEpoch(1899, 12, 30);

} // namespace

QStringList xlsxSheetNames(const QString &path)
{
    Archive zip(path, kKind);
    QStringList names;
    for (const SheetRef &s : sheetsOf(zip))
        names.append(s.name);
    return names;
}

Sheet readXlsxFile(const QString &path, const QString &sheetName)
{
    Archive zip(path, kKind);
    const std::vector<SheetRef> sheets = sheetsOf(zip);
    const SheetRef *chosen = &sheets.front();
    if (!sheetName.isEmpty()) {
        auto it = std::find_if(sheets.begin(), sheets.end(), [&](const SheetRef &s) { return s.name == sheetName; });
        if (it == sheets.end())
            throw ImportError(QStringLiteral("Die Arbeitsmappe hat kein Tabellenblatt „%1“.").arg(sheetName));
        chosen = &*it;
    }
    const std::vector<bool> dates = dateStyles(zip);
    const QStringList strings = sharedStrings(zip);

    Sheet sheet;
    int line = 0, lastLine = 0; // the row being read, the last one kept
    QStringList cells;
    std::vector<int> noValue; // its formula cells without a stored value
    int col = -1;             // the cell being read
    QString type;             // its t attribute
    bool dateStyle = false, formula = false, hasValue = false;
    QString value;
    bool inCell = false, inInline = false;
    const auto finishRow = [&] {
        const bool filled =
            std::any_of(cells.cbegin(), cells.cend(), [](const QString &c) { return !c.trimmed().isEmpty(); });
        if (filled) {
            sheet.addRow(line, lastLine > 0 && line > lastLine + 1, cells);
            std::sort(noValue.begin(), noValue.end());
            for (const int c : noValue)
                sheet.markFormulaWithoutValue(c);
            lastLine = line;
        }
        cells.clear();
        noValue.clear();
    };
    const auto finishCell = [&] {
        if (!inCell)
            return;
        inCell = false;
        if (col >= kMaxColumns && (hasValue || formula))
            throw ImportError(
                QStringLiteral("Zeile %1: Das Tabellenblatt hat mehr als %2 Spalten.").arg(line).arg(kMaxColumns));
        // A formula is read by the value the workbook keeps for it.
        if (formula && !hasValue) {
            noValue.push_back(col);
            return;
        }
        QString text;
        if (type == u"s") {
            bool ok = false;
            const int i = value.toInt(&ok);
            if (!ok || i < 0 || i >= strings.size())
                throw ImportError(zip.damaged(QStringLiteral("Zelle %1%2").arg(columnLetters(col)).arg(line)));
            text = strings.at(i);
        } else if (type == u"inlineStr" || type == u"str" || type == u"e") {
            text = value;
        } else if (type == u"d") {
            text = value.left(10);
        } else if (type == u"b") {
            text = value.trimmed();
        } else if (!value.trimmed().isEmpty()) {
            bool ok = false;
            const double v = value.toDouble(&ok);
            if (!ok)
                throw ImportError(zip.damaged(QStringLiteral("Zelle %1%2").arg(columnLetters(col)).arg(line)));
            text = dateStyle && v >= 1 && v < 2958466 ? kExcelEpoch.addDays(qint64(v)).toString(Qt::ISODate)
                                                      : QString::number(v, 'g', QLocale::FloatingPointShortest);
        }
        if (text.isEmpty())
            return;
        if (cells.size() <= col)
            cells.resize(col + 1);
        cells[col] = text;
    };

    int nextRow = 1;
    zip.read(
        chosen->part,
        [&](QXmlStreamReader &x) {
            const auto n = x.name();
            if (n == u"row") {
                finishCell();
                finishRow();
                bool ok = false;
                const int r = x.attributes().value(QLatin1String("r")).toInt(&ok);
                line = ok ? r : nextRow;
                if (line < nextRow || line > kMaxRows)
                    throw ImportError(line > kMaxRows
                                          ? QStringLiteral("Das Tabellenblatt hat mehr als %1 Zeilen.").arg(kMaxRows)
                                          : zip.damaged(QStringLiteral("Zeile %1").arg(line)));
                nextRow = line + 1;
                col = -1;
            } else if (n == u"c") {
                finishCell();
                const auto ref = x.attributes().value(QLatin1String("r"));
                if (ref.isEmpty()) {
                    ++col;
                } else {
                    const auto [c, r] = cellRef(ref);
                    if (c < 0 || r != line)
                        throw ImportError(zip.damaged(QStringLiteral("Zelle %1").arg(ref.toString())));
                    col = c;
                }
                type = x.attributes().value(QLatin1String("t")).toString();
                const int s = x.attributes().value(QLatin1String("s")).toInt();
                dateStyle = s >= 0 && size_t(s) < dates.size() && dates[size_t(s)];
                value.clear();
                inCell = true;
                inInline = formula = hasValue = false;
            } else if (n == u"f" && inCell) {
                formula = true;
                x.skipCurrentElement();
            } else if (n == u"is" && inCell) {
                inInline = hasValue = true;
            } else if (n == u"rPh") {
                x.skipCurrentElement();
            } else if ((n == u"v" && inCell) || (n == u"t" && inInline)) {
                hasValue = true;
                value += x.readElementText();
                if (value.size() > kMaxCellChars)
                    throw ImportError(cellTooLong(line, col));
            } else if (n == u"mergeCell") {
                const QStringList range = x.attributes().value(QLatin1String("ref")).toString().split(QLatin1Char(':'));
                const int from = cellRef(range.value(0)).second;
                const int to = range.size() > 1 ? cellRef(range.value(1)).second : from;
                if (from > 0 && to >= from)
                    sheet.mergedLines.push_back({from, to});
            } else if (n == u"sheetData") {
                line = 0;
            }
        },
        [&] { return cellTooLong(line, col); });
    finishCell();
    finishRow();
    return sheet;
}

} // namespace orv::import
