#pragma once
// What an installation's uninstall parameter string asks the uninstaller to remove, in
// the order the removal goes: every file, then every folder, then every registry key,
// each list in item order. The string is the one the installer stored as
// "UninstallParam": "-name=value" arguments in double quotes, separated by spaces,
// values inserted verbatim (paths and key names hold no double quotes).
#include "NoCrtLib/AnsiText.h"
#include "NoCrtLib/InvalidUninstData.h"

#include <string>
#include <vector>

class UninstallPlan {
public:
    // Invalid uninstallation data, with what made it so.
    class Err : public InvalidUninstData {
    public:
        explicit Err(const std::string& detail);
        const char* what() const noexcept override;

    private:
        std::string m_text;
    };

    // "-rstFileAssoc=EXT:PROGID": an association shared with the sibling product. Its
    // extension key is removed only while its default value still names the ProgID.
    struct SharedAssociation {
        std::string extension;     // ".dvs"
        std::string progId;
        std::string extensionKey;  // "HKEY_LOCAL_MACHINE\SOFTWARE\Classes\.dvs"
    };

    // Throws Err for anything that is not such a string: no items, a word that is not a
    // "-name=value" item, an unknown name, an empty value, an unterminated quote, a file
    // or folder that is not a full path ("X:\..." or "\\server\..."), a registry key that
    // does not begin with a hive name or lies less than three levels below it.
    static UninstallPlan Parse(const std::string& params);

    const std::string& SharedWith() const { return m_sharedWith; }
    // "-delFile=" and "-delMainFile=" together, in item order.
    const std::vector<std::string>& Files() const { return m_files; }
    const std::string& MainFile() const { return m_mainFile; }
    const std::vector<std::string>& Folders() const { return m_folders; }
    const std::vector<std::string>& RegistryKeys() const { return m_registryKeys; }
    const std::vector<SharedAssociation>& SharedAssociations() const { return m_shared; }

    // The shared association whose extension key this key name is (ignoring case), or null.
    const SharedAssociation* SharedAssociationOf(const std::string& registryKey) const;
    // True when path is one of the files or lies inside one of the folders (ignoring case).
    bool Removes(const std::string& path) const;
    // True when the plan deletes the ProgID's key below ClassesKey(), or shares the ProgID.
    bool OwnsProgId(const std::string& progId) const;

    // "HKEY_LOCAL_MACHINE\SOFTWARE\Classes\" and name: where the installer associates.
    static std::string ClassesKey(const std::string& name);
    // True when path lies below folder (ignoring case).
    static bool Holds(const std::string& folder, const std::string& path);
    // True when both name the same key (ignoring case; a hive by full name or abbreviation).
    static bool SameKey(const std::string& a, const std::string& b);

private:
    std::string m_sharedWith;
    std::vector<std::string> m_files;
    std::string m_mainFile;
    std::vector<std::string> m_folders;
    std::vector<std::string> m_registryKeys;
    std::vector<SharedAssociation> m_shared;
};
