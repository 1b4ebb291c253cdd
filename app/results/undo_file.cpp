#include "undo_file.h"

#include <cstdio>

#include "common/text.h"

platform::TimeStamp ProgramStartTime;

void RememberProgramStart() { ProgramStartTime = platform::localTime(); }

std::string DefaultUndoName() {
    std::string date = DateText(ProgramStartTime);
    for (char& c : date)
        if (c == '.' || c == '/' || c == '\\') c = '-';
    return "Restore to " + date + ".bat";
}

std::string EntryLabel(int32_t counter) {
    char label[24];
    std::snprintf(label, sizeof label, "nf%06d", static_cast<int>(counter));
    return label;
}

std::string ComspecFolder(const std::string& comspec) {
    const auto last = comspec.find_last_of("\\/:");
    return last == std::string::npos ? std::string() : comspec.substr(0, last + 1);
}

std::string BatchQuoted(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        out += c;
        if (c == '%') out += '%';
    }
    return out + "\"";
}

namespace {

const char* const kEol = "\r\n";

std::string line(const std::string& text) { return text + kEol; }

}  // namespace

std::string UndoHeader(bool enhanced, const UndoTexts& t) {
    const std::string created = line("echo This undo bat-file was created " + t.dateTimeText);
    if (!enhanced) return line("@echo off") + created;
    const std::string restart = t.comspec + " " + ComspecFolder(t.comspec) + " /e:5000 /c %0 norestart %1 %2";
    return line("@echo off") + line("if \"%1\"==\"norestart\" goto doundo") +
           line("if \"%3\"==\"outtofile\" goto outtofile") + line(restart) + line("goto exitundo") +
           line(":outtofile") + line(restart + " > %4") + line("goto exitundo") + line(":doundo") +
           line("echo This enhanced undo bat-file was created by VarnokScan program.") +
           line("echo VarnokScan " + t.versionText + " - Varnok Com. Check what you restore before you run it.") +
           t.scriptText + created;
}

std::string UndoGroupEntries(bool enhanced, const std::string& keptPath, const std::vector<std::string>& deleted,
                             int32_t& counter) {
    std::string out;
    bool first = true;
    for (const std::string& path : deleted) {
        if (!enhanced) {
            out += line("copy /b " + BatchQuoted(keptPath) + " " + BatchQuoted(path));
            continue;
        }
        // The quoted form of set keeps "&", "^", "(" and ")" in the value; the
        // script uses the values only inside quotes.
        const std::string label = EntryLabel(counter++);
        out += line("set " + BatchQuoted("filein=" + keptPath));
        out += line("set " + BatchQuoted("fileout=" + path));
        out += line(first ? "set nFile=1" : "set nFile=0");
        out += line("set nextpoint=" + label);
        out += line("goto %fileop%");
        out += line(":" + label);
        first = false;
    }
    return out;
}

std::string UndoFooter(bool enhanced) { return enhanced ? line("goto allfolks") + line(":exitundo") : std::string(); }
