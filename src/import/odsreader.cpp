#include "import/odsreader.h"

#include "import/ziparchive.h"

#include <QLocale>
#include <algorithm>

namespace orv::import {

namespace {

const QString kKind = QStringLiteral("OpenDocument-Tabelle (.ods)");
const QString kContent = QStringLiteral("content.xml");

// Without a password the parts are plain XML; with one the manifest says how they were encrypted.
Archive &openChecked(Archive &zip)
{
    const QString manifest = QStringLiteral("META-INF/manifest.xml");
    if (zip.has(manifest) && zip.bytes(manifest, 1 << 20).contains("encryption-data"))
        throw ImportError(QStringLiteral("Die Tabelle ist verschlüsselt (mit Kennwort geschützt). Bitte ohne "
                                         "Kennwort speichern."));
    return zip;
}

int repeat(const QXmlStreamReader &x, QLatin1String name)
{
    bool ok = false;
    const int n = x.attributes().value(name).toInt(&ok);
    return ok && n > 0 ? n : 1;
}

// The text of a cell: its paragraphs, one line each; spaces, tabs and line
// breaks as the file spells them; notes left out.
QString cellText(QXmlStreamReader &x, const std::function<void(const QString &)> &check)
{
    QString text;
    int paragraphs = 0;
    int depth = 1; // inside the cell
    while (depth > 0 && !x.atEnd()) {
        switch (x.readNext()) {
        case QXmlStreamReader::StartElement: {
            const auto n = x.name();
            if (n == u"annotation" || n == u"note") {
                x.skipCurrentElement();
            } else if (n == u"p" || n == u"h") {
                if (paragraphs++ > 0)
                    text += QLatin1Char('\n');
                ++depth;
            } else if (n == u"s") {
                text += QString(qMin(repeat(x, QLatin1String("text:c")), int(kMaxCellChars) + 1), QLatin1Char(' '));
                ++depth;
            } else if (n == u"tab") {
                text += QLatin1Char('\t');
                ++depth;
            } else if (n == u"line-break") {
                text += QLatin1Char('\n');
                ++depth;
            } else {
                ++depth;
            }
            break;
        }
        case QXmlStreamReader::EndElement: --depth; break;
        case QXmlStreamReader::Characters: text += x.text(); break;
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            throw ImportError(QStringLiteral("Die Datei enthält eine Entität. Tabellenprogramme schreiben so etwas "
                                             "nicht; die Datei wird nicht gelesen."));
        default: break;
        }
        check(text);
    }
    return text;
}

} // namespace

QStringList odsSheetNames(const QString &path)
{
    Archive zip(path, kKind);
    openChecked(zip);
    QStringList names;
    zip.read(
        kContent,
        [&](QXmlStreamReader &x) {
            if (x.name() == u"table" && x.namespaceUri().endsWith(u":table:1.0")) {
                names << x.attributes().value(QLatin1String("table:name")).toString();
                x.skipCurrentElement();
            }
        },
        [&] { return zip.damaged(QStringLiteral("ein Text ohne Ende")); });
    return names;
}

Sheet readOdsFile(const QString &path, const QString &sheetName)
{
    Archive zip(path, kKind);
    openChecked(zip);
    Sheet sheet;
    bool found = false, done = false;
    int line = 0, lastLine = 0, col = 0;
    QStringList cells;
    std::vector<int> noValue;
    const auto tooLong = [&] {
        return QStringLiteral("Zeile %1, Spalte %2: Die Zelle ist länger als %3 Zeichen.")
            .arg(line)
            .arg(columnLetters(col))
            .arg(kMaxCellChars);
    };
    const auto check = [&](const QString &text) {
        if (text.size() > kMaxCellChars)
            throw ImportError(tooLong());
    };
    const auto keepRow = [&](int times) {
        const bool filled =
            std::any_of(cells.cbegin(), cells.cend(), [](const QString &c) { return !c.trimmed().isEmpty(); });
        if (filled) {
            std::sort(noValue.begin(), noValue.end());
            for (int i = 0; i < times; ++i) {
                if (line + i > kMaxRows)
                    throw ImportError(QStringLiteral("Das Tabellenblatt hat mehr als %1 Zeilen.").arg(kMaxRows));
                sheet.addRow(line + i, lastLine > 0 && line + i > lastLine + 1, cells);
                for (const int c : noValue)
                    sheet.markFormulaWithoutValue(c);
                lastLine = line + i;
            }
        }
        cells.clear();
        noValue.clear();
    };

    zip.read(
        kContent,
        [&](QXmlStreamReader &x) {
            const auto n = x.name();
            if (done)
                return;
            if (n == u"table" && x.namespaceUri().endsWith(u":table:1.0")) {
                const QString name = x.attributes().value(QLatin1String("table:name")).toString();
                if (found || (!sheetName.isEmpty() && name != sheetName)) {
                    done = found;
                    x.skipCurrentElement();
                    return;
                }
                found = true;
                return;
            }
            if (!found)
                return;
            if (n == u"table-row") {
                const int times = repeat(x, QLatin1String("table:number-rows-repeated"));
                ++line;
                col = 0;
                // The cells of the row, read here to its end.
                while (!x.atEnd()) {
                    const auto t = x.readNext();
                    if (t == QXmlStreamReader::EndElement && x.name() == u"table-row")
                        break;
                    if (t != QXmlStreamReader::StartElement)
                        continue;
                    const bool covered = x.name() == u"covered-table-cell";
                    if (!covered && x.name() != u"table-cell") {
                        x.skipCurrentElement();
                        continue;
                    }
                    const int span = repeat(x, QLatin1String("table:number-columns-repeated"));
                    const auto a = x.attributes();
                    const QString valueType = a.value(QLatin1String("office:value-type")).toString();
                    const bool formula = a.hasAttribute(QLatin1String("table:formula"));
                    const int rowsSpanned = repeat(x, QLatin1String("table:number-rows-spanned"));
                    const int colsSpanned = repeat(x, QLatin1String("table:number-columns-spanned"));
                    if (!covered && (rowsSpanned > 1 || colsSpanned > 1))
                        sheet.mergedLines.push_back({line, line + rowsSpanned - 1});
                    QString value;
                    if (valueType == u"float" || valueType == u"currency" || valueType == u"percentage") {
                        bool ok = false;
                        const double v = a.value(QLatin1String("office:value")).toDouble(&ok);
                        if (!ok)
                            throw ImportError(
                                zip.damaged(QStringLiteral("Zelle %1%2").arg(columnLetters(col)).arg(line)));
                        value = QString::number(v, 'g', QLocale::FloatingPointShortest);
                        x.skipCurrentElement();
                    } else if (valueType == u"date") {
                        value = a.value(QLatin1String("office:date-value")).left(10).toString();
                        x.skipCurrentElement();
                    } else if (valueType == u"boolean") {
                        value = a.value(QLatin1String("office:boolean-value")) == u"true" ? QStringLiteral("1")
                                                                                          : QStringLiteral("0");
                        x.skipCurrentElement();
                    } else {
                        value = cellText(x, check);
                    }
                    const bool withoutValue = formula && valueType.isEmpty() && value.isEmpty();
                    if ((!value.isEmpty() || withoutValue) && col + span > kMaxColumns)
                        throw ImportError(QStringLiteral("Zeile %1: Das Tabellenblatt hat mehr als %2 Spalten.")
                                              .arg(line)
                                              .arg(kMaxColumns));
                    for (int i = 0; i < span && (!value.isEmpty() || withoutValue); ++i) {
                        if (withoutValue) {
                            noValue.push_back(col + i);
                            continue;
                        }
                        if (cells.size() <= col + i)
                            cells.resize(col + i + 1);
                        cells[col + i] = value;
                    }
                    col = int(qMin<qint64>(qint64(col) + span, kMaxColumns + 1));
                }
                keepRow(times);
                line = int(qMin<qint64>(qint64(line) + times - 1, kMaxRows + 1));
            }
        },
        tooLong);
    if (!found)
        throw ImportError(sheetName.isEmpty()
                              ? zip.damaged(QStringLiteral("kein Tabellenblatt"))
                              : QStringLiteral("Die Arbeitsmappe hat kein Tabellenblatt „%1“.").arg(sheetName));
    return sheet;
}

} // namespace orv::import
