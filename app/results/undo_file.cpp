#include "undo_file.h"

#include <cstdio>

#include "app/scan/catalogue.h"
#include "common/text.h"

platform::TimeStamp ProgramStartTime;

void RememberProgramStart() { ProgramStartTime = platform::localTime(); }

std::string DefaultUndoName() {
    std::string date = DateText(ProgramStartTime);
    for (char& c : date)
        if (c == '.' || c == '/' || c == '\\') c = '-';
    return "Restore to " + date + ".bat";
}

std::string UnusedUndoName(const std::string& folder) {
    const std::string name = DefaultUndoName();
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
    std::string candidate = name;
    for (int n = 2; platform::exists(prefix + candidate) && n < 10000; ++n)
        candidate = name.substr(0, name.size() - 4) + " (" + std::to_string(n) + ").bat";
    return candidate;
}

std::string EntryLabel(int32_t counter) {
    char label[24];
    std::snprintf(label, sizeof label, "nf%06d", static_cast<int>(counter));
    return label;
}

namespace {

const char* const kEol = "\r\n";

std::string line(const std::string& text) { return text + kEol; }

}  // namespace

std::string UndoHeader(bool enhanced, const UndoTexts& t) {
    const std::string created = line("echo This undo bat-file was created " + t.dateTimeText);
    if (!enhanced) return line("@echo off") + created;
    // The file runs its undo part as a subroutine in a local environment
    // instead of starting a second cmd.exe on itself by %0: a path holding
    // "&" or "( )" breaks the restart line, and Wine's cmd.exe expands a "%"
    // of the path once more, so no spelling of %0 holds for every folder.
    const std::string run = "call :doundo norestart %1 %2";
    return line("@echo off") + line("if \"%1\"==\"norestart\" goto doundo") +
           line("if \"%3\"==\"outtofile\" goto outtofile") + line("setlocal") + line(run) + line("goto exitundo") +
           line(":outtofile") + line("setlocal") + line(run + " > %4") + line("goto exitundo") + line(":doundo") +
           line("echo This enhanced undo bat-file was created by VarnokScan program.") +
           line("echo VarnokScan " + t.versionText + " - Varnok Com. Check what you restore before you run it.") +
           t.scriptText + created;
}

std::string UndoEntry(bool enhanced, const std::string& keptPath, const std::string& path, int32_t counter,
                      bool first) {
    const std::string target = BatchQuoted(path);
    if (!enhanced)
        return line("if exist " + target + " (echo " + target + " is there already and was not overwritten.) else copy /b " +
                    BatchQuoted(keptPath) + " " + target);
    // Why the paths survive both cmd.exe implementations: inside the quoted
    // form of set, "&", "^", "(" and ")" are plain characters and "%%" is read
    // as "%" (Windows expands percent signs in its first phase, before it
    // parses operators; quotes hide operators from that parse). The script
    // never expands %filein% or %fileout% (Wine's cmd expands the result once
    // more, eating "%"); it reads them from the output of "set" in for /f and
    // uses %%b and %%d, which cmd.exe substitutes after parsing and does not
    // expand again, with delayed expansion off so "!" stays as it is.
    const std::string label = EntryLabel(counter);
    return line("set " + BatchQuoted("filein=" + keptPath)) + line("set " + BatchQuoted("fileout=" + path)) +
           line(first ? "set nFile=1" : "set nFile=0") + line("set nextpoint=" + label) + line("goto %fileop%") +
           line(":" + label);
}

std::string UndoFooter(bool enhanced) { return enhanced ? line("goto allfolks") + line(":exitundo") : std::string(); }

bool UndoFileText(const std::string& text, std::string& oem) { return platform::ansiToOem(text, oem); }

bool UndoCanRestore(const std::string& keptPath, const std::string& path) {
    const auto slash = path.rfind('\\');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string unused;
    return UsableName(name) && !IsDeviceName(name) && path.size() <= kMaxSystemPath &&
           platform::ansiToOem(keptPath + path, unused);
}
