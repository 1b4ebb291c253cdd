// The decisions of the automatic selection rules; the results window applies
// them to its tree through Select, Unselect and ToggleSelect.
#pragma once

#include <string>
#include <vector>

#include "app/scan/catalogue.h"
#include "common/platform.h"

// The rules, by their place in the results window's rule list.
enum SelectionRule {
    RuleFocusedItem = 0,
    RuleSmart = 1,
    RuleSingleFolder = 2,
    RuleFolderTree = 3,
    RuleOldestFiles = 4,
    RuleNewFiles = 5,
    RuleInvert = 6,
    RuleNone = 7,
};

// The temporary, system and Windows folders, upper-cased; read once at start.
extern platform::SpecialFolders JunkFolders;
void LoadJunkFolders();

// Higher means more likely a superfluous copy: odd characters in the name, a
// BAK extension, the temporary folder and temporary or archive attributes add;
// the system and Windows folders, hidden, system and read-only attributes and
// a name the system's search finds take away.
// names: the names the system's search finds, listed once for many files
// (null: the system is asked about this one).
double JunkScore(const TFILEINFO& file, const platform::SearchPathNames* names = nullptr);

// For one group's scores in member order: which copies "Smart!" selects.
std::vector<bool> SmartSelection(const std::vector<double>& scores);

// For one group's last-write times: which copies differ from the newest
// ("Oldest files") or from the oldest ("New files").
std::vector<bool> TimeSelection(const std::vector<platform::TimeStamp>& written, bool oldestFiles);

// Whether a file in folderPath (no trailing backslash) lies in the chosen
// folder (target: upper-cased by platform::upperUtf8, with a trailing
// backslash), directly or anywhere below. Paths are UTF-8.
bool InSingleFolder(const std::string& folderPath, const std::string& target);
bool InFolderTree(const std::string& folderPath, const std::string& target);
