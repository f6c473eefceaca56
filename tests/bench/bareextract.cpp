// bareextract <package file> <target folder>: decodes an installer package and writes the
// files it carries for the NT family, with nothing else: no messages per file, no checks,
// no records. The reference for what decoding and creating files costs under Wine.
// Prints the file count, the bytes written and its own time.
#include <windows.h>

#include <LzmaDec.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void* Alloc(void*, size_t size) { return size ? std::malloc(size) : nullptr; }
void Free(void*, void* address) { std::free(address); }
ISzAlloc g_alloc = {Alloc, Free};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "bareextract: %s (error %lu)\n", what, GetLastError());
    std::exit(1);
}

struct Writer {
    std::string folder, name;
    HANDLE file = INVALID_HANDLE_VALUE;
    uint8_t mask = 3;
    bool inData = false;
    unsigned files = 0;
    uint64_t bytes = 0;

    void Header(uint8_t type, const uint8_t* payload, uint32_t length) {
        if (inData) {
            Close();
            inData = false;
            mask = 3;
        }
        if (type == 1) name.assign(reinterpret_cast<const char*>(payload), length);
        if (type == 3 && length) mask = payload[0];
    }
    void Data(const uint8_t* bytes, uint32_t count) {
        if (!inData) {
            inData = true;
            if (mask & 1) {
                file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
                if (file == INVALID_HANDLE_VALUE) Fail("CreateFile");
                ++files;
            }
        }
        if (file == INVALID_HANDLE_VALUE || !count) return;
        DWORD written = 0;
        if (!WriteFile(file, bytes, count, &written, nullptr) || written != count) Fail("WriteFile");
        this->bytes += count;
    }
    void Close() {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
};

// The message stream: type, 32-bit big-endian length, payload; fed in arbitrary pieces.
struct Parser {
    explicit Parser(Writer& writer) : out(writer) {}
    Writer& out;
    int state = 0;   // 0 type, 1 length, 2 header payload, 3 file data
    uint8_t type = 0;
    uint32_t length = 0, expected = 0, collected = 0;
    uint8_t header[4096];

    void Feed(const uint8_t* p, size_t n) {
        while (n) {
            if (state == 0) {
                type = *p++, --n;
                length = 0, expected = 4, state = 1;
            } else if (state == 1) {
                length = (length << 8) | *p++, --n;
                if (--expected) continue;
                expected = length, collected = 0;
                if (type == 101) {
                    state = 3;
                    if (!length) out.Data(nullptr, 0), state = 0;
                } else {
                    if (length > sizeof header) Fail("header too long");
                    state = 2;
                    if (!length) out.Header(type, header, 0), state = 0;
                }
            } else {
                uint32_t take = expected < n ? expected : static_cast<uint32_t>(n);
                if (state == 2) {
                    std::memcpy(header + collected, p, take);
                    collected += take;
                } else {
                    out.Data(p, take);
                }
                p += take, n -= take, expected -= take;
                if (!expected) {
                    if (state == 2) out.Header(type, header, collected);
                    state = 0;
                }
            }
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bareextract <package file> <target folder>\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);

    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot open the package");
    DWORD size = GetFileSize(file, nullptr);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) Fail("CreateFileMapping");
    auto* stream = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    if (!stream || size < 13) Fail("cannot map the package");

    uint64_t remaining = 0;
    for (int i = 7; i >= 0; --i) remaining = (remaining << 8) | stream[5 + i];
    CLzmaDec dec;
    LzmaDec_Construct(&dec);
    if (LzmaDec_Allocate(&dec, stream, LZMA_PROPS_SIZE, &g_alloc) != SZ_OK) Fail("LzmaDec_Allocate");
    LzmaDec_Init(&dec);

    Writer writer;
    writer.folder = argv[2];
    Parser parser(writer);
    static uint8_t piece[0x20000];
    const uint8_t* in = stream + 13;
    SizeT inLeft = size - 13;
    while (remaining) {
        SizeT produced = remaining < sizeof piece ? static_cast<SizeT>(remaining) : sizeof piece;
        SizeT consumed = inLeft;
        ELzmaStatus status;
        if (LzmaDec_DecodeToBuf(&dec, piece, &produced, in, &consumed, LZMA_FINISH_ANY, &status) != SZ_OK ||
            produced == 0)
            Fail("LzmaDecode");
        in += consumed, inLeft -= consumed, remaining -= produced;
        parser.Feed(piece, produced);
    }
    writer.Close();
    LzmaDec_Free(&dec, &g_alloc);
    QueryPerformanceCounter(&end);
    std::printf("bareextract: %u files, %llu bytes, %.6f s\n", writer.files,
                static_cast<unsigned long long>(writer.bytes),
                double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    return 0;
}
