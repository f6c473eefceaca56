#include "uninstaller/UninstallRegistration.h"

#include "NoCrtLib/WWLibExceptions.h"
#include "platform/RegKey.h"

const char* const UninstallRegistration::DefaultParent =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

UninstallRegistration::Err::Err(const std::string& keyPath, const std::string& reason)
    : AException("Loading uninstallation information" + (keyPath.empty() ? "" : " from " + keyPath) +
                 " failed: " + reason) {}

UninstallRegistration::UninstallRegistration(const std::string& parentKey, const std::string& keyName)
    : m_keyName(keyName), m_keyPath(parentKey + "\\" + keyName) {
    if (keyName.empty() || keyName.find('\\') != std::string::npos)
        throw Err("", "'" + keyName + "' is not the name of an uninstall key.");
    try {
        RegKey key(m_keyPath);
        m_params = key.ReadString("UninstallParam", false);
        m_installDir = key.ReadString("InstallDir", false);
    } catch (const WWLib::RegException& e) {
        throw Err(m_keyPath, e.what());
    }
    if (m_installDir.empty()) throw Err(m_keyPath, "the value InstallDir is empty.");
    RegKey optional(m_keyPath, RegKey::Flavour::Status);
    optional.ReadString("DisplayName", false, m_displayName);
    std::string command;
    RegKey(m_keyPath, RegKey::Flavour::Status).ReadString("UninstallString", false, command);
    m_uninstallerFile = CommandProgram(command);
    RegKey(m_keyPath, RegKey::Flavour::Status).ReadString(PreviousFileTypesValue, false, m_previousFileTypes);
}

void UninstallRegistration::MarkRemovalStarted() const {
    RegKey key(m_keyPath, RegKey::Flavour::Status);
    if (!key.WriteString(RemovalStartedValue, "1", false))
        throw AException("Marking " + m_keyPath + " as being removed failed: " + WWLib::RegException(key).what());
}

std::string UninstallRegistration::ProductName() const {
    const std::string suffix = " (remove only)";
    std::string name = m_displayName;
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.erase(name.size() - suffix.size());
    return name.empty() ? m_keyName : name;
}
