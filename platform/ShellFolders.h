#pragma once
// The well-known folders the installer needs. Each lookup asks the shell first (only
// with Internet Explorer 4.71.1712 or later), then the registry, then a fixed
// fallback; it never fails, but the per-user folders can come back empty.
#include <string>

class WindowsVersionInfo;

std::string ProgramFilesFolder();    // fallback "C:\Program Files"
std::string DesktopFolder();         // fallback empty
std::string CommonDesktopFolder();   // fallback DesktopFolder()
std::string ProgramsFolder();        // fallback empty
std::string CommonProgramsFolder();  // fallback ProgramsFolder()

// The same, deciding about the shell with the given version facts instead of the
// process-wide ones (tests use a fresh instance after changing the browser version).
std::string ProgramFilesFolder(WindowsVersionInfo& versions);
std::string DesktopFolder(WindowsVersionInfo& versions);
std::string CommonDesktopFolder(WindowsVersionInfo& versions);
std::string ProgramsFolder(WindowsVersionInfo& versions);
std::string CommonProgramsFolder(WindowsVersionInfo& versions);
