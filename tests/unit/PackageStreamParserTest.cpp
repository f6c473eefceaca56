#include "installer/actions/PackageStreamParser.h"

#include "NoCrtLib/InstallError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr unsigned Nt = 2;      // VER_PLATFORM_WIN32_NT
constexpr unsigned Win9x = 1;   // VER_PLATFORM_WIN32_WINDOWS

using Bytes = std::string;

Bytes Msg(uint8_t type, const Bytes& payload) {
    uint32_t n = static_cast<uint32_t>(payload.size());
    Bytes m;
    m += static_cast<char>(type);
    m += static_cast<char>(n >> 24);
    m += static_cast<char>(n >> 16);
    m += static_cast<char>(n >> 8);
    m += static_cast<char>(n);
    return m + payload;
}
Bytes Name(const Bytes& n) { return Msg(1, n); }
Bytes Uninstaller() { return Msg(2, ""); }
Bytes Mask(uint8_t m) { return Msg(3, Bytes(1, static_cast<char>(m))); }
Bytes Data(const Bytes& d) { return Msg(101, d); }

// Records what callers of the parser see; adjacent data pieces are merged so that
// differently split streams compare equal when they carry the same files.
class RecordingSink : public PackageStreamParser::Sink {
public:
    std::vector<std::string> events;

    void BeginFile(const PackageStreamParser::File& f) override {
        events.push_back("begin " + f.name + (f.uninstaller ? " uninstaller" : "") + " mask=" +
                         std::to_string(f.platformMask));
        m_inData = false;
    }
    void FileData(const uint8_t* bytes, size_t count) override {
        EXPECT_GT(count, 0u);
        std::string piece(reinterpret_cast<const char*>(bytes), count);
        if (m_inData)
            events.back() += piece;
        else
            events.push_back("data " + piece);
        m_inData = true;
    }
    void EndFile() override {
        events.push_back("end");
        m_inData = false;
    }

private:
    bool m_inData = false;
};

struct Outcome {
    std::vector<std::string> events;
    std::string error;   // empty when the stream was accepted
};

// Feeds the stream in pieces ending at the given offsets, then finishes it.
Outcome Parse(const Bytes& stream, unsigned platform, const std::vector<size_t>& cuts = {}) {
    Outcome out;
    RecordingSink sink;
    try {
        PackageStreamParser parser(sink, platform);
        size_t pos = 0;
        std::vector<size_t> ends = cuts;
        ends.push_back(stream.size());
        for (size_t end : ends) {
            parser.ProcessOutBytes(reinterpret_cast<const uint8_t*>(stream.data()) + pos, end - pos);
            pos = end;
        }
        parser.Finish();
    } catch (const InstallError& e) {
        out.error = e.what();
    }
    out.events = sink.events;
    return out;
}

using Events = std::vector<std::string>;

struct Case {
    const char* what;
    Bytes stream;
    unsigned platform;
    Events events;
    std::string error;
};

const std::string HeaderSizeError = "WriteFilesFromLzmaStream::ProcessOutBytes(): unsupported header message size ";
const std::string TypeError = "WriteFilesFromLzmaStream::ProcessHeader() - unsupported header message type ";
const std::string NoNameError = "WriteFilesFromLzmaStream::ProcessData() - file to write has no name";
const std::string TruncatedError =
    "WriteFilesFromLzmaStream::ProcessOutBytes(): package stream ends inside a message";

