#include "tests/support/process.h"

#include "tests/support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>

#include "common/win32/unique_handle.h"
#else
#include <sys/wait.h>

#include <cstdlib>
#endif

ProcessResult RunProcess(const std::string& commandLine, unsigned timeoutMs, const std::string& folder) {
    ProcessResult result;
    TempFolder out;
    const std::string outputFile = out.path("output.txt");
#ifdef _WIN32
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        unique_file output(CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                       CREATE_ALWAYS, 0, nullptr));
        if (!output) return result;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = output.get();
        si.hStdError = output.get();
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        PROCESS_INFORMATION pi{};
        std::string command = commandLine;
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &si, &pi))
            return result;
        unique_kernel_handle process(pi.hProcess), thread(pi.hThread);
        result.started = true;
        if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
            result.timedOut = true;
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
        }
        DWORD code = 0;
        if (!result.timedOut && GetExitCodeProcess(process.get(), &code)) result.exitCode = static_cast<int>(code);
    }
#else
    // ctest's own time-out bounds the native run; the time-out here is Wine's concern.
    (void)timeoutMs;
    const std::string in = folder.empty() ? "" : "cd \"" + folder + "\" && ";
    const int status = std::system((in + commandLine + " >\"" + outputFile + "\" 2>&1").c_str());
    result.started = status != -1;
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
#endif
    result.output = ReadWholeFile(outputFile);
    return result;
}
