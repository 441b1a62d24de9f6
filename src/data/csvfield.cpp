#include "data/csvfield.h"

namespace orv::data {

void appendCsvField(std::string &out, std::string_view value)
{
    const bool guarded = !value.empty() && std::string_view("=+-@\t\r").find(value.front()) != std::string_view::npos;
    if (!guarded && value.find_first_of(";\"\r\n") == std::string_view::npos) {
        out += value;
        return;
    }
    out += '"';
    if (guarded)
        out += '\'';
    for (const char c : value) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

std::string csvField(std::string_view value)
{
    std::string out;
    appendCsvField(out, value);
    return out;
}

} // namespace orv::data
