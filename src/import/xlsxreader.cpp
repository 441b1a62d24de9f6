#include "import/xlsxreader.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QXmlStreamReader>
#include <algorithm>
#include <minizip/unzip.h>

namespace orv::import {

namespace {

const QString kDamaged = QStringLiteral("Die Datei ist beschädigt oder keine Excel-Arbeitsmappe (.xlsx).");

QString damaged(const QString &detail) { return kDamaged + QStringLiteral(" (") + detail + QLatin1Char(')'); }

// One part of the archive as a device the XML reader pulls from, unpacked
// piece by piece as it reads.
class ZipEntry final : public QIODevice {
public:
    explicit ZipEntry(unzFile zip) : m_zip(zip) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const int n = unzReadCurrentFile(m_zip, data, unsigned(qMin<qint64>(maxSize, 1 << 20)));
        if (n < 0) {
            m_failed = true;
            return -1;
        }
        m_read += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    unzFile m_zip;
    qint64 m_read = 0;
    bool m_failed = false;
};

// The archive, opened through minizip (the ZIP library the export's
// libxlsxwriter uses too) only after the file's first bytes say it is one.
class Archive {
public:
    explicit Archive(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw ImportError(QStringLiteral("Die Datei kann nicht geöffnet werden: ") + f.errorString());
        const QByteArray head = f.read(8);
        // Excel keeps a workbook with a password in a container of the old format.
        if (head.startsWith("\xD0\xCF\x11\xE0"))
            throw ImportError(QStringLiteral("Die Arbeitsmappe ist verschlüsselt (mit Kennwort geschützt) oder im "
                                             "alten Excel-Format (.xls). Bitte ohne Kennwort als .xlsx speichern."));
        if (!head.startsWith("PK"))
            throw ImportError(kDamaged);
        m_zip = unzOpen64(QFile::encodeName(path).constData());
        if (!m_zip)
            throw ImportError(kDamaged);
    }
    ~Archive() { unzClose(m_zip); }
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    bool has(const QString &name) { return unzLocateFile(m_zip, name.toUtf8().constData(), 1) == UNZ_OK; }

    // Reads a part as XML through `handle`, which gets the reader at each start element.
    template <typename Handle> void read(const QString &name, Handle &&handle)
    {
        if (!has(name))
            throw ImportError(damaged(QStringLiteral("Teil %1 fehlt").arg(name)));
        unz_file_info64 info = {};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            throw ImportError(damaged(name));
        if (info.flag & 1)
            throw ImportError(QStringLiteral("Die Arbeitsmappe ist verschlüsselt. Bitte ohne Kennwort speichern."));
        if (unzOpenCurrentFile(m_zip) != UNZ_OK)
            throw ImportError(damaged(name));
        struct Close {
            unzFile zip;
            int rc = UNZ_OK;
            bool done = false;
            int close()
            {
                done = true;
                return rc = unzCloseCurrentFile(zip);
            }
            ~Close()
            {
                if (!done)
                    unzCloseCurrentFile(zip);
            }
        } closer{m_zip};
        ZipEntry entry(m_zip);
        QXmlStreamReader xml(&entry);
        qint64 steps = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement)
                handle(xml);
            // A small archive may unpack to gigabytes.
            if ((++steps & 0xffff) == 0 && xml.characterOffset() > kMaxFileBytes)
                throw ImportError(QStringLiteral("Das Tabellenblatt ist größer als %1 MB.").arg(kMaxFileBytes >> 20));
        }
        if (entry.failed())
            throw ImportError(damaged(name));
        if (xml.hasError())
            throw ImportError(damaged(name + QStringLiteral(": ") + xml.errorString()));
        // The checksum is known only at the end.
        if (closer.close() != UNZ_OK)
            throw ImportError(damaged(name));
    }

private:
    unzFile m_zip = nullptr;
};

struct SheetRef {
    QString name;
    QString part; // "xl/worksheets/sheet1.xml"
};

std::vector<SheetRef> sheetsOf(Archive &zip)
{
    std::vector<SheetRef> sheets;
    QHash<QString, QString> targets;
    zip.read(QStringLiteral("xl/_rels/workbook.xml.rels"), [&](QXmlStreamReader &x) {
        if (x.name() == u"Relationship")
            targets.insert(x.attributes().value(QLatin1String("Id")).toString(),
                           x.attributes().value(QLatin1String("Target")).toString());
    });
    zip.read(QStringLiteral("xl/workbook.xml"), [&](QXmlStreamReader &x) {
        if (x.name() != u"sheet")
            return;
        QString id;
        for (const QXmlStreamAttribute &a : x.attributes())
            if (a.name() == u"id")
                id = a.value().toString();
        QString target = targets.value(id);
        target = target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
        sheets.push_back({x.attributes().value(QLatin1String("name")).toString(), target});
    });
    if (sheets.empty())
        throw ImportError(damaged(QStringLiteral("kein Tabellenblatt")));
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
    zip.read(QStringLiteral("xl/styles.xml"), [&](QXmlStreamReader &x) {
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
    });
    return styles;
}

