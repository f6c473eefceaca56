// crcpass [repeats] [sha256|decode|overlap]: what an integrity check of the package costs.
// The benchmark links its package into this program as resource "BINARY" 148, with the
// installer's file layout, and the program runs the installer's own check over it: the
// CRC-32 (zlib) of the resource read from the held file in pieces, or with "sha256" the
// system's SHA-256 that the installer takes where the system has it. Prints the size, the
// digest and the median time. "overlap" decodes the package to nothing, by turns without the
// check and after the check as the installer makes it (SHA-256 on a thread of its own while
// the package is decoded ahead); the median of the pairs' differences is what the check
// costs a run.
#include "installer/StreamCheck.h"
#include "installer/StreamCheckThread.h"
#include "installer/actions/PackageStream.h"
#include "installer/actions/ResourceReader.h"
#include "platform/CryptoSha256.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 3;
    const char* mode = argc > 2 ? argv[2] : "crc32";
    const bool sha256 = std::strcmp(mode, "sha256") == 0;
    const bool overlap = std::strcmp(mode, "overlap") == 0;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times, plain, costs;   // with the check (or the check alone), without, the pairs' differences
    std::string digestText;
    unsigned long long bytes = 0;
    try {
        if (overlap) {
            StreamDigest digest;
            {
                ResourceReader package(OwnImageFile::Held(), 148, "BINARY");
                const auto hash = CryptoSha256::TryStart();
                if (!hash) throw std::runtime_error("the system has no SHA-256");
                digest = DigestStream(package, hash.get());
            }
            // Runs without and with the check take turns, so a change of load hits both alike.
            for (int i = 0; i < 2 * repeats; ++i) {
                const bool checked = i % 2 == 1;
                LARGE_INTEGER start, end;
                QueryPerformanceCounter(&start);
                std::unique_ptr<StreamCheckThread> check;
                if (checked)
                    check = std::make_unique<StreamCheckThread>(std::vector<RecordedStream>{
                        {"package stream", 148, static_cast<std::uint32_t>(digest.size), 0u, digest.sha256}});
                PackageStream package(OwnImageFile::Held(), 148);
                if (check) {
                    package.decoder.DecodeAhead([&check] { return check->Finished(); });
                    check->Wait();
                }
                while (package.decoder.Next().count) {}
                QueryPerformanceCounter(&end);
                (checked ? times : plain).push_back(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
            }
            for (int i = 0; i < repeats; ++i) costs.push_back(times[i] - plain[i]);
            bytes = digest.size;
            digestText = "-";
        }
        for (int i = 0; i < repeats && !overlap; ++i) {
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
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    if (overlap)
        std::printf("crcpass: decode alone %.6f s, with the check %.6f s, differences", median(plain), median(times));
    for (double cost : costs) std::printf(" %.6f", cost);
    if (overlap) std::printf("\n");
    std::sort(times.begin(), times.end());
    std::printf("crcpass: %llu bytes, %s %s, median of %d: %.6f s\n", bytes, mode,
                digestText.c_str(), repeats, overlap ? median(costs) : times[times.size() / 2]);
    return 0;
}
