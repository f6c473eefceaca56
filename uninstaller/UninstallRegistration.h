#pragma once
// The installation as the installer registered it under its uninstall key: the values the
// uninstaller needs to remove it.
#include "NoCrtLib/TException.h"
#include "platform/UninstallRecord.h"

#include <string>

class UninstallRegistration {
public:
    // "Loading uninstallation information from <key> failed: " and the reason.
    class Err : public AException {
    public:
        Err(const std::string& keyPath, const std::string& reason);
    };

    // Where Windows lists installed programs.
    static const char* const DefaultParent;  // HKEY_LOCAL_MACHINE\SOFTWARE\...\Uninstall

    // Reads parentKey\keyName. "UninstallParam" and "InstallDir" are required (a missing
    // key or value, a value that is no string, or a key name that would leave the parent
    // key throws Err); "DisplayName", "UninstallString" and "PreviousFileTypes" are optional.
    UninstallRegistration(const std::string& parentKey, const std::string& keyName);

    const std::string& KeyPath() const { return m_keyPath; }
    const std::string& DisplayName() const { return m_displayName; }
    const std::string& InstallDir() const { return m_installDir; }
    const std::string& Params() const { return m_params; }
    // The display name without the installer's " (remove only)", else the key name.
    std::string ProductName() const;
    // The program "UninstallString" starts; "" when there is none.
    const std::string& UninstallerFile() const { return m_uninstallerFile; }
    // The associations' earlier owners; false when the value is there but damaged.
    bool PreviousOwners(FileTypeOwners& owners) const { return ParseFileTypeOwners(m_previousFileTypes, owners); }

    // Writes RemovalStartedValue; throws AException with the reason when it cannot.
    void MarkRemovalStarted() const;

private:
    std::string m_keyName;
    std::string m_keyPath;
    std::string m_displayName;
    std::string m_installDir;
    std::string m_params;
    std::string m_uninstallerFile;
    std::string m_previousFileTypes;
};
