// The text of undo batch files: run by cmd.exe, they re-create every deleted
// copy from the copy of its group that was kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/platform.h"

// When the program started; undo files and their default name carry it.
extern platform::TimeStamp ProgramStartTime;
void RememberProgramStart();

// "Restore to 06-12-2026.bat" for a start on 6 December 2026 (date pattern dd.MM.yyyy).
std::string DefaultUndoName();

// "nf000001" for entry 1.
std::string EntryLabel(int32_t counter);

// COMSPEC up to and including its last "\", "/" or ":".
std::string ComspecFolder(const std::string& comspec);

// A path as a quoted argument of a batch file: "%" doubled so the batch
// reads it back as itself; quotes keep "&", "^", "(" and ")" literal.
std::string BatchQuoted(const std::string& path);

struct UndoTexts {
    std::string comspec;       // COMSPEC as the system has it
    std::string versionText;   // "Version 1.00 Build 1"
    std::string dateTimeText;  // the program's start
    std::string scriptText;    // the enhanced file's script (resource 1002/104)
};

// Each returns whole lines, every one ended by CR LF.
std::string UndoHeader(bool enhanced, const UndoTexts& texts);
// One group's entries: every deleted path re-created from keptPath; counter
// numbers the enhanced entries across groups and is advanced here.
std::string UndoGroupEntries(bool enhanced, const std::string& keptPath, const std::vector<std::string>& deleted,
                             int32_t& counter);
std::string UndoFooter(bool enhanced);
