// Stands in for an earlier installation's uninstaller in the removal tests. It appends
// its whole command line as one line to a log file (QX_FAKEUNINST_LOG when set, else its
// own path + ".log"), prints "fakeuninst: ..." lines (unless --quiet) and then:
//   --exit=<n>      exits with n (decimal, or hexadecimal with 0x, e.g. 0xC0000005);
//   --handoff=<n>   hands on like an uninstaller that leaves the work to another process:
//                   starts itself again (marked --grandchild) with handle inheritance and
//                   exits with 1; the grandchild waits --delay=<ms> (default 500), writes n
//                   into the 4-byte block named by -result=<hex>, signals the event named
//                   by -done=<hex> and exits (after --linger=<ms> more, default 0: a
//                   process that answered but is still running).
//   --tell          makes the grandchild known as this version's uninstaller does its copy;
//   --vanish        the grandchild exits at once without answering.
//   --block=<path>  first creates a file at path (no spaces), where the installer's folder
//                   belongs: a run ends at its folder step after a successful removal.
// Without --exit or --handoff it exits with 0. Exit codes 250-255 are the helper's own failures.
#include "platform/Handles.h"
#include "uninstaller/HandshakeReply.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Arguments {
    bool quiet = false;
    bool grandchild = false;
    bool handoff = false;
    bool tell = false;
    bool vanish = false;
    unsigned long value = 0;
    unsigned long delay = 500;
    unsigned long linger = 0;
    unsigned long resultHandle = 0;
    unsigned long doneHandle = 0;
    std::string block;
};

// Words separated by blanks; quotes only group (enough for the tests' command lines).
std::vector<std::string> Words(const char* line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (const char* p = line; *p; ++p) {
        if (*p == '"') {
            quoted = !quoted;
            any = true;
        } else if ((*p == ' ' || *p == '\t') && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += *p;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

bool Starts(const std::string& word, const char* prefix, std::string& rest) {
    const std::size_t n = std::strlen(prefix);
    if (word.compare(0, n, prefix) != 0) return false;
    rest = word.substr(n);
    return true;
}

Arguments Parse(const char* line) {
    Arguments a;
    std::string rest;
    for (const std::string& w : Words(line)) {
        if (w == "--quiet") a.quiet = true;
        else if (w == "--grandchild") a.grandchild = true;
        else if (w == "--tell") a.tell = true;
        else if (w == "--vanish") a.vanish = true;
        else if (Starts(w, "--exit=", rest)) a.value = std::strtoul(rest.c_str(), nullptr, 0);
        else if (Starts(w, "--handoff=", rest)) { a.handoff = true; a.value = std::strtoul(rest.c_str(), nullptr, 0); }
        else if (Starts(w, "--delay=", rest)) a.delay = std::strtoul(rest.c_str(), nullptr, 10);
        else if (Starts(w, "--linger=", rest)) a.linger = std::strtoul(rest.c_str(), nullptr, 10);
        else if (Starts(w, "-result=", rest)) a.resultHandle = std::strtoul(rest.c_str(), nullptr, 16);
        else if (Starts(w, "-done=", rest)) a.doneHandle = std::strtoul(rest.c_str(), nullptr, 16);
        else if (Starts(w, "--block=", rest)) a.block = rest;
    }
    return a;
}

void Say(const Arguments& a, const std::string& text) {
    if (a.quiet) return;
    std::printf("fakeuninst: %s\n", text.c_str());
    std::fflush(stdout);
}

std::string LogPath() {
    char path[MAX_PATH + 8] = {};
    DWORD n = GetEnvironmentVariableA("QX_FAKEUNINST_LOG", path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return path;
    n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n) + ".log";
}

bool Log(const char* line) {
    FileHandle file(CreateFileA(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string text = std::string(line) + "\r\n";
    DWORD written = 0;
    BOOL ok = WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    file.Reset();
    return ok && written == text.size();
}

HANDLE AsHandle(unsigned long value) { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value)); }

int Grandchild(const Arguments& a) {
    if (a.vanish) return 0;
    Sleep(a.delay);
    MappedView view(MapViewOfFile(AsHandle(a.resultHandle), FILE_MAP_WRITE, 0, 0, 4));
    if (!view) return 251;
    const DWORD value = static_cast<DWORD>(a.value);
    std::memcpy(view.Get(), &value, 4);
    view.Reset();
    Say(a, "result " + std::to_string(static_cast<long>(static_cast<LONG>(value))));
    if (!SetEvent(AsHandle(a.doneHandle))) return 252;
    Sleep(a.linger);
    return 0;
}

int HandOn(const Arguments& a, const char* line) {
    std::string command = std::string(line) + " --grandchild";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return 253;
    KernelHandle process(info.hProcess);
    KernelHandle thread(info.hThread);
    if (a.tell && !HandshakeReply(a.resultHandle, a.doneHandle).TellHelper(process.Get())) return 255;
    thread.Reset();
    process.Reset();
    Say(a, "handing on");
    return 1;
}

}  // namespace

int main() {
    const char* line = GetCommandLineA();
    const Arguments a = Parse(line);
    if (a.grandchild) return Grandchild(a);
    if (!Log(line)) return 250;
    if (!a.block.empty()) {
        if (!FileHandle(CreateFileA(a.block.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)))
            return 254;
    }
    if (a.handoff) return HandOn(a, line);
    Say(a, "exit " + std::to_string(static_cast<long>(static_cast<LONG>(a.value))));
    ExitProcess(static_cast<UINT>(a.value));
}
