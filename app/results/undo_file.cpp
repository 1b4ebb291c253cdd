#include "undo_file.h"

#include <cstdio>

#include "app/scan/catalogue.h"
#include "common/files.h"
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
    for (int n = 2; platform::exists(platform::fromAnsi(prefix + candidate)) && n < 10000; ++n)
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
    // The six lines every entry has, then the entry's own commands behind the
    // ":step" its "goto %fileop%" reaches (the nearest one below): the run goes
    // through the file once, so restoring takes time in proportion to the
    // entries (jumping back to the script and forward again for each entry
    // made it quadratic), and every path is written out in the line that uses
    // it. No name passes through a variable: Wine's cmd.exe expands the result
    // of a %variable% once more, eating "%", and ends in its "%~" handling when
    // a for-variable carries a name such as "%~dp0.txt"; a literal "%%" is read
    // as "%" by both, and inside quotes "&", "^", "(" and ")" are plain.
    const std::string label = EntryLabel(counter);
    const std::string kept = BatchQuoted(keptPath);
    std::string text = line("set " + BatchQuoted("filein=" + keptPath)) + line("set " + BatchQuoted("fileout=" + path)) +
                       line(first ? "set nFile=1" : "set nFile=0") + line("set nextpoint=" + label) +
                       line("goto %fileop%") + line(":" + label) + line(":step") + line("set xthis=") +
                       line("if \"%3\"==\"*\" set xthis=1") + line("if \"%3\"==\"" + label + "\" set xthis=1");
    // -x: a copy only where the kept copy is there and nothing stands at the
    // path. (One condition outside the block: Wine's cmd.exe runs the "else"
    // of "if a if b (..) else (..)" when a is false; and it runs both sides of
    // "copy .. && (..) || (..)", so the copy is judged by errorlevel.)
    const std::string notCopied = "set result=Some files could not be copied.";
    text += line("if \"%operation%%xthis%\"==\"x1\" (") +
            line("if not exist " + kept + " (echo " + target + "\t[Fail!]") +
            line("set result=Some files are disappear.") +
            line(") else if exist " + target + " (echo " + target + "\t[Skip!] is there already, not overwritten") +
            line("set result=Some files were not restored: a file with their name is there.") +
            line(") else (copy /b " + kept + " " + target + " > NUL:") +
            line("if errorlevel 1 (echo " + target + "\t[Fail!] not copied") + line(notCopied) +
            line(") else if exist " + target + " (echo " + target + "\t[ Ok! ]) else (echo " + target +
                 "\t[Fail!] not copied") +
            line(notCopied + ")") + line(")") + line(")");
    // -t: the kept copy of each group; -l: the group's kept copy, then every entry.
    if (first)
        text += line("if \"%operation%\"==\"t\" (") + line("if exist " + kept + " (echo " + kept + "\t[ Ok! ]) else (echo " +
                                                        kept + "\t[Fail!]") +
                line("set result=Some files are disappear.)") + line(")") +
                line("if \"%operation%\"==\"l\" echo "
                     "-------------------------------------------------------------------------------") +
                line("if \"%operation%\"==\"l\" echo " + label + " ^(l^)--:- " + kept);
    return text + line("if \"%operation%\"==\"l\" echo " + label + "   I-----^)- " + target);
}

std::string UndoFooter(bool enhanced) { return enhanced ? line("goto allfolks") + line(":exitundo") : std::string(); }

bool UndoFileText(const std::string& text, std::string& oem) { return platform::utf8ToOem(text, oem); }

bool UndoCanReadFrom(const std::string& keptPath) {
    std::string unused;
    return SystemLength(keptPath) <= kMaxSystemPath && platform::utf8ToOem(keptPath, unused);
}

bool UndoCanRestore(const std::string& keptPath, const std::string& path) {
    const auto slash = path.rfind('\\');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string unused;
    // cmd.exe creates a name ending in a dot or a blank without it, wherever the file is written.
    return UsableName(name, false) && !IsDeviceName(name) && SystemLength(path) <= kMaxSystemPath &&
           platform::utf8ToOem(keptPath + path, unused);
}
