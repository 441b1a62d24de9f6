#pragma once
#include "import/sheet.h"

namespace orv::import {

// A workbook (.xlsx) as spreadsheet programs and ORV's export write it, opened
// as the ZIP archive it is; its parts are read as XML. Throws ImportError with
// the German reason for a damaged, encrypted or foreign file.

// The names of the sheets, in the workbook's order.
QStringList xlsxSheetNames(const QString &path);
// The rows of the named sheet, or of the first one when `sheet` is empty.
Sheet readXlsxFile(const QString &path, const QString &sheet = QString());

} // namespace orv::import
