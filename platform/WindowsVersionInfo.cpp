#include "platform/WindowsVersionInfo.h"

#include "platform/RegKey.h"
#include "platform/VersionTexts.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

// Constant-initialised, so it exists before any code of the program runs.
WindowsVersionInfo g_processVersionInfo;

// A value of the (already open) key as text; nullopt when it cannot be read.
std::optional<std::string> ReadValue(HKEY key, const char* name) {
    RegKey value(key, "", RegKey::Flavour::Status);
    std::string text;
    if (!value.ReadString(name, false, text)) return std::nullopt;
    return text;
}

}  // namespace

WindowsVersionInfo& ProcessVersionInfo() { return g_processVersionInfo; }

VersionTriple WindowsVersionInfo::WindowsVersion() {
    if (!m_windowsKnown) {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
        if (GetVersionExA(&info)) {
            m_windows = VersionTriple(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
            m_windowsKnown = true;
        }
    }
    return m_windows;
}

int WindowsVersionInfo::ServicePack() {
    if (!m_servicePackKnown) {
        OSVERSIONINFOEXA extended = {};
        extended.dwOSVersionInfoSize = sizeof extended;
        if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
            m_servicePack = extended.wServicePackMajor;
            m_servicePackKnown = true;
        } else {
            // Windows 9x and NT 4.0 before SP6 refuse the extended structure; the
            // service pack is then only named in the CSD text.
            OSVERSIONINFOA info = {};
            info.dwOSVersionInfoSize = sizeof info;
            if (GetVersionExA(&info)) {
                std::string csd(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
                int number = VersionTexts::ServicePackFromText(csd);
                if (number >= 0) {
                    m_servicePack = number;
                    m_servicePackKnown = true;
                }
            }
        }
    }
    return m_servicePack;
}

VersionTriple WindowsVersionInfo::InternetExplorerVersion() {
    if (!m_browserKnown) {
        RegKey key(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer", KEY_QUERY_VALUE,
                   RegKey::Flavour::Status);
        if (key.Succeeded()) {
            std::optional<std::string> version = ReadValue(key.Handle(), "Version");
            std::optional<std::string> iver, build;
            if (!version) {
                iver = ReadValue(key.Handle(), "IVer");
                if (iver) build = ReadValue(key.Handle(), "Build");
            }
            if (auto found = VersionTexts::InternetExplorerFromValues(version, iver, build)) {
                m_browser = *found;
                m_browserKnown = true;
            }
        }
    }
    return m_browser;
}
