// Splits a batch file's text into its lines; every line must end with CR LF.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline std::vector<std::string> CrlfLines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos) break;
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}
