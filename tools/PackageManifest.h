#pragma once
// The package manifest: which files of the product folder go into the package, in which
// order, under which name, for which platforms. Format: tools/README.md.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class PackageManifest {
public:
    struct Entry {
        uint8_t platformMask;      // 1 = NT family, 2 = Windows 98/Me, 3 = both
        bool uninstaller;          // written to the uninstaller path by the installer
        std::string source;        // relative to the product folder, '/'-separated
        std::string name;          // relative to the installation folder, '\'-separated
        int line;                  // where it was declared, for messages
    };
    // Carries "<manifest name>:<line>: <reason>".
    class Err : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    // Parses and checks the text; manifestName is used in messages only.
    static PackageManifest Parse(const std::string& text, const std::string& manifestName);

    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};
