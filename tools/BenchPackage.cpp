// bench-package: decode throughput of the installer's package decoder and parser.
//   bench-package generate <folder> <megabytes> [files]
//                                                 deterministic synthetic product folder
//                                                 plus package.manifest for mkpackage
//   bench-package decode <package> [repeats]      times decoding with and without the parser
#include "installer/actions/LzmaAloneDecoder.h"
#include "installer/actions/PackageStreamParser.h"
#include "platform/VersionTriple.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class Random {   // xorshift64*: the corpus must be the same on every machine
public:
    explicit Random(uint64_t seed) : m_s(seed) {}
    uint64_t Next() {
        m_s ^= m_s >> 12;
        m_s ^= m_s << 25;
        m_s ^= m_s >> 27;
        return m_s * 0x2545F4914F6CDD1DULL;
    }
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }

private:
    uint64_t m_s;
};

const char* const Words[] = {"connection", "host", "key", "the", "session", "proxy", "tunnel", "port", "user",
                             "server", "a", "of", "to", "and", "file", "transfer", "remote", "console",
                             "settings", "profile", "is", "in", "for", "with", "error", "forwarding"};

// Prose-like text: compresses roughly as documentation does.
void AppendText(std::vector<uint8_t>& out, size_t size, Random& r) {
    while (out.size() < size) {
        const char* w = Words[r.Below(sizeof(Words) / sizeof(Words[0]))];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
        out.push_back(r.Below(12) == 0 ? '\n' : ' ');
    }
    out.resize(size);
}

// Machine-code-like bytes: a small set of instruction patterns with varying operands,
// which LZMA packs about as well as real program sections.
void AppendCode(std::vector<uint8_t>& out, size_t size, Random& r) {
    static const uint8_t patterns[][6] = {{0x55, 0x8B, 0xEC, 0, 0, 0}, {0x8B, 0x45, 0x08, 0, 0, 0},
                                          {0xE8, 1, 1, 1, 1, 0},       {0x89, 0x44, 0x24, 1, 0, 0},
                                          {0x83, 0xC4, 1, 0, 0, 0},    {0xC3, 0, 0, 0, 0, 0},
                                          {0x6A, 1, 0, 0, 0, 0},       {0xFF, 0x15, 1, 1, 0x40, 0}};
    static const int lengths[] = {3, 3, 5, 4, 3, 1, 2, 5};
    size_t start = out.size();
    while (out.size() - start < size) {
        int p = static_cast<int>(r.Below(8));
        for (int i = 0; i < lengths[p]; ++i) {
            uint8_t b = patterns[p][i];
            out.push_back(b == 1 ? static_cast<uint8_t>(r.Below(p == 2 ? 256 : 16)) : b);
        }
    }
    out.resize(start + size);
}

void AppendNoise(std::vector<uint8_t>& out, size_t size, Random& r) {
    for (size_t i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(r.Next() >> 56));
}

