// Prints the short (8.3) form of a path, as GetShortPathNameA gives it, or exits with 1.
// Usage: shortpath.exe <path>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) return 250;
    char buffer[MAX_PATH + 1];
    const DWORD n = GetShortPathNameA(argv[1], buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return 1;
    std::printf("%s\n", buffer);
    return 0;
}
