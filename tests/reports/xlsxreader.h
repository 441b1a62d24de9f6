#pragma once
#include <QHash>
#include <QProcess>
#include <QString>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

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
};

class XlsxReader {
public:
    explicit XlsxReader(const QString &file)
    {
        sheetXml = part(file, "xl/worksheets/sheet1.xml");
        workbookXml = part(file, "xl/workbook.xml");
        readStyles(part(file, "xl/styles.xml"));
        readCells();
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

    QHash<QString, XlsxCell> cells;
    int lastRow = 0;
    QByteArray sheetXml, workbookXml;

private:
    void readStyles(const QByteArray &xml)
    {
        QHash<int, QString> numFmts{{14, u"m/d/yyyy"_s}};
        QList<bool> fontBold;
        QXmlStreamReader r(xml);
        bool inFonts = false, inXfs = false;
        while (!r.atEnd()) {
            r.readNext();
            const auto n = r.name();
            if (r.isStartElement()) {
                if (n == QLatin1String("numFmt"))
                    numFmts[r.attributes().value("numFmtId").toInt()] = r.attributes().value("formatCode").toString();
                else if (n == QLatin1String("fonts"))
                    inFonts = true;
                else if (n == QLatin1String("font") && inFonts)
                    fontBold.append(false);
                else if (n == QLatin1String("b") && inFonts)
                    fontBold.last() = true;
                else if (n == QLatin1String("cellXfs"))
                    inXfs = true;
                else if (n == QLatin1String("xf") && inXfs)
                    xfs.append({numFmts.value(r.attributes().value("numFmtId").toInt()),
                                fontBold.value(r.attributes().value("fontId").toInt())});
            } else if (r.isEndElement()) {
                if (n == QLatin1String("fonts"))
                    inFonts = false;
                else if (n == QLatin1String("cellXfs"))
                    inXfs = false;
            }
        }
    }
    void readCells()
    {
        QXmlStreamReader r(sheetXml);
        XlsxCell *cell = nullptr;
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement()) {
                const auto n = r.name();
                if (n == QLatin1String("row")) {
                    lastRow = r.attributes().value("r").toInt();
                } else if (n == QLatin1String("c")) {
                    cell = &cells[r.attributes().value("r").toString()];
                    cell->type = r.attributes().value("t").toString();
                    const auto style = xfs.value(r.attributes().value("s").toInt());
                    cell->format = style.first;
                    cell->bold = style.second;
                } else if (cell && (n == QLatin1String("v") || n == QLatin1String("t"))) {
                    cell->value = r.readElementText();
                } else if (cell && n == QLatin1String("f")) {
                    cell->formula = r.readElementText();
                }
            }
        }
    }
    QList<QPair<QString, bool>> xfs;
};

} // namespace orv::test
