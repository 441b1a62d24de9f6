#pragma once
#include "reportdata/reportexport.h"
#include "reportdata/reportmodel.h"

#include <QString>

namespace orv::data {
class Connection;
}

namespace orv::reportdata {

// What the course report dialog chose: every course, the courses of one
// Rubrik, or those whose trainer contains a text.
struct KursSelection {
    enum class List { All, Rubrik, Referent };
    List list = List::All;
    QString rubrik;   // the Rubrik list's value
    QString referent; // the trainer list's text
};

// The course list in the German order of the course number, landscape.
// Throws data::DbError when the database fails.
ReportModel buildKursList(data::Connection &conn, const KursSelection &sel);
// The same rows for the spreadsheet export.
ExportJob kursExport(data::Connection &conn, const KursSelection &sel);

} // namespace orv::reportdata
