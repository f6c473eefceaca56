// Prints the properties of shell shortcuts as the shell reads them: for each file a line
// "link=<path>", then one line each for target, arguments, working folder, description,
// icon file and icon index.
// Usage: lnkinfo.exe <.lnk file>...; exits with 1 when a file cannot be loaded.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

// Releases a COM interface on every path out.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (m_p) m_p->Release();
    }
    T* operator->() const { return m_p; }
    T** Out() { return &m_p; }
    void** OutVoid() { return reinterpret_cast<void**>(&m_p); }

private:
    T* m_p = nullptr;
};

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
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.OutVoid())))
        return 2;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid()))) return 3;
    if (FAILED(file->Load(Wide(linkPath).c_str(), STGM_READ))) return 1;

    std::printf("link=%s\n", linkPath);
    char text[4096];
    text[0] = '\0';
    link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
    std::printf("target=%s\n", text);
    text[0] = '\0';
    link->GetArguments(text, sizeof text);
    std::printf("arguments=%s\n", text);
    text[0] = '\0';
    link->GetWorkingDirectory(text, sizeof text);
    std::printf("workdir=%s\n", text);
    text[0] = '\0';
    link->GetDescription(text, sizeof text);
    std::printf("description=%s\n", text);
    text[0] = '\0';
    int index = -1;
    link->GetIconLocation(text, sizeof text, &index);
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
