#include "uninstaller/PlanExecutor.h"

#include "NoCrtLib/AnsiCodec.h"
#include "NoCrtLib/Console.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "platform/DeferredDeletion.h"
#include "platform/RegKey.h"
#include "platform/RegPath.h"
#include "platform/Handles.h"
#include "uninstaller/SearchPathCleanup.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <utility>

namespace {

const char PathValue[] = "PATH";
// The batch file is read whole; the installer's own limit is 100000 bytes, a file this
// much larger was not written by anyone we should edit blindly.
const DWORD AutoexecLimit = 4 * 1024 * 1024;

bool IsMissing(DWORD err) { return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND; }

HKEY RootOf(const RegPath& path) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(path.Hive())));
}

std::string RegText(const RegKey& key) { return WideToAnsi(key.Message()); }

// The entries of a folder, without "." and "..", in name order (the file system's own
// order differs between systems).
bool ListFolder(const std::string& folder, std::vector<std::string>& names) {
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (!find) return false;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find.Get(), &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) return false;
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    return true;
}

bool KeyExists(const std::string& key) {
    const RegPath path(key);
    RegKey probe(RootOf(path), path.SubKey(), KEY_QUERY_VALUE, RegKey::Flavour::Status);
    return !(probe.Failed() && probe.Code() == ERROR_FILE_NOT_FOUND);
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string text;
    const std::size_t shown = names.size() < 3 ? names.size() : 3;
    for (std::size_t i = 0; i < shown; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > shown) text += " and " + std::to_string(names.size() - shown) + " more";
    return text;
}

}  // namespace

PlanExecutor::PlanExecutor(const UninstallPlan& plan, const std::string& installDir, Places places)
    : m_plan(plan), m_installDir(installDir), m_places(std::move(places)) {}

void PlanExecutor::MoveAsideWhenBusy(const std::string& file, const std::string& aside) {
    m_busyFile = file;
    m_aside = aside;
}

void PlanExecutor::RemoveLast(const std::string& uninstallerFile, const std::string& registrationKey) {
    m_lastFile = uninstallerFile;
    m_lastKey = registrationKey;
}

PlanExecutor::Outcome PlanExecutor::Run() {
    // The short form can only be had while the folder exists.
    std::vector<std::string> folderForms;
    if (!m_places.ntFamily) {
        char shortPath[261];
        const DWORD n = GetShortPathNameA(m_installDir.c_str(), shortPath, sizeof shortPath);
        if (n > 0 && n < sizeof shortPath) folderForms.push_back(shortPath);
        folderForms.push_back(m_installDir);
    }

    // One item's unexpected failure (no memory, a fault) must not keep the rest in place.
    auto guarded = [this](const char* what, const std::string& item, auto step) {
        try {
            step(item);
        } catch (const std::exception& e) {
            Fail(std::string("Removing ") + what + " " + item + " failed: " + e.what());
        }
    };
    // A folder that holds only folders listed after it (the installer lists a folder before
    // its parents, so only a hand-made string does this) is tried again after them.
    auto removeFolders = [this, &guarded](const std::vector<std::string>& folders) {
        m_folderQueue = folders;
        for (m_folderIndex = 0; m_folderIndex < m_folderQueue.size(); ++m_folderIndex) {
            const std::string folder = m_folderQueue[m_folderIndex];
            guarded("folder", folder, [this](const std::string& p) { RemoveFolder(p); });
        }
    };

    std::vector<std::string> lastFiles, firstFolders, lastFolders, lastKeys;
    for (const std::string& file : m_plan.Files()) {
        if (!m_lastFile.empty() && EqualsIgnoringCase(file, m_lastFile))
            lastFiles.push_back(file);
        else
            guarded("file", file, [this](const std::string& p) { RemoveFile(p); });
    }
    // A folder holding the uninstaller waits for it. No other folder holds one of those,
    // since it would hold the uninstaller too.
    for (const std::string& folder : m_plan.Folders())
        (!m_lastFile.empty() && UninstallPlan::Holds(folder, m_lastFile) ? lastFolders : firstFolders)
            .push_back(folder);
    removeFolders(firstFolders);
    for (const std::string& key : m_plan.RegistryKeys()) {
        if (!m_lastKey.empty() && UninstallPlan::SameKey(key, m_lastKey))
            lastKeys.push_back(key);
        else
            guarded("registry key", key, [this](const std::string& k) { RemoveRegistryKey(k); });
    }

    guarded("search path entry", m_installDir, [this, &folderForms](const std::string&) {
        if (m_places.ntFamily) {
            bool changed = false;
            CleanRegistryPath(m_places.machineEnvironment, changed);
            CleanRegistryPath(m_places.userEnvironment, changed);
            if (changed && m_places.broadcast) {
                DWORD_PTR ignored = 0;
                SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                                    reinterpret_cast<LPARAM>("Environment"), SMTO_ABORTIFHUNG, 2000,
                                    &ignored);
            }
        } else {
            CleanAutoexec(folderForms);
        }
    });

    for (const std::string& file : lastFiles) guarded("file", file, [this](const std::string& p) { RemoveFile(p); });
    removeFolders(lastFolders);
    for (const std::string& key : lastKeys)
        guarded("registry key", key, [this](const std::string& k) { RemoveRegistryKey(k); });
    return m_outcome;
}

