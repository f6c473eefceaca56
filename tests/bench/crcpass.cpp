// crcpass [repeats] [sha256]: what an integrity check of the package costs. The benchmark
// links its package into this program as resource "BINARY" 148, with the installer's file
// layout, and the program runs the installer's own check over it: the CRC-32 (zlib) of the
// resource read from the held file in pieces, or with "sha256" the system's SHA-256 that
// the installer takes where the system has it. Prints the size, the digest and the median time.
#include "installer/StreamCheck.h"
#include "installer/actions/ResourceReader.h"
#include "platform/CryptoSha256.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 3;
    const bool sha256 = argc > 2 && std::strcmp(argv[2], "sha256") == 0;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    std::string digestText;
    unsigned long long bytes = 0;
    try {
        for (int i = 0; i < repeats; ++i) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            ResourceReader package(OwnImageFile::Held(), 148, "BINARY");
            const auto hash = sha256 ? CryptoSha256::TryStart() : nullptr;
            if (sha256 && !hash) throw std::runtime_error("the system has no SHA-256");
            const StreamDigest digest = DigestStream(package, hash.get());
            QueryPerformanceCounter(&end);
            times.push_back(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
            bytes = digest.size;
            char text[72] = {};
            if (sha256)
                for (std::size_t b = 0; b < digest.sha256.size(); ++b) std::sprintf(text + 2 * b, "%02x", digest.sha256[b]);
            else
                std::sprintf(text, "%08lx", static_cast<unsigned long>(digest.crc));
            digestText = text;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "crcpass: %s\n", e.what());
        return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("crcpass: %llu bytes, %s %s, median of %d: %.6f s\n", bytes, sha256 ? "sha256" : "crc32",
                digestText.c_str(), repeats, times[times.size() / 2]);
    return 0;
}