std::vector<Case> Cases() {
    const Bytes variants = Name("agent.exe") + Mask(1) + Data("NT build") +  //
                           Name("agent.exe") + Mask(2) + Data("9x build");
    return {
        {"empty stream", "", Nt, {}, ""},
        {"one file", Name("a.txt") + Data("hello"), Nt, {"begin a.txt mask=3", "data hello", "end"}, ""},
        {"two files in order", Name("a") + Data("1") + Name("b") + Data("22"), Nt,
         {"begin a mask=3", "data 1", "end", "begin b mask=3", "data 22", "end"}, ""},
        {"mask 1 is written on NT", Name("a") + Mask(1) + Data("x"), Nt, {"begin a mask=1", "data x", "end"}, ""},
        {"mask 1 is skipped on 9x", Name("a") + Mask(1) + Data("x"), Win9x, {}, ""},
        {"mask 2 is written on 9x", Name("a") + Mask(2) + Data("x"), Win9x, {"begin a mask=2", "data x", "end"}, ""},
        {"mask 2 is skipped on NT", Name("a") + Mask(2) + Data("x"), Nt, {}, ""},
        {"mask 3 is written on 9x", Name("a") + Mask(3) + Data("x"), Win9x, {"begin a mask=3", "data x", "end"}, ""},
        {"mask 0 is skipped everywhere", Name("a") + Mask(0) + Data("x") + Name("b") + Data("y"), Win9x,
         {"begin b mask=3", "data y", "end"}, ""},
        {"unknown platform ids count as 9x", Name("a") + Mask(2) + Data("x"), 0, {"begin a mask=2", "data x", "end"},
         ""},
        {"NT variant chosen on NT", variants, Nt, {"begin agent.exe mask=1", "data NT build", "end"}, ""},
        {"9x variant chosen on 9x", variants, Win9x, {"begin agent.exe mask=2", "data 9x build", "end"}, ""},
        {"mask returns to both after a group", Name("a") + Mask(1) + Data("x") + Name("b") + Data("y"), Win9x,
         {"begin b mask=3", "data y", "end"}, ""},
        {"name is kept into the next group", Name("a") + Mask(1) + Data("x") + Mask(2) + Data("y"), Win9x,
         {"begin a mask=2", "data y", "end"}, ""},
        {"empty mask payload leaves the mask", Name("a") + Mask(1) + Msg(3, "") + Data("x"), Win9x, {}, ""},
        {"further mask bytes are ignored", Name("a") + Msg(3, "\x02\x01") + Data("x"), Win9x,
         {"begin a mask=2", "data x", "end"}, ""},
        {"last of several names wins", Name("a") + Name("b") + Data("x"), Nt, {"begin b mask=3", "data x", "end"}, ""},
        {"uninstaller flag", Name("setup.exe") + Uninstaller() + Data("MZ"), Nt,
         {"begin setup.exe uninstaller mask=3", "data MZ", "end"}, ""},
        {"uninstaller payload is ignored", Msg(2, "anything") + Data("MZ"), Nt, {"begin  uninstaller mask=3", "data MZ", "end"},
         ""},
        {"uninstaller flag is cleared by the next group", Name("u") + Uninstaller() + Data("1") + Name("b") + Data("2"), Nt,
         {"begin u uninstaller mask=3", "data 1", "end", "begin b mask=3", "data 2", "end"}, ""},
        {"skipped uninstaller", Uninstaller() + Mask(2) + Data("MZ"), Nt, {}, ""},
        {"data messages in a row continue the file", Name("a") + Data("12") + Data("") + Data("34"), Nt,
         {"begin a mask=3", "data 1234", "end"}, ""},
        {"empty file at the end", Name("a") + Data("x") + Name("empty") + Data(""), Nt,
         {"begin a mask=3", "data x", "end", "begin empty mask=3", "end"}, ""},
        {"name group without data makes no file", Name("a") + Data("x") + Name("b"), Nt, {"begin a mask=3", "data x", "end"},
         ""},
        {"name ends at an embedded NUL", Name(Bytes("ab\0cd", 5)) + Data("x"), Nt, {"begin ab mask=3", "data x", "end"}, ""},
        {"name in a subfolder", Name("doc\\readme.txt") + Data("x"), Nt, {"begin doc\\readme.txt mask=3", "data x", "end"},
         ""},
        {"dots inside a name", Name("..a..b") + Data("x"), Nt, {"begin ..a..b mask=3", "data x", "end"}, ""},
        {"header of 4096 bytes", Name(Bytes(4096, 'n')) + Data("x"), Nt,
         {"begin " + Bytes(4096, 'n') + " mask=3", "data x", "end"}, ""},
        {"header of 4097 bytes", Name(Bytes(4097, 'n')) + Data("x"), Nt, {}, HeaderSizeError + "4097, maximum: 4096"},
        {"oversized unknown header", Msg(7, Bytes(70000, 'z')), Nt, {}, HeaderSizeError + "70000, maximum: 4096"},
        {"data is not limited to the header size", Name("big") + Data(Bytes(70000, 'd')), Nt,
         {"begin big mask=3", "data " + Bytes(70000, 'd'), "end"}, ""},
        {"type 4", Name("a") + Msg(4, "") + Data("x"), Nt, {}, TypeError + "4"},
        {"type 0", Msg(0, "abc"), Nt, {}, TypeError + "0"},
        {"type 255", Msg(255, ""), Nt, {}, TypeError + "255"},
        {"unknown type after data closes the file first", Name("a") + Data("x") + Msg(100, "q"), Nt,
         {"begin a mask=3", "data x", "end"}, TypeError + "100"},
        {"data before any name", Data("x"), Nt, {}, NoNameError},
        {"empty name", Name("") + Data("x"), Nt, {}, NoNameError},
        {"unnamed file that is skipped", Mask(1) + Data("x"), Win9x, {}, ""},
        {"parent folder name", Name("..\\evil.exe") + Data("x"), Nt, {},
         "WriteFilesFromLzmaStream::ProcessData() - file name '..\\evil.exe' leaves the target folder"},
        {"parent folder inside a name", Name("a/../../evil.exe") + Data("x"), Nt, {},
         "WriteFilesFromLzmaStream::ProcessData() - file name 'a/../../evil.exe' leaves the target folder"},
        {"drive path", Name("C:\\evil.exe") + Data("x"), Nt, {},
         "WriteFilesFromLzmaStream::ProcessData() - file name 'C:\\evil.exe' leaves the target folder"},
        {"rooted path", Name("\\evil.exe") + Data("x"), Nt, {},
         "WriteFilesFromLzmaStream::ProcessData() - file name '\\evil.exe' leaves the target folder"},
        {"stream ends after a type", Name("a") + Data("x") + "\x01", Nt, {"begin a mask=3", "data x"}, TruncatedError},
        {"stream ends inside a length", Name("a") + Data("x") + Bytes("\x01\x00\x00", 3), Nt,
         {"begin a mask=3", "data x"}, TruncatedError},
        {"stream ends inside a header", Name("a") + Data("x") + Name("bcd").substr(0, 7), Nt, {"begin a mask=3", "data x"},
         TruncatedError},
        {"stream ends inside data", Name("a") + Data("xyz").substr(0, 7), Nt, {"begin a mask=3", "data xy"},
         TruncatedError},
    };
}

