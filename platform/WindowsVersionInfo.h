#pragma once
// Cached facts about the running system: the Windows version, its service pack and the
// Internet Explorer version. A fact whose query failed stays undetermined (its initial
// value) and is queried again at the next call.
#include "platform/VersionTriple.h"

class WindowsVersionInfo {
public:
    constexpr WindowsVersionInfo() = default;

    // (platform id, major, minor); (0, 0, 0) while undetermined.
    VersionTriple WindowsVersion();
    // The service-pack number; -1 while undetermined.
    int ServicePack();
    // (major, minor, build) from HKLM\Software\Microsoft\Internet Explorer; (0, 0, 0)
    // while undetermined.
    VersionTriple InternetExplorerVersion();

private:
    bool m_windowsKnown = false;
    VersionTriple m_windows;
    bool m_servicePackKnown = false;
    int m_servicePack = -1;
    bool m_browserKnown = false;
    VersionTriple m_browser;
};

// The process-wide instance (administrator check, shell folders, user interface): what
// it has determined is kept for the whole run.
WindowsVersionInfo& ProcessVersionInfo();