void PlanExecutor::RemoveFile(const std::string& path) {
    ConsoleLine("Removing file " + path);
    if (DeleteFileA(path.c_str())) return;
    DWORD err = GetLastError();
    if (IsMissing(err)) {
        ConsoleLine("File " + path + " was already gone");
        return;
    }
    // The installer never sets the attribute, but a user or a tool may have.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (err == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
            if (DeleteFileA(path.c_str())) return;
            err = GetLastError();
        }
    }
    if (!m_aside.empty() && EqualsIgnoringCase(path, m_busyFile) && MoveAside(path)) return;
    Note("Removing file " + path + " failed: " + WinErrorText(err));
    Schedule(path, "File");
}

bool PlanExecutor::MoveAside(const std::string& path) {
    // Without a copy allowed the move fails across volumes instead of copying the file.
    using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto moveFileEx = kernel ? reinterpret_cast<MoveFileExFn>(GetProcAddress(kernel, "MoveFileExA")) : nullptr;
    if (!moveFileEx) return false;
    DeleteFileA(m_aside.c_str());   // a leftover of an earlier copy under the same name
    m_movedAside = moveFileEx(path.c_str(), m_aside.c_str(), 0) != FALSE;
    // Deleted once the original has ended; a copy stopped before that leaves it to the restart.
    if (m_movedAside) DeleteAtRestart(m_aside);
    return m_movedAside;
}

void PlanExecutor::RemoveFolder(const std::string& path) {
    ConsoleLine("Removing folder " + path);
    if (RemoveDirectoryA(path.c_str())) return;
    const DWORD err = GetLastError();
    if (IsMissing(err)) {
        ConsoleLine("Folder " + path + " was already gone");
        return;
    }
    std::vector<std::string> names;
    if (ListFolder(path, names) && !names.empty()) {
        std::vector<std::string> foreign;
        bool waitsForLater = false;
        for (const std::string& name : names) {
            if (ScheduledHere(path + "\\" + name)) continue;
            if (ComesLater(path + "\\" + name)) waitsForLater = true;
            else foreign.push_back(name);
        }
        if (foreign.empty() && waitsForLater) {
            m_folderQueue.push_back(path);
            return;
        }
        if (!foreign.empty()) {
            // Never emptied: what is left there was not installed, or is a folder kept
            // for the same reason.
            ++m_outcome.leftInPlace;
            Note("Folder " + path + " is left in place: it holds " + JoinNames(foreign) +
                 ", which the installation did not put there");
            return;
        }
        // Only what goes at the restart is left; the folder can go right after it.
        ConsoleLine("Folder " + path + " holds only items that are removed at the next restart");
        Schedule(path, "Folder");
        return;
    }
    Note("Removing folder " + path + " failed: " + WinErrorText(err));
    Schedule(path, "Folder");
}

void PlanExecutor::RemoveRegistryKey(const std::string& key) {
    if (RestoresOwner(key)) return;
    const UninstallPlan::SharedAssociation* shared = m_plan.SharedAssociationOf(key);
    if (shared && !SharedAssociationStillOurs(key, *shared)) return;
    ConsoleLine("Removing registry key " + key);
    RegKey doomed(key, RegKey::Flavour::Status);
    if (doomed.Delete(true)) return;
    // "Not found" may also come from a subkey that could not be opened; only a key that
    // is not there any more was already gone.
    if (doomed.Code() == ERROR_FILE_NOT_FOUND && !KeyExists(key)) {
        ConsoleLine("Registry key " + key + " was already gone");
        return;
    }
    Fail("Removing registry key " + key + " failed: " + RegText(doomed));
}

// The extension key of an association that replaced another program's was there before the
// installation: it stays, and gets its earlier owner back while it still names one of ours.
bool PlanExecutor::RestoresOwner(const std::string& key) {
    const FileTypeOwner* owner = nullptr;
    for (const FileTypeOwner& candidate : m_owners)
        if (UninstallPlan::SameKey(key, UninstallPlan::ClassesKey(candidate.extension))) owner = &candidate;
    if (!owner) return false;
    const std::string what = "the file association for extension '" + owner->extension + "'";
    RegKey reader(key, RegKey::Flavour::Status);
    std::string value;
    if (!reader.ReadString("", false, value) && !KeyExists(key)) {
        ConsoleLine("Registry key " + key + " was already gone");
        return true;
    }
    // The earlier owner again (a run cut short put it back), one of ours or nothing: restored.
    if (!value.empty() && !EqualsIgnoringCase(value, owner->progId) && !m_plan.OwnsProgId(value)) {
        ++m_outcome.leftInPlace;
        Note("The file association for extension '" + owner->extension + "' now belongs to " + value +
             "; it is left in place");
        return true;
    }
    ConsoleLine("Restoring " + what + " to " + owner->progId);
    RegKey writer(key, RegKey::Flavour::Status);
    if (!writer.WriteString("", owner->progId, false)) Fail("Restoring " + what + " failed: " + RegText(writer));
    return true;
}