TEST(PackageStreamParser, ReportsFilesAndFailuresOfEachStream) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.what);
        Outcome out = Parse(c.stream, c.platform);
        EXPECT_EQ(out.error, c.error);
        EXPECT_EQ(out.events, c.events);
    }
}

TEST(PackageStreamParser, GivesTheSameResultWhereverTheStreamIsSplitInTwo) {
    for (const Case& c : Cases()) {
        if (c.stream.size() > 200) continue;   // the long cases get the coarser test below
        SCOPED_TRACE(c.what);
        for (size_t cut = 0; cut <= c.stream.size(); ++cut) {
            SCOPED_TRACE("cut at " + std::to_string(cut));
            Outcome out = Parse(c.stream, c.platform, {cut});
            ASSERT_EQ(out.error, c.error);
            ASSERT_EQ(out.events, c.events);
        }
    }
}

TEST(PackageStreamParser, GivesTheSameResultFedOneByteAtATime) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.what);
        std::vector<size_t> cuts;
        for (size_t i = 1; i < c.stream.size(); ++i) cuts.push_back(i);
        Outcome out = Parse(c.stream, c.platform, cuts);
        EXPECT_EQ(out.error, c.error);
        EXPECT_EQ(out.events, c.events);
    }
}

TEST(PackageStreamParser, GivesTheSameResultForEveryPairOfSplitsOfAPackage) {
    const Bytes stream = Name("quarnelix.exe") + Data("MZ main") + Name("agent.exe") + Mask(1) + Data("nt") +
                         Name("agent.exe") + Mask(2) + Data("9x") + Name("setup") + Uninstaller() + Data("u") +
                         Name("empty.txt") + Data("") + Name("readme.txt") + Data("read") + Data("me");
    const Events expected = {"begin quarnelix.exe mask=3", "data MZ main", "end",   //
                             "begin agent.exe mask=1", "data nt", "end",            //
                             "begin setup uninstaller mask=3", "data u", "end",     //
                             "begin empty.txt mask=3", "end",                       //
                             "begin readme.txt mask=3", "data readme", "end"};
    ASSERT_EQ(Parse(stream, Nt).events, expected);
    for (size_t a = 0; a <= stream.size(); ++a) {
        for (size_t b = a; b <= stream.size(); ++b) {
            Outcome out = Parse(stream, Nt, {a, b});
            ASSERT_EQ(out.error, "") << "cuts " << a << ", " << b;
            ASSERT_EQ(out.events, expected) << "cuts " << a << ", " << b;
        }
    }
}

TEST(PackageStreamParser, LongMessagesSplitAcrossPiecesOfDecoderSize) {
    // A name of the full header size and a data message straddling 128 KiB pieces.
    const Bytes name(4096, 'n');
    const Bytes data(300000, 'd');
    const Bytes stream = Name("x") + Data("1") + Name(name) + Data(data) + Name("y") + Data("2");
    const Events expected = {"begin x mask=3", "data 1", "end", "begin " + name + " mask=3", "data " + data, "end",
                             "begin y mask=3", "data 2", "end"};
    for (size_t piece : {size_t(1), size_t(7), size_t(4096), size_t(4097), size_t(0x20000)}) {
        std::vector<size_t> cuts;
        for (size_t at = piece; at < stream.size(); at += piece) cuts.push_back(at);
        Outcome out = Parse(stream, Nt, cuts);
        EXPECT_EQ(out.error, "") << "piece " << piece;
        EXPECT_EQ(out.events, expected) << "piece " << piece;
    }
}

TEST(PackageStreamParser, SelectsByPlatformBit) {
    struct Row {
        uint8_t mask;
        bool onNt, on9x;
    };
    for (Row r : {Row{0, false, false}, Row{1, true, false}, Row{2, false, true}, Row{3, true, true},
                  Row{0xFD, true, false}, Row{0xFE, false, true}}) {
        EXPECT_EQ(PackageStreamParser::IsSelected(r.mask, Nt), r.onNt) << int(r.mask);
        EXPECT_EQ(PackageStreamParser::IsSelected(r.mask, Win9x), r.on9x) << int(r.mask);
    }
}

}  // namespace
