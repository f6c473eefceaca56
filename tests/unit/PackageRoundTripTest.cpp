// The build's writer and encoder against the installer's decoder and parser.
#include "NoCrtLib/InstallError.h"
#include "installer/Preflight.h"
#include "installer/actions/LzmaAloneDecoder.h"
#include "installer/actions/PackageStreamParser.h"
#include "tools/LzmaAloneEncoder.h"
#include "tools/PackageStreamWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

struct Installed {
    std::vector<std::string> order;
    std::map<std::string, std::string> contents;
};

class CollectingSink : public PackageStreamParser::Sink {
public:
    Installed installed;
    void BeginFile(const PackageStreamParser::File& f) override {
        m_current = f.uninstaller ? "<uninstaller>" : f.name;
        installed.order.push_back(m_current);
        installed.contents[m_current];
    }
    void FileData(const uint8_t* b, size_t n) override {
        installed.contents[m_current].append(reinterpret_cast<const char*>(b), n);
    }
    void EndFile() override { m_current.clear(); }

private:
    std::string m_current;
};

std::string Pattern(size_t size, char seed) {
    std::string s;
    for (size_t i = 0; i < size; ++i) s.push_back(static_cast<char>(seed + (i * 7 + i / 1000) % 50));
    return s;
}

Installed Install(const std::vector<uint8_t>& package, unsigned platform) {
    CollectingSink sink;
    LzmaAloneDecoder decoder(package.data(), package.size());
    PackageStreamParser parser(sink, platform);
    for (auto p = decoder.Next(); p.count; p = decoder.Next()) parser.ProcessOutBytes(p.bytes, p.count);
    parser.Finish();
    return sink.installed;
}

TEST(PackageRoundTrip, InstallsWhatTheBuildPacked) {
    const std::string big = Pattern(400000, 'A');   // spans several decoded pieces
    const std::string nt = Pattern(5000, 'n'), w9x = Pattern(6000, 'w');
    PackageStreamWriter w;
    auto add = [&](const std::string& name, uint8_t mask, bool uninstaller, const std::string& data) {
        w.AddFile(name, mask, uninstaller, reinterpret_cast<const uint8_t*>(data.data()), data.size());
    };
    add("quarnelix.exe", 3, false, big);
    add("qxagent.exe", 1, false, nt);
    add("qxagent.exe", 2, false, w9x);
    add("empty.txt", 3, false, "");
    add("stub.exe", 3, true, "MZ");
    add("readme.txt", 3, false, "Read me");
    const std::vector<uint8_t> package = LzmaAloneEncoder::Encode(w.Stream());

    Installed onNt = Install(package, 2);
    EXPECT_EQ(onNt.order, (std::vector<std::string>{"quarnelix.exe", "qxagent.exe", "empty.txt", "<uninstaller>",
                                                    "readme.txt"}));
    EXPECT_TRUE(onNt.contents["quarnelix.exe"] == big);
    EXPECT_TRUE(onNt.contents["qxagent.exe"] == nt);
    EXPECT_EQ(onNt.contents["empty.txt"], "");
    EXPECT_EQ(onNt.contents["<uninstaller>"], "MZ");
    EXPECT_EQ(onNt.contents["readme.txt"], "Read me");

    Installed on9x = Install(package, 1);
    EXPECT_EQ(on9x.order, onNt.order);
    EXPECT_TRUE(on9x.contents["qxagent.exe"] == w9x);

    // The pre-flight counts, from the build's record, what the parser writes on each platform.
    StreamFacts facts;
    facts.files = {{3, 400000, ""}, {1, 5000, ""}, {2, 6000, ""}, {3, 0, ""}, {3, 2, ""}, {3, 7, ""}};
    for (const auto& [platform, installed] : {std::pair(2u, &onNt), std::pair(1u, &on9x)}) {
        std::vector<std::uint64_t> written;
        for (const std::string& name : installed->order) written.push_back(installed->contents.at(name).size());
        EXPECT_EQ(PackageFileSizes(facts, platform), written) << platform;
    }
}

TEST(PackageRoundTrip, PreflightRefusesAnEndMarkerWithTheDecodersText) {
    PackageStreamWriter w;
    w.AddFile("f", 3, false, reinterpret_cast<const uint8_t*>("data"), 4);
    std::vector<uint8_t> package = LzmaAloneEncoder::Encode(w.Stream());
    std::fill(package.begin() + 5, package.begin() + 13, 0xFF);   // no size: an end marker closes the data
    MemorySource source(package.data(), package.size());
    try {
        LzmaAloneDecoder decoder(source);   // as the pre-flight makes it
        ADD_FAILURE() << "accepted";
    } catch (const InstallError& e) {
        EXPECT_STREQ(e.what(), "WriteFilesFromLzmaStream: end-of-stream marker not supported");
    }
}

TEST(PackageRoundTrip, PacksTheSameBytesEveryTime) {
    PackageStreamWriter a, b;
    const std::string data = Pattern(100000, 'x');
    for (PackageStreamWriter* w : {&a, &b})
        w->AddFile("f", 3, false, reinterpret_cast<const uint8_t*>(data.data()), data.size());
    EXPECT_TRUE(LzmaAloneEncoder::Encode(a.Stream()) == LzmaAloneEncoder::Encode(b.Stream()));
}

TEST(PackageRoundTrip, StatesTheFullDictionaryInTheHeaderWhateverTheSize) {
    for (size_t size : {size_t(0), size_t(10), size_t(300000)}) {
        SCOPED_TRACE(size);
        PackageStreamWriter w;
        const std::string data = Pattern(size, 'd');
        w.AddFile("f", 3, false, reinterpret_cast<const uint8_t*>(data.data()), data.size());
        const std::vector<uint8_t> package = LzmaAloneEncoder::Encode(w.Stream());
        ASSERT_GE(package.size(), 13u);
        const uint32_t dictionary = package[1] | (package[2] << 8) | (package[3] << 16) | (uint32_t(package[4]) << 24);
        EXPECT_EQ(dictionary, 32u << 20);
        Installed installed = Install(package, 2);
        EXPECT_TRUE(installed.contents["f"] == data);
    }
}

}  // namespace
