#include "import/csvreader.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>
#include <optional>
#include <string>

namespace orv::import {

namespace {

constexpr qint64 kChunk = 1 << 20;

// The characters Windows-1252 has where Latin-1 has control codes; 0 where it has none.
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

enum class Encoding { Utf8, Cp1252 };

// Reads the device piece by piece from its start.
template <typename Each> void eachChunk(QIODevice &dev, Each &&each)
{
    if (!dev.seek(0))
        throw ImportError(QStringLiteral("Die Datei kann nicht gelesen werden: ") + dev.errorString());
    QByteArray chunk;
    for (;;) {
        chunk.resize(kChunk);
        const qint64 n = dev.read(chunk.data(), kChunk);
        if (n < 0)
            throw ImportError(QStringLiteral("Die Datei kann nicht gelesen werden: ") + dev.errorString());
        if (n == 0)
            return;
        chunk.resize(n);
        each(chunk);
    }
}

// The first pass: which encoding the bytes are in, or why they are in none.
Encoding findEncoding(QIODevice &dev, bool &bom)
{
    qint64 offset = 0;
    int line = 1;
    int need = 0;          // continuation bytes still expected
    uint8_t low = 0x80;    // the range the next continuation byte must be in
    uint8_t high = 0xBF;   // (narrower after E0, ED, F0, F4)
    uint32_t sequence = 0; // the bytes of the current sequence
    int firstBad = 0, firstUtf8 = 0, firstUndefined = 0, bomInside = 0;
    bom = false;
    const auto bad = [&] {
        if (!firstBad)
            firstBad = line;
    };
    eachChunk(dev, [&](const QByteArray &chunk) {
        if (offset == 0) {
            if (chunk.startsWith("\xFF\xFE") || chunk.startsWith("\xFE\xFF"))
                throw ImportError(QStringLiteral("Die Datei ist in UTF-16 gespeichert. Bitte als CSV in UTF-8 "
                                                 "oder Windows-1252 speichern."));
            bom = chunk.startsWith("\xEF\xBB\xBF");
        }
        for (qsizetype i = 0; i < chunk.size(); ++i, ++offset) {
            const auto b = uint8_t(chunk[i]);
            if (b == 0)
                throw ImportError(QStringLiteral("Die Datei enthält in Zeile %1 ein Nullzeichen (U+0000): Sie ist "
                                                 "keine Textdatei in UTF-8 oder Windows-1252.")
                                      .arg(line));
            if (b == '\n')
                ++line;
            if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80] == 0 && !firstUndefined)
                firstUndefined = line;
            if (need > 0) {
                if (b >= low && b <= high) {
                    sequence = (sequence << 8) | b;
                    low = 0x80;
                    high = 0xBF;
                    if (--need == 0) {
                        if (!firstUtf8)
                            firstUtf8 = line;
                        // A byte-order mark anywhere but at the start: two files put together.
                        if (sequence == 0xEFBBBF && offset > 2 && !bomInside)
                            bomInside = line;
                    }
                    continue;
                }
                need = 0;
                bad(); // the sequence broke off; this byte starts anew
            }
            if (b < 0x80)
                continue;
            sequence = b;
            if (b >= 0xC2 && b <= 0xDF) {
                need = 1;
            } else if (b >= 0xE0 && b <= 0xEF) {
                need = 2;
                if (b == 0xE0)
                    low = 0xA0;
                if (b == 0xED)
                    high = 0x9F;
            } else if (b >= 0xF0 && b <= 0xF4) {
                need = 3;
                if (b == 0xF0)
                    low = 0x90;
                if (b == 0xF4)
                    high = 0x8F;
            } else {
                bad();
            }
        }
    });
    if (need > 0)
        bad();
    if (bomInside)
        throw ImportError(QStringLiteral("Die Datei enthält in Zeile %1 ein Byte-Order-Mark (U+FEFF) mitten im "
                                         "Text: Vermutlich wurden zwei Dateien aneinandergehängt. Bitte das Zeichen "
                                         "entfernen oder die Datei neu speichern.")
                              .arg(bomInside));
    if (!firstBad)
        return Encoding::Utf8;
    if (bom)
        throw ImportError(QStringLiteral("Die Datei ist als UTF-8 gekennzeichnet, enthält aber in Zeile %1 "
                                         "Zeichen, die kein UTF-8 sind.")
                              .arg(firstBad));
    if (firstUtf8)
        throw ImportError(QStringLiteral("Die Datei mischt zwei Kodierungen: UTF-8 (zuerst in Zeile %1) und "
                                         "Zeichen, die kein UTF-8 sind (zuerst in Zeile %2). Bitte die Datei "
                                         "einheitlich als CSV in UTF-8 speichern.")
                              .arg(firstUtf8)
                              .arg(firstBad));
    if (firstUndefined)
        throw ImportError(QStringLiteral("Die Datei enthält in Zeile %1 ein Zeichen, das weder UTF-8 noch "
                                         "Windows-1252 ist. Bitte als CSV in UTF-8 speichern.")
                              .arg(firstUndefined));
    return Encoding::Cp1252;
}

