// The one place each kind of recorded change is undone or kept: the in-process rollback
// (an action's destructor) and the recovery of a run that was cut short both come here.
// Every rule looks at the machine first, so an entry whose change was never begun, or was
// undone already by a recovery that was itself stopped, costs nothing.
#include "installer/actions/RunRecord.h"

#include "NoCrtLib/AnsiText.h"
#include "NoCrtLib/Console.h"
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallOptions.h"
#include "installer/actions/FileAssocAction.h"
#include "installer/actions/InstallAction.h"
#include "installer/actions/ShortcutAction.h"
#include "installer/actions/TargetFile.h"
#include "installer/actions/UninstallRegAction.h"
#include "platform/ConsoleStop.h"
#include "platform/DeferredDeletion.h"
#include "platform/Handles.h"
#include "platform/RegKey.h"
#include "ui/Prompt.h"

#include <windows.h>

#include <set>

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveFolder(const std::string& path) {
    static const RollbackRemovalTexts texts = {
        "Rollback: removing previously created ", "Rollback: error removing directory: ",
        "The directory will be scheduled for removal on reboot.", "Directory Deletion Failed",
        "Scheduling removing directory on reboot", "Scheduling removing directory failed"};
    RollbackRemove(path, [](const std::string& p) { return RemoveDirectoryA(p.c_str()) != FALSE; }, texts);
}

// The kept file back under its own name. A copy is written back over the file when the
// file cannot be replaced (it is held open without delete sharing): the first failure is
// the one reported, and the kept file then stays where the user is told it is.
void PutBack(const std::string& path, const std::string& aside, bool copied) {
    ConsoleLine("Rollback: restoring " + path);
    if (MoveFileExA(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return;
    const DWORD error = GetLastError();
    if (copied && CopyFileA(aside.c_str(), path.c_str(), FALSE)) {
        SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(aside.c_str())) DeleteAtRestart(aside);
        return;
    }
    const std::string reason = WinErrorText(error);
    ConsoleLine("File restoration failed: " + reason);
    Prompt::ReportError("Unable to restore '" + path + "'.\nReason: " + reason + "\nThe previous file is kept as '" +
                            aside + "'.",
                        "File Restoration Failed", PromptMode());
}

void Discard(const std::string& aside) {
    if (!Exists(aside)) return;
    SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file refuses deletion
    if (!DeleteFileA(aside.c_str())) DeleteAtRestart(aside);
}

// Writes the saved values into the key (made when missing); a Windows error code.
long WriteSaved(const std::string& keyName, const std::vector<UninstallRegAction::SavedValue>& values) {
    RegKey key(keyName, RegKey::Flavour::Status);
    HKEY raw = nullptr;
    LONG code = RegCreateKeyExA(key.Root(), key.SubKey().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                nullptr, &raw, nullptr);
    if (code != ERROR_SUCCESS) return code;
    RegKeyHandle opened(raw);
    for (const auto& value : values) {
        code = RegSetValueExA(raw, value.name.c_str(), 0, value.type, value.data.data(),
                              static_cast<DWORD>(value.data.size()));
        if (code != ERROR_SUCCESS) return code;
    }
    return ERROR_SUCCESS;
}

// A key the uninstaller left in place gets its values back without a word.
void RestoreKey(const UndoEntry& entry) {
    RegKey named(entry.Field(0), RegKey::Flavour::Status);
    HKEY raw = nullptr;
    const bool there = RegOpenKeyExA(named.Root(), named.SubKey().c_str(), 0, KEY_QUERY_VALUE, &raw) == ERROR_SUCCESS;
    RegKeyHandle opened(there ? raw : nullptr);
    if (!there) ConsoleLine("Rollback: restoring " + entry.Field(0));
    std::vector<UninstallRegAction::SavedValue> values;
    const LONG code = UninstallRegAction::ValuesOf(entry, 1, values) ? WriteSaved(entry.Field(0), values)
                                                                       : ERROR_INVALID_DATA;
    if (code != ERROR_SUCCESS) ConsoleLine("Registry restoration failed: " + WinErrorText(static_cast<DWORD>(code)));
}

void RestoreValue(const UndoEntry& entry) {
    RegKey key(entry.Field(0), RegKey::Flavour::Status);
    if (entry.Field(2) != "1") {
        HKEY raw = nullptr;
        if (RegOpenKeyExA(key.Root(), key.SubKey().c_str(), 0, KEY_SET_VALUE, &raw) != ERROR_SUCCESS) return;
        RegKeyHandle opened(raw);
        RegDeleteValueA(raw, entry.Field(1).c_str());
        return;
    }
    UndoEntry value{entry.kind, {entry.Field(0), entry.Field(1), entry.Field(3), entry.Field(4)}};
    std::vector<UninstallRegAction::SavedValue> values;
    if (UninstallRegAction::ValuesOf(value, 1, values)) WriteSaved(entry.Field(0), values);
}

void Undo(const UndoEntry& entry, const std::set<std::string>& notOurs) {
    namespace K = UndoKind;
    const std::string& path = entry.Field(0);
    if (entry.kind == K::Folder) {
        if (IsExistingFolder(path)) RemoveFolder(path);
    } else if (entry.kind == K::File) {  // never a folder that took the name meanwhile
        if (IsExistingFile(path)) RollbackDeleteFile(path);
    } else if (entry.kind == K::Shortcut) {
        if (IsExistingFile(path)) ShortcutAction::RemoveShortcut(path);
    } else if (entry.kind == K::Files) {
        for (auto file = entry.fields.rbegin(); file != entry.fields.rend(); ++file)
            if (!notOurs.count(LowerAscii(*file)) && IsExistingFile(*file)) RollbackDeleteFile(*file);
    } else if (entry.kind == K::Keep || entry.kind == K::Copied) {
        if (Exists(entry.Field(1))) PutBack(path, entry.Field(1), entry.kind == K::Copied);
    } else if (entry.kind == K::Copying) {
        // The original was not touched before the copy was whole.
        if (Exists(entry.Field(1))) DeleteFileA(entry.Field(1).c_str());
    } else if (entry.kind == K::Restart) {
        DeleteAtRestart(path);
    } else if (entry.kind == K::Registration) {
        UninstallRegAction::Undo(entry);
    } else if (entry.kind == K::Association) {
        FileAssocAction::Undo(entry);
    } else if (entry.kind == K::Scratch) {
        if (IsExistingFolder(path)) RemoveDirectoryA(path.c_str());
    } else if (entry.kind == K::SavedFile) {
        // A file the uninstaller left in place needs nothing back.
        if (IsExistingFile(entry.Field(1))) {
            if (Exists(path))
                Discard(entry.Field(1));
            else
                PutBack(path, entry.Field(1), false);
        }
    } else if (entry.kind == K::SavedFolder) {
        if (!IsExistingFolder(path)) {
            ConsoleLine("Rollback: restoring " + path);
            CreateDirectoryA(path.c_str(), nullptr);
        }
    } else if (entry.kind == K::SavedKey) {
        RestoreKey(entry);
    } else if (entry.kind == K::SavedValue) {
        RestoreValue(entry);
    }
}

}  // namespace

