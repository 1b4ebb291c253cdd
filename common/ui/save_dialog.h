// The system's save-file dialog behind one replaceable function, so tests can
// answer it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct SaveFileRequest {
    // The dialog's filter: pairs of zero-terminated texts, ending with an empty one.
    std::string filter;
    std::string defaultExtension;
    // The path is UTF-8 both ways and the dialog the system's wide one, so any
    // folder and name can be chosen (the first dialogs kept the code page's).
    bool anyName = false;
};

// Starts at path's folder and name; true with path set to the user's choice.
// Overwriting a file the user already has is asked about first.
bool ChooseSaveFile(HWND owner, const SaveFileRequest& request, std::string& path);

using SaveFileChooser = std::function<bool(HWND owner, const SaveFileRequest& request, std::string& path)>;
// Replaces the system's dialog (empty: the system's again); returns the previous one.
SaveFileChooser SetSaveFileChooser(SaveFileChooser chooser);