// The separator the first line uses most, outside quotes; ";" when it uses none.
char detectSeparator(const QByteArray &start)
{
    int semicolons = 0, commas = 0, tabs = 0;
    bool quoted = false;
    for (const char c : start) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ';')
            ++semicolons;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == '\t')
            ++tabs;
    }
    // A comma may well be text in a heading ("Nachname, Vorname"); a semicolon or tab hardly.
    if (semicolons > 0 && semicolons >= tabs && semicolons >= commas)
        return ';';
    if (tabs > 0 && tabs >= commas)
        return '\t';
    if (commas > 0)
        return ',';
    return ';';
}

void appendUtf8(std::string &out, char16_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The second pass: the cells, row by row, into the sheet.
class Parser {
public:
    Parser(Sheet &sheet, Encoding encoding, char separator)
        : m_sheet(sheet), m_cp1252(encoding == Encoding::Cp1252), m_sep(separator)
    {
    }

    void feed(const QByteArray &chunk, bool first)
    {
        qsizetype i = 0;
        if (first && !m_cp1252 && chunk.startsWith("\xEF\xBB\xBF"))
            i = 3;
        for (; i < chunk.size(); ++i)
            step(chunk[i]);
    }

    void finish()
    {
        if (m_quoteAtEnd) // the file ends with the closing quote
            m_quoted = m_quoteAtEnd = false;
        if (m_quoted)
            throw ImportError(QStringLiteral("Das Anführungszeichen in Zeile %1 wird nicht geschlossen: "
                                             "Die Datei ist unvollständig oder kein gültiges CSV.")
                                  .arg(m_quoteLine));
        if (m_cellBytes > 0 || !m_ends.empty() || m_wasQuoted)
            endRow();
    }

private:
    void step(char c)
    {
        if (m_afterCr) {
            m_afterCr = false;
            if (c == '\n')
                return; // the second half of "\r\n"
        }
        if (m_quoted) {
            if (m_quoteAtEnd) {
                m_quoteAtEnd = false;
                if (c == '"') { // a doubled quote is one quote of the text
                    add(c);
                    return;
                }
                m_quoted = false; // the closing quote; c is read as outside
            } else if (c == '"') {
                m_quoteAtEnd = true;
                return;
            } else {
                if (c == '\n')
                    ++m_line;
                add(c);
                return;
            }
        }
        if (c == '"' && m_cellBytes == 0 && !m_wasQuoted) {
            m_quoted = m_wasQuoted = true;
            m_quoteLine = m_line;
        } else if (c == m_sep) {
            endCell();
        } else if (c == '\r' || c == '\n') {
            m_afterCr = c == '\r';
            ++m_line;
            endRow();
        } else {
            add(c);
        }
    }

    void add(char c)
    {
        const auto b = uint8_t(c);
        if (m_cp1252 && b >= 0x80) {
            appendUtf8(m_row, b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
            ++m_chars;
        } else {
            m_row += c;
            // UTF-16 units, as a spreadsheet counts a cell's characters.
            if ((b & 0xC0) != 0x80)
                ++m_chars;
            if (b >= 0xF0)
                ++m_chars;
        }
        ++m_cellBytes;
        if (m_chars > kMaxCellChars)
            throw ImportError(QStringLiteral("Zeile %1, Spalte %2: Die Zelle ist länger als %3 Zeichen.")
                                  .arg(m_rowLine)
                                  .arg(columnLetters(int(m_ends.size())))
                                  .arg(kMaxCellChars));
    }

    void endCell()
    {
        // A text ORV's export guarded against spreadsheet formulas ("'=1+2" in quotes) comes back as it was.
        const size_t start = m_ends.empty() ? 0 : m_ends.back();
        if (m_wasQuoted && m_row.size() >= start + 2 && m_row[start] == '\''
            && std::string_view("=+-@\t\r").find(m_row[start + 1]) != std::string_view::npos)
            m_row.erase(start, 1);
        if (m_ends.size() >= size_t(kMaxColumns))
            throw ImportError(QStringLiteral("Zeile %1 hat mehr als %2 Spalten.").arg(m_rowLine).arg(kMaxColumns));
        m_ends.push_back(m_row.size());
        m_cellBytes = 0;
        m_chars = 0;
        m_wasQuoted = false;
    }

    void endRow()
    {
        endCell();
        const bool blank = std::all_of(m_row.begin(), m_row.end(), [](char c) { return c == ' ' || c == '\t'; });
        if (blank) {
            m_blank = m_sheet.size() > 0;
        } else {
            if (m_sheet.size() >= kMaxRows)
                throw ImportError(QStringLiteral("Die Datei hat mehr als %1 Zeilen.").arg(kMaxRows));
            m_views.clear();
            size_t start = 0;
            for (const size_t end : m_ends) {
                m_views.emplace_back(m_row.data() + start, end - start);
                start = end;
            }
            m_sheet.addRowUtf8(m_rowLine, m_blank, m_views);
            m_blank = false;
        }
        m_row.clear();
        m_ends.clear();
        m_rowLine = m_line;
    }

    Sheet &m_sheet;
    const bool m_cp1252;
    const char m_sep;
    std::string m_row;          // the row's cells one after another
    std::vector<size_t> m_ends; // where each cell of the row ends
    std::vector<std::string_view> m_views;
    qsizetype m_cellBytes = 0, m_chars = 0;
    bool m_quoted = false, m_quoteAtEnd = false, m_wasQuoted = false, m_afterCr = false, m_blank = false;
    int m_line = 1, m_rowLine = 1, m_quoteLine = 0;
};

Sheet readDevice(QIODevice &dev)
{
    if (dev.size() > kMaxFileBytes)
        throw ImportError(QStringLiteral("Die Datei ist größer als %1 MB.").arg(kMaxFileBytes >> 20));
    bool bom = false;
    const Encoding encoding = findEncoding(dev, bom);
    Sheet sheet;
    sheet.encoding = encoding == Encoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252");
    // The cells take about the file's bytes; a few more where Windows-1252 letters become two bytes.
    sheet.reserveBytes(qsizetype(qMin<qint64>(dev.size() + dev.size() / 8, kMaxFileBytes)));
    std::optional<Parser> parser;
    eachChunk(dev, [&](const QByteArray &chunk) {
        const bool first = !parser;
        if (first)
            parser.emplace(sheet, encoding, detectSeparator(chunk));
        parser->feed(chunk, first);
    });
    if (parser)
        parser->finish();
    return sheet;
}

} // namespace

Sheet readCsv(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readDevice(buffer);
}

Sheet readCsvFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("Die Datei kann nicht geöffnet werden: ") + file.errorString());
    return readDevice(file);
}

} // namespace orv::import
