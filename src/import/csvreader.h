#pragma once
#include "import/sheet.h"

#include <QByteArray>

namespace orv::import {

// A CSV file as older spreadsheet programs and databases write it: UTF-8 with
// or without byte-order mark, or Windows-1252; fields separated by ";", ","
// or tab (whichever the heading line uses most); quoted as RFC 4180 says.
// Throws ImportError with the German reason for a file that is not such a table.
Sheet readCsv(const QByteArray &bytes);
Sheet readCsvFile(const QString &path);

} // namespace orv::import
