// Files of the build the update tests use, as the tests under Wine reach
// them: the Unix root is drive Z:.
#pragma once

#include <string>

// relative, under the Unix folder build, as Windows names it on drive Z:.
inline std::string BuildFileIn(const std::string& build, const std::string& relative) {
    std::string path = "Z:" + build + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline std::string BuildFile(const std::string& relative) { return BuildFileIn(VARNOK_BUILD_DIR, relative); }

#ifdef VARNOK_OTHER_EDITION_BUILD_DIR
// The same file of the other edition's build (build/win32 beside build/win64).
inline std::string OtherEditionFile(const std::string& relative) {
    return BuildFileIn(VARNOK_OTHER_EDITION_BUILD_DIR, relative);
}
#endif
