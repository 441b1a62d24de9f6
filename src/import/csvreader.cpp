#include "import/csvreader.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>

namespace orv::import {

namespace {

// The characters Windows-1252 has where Latin-1 has control codes; 0 where it has none.
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int lineOfOffset(const QByteArray &bytes, qsizetype offset)
{
    return int(std::count(bytes.cbegin(), bytes.cbegin() + offset, '\n')) + 1;
}

QString decode(const QByteArray &bytes, QString &encoding)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        throw ImportError(QStringLiteral("Die Datei ist in UTF-16 gespeichert. Bitte als CSV in UTF-8 "
                                         "oder Windows-1252 speichern."));
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        throw ImportError(QStringLiteral("Die Datei enthält in Zeile %1 ein Nullzeichen (U+0000): Sie ist keine "
                                         "Textdatei in UTF-8 oder Windows-1252.")
                              .arg(lineOfOffset(bytes, nul)));
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bom ? bytes.mid(3) : bytes);
    if (!utf8.hasError()) {
        encoding = QStringLiteral("UTF-8");
        return text;
    }
    if (bom) {
        const qsizetype bad = text.indexOf(QChar(QChar::ReplacementCharacter));
        throw ImportError(QStringLiteral("Die Datei ist als UTF-8 gekennzeichnet, enthält aber in Zeile %1 "
                                         "Zeichen, die kein UTF-8 sind.")
                              .arg(text.left(qMax<qsizetype>(bad, 0)).count(QLatin1Char('\n')) + 1));
    }
    encoding = QStringLiteral("Windows-1252");
    text.clear();
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 && b < 0xA0) {
            if (kCp1252High[b - 0x80] == 0)
                throw ImportError(QStringLiteral("Die Datei enthält in Zeile %1 ein Zeichen, das weder UTF-8 noch "
                                                 "Windows-1252 ist. Bitte als CSV in UTF-8 speichern.")
                                      .arg(lineOfOffset(bytes, i)));
            text += QChar(kCp1252High[b - 0x80]);
        } else {
            text += QChar(b);
        }
    }
    return text;
}

// The separator the heading line uses most, outside quotes; ";" when it uses none.
QChar detectSeparator(const QString &text)
{
    int semicolons = 0, commas = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
        else if (!quoted && c == QLatin1Char('\t'))
            ++tabs;
    }
    // A comma may well be text in a heading ("Nachname, Vorname"); a semicolon or tab hardly.
    if (semicolons > 0 && semicolons >= tabs && semicolons >= commas)
        return QLatin1Char(';');
    if (tabs > 0 && tabs >= commas)
        return QLatin1Char('\t');
    if (commas > 0)
        return QLatin1Char(',');
    return QLatin1Char(';');
}

// A text ORV's export guarded against spreadsheet formulas ("'=1+2" in quotes) comes back as it was.
void unguard(QString &cell)
{
    if (cell.size() >= 2 && cell[0] == QLatin1Char('\'') && QStringLiteral("=+-@\t\r").contains(cell[1]))
        cell.remove(0, 1);
}

bool blank(const QStringList &cells)
{
    return std::all_of(cells.cbegin(), cells.cend(), [](const QString &c) { return c.trimmed().isEmpty(); });
}

} // namespace

Sheet readCsv(const QByteArray &bytes)
{
    if (bytes.size() > kMaxFileBytes)
        throw ImportError(QStringLiteral("Die Datei ist größer als %1 MB.").arg(kMaxFileBytes >> 20));
    Sheet sheet;
    const QString text = decode(bytes, sheet.encoding);
    const QChar sep = detectSeparator(text);

    QStringList cells;
    QString cell;
    bool quoted = false;    // inside quotes
    bool wasQuoted = false; // the current cell began with a quote
    int line = 1, rowLine = 1, quoteLine = 0;
    qsizetype rowCount = 0;
    const auto endCell = [&] {
        if (wasQuoted)
            unguard(cell);
        if (cells.size() >= kMaxColumns)
            throw ImportError(QStringLiteral("Zeile %1 hat mehr als %2 Spalten.").arg(rowLine).arg(kMaxColumns));
        cells.append(cell);
        cell.clear();
        wasQuoted = false;
    };
    const auto endRow = [&] {
        endCell();
        if (!blank(cells)) {
            if (++rowCount > kMaxRows)
                throw ImportError(QStringLiteral("Die Datei hat mehr als %1 Zeilen.").arg(kMaxRows));
            sheet.rows.push_back({rowLine, cells});
        }
        cells.clear();
        rowLine = line;
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    cell += c;
                    ++i;
                } else {
                    quoted = false;
                }
                continue;
            }
            if (c == QLatin1Char('\n'))
                ++line;
            cell += c;
        } else if (c == QLatin1Char('"') && cell.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
            quoteLine = line;
        } else if (c == sep) {
            endCell();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++line;
            endRow();
        } else {
            cell += c;
        }
        if (cell.size() > kMaxCellChars)
            throw ImportError(QStringLiteral("Zeile %1, Spalte %2: Die Zelle ist länger als %3 Zeichen.")
                                  .arg(rowLine)
                                  .arg(columnLetters(int(cells.size())))
                                  .arg(kMaxCellChars));
    }
    if (quoted)
        throw ImportError(QStringLiteral("Das Anführungszeichen in Zeile %1 wird nicht geschlossen: "
                                         "Die Datei ist unvollständig oder kein gültiges CSV.")
                              .arg(quoteLine));
    if (!cell.isEmpty() || !cells.isEmpty() || wasQuoted)
        endRow();
    return sheet;
}

Sheet readCsvFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("Die Datei kann nicht geöffnet werden: ") + file.errorString());
    if (file.size() > kMaxFileBytes)
        throw ImportError(QStringLiteral("Die Datei ist größer als %1 MB.").arg(kMaxFileBytes >> 20));
    return readCsv(file.readAll());
}

QString columnLetters(int index)
{
    QString s;
    for (int i = index + 1; i > 0; i = (i - 1) / 26)
        s.prepend(QChar(u'A' + (i - 1) % 26));
    return s;
}

} // namespace orv::import
