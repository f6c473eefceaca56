// Makes a registry key a symbolic link (REG_LINK), so that creating or writing anything
// through it fails when its target's parent is missing (Wine grants every permission,
// so this is the way to make a registry write fail from outside).
// Usage: reglink.exe HKLM|HKCU <subkey> <target in the native form \Registry\Machine\...>
//        reglink.exe HKLM|HKCU <subkey> --volatile
// The second form makes the key and its missing parents volatile: only volatile keys can
// be created below it, so a key deleted there cannot be made again the usual way.
#include "platform/Handles.h"

#include <windows.h>

#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) return 250;
    HKEY root = std::strcmp(argv[1], "HKCU") == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    if (std::strcmp(argv[3], "--volatile") == 0) {
        HKEY raw = nullptr;
        const LONG code = RegCreateKeyExA(root, argv[2], 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                          &raw, nullptr);
        RegKeyHandle key(raw);
        return code == ERROR_SUCCESS ? 0 : 1;
    }
    const int n = MultiByteToWideChar(CP_ACP, 0, argv[3], -1, nullptr, 0);
    if (n <= 1) return 251;
    std::wstring target(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, argv[3], -1, &target[0], n);
    target.resize(n - 1);

    HKEY raw = nullptr;
    const LONG created = RegCreateKeyExA(root, argv[2], 0, nullptr, REG_OPTION_CREATE_LINK,
                                         KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &raw, nullptr);
    RegKeyHandle link(raw);
    if (created != ERROR_SUCCESS) return 1;
    // The link's target is stored without a terminating zero.
    const LONG code = RegSetValueExW(link.Get(), L"SymbolicLinkValue", 0, REG_LINK,
                                     reinterpret_cast<const BYTE*>(target.c_str()),
                                     static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    return code == ERROR_SUCCESS ? 0 : 2;
}
