// A program that does nothing: the memory baseline of a process under Wine. It stays a moment,
// so that peakws reads its counters after start-up has finished.
#include <windows.h>

int main() {
    Sleep(200);
    return 0;
}