// The sibling product may have taken the shared extension over since; then its key is
// theirs, and removing it would break their association.
bool PlanExecutor::SharedAssociationStillOurs(const std::string& key,
                                              const UninstallPlan::SharedAssociation& shared) {
    RegKey reader(key, RegKey::Flavour::Status);
    std::string value;
    if (reader.ReadString("", false, value) && EqualsIgnoringCase(value, shared.progId)) return true;
    if (reader.Failed() && !KeyExists(key)) {
        ConsoleLine("Registry key " + key + " was already gone");
        return false;
    }
    ++m_outcome.leftInPlace;
    Note("The file association for extension '" + shared.extension + "' " +
         (value.empty() ? "no longer names " + shared.progId : "now belongs to " + value) +
         "; it is left in place");
    return false;
}

void PlanExecutor::CleanRegistryPath(const std::string& place, bool& changed) {
    const RegPath path(place);
    RegKey key(RootOf(path), path.SubKey(), KEY_QUERY_VALUE, RegKey::Flavour::Status);
    if (key.Failed()) {
        if (key.Code() != ERROR_FILE_NOT_FOUND)
            Fail("Reading the search path in " + place + " failed: " + RegText(key));
        return;
    }
    DWORD type = 0;
    DWORD size = 0;
    const LONG rc = RegQueryValueExA(key.Handle(), PathValue, nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return;
    if (rc != ERROR_SUCCESS) {
        Fail("Reading the search path in " + place + " failed: RegQueryValueExA() failed: " + WinErrorText(rc));
        return;
    }
    // The installer only ever wrote string values.
    if (type != REG_SZ && type != REG_EXPAND_SZ) return;
    std::string text;
    if (!key.ReadString(PathValue, false, text)) {
        Fail("Reading the search path in " + place + " failed: " + RegText(key));
        return;
    }
    std::string cleaned;
    if (!SearchPathCleanup::RemoveFolder(text, m_installDir, cleaned)) return;
    ConsoleLine("Removing " + m_installDir + " from the search path in " + place);
    RegKey writer(place, RegKey::Flavour::Status);
    if (!writer.WriteString(PathValue, cleaned, type == REG_EXPAND_SZ)) {
        Fail("Removing " + m_installDir + " from the search path in " + place + " failed: " + RegText(writer));
        return;
    }
    changed = true;
}

void PlanExecutor::CleanAutoexec(const std::vector<std::string>& folderForms) {
    const std::string& file = m_places.autoexec;
    std::string contents;
    {
        FileHandle reader(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!reader) {
            const DWORD err = GetLastError();
            if (!IsMissing(err)) Fail("Reading " + file + " failed: " + WinErrorText(err));
            return;
        }
        const DWORD size = GetFileSize(reader.Get(), nullptr);
        if (size == INVALID_FILE_SIZE || size > AutoexecLimit) {
            Fail("Reading " + file + " failed: the file is too large to be edited");
            return;
        }
        contents.resize(size);
        DWORD got = 0;
        if (size > 0 && (!ReadFile(reader.Get(), &contents[0], size, &got, nullptr) || got != size)) {
            Fail("Reading " + file + " failed: " + WinErrorText(GetLastError()));
            return;
        }
    }
    std::string cleaned;
    if (!SearchPathCleanup::RemoveAutoexecLine(contents, folderForms, cleaned)) return;
    ConsoleLine("Removing " + m_installDir + " from the search path in " + file);
    // Rewritten in place: the new text is shorter, so no write can run out of room, and
    // the file never stops existing.
    FileHandle writer(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    DWORD written = 0;
    if (!writer ||
        (!cleaned.empty() && (!WriteFile(writer.Get(), cleaned.data(), static_cast<DWORD>(cleaned.size()),
                                         &written, nullptr) || written != cleaned.size())) ||
        !SetEndOfFile(writer.Get())) {
        Fail("Removing " + m_installDir + " from the search path in " + file + " failed: " +
             WinErrorText(GetLastError()));
    }
}

void PlanExecutor::Schedule(const std::string& path, const std::string& what) {
    if (DeleteAtRestart(path)) {
        m_scheduled.push_back(path);
        ++m_outcome.scheduled;
        Note(what + " " + path + " will be removed at the next restart");
        return;
    }
    Fail("Scheduling " + path + " for removal at the next restart failed: " + WinErrorText(GetLastError()));
}

bool PlanExecutor::ComesLater(const std::string& folder) const {
    for (std::size_t i = m_folderIndex + 1; i < m_folderQueue.size(); ++i)
        if (EqualsIgnoringCase(m_folderQueue[i], folder)) return true;
    return false;
}

bool PlanExecutor::ScheduledHere(const std::string& path) const {
    for (const std::string& scheduled : m_scheduled)
        if (EqualsIgnoringCase(scheduled, path)) return true;
    return false;
}

void PlanExecutor::Note(const std::string& line) {
    ConsoleLine(line);
    m_outcome.notes.push_back(line);
}

void PlanExecutor::Fail(const std::string& line) {
    ++m_outcome.failed;
    Note(line);
}
