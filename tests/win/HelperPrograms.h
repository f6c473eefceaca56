#pragma once
// The end-to-end helper programs (tests/e2e/helpers), found through QX_WIN_BUILD; "" when
// it is not set. Wine's Z: drive is the Linux root.
#include <cstdlib>
#include <string>

inline std::string HelperPath(const char* name) {
    const char* build = std::getenv("QX_WIN_BUILD");
    if (!build || !*build) return "";
    std::string path = std::string("Z:") + build + "/e2e-helpers/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
