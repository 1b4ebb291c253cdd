#include "tests/support/program_state.h"

#include "app/options/options.h"
#include "app/scan/masks.h"
#include "app/scan/progress.h"
#ifdef _WIN32
#include "app/shell/main_window_win32.h"
#include "app/options/shortcuts.h"
#endif

void ResetProgramState() {
    slFoldersToScan.clear();
    slProtectedFolders.clear();
    slIncludedFiles.clear();
    slExcludedFiles.clear();
    SetUnixWildcards(false);
    bUnixWildCard = false;
    SetDefaultSettings();
    ScanRunning = false;
#ifdef _WIN32
    Results.reset();
    FileList.reset();
    Shortcuts = DefaultShortcuts();
    ResultsShortcuts = DefaultResultsShortcuts();
    platform::setShortNamesReported(true);
#endif
}