void UndoEntries(const std::vector<UndoEntry>& entries) noexcept {
    try {
        std::set<std::string> notOurs;
        for (const UndoEntry& entry : entries)
            if (entry.kind == UndoKind::NotOurs) notOurs.insert(LowerAscii(entry.Field(0)));
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            try {
                Undo(*entry, notOurs);
            } catch (...) {
                // Rollback goes on with the next entry whatever happens here.
            }
        }
    } catch (...) {
    }
}

void KeepEntries(const std::vector<UndoEntry>& entries) noexcept {
    namespace K = UndoKind;
    for (const UndoEntry& entry : entries)
        if (entry.kind == K::Keep || entry.kind == K::Copying || entry.kind == K::Copied || entry.kind == K::SavedFile)
            Discard(entry.Field(1));
    // Emptied above: the scratch folders go last.
    for (const UndoEntry& entry : entries)
        if (entry.kind == K::Scratch) RemoveDirectoryA(entry.Field(0).c_str());
}

void InstallAction::Record(UndoEntry entry) {
    ThrowIfStopRequested();
    RunRecord::Enter(entry);
    m_entries.push_back(std::move(entry));
}

void InstallAction::UndoRecorded() noexcept {
    UndoEntries(m_entries);
    m_entries.clear();
}

void InstallAction::KeepRecorded() noexcept {
    KeepEntries(m_entries);
    m_entries.clear();
}

void InstallAction::EnterFileWrite(const std::string& path) {
    if (TargetExists(path)) {
        ConfirmOverwrite(path);
        KeepAside(path);
    } else {
        Record({UndoKind::File, {path}});
    }
}

std::string InstallAction::KeepAside(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    DWORD error = ERROR_ALREADY_EXISTS;
    // A name of the same folder nobody uses; one that appears meanwhile only costs a retry.
    for (unsigned n = 1; n <= 100 && error == ERROR_ALREADY_EXISTS; ++n) {
        const std::string aside = path + ".qx" + std::to_string(n) + ".kept";
        if (Exists(aside) || GetLastError() != ERROR_FILE_NOT_FOUND) continue;
        Record({UndoKind::Keep, {path, aside}});
        if (MoveFileA(path.c_str(), aside.c_str())) return aside;
        error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            error = ERROR_ALREADY_EXISTS;
            continue;
        }
        // A file held open without delete sharing cannot be renamed but may still be read.
        Record({UndoKind::Copying, {path, aside}});
        if (CopyFileA(path.c_str(), aside.c_str(), TRUE)) {
            Record({UndoKind::Copied, {path, aside}});
            return aside;
        }
        error = GetLastError();
        if (error == ERROR_FILE_EXISTS) error = ERROR_ALREADY_EXISTS;
    }
    throw InstallError("Unable to keep a copy of '" + path + "' - CopyFile() failed with the following error: " +
                       WinErrorText(error));
}
