#pragma once
#include <QHash>
#include <QProcess>
#include <QString>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <tuple>

using namespace Qt::StringLiterals;

namespace orv::test {

// Reads a workbook back as a spreadsheet program would: the first sheet's
// cells with their type, value, formula, number format and boldness, from
// the XML parts that `unzip` takes out of the file.
struct XlsxCell {
    QString type;    // the cell's t attribute: "inlineStr", "s", "str" or "" for a number
    QString value;   // the text, or the number as written
    QString formula; // without "="
    QString format;  // the number format code, "" for General
    bool bold = false;
    QString fill;     // the fill colour "RRGGBB", "" for none
    int rotation = 0; // the text's turn in degrees
};

class XlsxReader {
public:
    explicit XlsxReader(const QString &file, const char *sheet = "xl/worksheets/sheet1.xml")
        : sheetXml(part(file, sheet)), workbookXml(part(file, "xl/workbook.xml"))
    {
        readStyles(part(file, "xl/styles.xml"));
        XlsxCell *cell = nullptr;
        QXmlStreamReader r(sheetXml);
        while (r.readNext() != QXmlStreamReader::EndDocument && !r.hasError()) {
            if (!r.isStartElement())
                continue;
            const auto n = r.name();
            if (n == u"row") {
                lastRow = r.attributes().value("r").toInt();
            } else if (n == u"c") {
                cell = &cells[r.attributes().value("r").toString()];
                cell->type = r.attributes().value("t").toString();
                const Xf xf = xfs.value(r.attributes().value("s").toInt());
                cell->format = xf.format;
                cell->bold = xf.bold;
                cell->fill = xf.fill;
                cell->rotation = xf.rotation;
            } else if (cell && (n == u"v" || n == u"t")) {
                cell->value = r.readElementText();
            } else if (cell && n == u"f") {
                cell->formula = r.readElementText();
            }
        }
    }
    static QByteArray part(const QString &file, const char *name)
    {
        QProcess unzip;
        unzip.start(u"unzip"_s, {u"-p"_s, file, QString::fromLatin1(name)});
        unzip.waitForFinished(60000);
        EXPECT_EQ(unzip.exitCode(), 0) << name;
        return unzip.readAllStandardOutput();
    }
    const XlsxCell &at(const QString &ref) const
    {
        static const XlsxCell none;
        auto it = cells.find(ref);
        return it == cells.end() ? none : *it;
    }
    QString text(const QString &ref) const { return at(ref).value; }

    QByteArray sheetXml, workbookXml;
    QHash<QString, XlsxCell> cells;
    int lastRow = 0;

private:
    struct Xf {
        QString format;
        bool bold = false;
        QString fill;
        int rotation = 0;
    };
    // The cell formats by index: number format, boldness, fill and turn. The
    // lists of styles.xml have plural names: fonts, fills, cellStyleXfs, cellXfs, ...
    void readStyles(const QByteArray &xml)
    {
        QHash<int, QString> numFmts{{14, u"m/d/yyyy"_s}};
        QList<bool> fontBold;
        QStringList fills;
        QString list;
        QXmlStreamReader r(xml);
        while (r.readNext() != QXmlStreamReader::EndDocument && !r.hasError()) {
            if (!r.isStartElement())
                continue;
            const auto n = r.name();
            const auto a = r.attributes();
            if (n.endsWith(u's'))
                list = n.toString();
            else if (n == u"numFmt")
                numFmts[a.value("numFmtId").toInt()] = a.value("formatCode").toString();
            else if (n == u"font" && list == u"fonts")
                fontBold.append(false);
            else if (n == u"b" && list == u"fonts")
                fontBold.last() = true;
            else if (n == u"fill" && list == u"fills")
                fills.append(QString());
            else if (n == u"fgColor" && list == u"fills" && !fills.isEmpty())
                fills.last() = a.value("rgb").toString().right(6);
            else if (n == u"xf" && list == u"cellXfs")
                xfs.append({numFmts.value(a.value("numFmtId").toInt()), fontBold.value(a.value("fontId").toInt()),
                            fills.value(a.value("fillId").toInt())});
            else if (n == u"alignment" && list == u"cellXfs" && !xfs.isEmpty())
                xfs.last().rotation = a.value("textRotation").toInt();
        }
    }
    QList<Xf> xfs;
};

} // namespace orv::test
