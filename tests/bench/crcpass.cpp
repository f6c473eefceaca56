// crcpass [repeats]: what an integrity check of the package costs. The benchmark links its
// package into this program as resource "BINARY" 148, with the installer's file layout, and
// the program runs the installer's own check over it: the CRC-32 (zlib) of the resource read
// from the file in pieces. Prints the size, the CRC and the median time.
#include "installer/StreamCheck.h"
#include "installer/actions/ResourceReader.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 3;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    unsigned long crc = 0;
    unsigned long long bytes = 0;
    try {
        for (int i = 0; i < repeats; ++i) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            ResourceReader package(OwnImageFile::Held(), 148, "BINARY");
            const StreamDigest digest = DigestStream(package);
            crc = digest.crc;
            bytes = digest.size;
            QueryPerformanceCounter(&end);
            times.push_back(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "crcpass: %s\n", e.what());
        return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("crcpass: %llu bytes, crc32 %08lx, median of %d: %.6f s\n", bytes, static_cast<unsigned long>(crc),
                repeats, times[times.size() / 2]);
    return 0;
}
