#include "installer/actions/UninstallRegAction.h"

#include "NoCrtLib/Console.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallOptions.h"
#include "installer/actions/UninstallParams.h"
#include "installer/actions/UninstallRegPlan.h"
#include "platform/Handles.h"
#include "platform/RegKey.h"
#include "ui/Prompt.h"

#include <windows.h>

#include <cstdlib>
#include <exception>

// Every value of an open key, any type, as stored.
long UninstallRegAction::ReadValues(HKEY key, std::vector<SavedValue>& values) {
    DWORD count = 0, nameChars = 0, dataBytes = 0;
    LONG code = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &nameChars,
                                 &dataBytes, nullptr, nullptr);
    if (code != ERROR_SUCCESS) return code;
    std::vector<char> name(nameChars + 1);
    std::vector<BYTE> data(dataBytes + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        code = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (code == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        if (code != ERROR_SUCCESS) return code;
        values.push_back({std::string(name.data(), nameLength), type, std::vector<BYTE>(data.begin(), data.begin() + size)});
    }
}

void UninstallRegAction::AppendValues(UndoEntry& entry, const std::vector<SavedValue>& values) {
    for (const SavedValue& value : values) {
        entry.fields.push_back(value.name);
        entry.fields.push_back(std::to_string(value.type));
        entry.fields.push_back(HexBytes(value.data));
    }
}

bool UninstallRegAction::ValuesOf(const UndoEntry& entry, std::size_t from, std::vector<SavedValue>& values) {
    for (std::size_t i = from; i + 2 < entry.fields.size(); i += 3) {
        SavedValue value{entry.fields[i], std::strtoul(entry.fields[i + 1].c_str(), nullptr, 10), {}};
        if (!BytesFromHex(entry.fields[i + 2], value.data)) return false;
        values.push_back(std::move(value));
    }
    return true;
}

UninstallRegAction::UninstallRegAction(const std::string& keyName, const std::string& displayName,
                                       const std::string& version)
    : m_keyPath(UninstallKeyPath(keyName)) {
    HKEY raw = nullptr;
    std::vector<SavedValue> previousValues;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), 0, KEY_QUERY_VALUE, &raw) == ERROR_SUCCESS) {
        RegKeyHandle previous(raw);
        m_hadPrevious = ReadValues(previous.Get(), previousValues) == ERROR_SUCCESS;
    }
    UndoEntry entry{UndoKind::Registration, {m_keyPath, m_hadPrevious ? "1" : "0"}};
    AppendValues(entry, previousValues);
    Record(std::move(entry));
    // Values an older version wrote and this one does not must not survive.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_keyPath.c_str());
    ConsoleLine("Registering uninstaller");

    try {
        UninstallRegInput input;
        input.keyName = keyName;
        input.displayName = displayName;
        input.version = version;
        input.uninstallerPath = Options().uninstallerPath;
        input.installDir = Options().installDir;
        input.previousFileTypes = FormatFileTypeOwners(Options().previousFileTypes);
        auto write = [&](const RegStringValues& values, std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i)
                RegWriteString(HKEY_LOCAL_MACHINE, m_keyPath, values[i].first, values[i].second, false);
        };
        write(UninstallRegValues(input), 0, UninstallValuesBeforeOwnItem);
        // The key's own item goes in before the string is stored, so it is the last one.
        AppendUninstallParam("delRegKey", "HKEY_LOCAL_MACHINE\\" + m_keyPath);
        input.uninstallParams = Options().UninstallParams;
        const RegStringValues values = UninstallRegValues(input);
        write(values, UninstallValuesBeforeOwnItem, values.size());
        m_registered = true;
    } catch (const std::exception& e) {
        try {
            Prompt::ContinueOrAbort(UninstallRegFailureQuestion(e.what()), PromptMode());
        } catch (...) {
            // No action is left to undo this: the registration that was there goes back now.
            if (m_hadPrevious && ShouldUndo()) UndoRecorded();
            throw;
        }
    }
}

UninstallRegAction::~UninstallRegAction() {
    // A registration that was replaced goes back even after a failure the user went on from.
    if ((m_registered || m_hadPrevious) && ShouldUndo()) UndoRecorded();
}

void UninstallRegAction::Undo(const UndoEntry& entry) noexcept {
    const std::string& keyPath = entry.Field(0);
    const bool hadPrevious = entry.Field(1) == "1";
    try {
        HKEY raw = nullptr;
        if (!hadPrevious && RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
            return;  // nothing was registered yet
        RegKeyHandle opened(raw);
        ConsoleLine("Rollback: unregistering uninstaller");
        LONG code = ERROR_INVALID_DATA;
        std::vector<SavedValue> previous;
        opened.Reset();
        if (ValuesOf(entry, 2, previous)) code = hadPrevious ? PutBackPrevious(keyPath, previous) : RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str());
        if (code == ERROR_SUCCESS) return;
        const std::string reason = WinErrorText(static_cast<DWORD>(code));
        ConsoleLine("Uninstaller unregistration failed: " + reason);
        Prompt::ReportError("Unable to unregister previously registered uninstaller.\nReason: " + reason,
                            "Uninstaller Unregistration Failed", PromptMode());
    } catch (...) {
        // Rollback goes on with the next action whatever happens here.
    }
}

// The key gets exactly the values it had; its subkeys, never touched, stay as they are.
long UninstallRegAction::PutBackPrevious(const std::string& keyPath, const std::vector<SavedValue>& previous) {
    HKEY raw = nullptr;
    LONG code = ERROR_CHILD_MUST_BE_VOLATILE;
    // Where only volatile keys may be made, the key that was there was volatile too.
    for (DWORD option : {REG_OPTION_NON_VOLATILE, REG_OPTION_VOLATILE}) {
        if (code != ERROR_CHILD_MUST_BE_VOLATILE) break;
        code = RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, option,
                               KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &raw, nullptr);
    }
    if (code != ERROR_SUCCESS) return code;
    RegKeyHandle key(raw);
    std::vector<SavedValue> now;
    if ((code = ReadValues(key.Get(), now)) != ERROR_SUCCESS) return code;
    for (const SavedValue& value : now)
        if ((code = RegDeleteValueA(key.Get(), value.name.c_str())) != ERROR_SUCCESS) return code;
    for (const SavedValue& value : previous) {
        code = RegSetValueExA(key.Get(), value.name.c_str(), 0, value.type, value.data.data(),
                              static_cast<DWORD>(value.data.size()));
        if (code != ERROR_SUCCESS) return code;
    }
    return ERROR_SUCCESS;
}
