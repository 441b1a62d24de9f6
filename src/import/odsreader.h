#pragma once
#include "import/sheet.h"

namespace orv::import {

// A spreadsheet in LibreOffice's own format (OpenDocument, .ods), read like a
// workbook: the cells as the file stores them, a formula by its stored value.
// Throws ImportError with the German reason for a damaged, encrypted or
// foreign file.

QStringList odsSheetNames(const QString &path);
Sheet readOdsFile(const QString &path, const QString &sheet = QString());

} // namespace orv::import
