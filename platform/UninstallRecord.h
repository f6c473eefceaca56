#pragma once
// What the installer and the uninstaller both read in the product's uninstall registration
// (HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\<key name>)
// beyond "UninstallParam", whose items older uninstallers also read. Pure text work.
#include <string>
#include <vector>

// REG_SZ "1", written by the uninstaller before it removes anything. It removes the key and
// the uninstaller last, so a registration holding this value whose uninstaller is still
// there can be finished by running it again; one whose uninstaller is gone lacks at most
// the folders that held it and the key itself.
extern const char* const RemovalStartedValue;  // "RemovalStarted"

// REG_SZ, written by the installer when its associations replaced another program's: the
// extension keys' earlier default values, which the uninstaller puts back instead of
// deleting those keys. Entries "<extension>=<ProgID>" joined by ';', e.g.
// ".qxp=OtherApp.Document;.dvs=Other.Settings"; '%', '=' and ';' inside either part are
// written as "%25", "%3D" and "%3B" (none of them is ever the second byte of a double-byte
// character, so the text is escaped byte by byte).
extern const char* const PreviousFileTypesValue;  // "PreviousFileTypes"

struct FileTypeOwner {
    std::string extension;  // ".qxp"
    std::string progId;
    bool operator==(const FileTypeOwner& other) const {
        return extension == other.extension && progId == other.progId;
    }
};
using FileTypeOwners = std::vector<FileTypeOwner>;

std::string FormatFileTypeOwners(const FileTypeOwners& owners);
// False for text that FormatFileTypeOwners cannot have written: an entry without exactly one
// '=', an empty part, a '%' not followed by two hexadecimal digits. "" is an empty list.
bool ParseFileTypeOwners(const std::string& text, FileTypeOwners& owners);

// The program a command line names: the part in double quotes when it starts with one
// ("\"C:\P\uninst.exe\" Quarnelix " gives C:\P\uninst.exe), else everything up to the
// first space. "" when there is none or a quote is not closed.
std::string CommandProgram(const std::string& command);
