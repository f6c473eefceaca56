#pragma once
// A registry key named by one text: a hive name, a backslash, and the path below it
// ("HKLM\SOFTWARE\Classes"). Pure text work; the Windows side turns Hive() into an HKEY.
#include <cstdint>
#include <string>

class RegPath {
public:
    // Values of the predefined root keys (as HKEY_CLASSES_ROOT etc. are defined).
    static constexpr uint32_t NoHive = 0;
    static constexpr uint32_t ClassesRoot = 0x80000000u;
    static constexpr uint32_t CurrentUser = 0x80000001u;
    static constexpr uint32_t LocalMachine = 0x80000002u;
    static constexpr uint32_t Users = 0x80000003u;
    static constexpr uint32_t PerformanceData = 0x80000004u;
    static constexpr uint32_t CurrentConfig = 0x80000005u;
    static constexpr uint32_t DynData = 0x80000006u;

    // Splits at the first backslash; the rest is kept unchanged as the subkey path.
    // A text without backslash is a hive name alone (empty subkey).
    explicit RegPath(const std::string& path);

    // The root named by the text, or NoHive when the hive name is not known.
    uint32_t Hive() const { return m_hive; }
    const std::string& SubKey() const { return m_subKey; }

    // Full names and the HKCU/HKLM abbreviations, ignoring ASCII case; NoHive otherwise.
    static uint32_t HiveFromName(const std::string& name);

private:
    uint32_t m_hive;
    std::string m_subKey;
};
