// The list of duplicates as a CSV file: UTF-8 with a byte-order mark (so a
// spreadsheet reads names in any script), every field quoted, CRLF lines.
#pragma once

#include <cstdint>
#include <string>

#include "common/platform.h"

struct ListCsvEntry {
    int32_t group;  // counted from 1, in the window's order
    int64_t size;
    std::string path;  // UTF-8, the file's real name
    platform::TimeStamp written;
    bool selected;
    bool marked;
    bool protectedCopy;
};

// The field between double quotes, each quote in it doubled: a comma, a quote
// or a line break in a name survives the round trip.
std::string CsvField(const std::string& text);
// The byte-order mark and the header line.
std::string ListCsvHeader();
std::string ListCsvLine(const ListCsvEntry& entry);
