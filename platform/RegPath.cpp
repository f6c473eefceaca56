#include "platform/RegPath.h"

#include <cstddef>

namespace {

// Only ASCII letters fold: the hive names are ASCII, and folding bytes above 0x7F by the
// locale (a DBCS trail byte, or a dotless i that uppercases to I) could make a wrong match.
bool EqualsIgnoringAsciiCase(const std::string& text, const char* name) {
    std::size_t i = 0;
    for (; i < text.size() && name[i] != '\0'; ++i) {
        char a = text[i], b = name[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
        if (a != b) return false;
    }
    return i == text.size() && name[i] == '\0';
}

struct HiveName {
    const char* name;
    uint32_t hive;
};

const HiveName kHiveNames[] = {
    {"HKEY_CLASSES_ROOT", RegPath::ClassesRoot},
    {"HKEY_CURRENT_CONFIG", RegPath::CurrentConfig},
    {"HKEY_CURRENT_USER", RegPath::CurrentUser},
    {"HKCU", RegPath::CurrentUser},
    {"HKEY_LOCAL_MACHINE", RegPath::LocalMachine},
    {"HKLM", RegPath::LocalMachine},
    {"HKEY_USERS", RegPath::Users},
    {"HKEY_PERFORMANCE_DATA", RegPath::PerformanceData},
    {"HKEY_DYN_DATA", RegPath::DynData},
};

}  // namespace

RegPath::RegPath(const std::string& path) {
    std::string::size_type slash = path.find('\\');
    if (slash == std::string::npos) {
        m_hive = HiveFromName(path);
        return;
    }
    m_hive = HiveFromName(path.substr(0, slash));
    m_subKey = path.substr(slash + 1);
}

uint32_t RegPath::HiveFromName(const std::string& name) {
    for (const HiveName& h : kHiveNames) {
        if (EqualsIgnoringAsciiCase(name, h.name)) return h.hive;
    }
    return NoHive;
}
