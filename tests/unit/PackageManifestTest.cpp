#include "tools/PackageManifest.h"

#include "NoCrtLib/InstallError.h"
#include "installer/actions/PackageStreamParser.h"
#include "platform/VersionTriple.h"
#include "tools/PackageStreamWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Describe(const PackageManifest& m) {
    std::string out;
    for (const PackageManifest::Entry& e : m.Entries())
        out += std::to_string(e.line) + ":" + std::to_string(e.platformMask) + (e.uninstaller ? "u" : "") + ":" +
               e.source + ">" + e.name + ";";
    return out;
}

std::string ParseError(const std::string& text) {
    try {
        PackageManifest::Parse(text, "test.manifest");
    } catch (const PackageManifest::Err& e) {
        return e.what();
    }
    return "(accepted)";
}

TEST(PackageManifest, ReadsEntriesInOrder) {
    struct Row {
        const char* what;
        std::string text;
        std::string entries;
    };
    for (const Row& r : {
             Row{"columns", "all - quarnelix.exe\n", "1:3:quarnelix.exe>quarnelix.exe;"},
             Row{"platforms and renames",
                 "# comment\n\nnt - qxagent-nt.exe qxagent.exe\n9x - qxagent-9x.exe qxagent.exe\n",
                 "3:1:qxagent-nt.exe>qxagent.exe;4:2:qxagent-9x.exe>qxagent.exe;"},
             Row{"uninstaller flag", "all uninstaller stub.exe\n", "1:3u:stub.exe>stub.exe;"},
             Row{"subfolder names use backslashes", "all - doc/guide.txt\n", "1:3:doc/guide.txt>doc\\guide.txt;"},
             Row{"quoted names and trailing comments",
                 "all\t-  \"Read Me.txt\"   \"Read Me First.txt\"  # shown after install\r\n",
                 "1:3:Read Me.txt>Read Me First.txt;"},
             Row{"same name on different platforms", "nt - a b\n9x - c B\n", "1:1:a>b;2:2:c>B;"},
         }) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(Describe(PackageManifest::Parse(r.text, "test.manifest")), r.entries);
    }
}

TEST(PackageManifest, RefusesMistakesWithTheirLine) {
    struct Row {
        std::string text;
        std::string error;
    };
    for (const Row& r : {
             Row{"", "test.manifest: lists no file"},
             Row{"# only a comment\n", "test.manifest: lists no file"},
             Row{"all -\n", "test.manifest:1: expected: <platforms> <flags> <source> [<name in package>]"},
             Row{"all - a b c\n", "test.manifest:1: expected: <platforms> <flags> <source> [<name in package>]"},
             Row{"\nwin - a\n", "test.manifest:2: unknown platforms 'win' (all, nt or 9x)"},
             Row{"all hidden a\n", "test.manifest:1: unknown flags 'hidden' (- or uninstaller)"},
             Row{"all - \"a b\n", "test.manifest:1: unterminated quoted name"},
             Row{"all - \"a\"b\n", "test.manifest:1: blank expected after a quoted name"},
             Row{"all - ../secret\n", "test.manifest:1: source '../secret' has a '..' component"},
             Row{"all - /etc/passwd\n",
                 "test.manifest:1: source '/etc/passwd' has an empty component (absolute path or doubled separator)"},
             Row{"all - a ..\\a\n", "test.manifest:1: name '..\\a' has a '..' component"},
             Row{"all - a C:\\a\n", "test.manifest:1: name 'C:\\a' has a character not allowed in a file name"},
             Row{"all - a \\a\n",
                 "test.manifest:1: name '\\a' has an empty component (absolute path or doubled separator)"},
             Row{"all - a b/c\n", "test.manifest:1: name 'b/c' has a character not allowed in a file name"},
             Row{"all - a \"b.\"\n", "test.manifest:1: name 'b.' has a component ending in a dot or a blank"},
             Row{"all - a \"b?\"\n", "test.manifest:1: name 'b?' has a character not allowed in a file name"},
             Row{"all - aux.h\n", "test.manifest:1: name 'aux.h' has a component that is a device name"},
             Row{"all - a doc\\Con\\x\n", "test.manifest:1: name 'doc\\Con\\x' has a component that is a device name"},
             Row{"all - a \"nul .txt\"\n", "test.manifest:1: name 'nul .txt' has a component that is a device name"},
             Row{"all - a LPT9.tar.gz\n", "test.manifest:1: name 'LPT9.tar.gz' has a component that is a device name"},
             Row{"all - a com1\n", "test.manifest:1: name 'com1' has a component that is a device name"},
             Row{"all - a " + std::string(4097, 'n') + "\n", "test.manifest:1: name is longer than 4096 bytes"},
             Row{"all - a x\nnt - b X\n", "test.manifest:2: name 'X' is already used for the same platform on line 1"},
             Row{"9x - a x\nall - b x\n", "test.manifest:2: name 'x' is already used for the same platform on line 1"},
             Row{"all uninstaller a\nnt uninstaller b\n",
                 "test.manifest:2: a second uninstaller for the same platform (first on line 1)"},
         }) {
        SCOPED_TRACE(r.text.substr(0, 40));
        EXPECT_EQ(ParseError(r.text), r.error);
    }
}

TEST(PackageManifest, AcceptsNamesThatOnlyResembleDevices) {
    PackageManifest m = PackageManifest::Parse("all - a console.txt\nall - a com\\x\nall - a com0\n"
                                               "all - a lpt10\nall - a auxiliary.h\nall - a x.nul\n", "m");
    EXPECT_EQ(m.Entries().size(), 6u);
}

// The installer refuses some names when it meets them; a package the build wrote must never
// get that far, so the manifest refuses each of them first.
TEST(PackageManifest, RefusesEveryNameTheInstallerRefuses) {
    struct NullSink : PackageStreamParser::Sink {
        void BeginFile(const PackageStreamParser::File&) override {}
        void FileData(const uint8_t*, size_t) override {}
        void EndFile() override {}
    };
    for (const std::string& name :
         {std::string(), std::string("\0a", 2), std::string("C:\\a"), std::string("a:b"), std::string("\\a"),
          std::string("/a"), std::string(".."), std::string("..\\a"), std::string("a\\..\\..\\b"),
          std::string("a/../b"), std::string(4097, 'n')}) {
        SCOPED_TRACE(name.substr(0, 20));
        PackageStreamWriter writer;
        writer.AddFile(name, 3, false, reinterpret_cast<const uint8_t*>("x"), 1);
        NullSink sink;
        PackageStreamParser parser(sink, PlatformNT);
        const std::vector<uint8_t>& stream = writer.Stream();
        EXPECT_THROW(parser.ProcessOutBytes(stream.data(), stream.size()), InstallError);
        EXPECT_NE(ParseError("all - a \"" + name + "\"\n"), "(accepted)");
    }
}

TEST(PackageManifest, AcceptsANameOfTheFullHeaderSize) {
    PackageManifest m = PackageManifest::Parse("all - a " + std::string(4096, 'n') + "\n", "m");
    ASSERT_EQ(m.Entries().size(), 1u);
    EXPECT_EQ(m.Entries()[0].name.size(), 4096u);
}

}  // namespace
