#include "update/update_list.h"

#include <charconv>
#include <cstdint>

#include "common/text.h"
#include "update/dates.h"

namespace {

bool startsWith(std::string_view line, std::string_view marker) { return line.substr(0, marker.size()) == marker; }

void replaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// "146Kbytes" for 150000; a value that is no number stays as it came.
std::string sizeBytes(std::string_view value) {
    int64_t bytes = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), bytes);
    const bool number = error == std::errc() && end == value.data() + value.size() && bytes >= 0;
    return (number ? SizeText(bytes) : std::string(value)) + "bytes";
}

// The user's form of a date text; a text that names no day is kept as it is.
std::string shownDate(std::string_view text) {
    const double date = UpDateToDate(text);
    return date != 0 ? DateToUpDate(date) : std::string(text);
}

// While the line holds "##", the text before the first one becomes the
// user's date and a tab, and every "<p>" a new line indented twice. At most
// as many rounds as the line came with marks: a date format of the user's
// that holds "##" must not make it run forever.
std::string historyLine(std::string line) {
    size_t rounds = 0;
    for (size_t at = line.find("##"); at != std::string::npos; at = line.find("##", at + 2)) ++rounds;
    for (size_t marks = line.find("##"); marks != std::string::npos && rounds > 0; marks = line.find("##"), --rounds) {
        line = shownDate(std::string_view(line).substr(0, marks)) + "\t" + line.substr(marks + 2);
        replaceAll(line, "<p>", "\n\t\t");
    }
    return line;
}

}  // namespace

UpdateListView ReadUpdateList(std::string_view answer) {
    UpdateListView view;
    answer = answer.substr(0, answer.find('\0'));
    size_t at = 0;
    while (at < answer.size()) {
        const size_t end = std::min(answer.find_first_of("\r\n", at), answer.size());
        std::string line(answer.substr(at, std::min<size_t>(end - at, 255)));
        at = answer.find_first_not_of("\r\n", end);
        if (at == std::string_view::npos) at = answer.size();

        if (line == "EMPTY") {
            view.empty = true;
            return view;
        }
        if (startsWith(line, "UpdateID:##")) {
            line = "Recent changes on " + line.substr(11);
        } else if (startsWith(line, "Size:##")) {
            line = "Update size : " + sizeBytes(std::string_view(line).substr(7));
        } else if (startsWith(line, "TotalSize:##")) {
            view.totalSize = sizeBytes(std::string_view(line).substr(12));
            view.totalSeen = true;
            line = "Totally update size : " + view.totalSize;
        } else if (startsWith(line, "Last:##")) {
            view.lastDate = DateToUpDate(UpDateToDate(std::string_view(line).substr(7)));
            view.lastSeen = true;
            line = "Last update now : " + view.lastDate;
        } else if (startsWith(line, "Version:##")) {
            replaceAll(line, "##", "\t");
        } else {
            line = historyLine(std::move(line));
        }
        view.shown += line + "\n";
    }
    return view;
}
