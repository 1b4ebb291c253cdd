// Runs another program as a test does: start it, wait for it with a time-out,
// and read its exit code and everything it printed (output and errors together).
#pragma once

#include <string>

struct ProcessResult {
    bool started = false;
    bool timedOut = false;  // it was ended after the time-out
    int exitCode = -1;
    std::string output;
};

// commandLine as the system's command line takes it (the program quoted by the
// caller); folder: its current folder (empty: the caller's).
ProcessResult RunProcess(const std::string& commandLine, unsigned timeoutMs = 60000, const std::string& folder = "");
