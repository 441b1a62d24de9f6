#pragma once
#include "import/sheet.h"

// Which reader a file goes to: by what its first bytes say it is, so that a
// workbook with the wrong name is still read as one; the old Excel format by
// its name too.
namespace orv::import {

enum class FileKind { Csv, Xlsx, Ods };

// Throws ImportError for the old Excel format (.xls) and files that cannot be opened.
FileKind fileKind(const QString &path);
// The sheets of a workbook (.xlsx, .ods) in its order; empty for a CSV file.
QStringList sheetNames(const QString &path);
// The rows of the file: a workbook's chosen sheet (`sheet`, or the first), a CSV file's lines.
Sheet readFile(const QString &path, const QString &sheet = QString());

} // namespace orv::import
