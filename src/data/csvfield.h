#pragma once
#include <string>
#include <string_view>

// A text cell of a CSV file as ORV writes one (the export, the import's list
// of refused rows), kept in one place so that both guard alike.
namespace orv::data {

// RFC 4180: a field holding ";", a quote or a line break is quoted, its
// quotes doubled. A text that starts like a formula (= + - @ tab CR) gets a
// leading apostrophe inside the quotes ("'=1+2"), so that a spreadsheet shows
// it as text and never computes "=HYPERLINK(…)" or "@SUM(…)" from it.
void appendCsvField(std::string &out, std::string_view utf8);
std::string csvField(std::string_view utf8);

} // namespace orv::data