QStringList sharedStrings(Archive &zip)
{
    QStringList strings;
    if (!zip.has(QStringLiteral("xl/sharedStrings.xml")))
        return strings;
    zip.read(QStringLiteral("xl/sharedStrings.xml"), [&](QXmlStreamReader &x) {
        if (x.name() == u"si")
            strings.append(QString());
        else if (x.name() == u"rPh") // phonetic hints belong to no cell's text
            x.skipCurrentElement();
        else if (x.name() == u"t" && !strings.isEmpty()) {
            strings.last() += x.readElementText();
            if (strings.last().size() > kMaxCellChars)
                throw ImportError(QStringLiteral("Eine Zelle ist länger als %1 Zeichen.").arg(kMaxCellChars));
        }
    });
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
    Archive zip(path);
    QStringList names;
    for (const SheetRef &s : sheetsOf(zip))
        names.append(s.name);
    return names;
}

Sheet readXlsxFile(const QString &path, const QString &sheetName)
{
    Archive zip(path);
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
    SheetRow row;
    int col = -1; // the cell being read
    QString type; // its t attribute
    bool dateStyle = false;
    QString value;
    bool inCell = false, inInline = false;
    const auto finishRow = [&] {
        const bool filled =
            std::any_of(row.cells.cbegin(), row.cells.cend(), [](const QString &c) { return !c.trimmed().isEmpty(); });
        if (filled)
            sheet.rows.push_back(row);
        row.cells.clear();
    };
    const auto finishCell = [&] {
        if (!inCell)
            return;
        inCell = false;
        QString text;
        if (type == u"s") {
            bool ok = false;
            const int i = value.toInt(&ok);
            if (!ok || i < 0 || i >= strings.size())
                throw ImportError(damaged(QStringLiteral("Zelle %1%2").arg(columnLetters(col)).arg(row.line)));
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
                throw ImportError(damaged(QStringLiteral("Zelle %1%2").arg(columnLetters(col)).arg(row.line)));
            text = dateStyle && v >= 1 && v < 2958466 ? kExcelEpoch.addDays(qint64(v)).toString(Qt::ISODate)
                                                      : QString::number(v, 'g', QLocale::FloatingPointShortest);
        }
        if (text.isEmpty())
            return;
        if (col >= kMaxColumns)
            throw ImportError(
                QStringLiteral("Zeile %1: Das Tabellenblatt hat mehr als %2 Spalten.").arg(row.line).arg(kMaxColumns));
        if (row.cells.size() <= col)
            row.cells.resize(col + 1);
        row.cells[col] = text;
    };

    int nextRow = 1;
    zip.read(chosen->part, [&](QXmlStreamReader &x) {
        const auto n = x.name();
        if (n == u"row") {
            finishCell();
            finishRow();
            bool ok = false;
            const int r = x.attributes().value(QLatin1String("r")).toInt(&ok);
            row.line = ok ? r : nextRow;
            if (row.line < nextRow || row.line > kMaxRows)
                throw ImportError(row.line > kMaxRows
                                      ? QStringLiteral("Das Tabellenblatt hat mehr als %1 Zeilen.").arg(kMaxRows)
                                      : damaged(QStringLiteral("Zeile %1").arg(row.line)));
            nextRow = row.line + 1;
            col = -1;
        } else if (n == u"c") {
            finishCell();
            const auto ref = x.attributes().value(QLatin1String("r"));
            if (ref.isEmpty()) {
                ++col;
            } else {
                const auto [c, r] = cellRef(ref);
                if (c < 0 || r != row.line)
                    throw ImportError(damaged(QStringLiteral("Zelle %1").arg(ref.toString())));
                col = c;
            }
            type = x.attributes().value(QLatin1String("t")).toString();
            const int s = x.attributes().value(QLatin1String("s")).toInt();
            dateStyle = s >= 0 && size_t(s) < dates.size() && dates[size_t(s)];
            value.clear();
            inCell = true;
            inInline = false;
        } else if (n == u"f" && inCell) {
            if (sheet.formulaLines.empty() || sheet.formulaLines.back() != row.line)
                sheet.formulaLines.push_back(row.line);
            x.skipCurrentElement();
        } else if (n == u"is" && inCell) {
            inInline = true;
        } else if (n == u"rPh") {
            x.skipCurrentElement();
        } else if ((n == u"v" && inCell) || (n == u"t" && inInline)) {
            value += x.readElementText();
            if (value.size() > kMaxCellChars)
                throw ImportError(QStringLiteral("Zeile %1, Spalte %2: Die Zelle ist länger als %3 Zeichen.")
                                      .arg(row.line)
                                      .arg(columnLetters(col))
                                      .arg(kMaxCellChars));
        } else if (n == u"mergeCell") {
            const QStringList range = x.attributes().value(QLatin1String("ref")).toString().split(QLatin1Char(':'));
            const int from = cellRef(range.value(0)).second;
            const int to = range.size() > 1 ? cellRef(range.value(1)).second : from;
            if (from > 0 && to >= from)
                sheet.mergedLines.push_back({from, to});
        } else if (n == u"sheetData") {
            row.line = 0;
        }
    });
    finishCell();
    finishRow();
    return sheet;
}

} // namespace orv::import
