// Feeds the package-stream parser arbitrary streams, cut into pieces at arbitrary places,
// and checks that the cutting never changes what callers see: the same files with the same
// contents, or the same failure after the same files. Input: byte 0 chooses the platform
// and the mode, byte 1 seeds the cut positions, the rest is the stream.
//   parser mode:  the rest is the decoded message stream itself;
//   decoder mode: the rest is an LZMA "alone" container whose output goes to the parser.
#include "installer/actions/LzmaAloneDecoder.h"
#include "installer/actions/PackageStreamParser.h"

#include "NoCrtLib/InstallError.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// A file as callers see it; contents are summarised so long files cost no memory.
struct FileSeen {
    std::string name;
    bool uninstaller;
    uint8_t mask;
    uint64_t size = 0;
    uint64_t hash = 1469598103934665603ULL;
    bool ended = false;
    bool operator==(const FileSeen& o) const {
        return name == o.name && uninstaller == o.uninstaller && mask == o.mask && size == o.size &&
               hash == o.hash && ended == o.ended;
    }
};

class Sink : public PackageStreamParser::Sink {
public:
    std::vector<FileSeen> files;
    unsigned platform = 0;

    void BeginFile(const PackageStreamParser::File& f) override {
        Require(files.empty() || files.back().ended);
        Require(PackageStreamParser::IsSelected(f.platformMask, platform));
        Require(f.uninstaller || !f.name.empty());
        Require(f.name.find('\0') == std::string::npos);
        files.push_back(FileSeen{f.name, f.uninstaller, f.platformMask});
    }
    void FileData(const uint8_t* bytes, size_t count) override {
        Require(count > 0 && !files.empty() && !files.back().ended);
        FileSeen& f = files.back();
        f.size += count;
        for (size_t i = 0; i < count; ++i) f.hash = (f.hash ^ bytes[i]) * 1099511628211ULL;
    }
    void EndFile() override {
        Require(!files.empty() && !files.back().ended);
        files.back().ended = true;
    }
};

struct Outcome {
    std::vector<FileSeen> files;
    std::string error;
    bool operator==(const Outcome& o) const { return files == o.files && error == o.error; }
};

// Pieces of pseudo-random length from the seed; seed 0 feeds everything at once.
template <class Feed>
void Cut(const uint8_t* data, size_t size, uint8_t seed, Feed feed) {
    uint32_t x = seed;
    size_t pos = 0;
    while (pos < size) {
        size_t n = size - pos;
        if (seed != 0) {
            x = x * 1103515245u + 12345u;
            n = std::min<size_t>(n, 1 + ((x >> 16) % 9 == 0 ? (x >> 8) % 5000 : (x >> 16) % 7));
        }
        feed(data + pos, n);
        pos += n;
    }
}

Outcome ParseStream(const uint8_t* data, size_t size, unsigned platform, uint8_t seed) {
    Outcome out;
    Sink sink;
    sink.platform = platform;
    try {
        PackageStreamParser parser(sink, platform);
        Cut(data, size, seed, [&](const uint8_t* p, size_t n) { parser.ProcessOutBytes(p, n); });
        parser.Finish();
        for (const FileSeen& f : sink.files) Require(f.ended);
    } catch (const InstallError& e) {
        out.error = e.what();
        Require(!out.error.empty());
    }
    out.files = sink.files;
    return out;
}

Outcome DecodeAndParse(const uint8_t* data, size_t size, unsigned platform) {
    Outcome out;
    Sink sink;
    sink.platform = platform;
    // The dictionary is as large as the declared size allows: keep each run small and short.
    if (size >= LzmaAloneDecoder::HeaderSize) {
        uint64_t declared = 0;
        for (int i = 7; i >= 0; --i) declared = (declared << 8) | data[5 + i];
        if (declared > (1u << 20) && declared != UINT64_MAX) return out;
    }
    try {
        LzmaAloneDecoder decoder(data, size);
        PackageStreamParser parser(sink, platform);
        uint64_t produced = 0;
        for (auto p = decoder.Next(); p.count; p = decoder.Next()) {
            Require(p.count <= LzmaAloneDecoder::PieceSize);
            produced += p.count;
            Require(produced <= decoder.UnpackedSize());
            parser.ProcessOutBytes(p.bytes, p.count);
        }
        Require(produced == decoder.UnpackedSize());
        parser.Finish();
    } catch (const InstallError& e) {
        out.error = e.what();
        Require(!out.error.empty());
    }
    out.files = sink.files;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const unsigned platform = (data[0] & 1) ? 2u : 1u;
    const bool decoderMode = (data[0] & 2) != 0;
    const uint8_t seed = data[1];
    data += 2;
    size -= 2;
    if (decoderMode) {
        DecodeAndParse(data, size, platform);
        return 0;
    }
    const Outcome whole = ParseStream(data, size, platform, 0);
    Require(ParseStream(data, size, platform, seed | 1) == whole);
    return 0;
}
