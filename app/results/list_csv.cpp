#include "app/results/list_csv.h"

#include <cstdio>

std::string CsvField(const std::string& text) {
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

std::string ListCsvHeader() {
    std::string line = "\xEF\xBB\xBF";
    const char* const names[] = {"Group", "Size", "Path", "Last written", "Selected", "Marked", "Protected"};
    for (const char* name : names) line += (line.size() > 3 ? "," : "") + CsvField(name);
    return line + "\r\n";
}

std::string ListCsvLine(const ListCsvEntry& e) {
    // Local time, as the results show it, in a form spreadsheets take as a date.
    char written[64];
    std::snprintf(written, sizeof written, "%04u-%02u-%02u %02u:%02u:%02u", e.written.Year, e.written.Month,
                  e.written.Day, e.written.Hour, e.written.Minute, e.written.Second);
    auto yesNo = [](bool on) { return CsvField(on ? "yes" : "no"); };
    return CsvField(std::to_string(e.group)) + "," + CsvField(std::to_string(e.size)) + "," + CsvField(e.path) + "," +
           CsvField(written) + "," + yesNo(e.selected) + "," + yesNo(e.marked) + "," + yesNo(e.protectedCopy) +
           "\r\n";
}
