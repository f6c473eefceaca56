#include "platform/DeferredDeletion.h"

#include "platform/Handles.h"
#include "platform/PendingRenameList.h"
#include "platform/RegKey.h"
#include "platform/VersionTriple.h"
#include "platform/WindowsVersionInfo.h"
#include "platform/WininitSection.h"

#include <windows.h>

#include <mbstring.h>

#include <new>
#include <vector>

namespace {

const char SessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char PendingRenamesValue[] = "PendingFileRenameOperations";
// The bare name: the profile functions find it in the Windows folder.
const char WininitFile[] = "WININIT.INI";
const char RenameSection[] = "Rename";

bool RunningOnNtFamily() {
    // A fresh instance: the family is what the system reports now.
    return IsNtFamily(WindowsVersionInfo().WindowsVersion());
}

bool ShortPath(const std::string& path, std::string& shortPath) {
    char buffer[261];
    DWORD size = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (size == 0) return false;
    if (size >= sizeof buffer) {  // the result did not fit: the buffer holds no path
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    shortPath.assign(buffer, size);
    return true;
}

// Ignores case without folding the trail bytes of double-byte characters.
bool SamePath(const std::string& a, const std::string& b) {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                    reinterpret_cast<const unsigned char*>(b.c_str())) == 0;
}

WininitSection ReadRenameSection() {
    std::vector<char> buffer(WininitSection::BufferSize, '\0');
    DWORD length = GetPrivateProfileSectionA(RenameSection, buffer.data(),
                                             static_cast<DWORD>(buffer.size()), WininitFile);
    return WininitSection(buffer.data(), length);
}

bool WriteRenameSection(const WininitSection& section) {
    if (!WritePrivateProfileStringA(RenameSection, nullptr, nullptr, WininitFile)) return false;
    std::vector<char> block = section.Block();
    return WritePrivateProfileSectionA(RenameSection, block.data(), WininitFile) != FALSE;
}

bool DeleteAtRestartNt(const std::string& path) {
    using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    ModuleHandle kernel(LoadLibraryA("kernel32.dll"));
    if (!kernel) return false;
    auto moveFileEx = reinterpret_cast<MoveFileExFn>(GetProcAddress(kernel.Get(), "MoveFileExA"));
    if (!moveFileEx) return false;
    return moveFileEx(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

bool DeleteAtRestart9x(const std::string& path) {
    std::string shortPath;
    if (!ShortPath(path, shortPath)) return false;
    std::string entry = WininitSection::DeletionEntry(shortPath);
    WininitSection section = ReadRenameSection();
    if (section.Contains(entry, SamePath)) return true;
    if (!section.Append(entry)) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return false;
    }
    return WriteRenameSection(section);
}

// The path's short form, or "" when it has none (a path that does not exist).
std::string ShortPathOrNothing(const std::string& path) {
    std::string shortPath;
    return ShortPath(path, shortPath) ? shortPath : std::string();
}

bool CancelDeleteAtRestartNt(const std::string& path) {
    try {
        // A missing value throws, and there is nothing to cancel.
        std::vector<std::string> list =
            RegReadMultiString(HKEY_LOCAL_MACHINE, SessionManagerKey, PendingRenamesValue);
        if (!PendingRenameList::RemoveDeletions(list, path, ShortPathOrNothing(path), ShortPath, SamePath))
            return false;
        if (list.empty()) {
            // An empty list stored as a value makes the system append the next
            // scheduled operation after a stray empty entry, out of step with its pairs.
            RegKey key(HKEY_LOCAL_MACHINE, SessionManagerKey);
            return key.DeleteValue(PendingRenamesValue);
        }
        RegWriteMultiString(HKEY_LOCAL_MACHINE, SessionManagerKey, PendingRenamesValue, list);
        return true;
    } catch (...) {
        return false;
    }
}

bool CancelDeleteAtRestart9x(const std::string& path) {
    WininitSection section = ReadRenameSection();
    // An entry naming the full path (one that did not exist when it was scheduled) or
    // the short form of the path as it exists now.
    bool dropped = section.Drop(WininitSection::DeletionEntry(path), SamePath);
    const std::string shortPath = ShortPathOrNothing(path);
    if (!shortPath.empty() && section.Drop(WininitSection::DeletionEntry(shortPath), SamePath)) dropped = true;
    if (!dropped) return false;
    // Written back, a section cut short by the buffer would lose the entries beyond it.
    if (section.MaybeTruncated()) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return false;
    }
    return WriteRenameSection(section);
}

// The paths named by pending deletions, each with its short form when it has one.
void CollectPendingNames(PathNameSet& names) {
    std::vector<std::string> sources;
    if (RunningOnNtFamily()) {
        try {
            sources = PendingRenameList::DeletionSources(
                RegReadMultiString(HKEY_LOCAL_MACHINE, SessionManagerKey, PendingRenamesValue));
        } catch (...) {
            return;  // no list: nothing pending
        }
    } else {
        const std::string nul = "NUL=";
        const WininitSection section = ReadRenameSection();
        for (const std::string& entry : section.Entries())
            if (entry.size() > nul.size() && SamePath(entry.substr(0, nul.size()), nul))
                sources.push_back(entry.substr(nul.size()));
    }
    for (const std::string& source : sources) {
        names.Add(source);
        const std::string shortSource = ShortPathOrNothing(source);
        if (!shortSource.empty()) names.Add(shortSource);
    }
}

}  // namespace

// Callers include undo steps in destructors: nothing may escape from here.
bool DeleteAtRestart(const std::string& path) {
    try {
        return RunningOnNtFamily() ? DeleteAtRestartNt(path) : DeleteAtRestart9x(path);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    } catch (...) {
        return false;
    }
}

bool CancelDeleteAtRestart(const std::string& path) {
    try {
        return RunningOnNtFamily() ? CancelDeleteAtRestartNt(path) : CancelDeleteAtRestart9x(path);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    } catch (...) {
        return false;
    }
}

PendingDeletions::PendingDeletions() {
    try {
        CollectPendingNames(m_names);
    } catch (...) {
        // Unreadable is as good as empty: CancelDeleteAtRestart could not read it either.
    }
}

bool PendingDeletions::Cancel(const std::string& path) {
    if (m_names.Empty()) return false;
    if (!m_names.Contains(path)) {
        std::string shortPath;
        if (!ShortPath(path, shortPath) || !m_names.Contains(shortPath)) return false;
    }
    return CancelDeleteAtRestart(path);
}
