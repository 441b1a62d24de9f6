#pragma once
#include "import/sheet.h"

#include <QByteArray>

class QIODevice;

namespace orv::import {

// A CSV file as older spreadsheet programs and databases write it: UTF-8 with
// or without byte-order mark, or Windows-1252; fields separated by ";", ","
// or tab (whichever the first line uses most); quoted as RFC 4180 says, a
// quoted line break included. The file is read twice, piece by piece: once
// to find its encoding, once for its cells; it is never held whole.
// Throws ImportError with the German reason for a file that is not such a table.
Sheet readCsv(const QByteArray &bytes);
Sheet readCsvFile(const QString &path);

} // namespace orv::import
