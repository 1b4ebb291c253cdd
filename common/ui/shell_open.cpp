#include "common/ui/shell_open.h"

#include <shellapi.h>

#include <utility>

#include "common/win32/wide.h"

namespace {

ShellOpener& replacement() {
    static ShellOpener opener;
    return opener;
}

ShellRunner& runner() {
    static ShellRunner run;
    return run;
}

ItemSelector& selector() {
    static ItemSelector select;
    return select;
}

}  // namespace

INT_PTR ShellOpen(HWND owner, const std::string& address, int show) {
    if (replacement()) return replacement()(owner, address, show);
    return reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", address.c_str(), nullptr, nullptr, show));
}

std::string ShellOpenErrorText(INT_PTR result) {
    switch (result) {
    case 0:
        return "The operating system is out of memory or resources.";
    case ERROR_FILE_NOT_FOUND:
        return "The specified file was not found. ";
    case ERROR_PATH_NOT_FOUND:
        return "The specified path was not found.";
    case SE_ERR_ACCESSDENIED:
        return "The operating system denied access to the specified file.";
    case SE_ERR_OOM:
        return "There was not enough memory to complete the operation. ";
    case ERROR_BAD_FORMAT:
        return "The .exe file is invalid (non-Win32R .exe or error in .exe image).";
    case SE_ERR_SHARE:
        return "A sharing violation occurred. ";
    case SE_ERR_ASSOCINCOMPLETE:
        return "The file name association is incomplete or invalid.";
    case SE_ERR_DDETIMEOUT:
        return "The DDE transaction could not be completed because the request timed out.";
    case SE_ERR_DDEFAIL:
        return "The DDE transaction failed.";
    case SE_ERR_DDEBUSY:
        return "The DDE transaction could not be completed because other DDE transactions were being processed.";
    case SE_ERR_NOASSOC:
        return "There is no application associated with the given file name extension. This error will also be "
               "returned if you attempt to print a file that is not printable.";
    case SE_ERR_DLLNOTFOUND:
        return "The specified dynamic-link library was not found.";
    }
    return "Unknown error!";
}

ShellOpener SetShellOpener(ShellOpener opener) { return std::exchange(replacement(), std::move(opener)); }

INT_PTR ShellRun(HWND owner, const std::string& program, const std::string& parameters, int show) {
    if (runner()) return runner()(owner, program, parameters, show);
    return reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", Wide(program).c_str(), Wide(parameters).c_str(), nullptr, show));
}

ShellRunner SetShellRunner(ShellRunner run) { return std::exchange(runner(), std::move(run)); }

HRESULT ShellSelectItem(HWND owner, const ITEMIDLIST* item) {
    if (selector()) return selector()(owner, item);
    // The shell's call asks for COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HRESULT result = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}

ItemSelector SetItemSelector(ItemSelector select) { return std::exchange(selector(), std::move(select)); }