// files = 0: sizes vary from 4 KiB to 3 MiB; otherwise the data is shared among that many files.
int Generate(const fs::path& folder, int megabytes, int files) {
    fs::create_directories(folder);
    Random r(0x51A2B3C4D5E6F708ULL);
    std::ofstream manifest(folder / "package.manifest", std::ios::binary | std::ios::trunc);
    manifest << "# Synthetic corpus written by bench-package generate\n";
    const size_t total = static_cast<size_t>(megabytes) << 20;
    size_t written = 0;
    for (int index = 0; files ? index < files : written < total; ++index) {
        size_t size = files ? (total - written) / static_cast<size_t>(files - index)
                            : std::min<size_t>(total - written, 4096 + r.Below(3u << 20));
        std::vector<uint8_t> bytes;
        const char* ext;
        switch (index % 5) {
        case 0:
            ext = "txt";
            AppendText(bytes, size, r);
            break;
        case 4:   // an already compressed resource: about a tenth of the data
            ext = "bin";
            size /= 2;
            AppendNoise(bytes, size, r);
            break;
        default: {   // a program: code, tables of zeros, embedded strings
            ext = "dll";
            size_t done = 0;
            while (done < size) {
                size_t piece = std::min<size_t>(size - done, 1024 + r.Below(65536));
                switch (r.Below(4)) {
                case 0: bytes.insert(bytes.end(), piece / 4, 0); break;
                case 1: AppendText(bytes, bytes.size() + piece / 2, r); break;
                default: AppendCode(bytes, piece, r); break;
                }
                done = bytes.size();
            }
            bytes.resize(size);
        }
        }
        char name[32];
        std::snprintf(name, sizeof name, "file%04d.%s", index, ext);
        std::ofstream(folder / name, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        manifest << "all - " << name << "\n";
        written += bytes.size();
    }
    std::cout << "generated " << written << " bytes in " << folder.string() << "\n";
    return 0;
}

class CountingSink : public PackageStreamParser::Sink {
public:
    size_t files = 0;
    uint64_t bytes = 0;
    void BeginFile(const PackageStreamParser::File&) override { ++files; }
    void FileData(const uint8_t*, size_t count) override { bytes += count; }
    void EndFile() override {}
};

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Processor time of this process: on a shared machine it varies far less than wall time.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

int Decode(const fs::path& path, int repeats) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path.string() + ": cannot open");
    const std::vector<uint8_t> package((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::vector<double> full, decodeOnly, fullCpu, decodeOnlyCpu;
    uint64_t unpacked = 0;
    size_t files = 0;
    for (int i = 0; i < repeats; ++i) {
        double c0 = CpuSeconds();
        auto t0 = std::chrono::steady_clock::now();
        {
            LzmaAloneDecoder decoder(package.data(), package.size());
            CountingSink sink;
            PackageStreamParser parser(sink, PlatformNT);
            for (auto p = decoder.Next(); p.count; p = decoder.Next()) parser.ProcessOutBytes(p.bytes, p.count);
            parser.Finish();
            unpacked = decoder.UnpackedSize();
            files = sink.files;
        }
        auto t1 = std::chrono::steady_clock::now();
        double c1 = CpuSeconds();
        {
            LzmaAloneDecoder decoder(package.data(), package.size());
            while (decoder.Next().count) {
            }
        }
        auto t2 = std::chrono::steady_clock::now();
        double c2 = CpuSeconds();
        full.push_back(Seconds(t1 - t0));
        decodeOnly.push_back(Seconds(t2 - t1));
        fullCpu.push_back(c1 - c0);
        decodeOnlyCpu.push_back(c2 - c1);
    }
    for (auto* v : {&full, &decodeOnly, &fullCpu, &decodeOnlyCpu}) std::sort(v->begin(), v->end());
    const double mb = unpacked / 1e6;
    auto line = [&](const char* what, const std::vector<double>& t, const std::vector<double>& cpu) {
        double median = t[t.size() / 2];
        double cpuMedian = cpu[cpu.size() / 2];
        std::printf("  %-18s wall: median %8.2f ms %7.1f MB/s (best %6.1f)   cpu: median %7.1f MB/s\n", what,
                    median * 1e3, mb / median, mb / t.front(), cpuMedian > 0 ? mb / cpuMedian : 0.0);
    };
    std::printf("%s: %zu bytes packed, %llu bytes unpacked (%.2f:1), %zu files on NT, %d runs\n",
                path.filename().string().c_str(), package.size(), static_cast<unsigned long long>(unpacked),
                package.empty() ? 0.0 : double(unpacked) / package.size(), files, repeats);
    line("decoder + parser", full, fullCpu);
    line("decoder alone", decodeOnly, decodeOnlyCpu);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "generate" && (argc == 4 || argc == 5))
            return Generate(argv[2], std::stoi(argv[3]), argc == 5 ? std::max(1, std::stoi(argv[4])) : 0);
        if (mode == "decode" && (argc == 3 || argc == 4))
            return Decode(argv[2], argc == 4 ? std::max(1, std::stoi(argv[3])) : 5);
        std::cerr << "usage: bench-package generate <folder> <megabytes> [files]\n"
                     "       bench-package decode <package> [repeats]\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "bench-package: " << e.what() << "\n";
        return 1;
    }
}
