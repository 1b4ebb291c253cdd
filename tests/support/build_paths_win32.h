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

#ifdef VARNOK_OTHER_EDITION_BUILD_DIR
// The same file of the other edition's build (build/win32 beside build/win64).
inline std::string OtherEditionFile(const std::string& relative) {
    std::string path = std::string("Z:") + VARNOK_OTHER_EDITION_BUILD_DIR + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
#endif
