// Putting an update's files in place so that the program's folder is all old
// or all new whatever stops the applier: a journal written before the first
// file is replaced tells whoever starts next how to finish or undo it.
#pragma once

#include <optional>
#include <string>
#include <vector>

// A file of the update, written beside its target as path + kStaged.
inline constexpr char kStaged[] = ".swaplet-new";
// The old file kept until the update is whole, as path + kAside.
inline constexpr char kAside[] = ".swaplet-old";

// Places every staged file of paths (in the program's folder, ending with a
// backslash). True when all are in place; false when one could not be, and
// every file is then as it was. restart is kept in the journal for a
// placement finished by another start; applierBackup, when not empty, is the
// old applier's copy to put back if the placement is undone.
bool PlaceAll(const std::string& folder, const std::vector<std::string>& paths, const std::string& restart,
              const std::string& applierBackup);

struct FinishedPlacement {
    bool placed = false;  // finished: the update is whole; else undone
    std::string restart;  // the command the interrupted applier would have run
};
// Finishes or undoes a placement in folder that was cut short; none when
// there was none. The old applier is put back where the placement is undone.
std::optional<FinishedPlacement> FinishPlacement(const std::string& folder);

// A placement was cut short in folder: only the applier can finish it, once
// the program has ended.
bool PlacementCutShort(const std::string& folder);

// At the program's start: a placement cut short is handed to the applier in
// folder, with a command that starts the program again; true when it was, and
// the program must then end at once.
bool HandCutPlacementToApplier(const std::string& folder, const std::string& restart);

// A copy of an old file an update made in the temporary folder, recorded so
// that one an update stopped with is removed later.
void RecordUpdateCopy(const std::string& path);
// The recorded copies of old files an update left in the temporary folder
// when it was stopped, but none in use.
void RemoveLeftUpdateCopies();
