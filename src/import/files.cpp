#include "import/files.h"

#include "import/csvreader.h"
#include "import/odsreader.h"
#include "import/xlsxreader.h"

#include <QFile>
#include <QFileInfo>
#include <minizip/unzip.h>

namespace orv::import {

namespace {

const QString kOldExcel = QStringLiteral("Die Datei ist im alten Excel-Format (.xls) gespeichert, das ORV nicht "
                                         "liest. Bitte im Tabellenprogramm als Excel-Arbeitsmappe (.xlsx) oder "
                                         "als OpenDocument-Tabelle (.ods) speichern und diese Datei importieren.");

// An OpenDocument archive names its format in its first part.
bool isOpenDocument(const QString &path)
{
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    if (!zip)
        return false;
    bool ods = false;
    if (unzLocateFile(zip, "mimetype", 1) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
        char buf[64] = {};
        const int n = unzReadCurrentFile(zip, buf, sizeof buf - 1);
        ods = n > 0 && QByteArray(buf, n).startsWith("application/vnd.oasis.opendocument.spreadsheet");
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    return ods;
}

} // namespace

FileKind fileKind(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"xls")
        throw ImportError(kOldExcel);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("Die Datei kann nicht geöffnet werden: ") + f.errorString());
    const QByteArray head = f.read(8);
    f.close();
    if (head.startsWith("PK\x03\x04"))
        return isOpenDocument(path) || (suffix == u"ods" && !head.isEmpty()) ? FileKind::Ods : FileKind::Xlsx;
    // The old format's container; the reader names it (an encrypted .xlsx is one too).
    if (head.startsWith("\xD0\xCF\x11\xE0"))
        return suffix == u"ods" ? FileKind::Ods : FileKind::Xlsx;
    if (suffix == u"xlsx")
        return FileKind::Xlsx;
    if (suffix == u"ods")
        return FileKind::Ods;
    return FileKind::Csv;
}

QStringList sheetNames(const QString &path)
{
    switch (fileKind(path)) {
    case FileKind::Xlsx: return xlsxSheetNames(path);
    case FileKind::Ods: return odsSheetNames(path);
    case FileKind::Csv: break;
    }
    return {};
}

Sheet readFile(const QString &path, const QString &sheet)
{
    switch (fileKind(path)) {
    case FileKind::Xlsx: return readXlsxFile(path, sheet);
    case FileKind::Ods: return readOdsFile(path, sheet);
    case FileKind::Csv: break;
    }
    return readCsvFile(path);
}

} // namespace orv::import
