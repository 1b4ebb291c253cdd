// The text of undo batch files: run by cmd.exe, they re-create every deleted
// copy from the copy of its group that was kept, and never overwrite a file.
#pragma once

#include <cstdint>
#include <string>

#include "common/platform.h"
#include "common/text.h"

// When the program started; undo files and their default name carry it.
extern platform::TimeStamp ProgramStartTime;
void RememberProgramStart();

// "Restore to 06-12-2026.bat" for a start on 6 December 2026 (date pattern dd.MM.yyyy).
std::string DefaultUndoName();
// The default name, numbered "Restore to 06-12-2026 (2).bat" and on while a
// file of that name stands in folder (empty: the current folder), so that a
// second deletion on one day never offers the first one's undo file. The
// folder is in the ANSI code page, as the save dialog takes it.
std::string UnusedUndoName(const std::string& folder);

// "nf000001" for entry 1.
std::string EntryLabel(int32_t counter);


struct UndoTexts {
    std::string versionText;   // "Version 1.00 Build 1"
    std::string dateTimeText;  // the program's start
    std::string scriptText;    // the enhanced file's script (resource 1002/104)
};

// Each returns whole lines, every one ended by CR LF: the header and footer in
// the program's ANSI text, an entry in UTF-8 like its paths.
std::string UndoHeader(bool enhanced, const UndoTexts& texts);
// The entry that re-creates path from keptPath (UTF-8); counter numbers
// enhanced entries, first marks the first deleted file of its group.
std::string UndoEntry(bool enhanced, const std::string& keptPath, const std::string& path, int32_t counter,
                      bool first);
std::string UndoFooter(bool enhanced);

// cmd.exe reads a batch file in the OEM code page: the text (UTF-8) as it
// must be written. False when that code page cannot hold some character exactly (it
// then stands as "?"), so a path in it would name another file.
bool UndoFileText(const std::string& text, std::string& oem);

// Whether an undo file can bring a deleted file back at path from keptPath:
// both fit the OEM code page exactly, and path's name is created as written.
bool UndoCanRestore(const std::string& keptPath, const std::string& path);
// Whether an undo file can copy from keptPath: it fits the OEM code page
// exactly and cmd.exe's path length.
bool UndoCanReadFrom(const std::string& keptPath);
