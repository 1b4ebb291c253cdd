// Files of the build the update tests use, as the tests under Wine reach
// them: the Unix root is drive Z:.
#pragma once

#include <string>

inline std::string BuildFile(const std::string& relative) {
    std::string path = std::string("Z:") + VARNOK_BUILD_DIR + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
