// Prints the properties of shell shortcuts as the shell reads them: for each file a line
// "link=<path>", then one line each for target, arguments, working folder, description,
// icon file and icon index.
// Usage: lnkinfo.exe <.lnk file>...; exits with 1 when a file cannot be loaded.
#include "platform/Handles.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() { CoUninitialize(); }
};

std::wstring Wide(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(n > 0 ? n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
    return wide;
}

int Show(const char* linkPath) {
    ComApartment apartment;
    void* raw = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, &raw);
    ComPointer<IShellLinkA> link(static_cast<IShellLinkA*>(raw));
    if (FAILED(hr)) return 2;
    raw = nullptr;
    hr = link.Get()->QueryInterface(IID_IPersistFile, &raw);
    ComPointer<IPersistFile> file(static_cast<IPersistFile*>(raw));
    if (FAILED(hr)) return 3;
    if (FAILED(file.Get()->Load(Wide(linkPath).c_str(), STGM_READ))) return 1;

    std::printf("link=%s\n", linkPath);
    char text[4096];
    text[0] = '\0';
    link.Get()->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
    std::printf("target=%s\n", text);
    text[0] = '\0';
    link.Get()->GetArguments(text, sizeof text);
    std::printf("arguments=%s\n", text);
    text[0] = '\0';
    link.Get()->GetWorkingDirectory(text, sizeof text);
    std::printf("workdir=%s\n", text);
    text[0] = '\0';
    link.Get()->GetDescription(text, sizeof text);
    std::printf("description=%s\n", text);
    text[0] = '\0';
    int index = -1;
    link.Get()->GetIconLocation(text, sizeof text, &index);
    std::printf("icon=%s\n", text);
    std::printf("iconindex=%d\n", index);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 250;
    for (int i = 1; i < argc; ++i) {
        const int code = Show(argv[i]);
        if (code != 0) return code;
    }
    return 0;
}
