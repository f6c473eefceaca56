#pragma once
// Test support for the registry actions: plain-API reads of what an action left behind,
// keys removed without following symbolic links, and "dead" links through which
// creating or opening anything fails (Wine grants every registry permission otherwise).
#include "platform/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace ScratchRegistry {

using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);

// Removes a key and everything below it; a link is removed itself, not its target.
inline void DeleteTree(HKEY root, const std::string& sub) {
    static const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, sub.c_str(), REG_OPTION_OPEN_LINK, KEY_ENUMERATE_SUB_KEYS | DELETE, &key) !=
        ERROR_SUCCESS)
        return;
    RegKeyHandle owner(key);
    for (;;) {
        char name[262];
        DWORD length = 261;
        if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DeleteTree(key, name);
    }
    ntDeleteKey(key);
}

// root\sub becomes a symbolic link to a key whose parent does not exist.
inline bool MakeDeadLink(HKEY root, const std::string& sub) {
    const std::wstring target = L"\\Registry\\Machine\\Software\\QxNoSuchKey\\missing\\target";
    HKEY link = nullptr;
    if (RegCreateKeyExA(root, sub.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                        nullptr, &link, nullptr) != ERROR_SUCCESS)
        return false;
    RegKeyHandle owner(link);
    const bool ok = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                                   reinterpret_cast<const BYTE*>(target.c_str()),
                                   static_cast<DWORD>(target.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
    return ok;
}

inline bool KeyExists(HKEY root, const std::string& sub) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, sub.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegKeyHandle owner(key);
    return true;
}

// A value as "<type>:<text>" (text up to its first zero byte), or "<missing>".
inline std::string Value(HKEY root, const std::string& sub, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, sub.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "<missing>";
    RegKeyHandle owner(key);
    DWORD type = 0, size = 0;
    std::string result = "<missing>";
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<char> data(size + 1, '\0');
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
            ERROR_SUCCESS) {
            const char* kind = type == REG_SZ ? "REG_SZ" : type == REG_EXPAND_SZ ? "REG_EXPAND_SZ" : "other";
            result = std::string(kind) + ":" + std::string(data.data());
        }
    }
    return result;
}

inline std::vector<std::string> Names(HKEY root, const std::string& sub, bool subKeys) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    RegKeyHandle owner(key);
    for (DWORD i = 0;; ++i) {
        char name[262];
        DWORD length = 261;
        LONG code = subKeys ? RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr)
                            : RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (code != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    return names;
}

inline void SetString(HKEY root, const std::string& sub, const std::string& name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegKeyHandle owner(key);
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

// A name no other test run uses.
inline std::string UniqueName(const std::string& prefix) {
    static unsigned counter = 0;
    return prefix + std::to_string(GetCurrentProcessId()) + "x" + std::to_string(GetTickCount()) + "x" +
           std::to_string(++counter);
}

}  // namespace ScratchRegistry
