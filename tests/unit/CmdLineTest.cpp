#include "NoCrtLib/CmdLine.h"

#include "NoCrtLib/AnsiCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QX_HAVE_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(QX_HAVE_ASAN)
#define QX_HAVE_ASAN 1
#endif
#ifdef QX_HAVE_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

const unsigned Installer = CmdLine::ProductSyntax;

std::u16string W(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// ASCII as is, everything else as \uXXXX, so expectations stay readable.
std::string Show(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

// "[positional|...]" then " -name" or " -name=value" for each option in map order.
std::string Describe(const CmdLine& cmd) {
    std::string out = "[";
    for (std::size_t i = 0; i < cmd.Positionals().size(); ++i) {
        if (i) out += "|";
        out += Show(cmd.Args()[cmd.Positionals()[i]].text);
    }
    out += "]";
    for (std::size_t index : cmd.Options()) {
        const CmdLine::Arg& arg = cmd.Args()[index];
        out += " -" + Show(arg.text);
        if (arg.hasValue) out += "=" + Show(arg.value);
    }
    return out;
}

// The text CheckAllTaken throws, or "" when it does not throw.
std::string Leftovers(const CmdLine& cmd, bool includeFirst) {
    try {
        cmd.CheckAllTaken(includeFirst);
    } catch (const CmdLine::Err& e) {
        return e.what();
    }
    return "";
}

struct ParseCase {
    const char* line;
    unsigned flags;
    const char* expected;
};

void ExpectParses(const ParseCase* begin, const ParseCase* end) {
    for (const ParseCase* c = begin; c != end; ++c) {
        CmdLine cmd(W(c->line), c->flags);
        EXPECT_EQ(Describe(cmd), c->expected) << "command line: " << c->line << "  flags: " << c->flags;
    }
}

}  // namespace

TEST(CmdLine, SplitsAtSpacesTabsCarriageReturnsAndLineFeedsOutsideQuotes) {
    const ParseCase cases[] = {
        {"prog a b", Installer, "[prog|a|b]"},
        {"prog\ta\r\nb\n\nc\rd", Installer, "[prog|a|b|c|d]"},
        {" \t\r\n prog  a \t\r\n", Installer, "[prog|a]"},
        {"prog \"a b\" c", Installer, "[prog|a b|c]"},
        {"prog \"a\tb\r\nc\"", Installer, "[prog|a\\u0009b\\u000D\\u000Ac]"},
        {"prog a\"b c\"d e", Installer, "[prog|ab cd|e]"},
        {"prog \"a b", Installer, "[prog|a b]"},
        {"prog \"a b\" \"c", Installer, "[prog|a b|c]"},
        {"prog \"\"a b", Installer, "[prog|a|b]"},
    };
    ExpectParses(std::begin(cases), std::end(cases));
}

TEST(CmdLine, UnescapesBackslashesAndQuotes) {
    const ParseCase cases[] = {
        // A single backslash not before a quote stays; two stand for one.
        {R"(prog C:\Q)", Installer, R"([prog|C:\Q])"},
        {R"(prog \\server\share\q)", Installer, R"([prog|\server\share\q])"},
        {R"(prog a\\\b)", Installer, R"([prog|a\\b])"},
        // Odd and even runs of backslashes before a quote.
        {R"(prog a\"b c)", Installer, R"([prog|a"b|c])"},
        {R"(prog a\\"b c")", Installer, R"([prog|a\b c])"},
        {R"(prog a\\\"b c)", Installer, R"([prog|a\"b|c])"},
        {R"(prog a\\\\"b c")", Installer, R"([prog|a\\b c])"},
        {R"(prog a\\\\\"b c)", Installer, R"([prog|a\\"b|c])"},
        {R"(prog "a\"b c")", Installer, R"([prog|a"b c])"},
        {R"(prog "C:\Q\\" x)", Installer, R"([prog|C:\Q\|x])"},
        // The closing quote right after a backslash is literal: the argument runs on.
        {R"(prog "C:\Q\" x)", Installer, R"([prog|C:\Q" x])"},
        // Backslashes before the argument's start do not escape its opening quote.
        {R"(prog \\ "x y")", Installer, R"([prog|\|x y])"},
        // A doubled quote inside a quoted part is one literal quote.
        {R"(prog "a""b")", Installer, R"([prog|a"b])"},
        {R"(prog "a""b c")", Installer, R"([prog|a"b c])"},
        {R"(prog "a""")", Installer, R"([prog|a"])"},
        {R"(prog """")", Installer, R"([prog|"])"},
        {R"(prog "a"""" b")", Installer, R"([prog|a"" b])"},
        // A lone quote disappears.
        {R"(prog a"b)", Installer, R"([prog|ab])"},
        {R"(prog a""b)", Installer, R"([prog|ab])"},
        {R"(prog "" "x")", Installer, R"([prog|x])"},
        // A quote made literal by a backslash does not end a quoted part.
        {R"(prog "\""" x)", Installer, R"([prog|"" x])"},
    };
    ExpectParses(std::begin(cases), std::end(cases));
}

TEST(CmdLine, EscapeFlagsSwitchTheirRulesOff) {
    const ParseCase cases[] = {
        // Without backslash escapes a backslash is plain and every quote switches.
        {R"(prog a\"b c" d)", 0, R"([prog|a\b c|d])"},
        {R"(prog \\server\share)", 0, R"([prog|\\server\share])"},
        {R"(prog \\server\share)", CmdLine::DoubledQuotes, R"([prog|\\server\share])"},
        // Without doubled quotes "" is an empty quoted part.
        {R"(prog "a""b")", CmdLine::BackslashEscapes, R"([prog|ab])"},
        {R"(prog "a""b c")", CmdLine::BackslashEscapes, R"([prog|ab c])"},
        {R"(prog "a""b")", CmdLine::DoubledQuotes, R"([prog|a"b])"},
        {R"(prog a\"b)", CmdLine::BackslashEscapes, R"([prog|a"b])"},
    };
    ExpectParses(std::begin(cases), std::end(cases));
}

TEST(CmdLine, WithQuoteRunsOnlyBackslashesCountOnlyBeforeAQuote) {
    const unsigned f = Installer | CmdLine::QuoteRunsOnly;
    const ParseCase cases[] = {
        {R"(prog \\server\share\q)", f, R"([prog|\\server\share\q])"},
        {R"(prog a\\\b a\\)", f, R"([prog|a\\\b|a\\])"},
        {R"(prog a\"b c)", f, R"([prog|a"b|c])"},
        {R"(prog a\\"b c")", f, R"([prog|a\b c])"},
        {R"(prog a\\\"b c)", f, R"([prog|a\"b|c])"},
        {R"(prog a\\\\"b c")", f, R"([prog|a\\b c])"},
        {R"(prog "C:\Q\\" x)", f, R"([prog|C:\Q\|x])"},
        {R"(prog "C:\Q\" x)", f, R"([prog|C:\Q" x])"},
        {R"(prog \\ "x y")", f, R"([prog|\\|x y])"},
        {R"(prog "a""b")", f, R"([prog|a"b])"},
        {R"(prog -installDir="\\srv\s\q\\" -acceptEULA)", f, R"([prog] -acceptEULA -installDir=\\srv\s\q\)"},
        // The uninstaller's flags keep halving every pair.
        {R"(prog \\server\share)", Installer, R"([prog|\server\share])"},
    };
    ExpectParses(std::begin(cases), std::end(cases));
}

TEST(CmdLine, DropsArgumentsThatAreEmptyAfterUnescaping) {
    const ParseCase cases[] = {
        {R"(prog "")", Installer, "[prog]"},
        {R"(prog "" a "")", Installer, "[prog|a]"},
        {R"(prog """")", Installer, R"([prog|"])"},
        {R"(prog a ")", Installer, "[prog|a]"},
        {R"(prog "" -x)", Installer, "[prog] -x"},
        {R"(prog "")", CmdLine::BackslashEscapes, "[prog]"},
        {R"(prog " ")", Installer, "[prog| ]"},
    };
    ExpectParses(std::begin(cases), std::end(cases));
    CmdLine cmd(u"prog \"\" \"\"", Installer);
    EXPECT_FALSE(cmd.IsUnattended());
    EXPECT_EQ(Leftovers(cmd, false), "");
}

TEST(CmdLine, TellsPositionalWordsFromOptions) {
    const ParseCase cases[] = {
        {"prog -a -b=1 c", Installer, "[prog|c] -a -b=1"},
        // One character is always positional, so a lone prefix is a word.
        {"prog - / x", Installer, "[prog|-|/|x]"},
        {"prog /x", Installer, "[prog] -x"},
        {"prog /x", CmdLine::BackslashEscapes | CmdLine::DoubledQuotes, "[prog|/x]"},
        {"prog -x=", Installer, "[prog] -x="},
        {"prog -x=a=b", Installer, "[prog] -x=a=b"},
        {"prog -=v", Installer, "[prog] -=v"},
        {"prog -=", Installer, "[prog] -="},
        {"prog --x", Installer, "[prog] --x"},
        {"prog -/x /-x", Installer, "[prog] --x -/x"},
        {"prog x-y a/b", Installer, "[prog|x-y|a/b]"},
        // The prefix may come out of quotes, and the value may hold spaces.
        {R"(prog "-a=b c")", Installer, "[prog] -a=b c"},
        {R"(prog -a="b c")", Installer, "[prog] -a=b c"},
        {R"(prog "-")", Installer, "[prog|-]"},
    };
    ExpectParses(std::begin(cases), std::end(cases));
}

TEST(CmdLine, TheFirstArgumentIsTheProgramNameWhateverItLooksLike) {
    const ParseCase cases[] = {
        {R"("C:\Program Files\Arvendo\QuarnelixInstaller.exe" -acceptEULA)", Installer,
         R"([C:\Program Files\Arvendo\QuarnelixInstaller.exe] -acceptEULA)"},
        {R"(C:\Apps\Setup.exe)", Installer, R"([C:\Apps\Setup.exe])"},
        {"-x.exe -a", Installer, "[-x.exe] -a"},
        {"/apps/setup.exe /a", Installer, "[/apps/setup.exe] -a"},
        {"\"\" stray", Installer, "[|stray]"},
        {"", Installer, "[]"},
        {" \t\r\n", Installer, "[]"},
    };
    ExpectParses(std::begin(cases), std::end(cases));

    CmdLine quoted(u"\"C:\\Program Files\\Arvendo\\QuarnelixInstaller.exe\"", Installer);
    EXPECT_FALSE(quoted.IsUnattended());
    EXPECT_EQ(Leftovers(quoted, false), "");
    EXPECT_EQ(Leftovers(quoted, true), "Invalid command option: C:\\Program Files\\Arvendo\\QuarnelixInstaller.exe.");

    // Without a program name no later word is silently taken for it.
    CmdLine unnamed(u"\"\" stray", Installer);
    EXPECT_TRUE(unnamed.IsUnattended());
    EXPECT_EQ(Leftovers(unnamed, false), "Invalid command option: stray.");
}

TEST(CmdLine, RepeatedOptionKeepsItsRecordAndTakesTheLastValue) {
    const ParseCase cases[] = {
        {R"(prog -installDir=C:\a -installDir=C:\b)", Installer, R"([prog] -installDir=C:\b)"},
        {"prog -x=1 -x", Installer, "[prog] -x"},
        {"prog -x -x=", Installer, "[prog] -x="},
        {"prog -X -x=1 /X=2", Installer, "[prog] -X=2"},
        {"prog -X -x=1", Installer | CmdLine::CaseSensitive, "[prog] -X -x=1"},
    };
    ExpectParses(std::begin(cases), std::end(cases));

    CmdLine cmd(u"prog -b -a=1 x -b=2", Installer);
    ASSERT_EQ(cmd.Args().size(), 4u);   // prog, b, a, x: the second -b has no record of its own
    EXPECT_EQ(Show(cmd.Args()[1].text), "b");
    EXPECT_EQ(Show(cmd.Args()[1].value), "2");
    EXPECT_EQ(cmd.Args()[1].begin, 5);   // the first occurrence's place
    EXPECT_EQ(cmd.Args()[1].end, 7);
}

TEST(CmdLine, OrdersOptionsByNameFoldingOnlyAsciiLetters) {
    const ParseCase cases[] = {
        {"prog -zeta -Alpha -beta", Installer, "[prog] -Alpha -beta -zeta"},
        {"prog -b -A -a", Installer, "[prog] -A -b"},
        {"prog -b -A -a", Installer | CmdLine::CaseSensitive, "[prog] -A -a -b"},
        // Folded, "A" sorts as "a" (0x61), after "[" (0x5B); compared by code it comes first.
        {"prog -[ -A", Installer, "[prog] -[ -A"},
        {"prog -[ -A", Installer | CmdLine::CaseSensitive, "[prog] -A -["},
        {"prog -ab -a -abc", Installer, "[prog] -a -ab -abc"},
    };
    ExpectParses(std::begin(cases), std::end(cases));

    // Letters beyond ASCII are not folded: two records.
    CmdLine cmd(u"prog -\u00C4 -\u00E4 -\u0416 -\u0436", Installer);
    EXPECT_EQ(Describe(cmd), "[prog] -\\u00C4 -\\u00E4 -\\u0416 -\\u0436");
}

TEST(CmdLine, RecordsArgumentPositions) {
    CmdLine cmd(u"prog  -a \"b c\" -d=\"e\"", Installer);
    struct Expected { const char* text; std::uint16_t begin, end; };
    const Expected expected[] = {{"prog", 0, 4}, {"a", 6, 8}, {"b c", 9, 14}, {"d", 15, 21}};
    ASSERT_EQ(cmd.Args().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(Show(cmd.Args()[i].text), expected[i].text);
        EXPECT_EQ(cmd.Args()[i].begin, expected[i].begin) << i;
        EXPECT_EQ(cmd.Args()[i].end, expected[i].end) << i;
    }
    EXPECT_EQ(Show(cmd.Text()), "prog  -a \"b c\" -d=\"e\"");
}

TEST(CmdLine, FlagAndValueTellFlagsFromValuedOptions) {
    struct Case {
        const char* line;
        unsigned flags;
        const char* name;
        bool isFlag;
        bool isValue;
        const char* value;
    };
    const Case cases[] = {
        {"prog -force", Installer, "force", true, false, ""},
        {"prog -force=yes", Installer, "force", false, true, "yes"},
        {"prog -installDir", Installer, "installDir", true, false, ""},
        {"prog -installDir=", Installer, "installDir", false, true, ""},
        {"prog -installDir=\"\"", Installer, "installDir", false, true, ""},
        {"prog /INSTALLDIR=C:\\Q", Installer, "installDir", false, true, "C:\\Q"},
        {"prog -AcceptEula", Installer, "acceptEULA", true, false, ""},
        {"prog -AcceptEula", Installer | CmdLine::CaseSensitive, "acceptEULA", false, false, ""},
        {"prog -acceptEULA", Installer | CmdLine::CaseSensitive, "acceptEULA", true, false, ""},
        {"prog -acceptEULA", Installer, "accept", false, false, ""},
        {"prog -acceptEULA", Installer, "acceptEULAx", false, false, ""},
        {"prog acceptEULA", Installer, "acceptEULA", false, false, ""},
        {"prog /acceptEULA", CmdLine::BackslashEscapes, "acceptEULA", false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CmdLine cmd(W(c.line), c.flags);
        std::u16string value = u"untouched";
        EXPECT_EQ(cmd.Flag(W(c.name), false), c.isFlag);
        EXPECT_EQ(cmd.Value(W(c.name), false, value), c.isValue);
        EXPECT_EQ(Show(value), c.isValue ? c.value : "untouched");
    }
}

TEST(CmdLine, OnlyASuccessfulLookupWithTakeMarksTheArgumentTaken) {
    CmdLine cmd(u"prog -f -v=1 -g -w=2", Installer);
    std::u16string value;
    EXPECT_TRUE(cmd.Flag(u"f", false));        // looked at, not taken
    EXPECT_FALSE(cmd.Flag(u"v", true));        // a valued option is no flag
    EXPECT_FALSE(cmd.Value(u"g", true, value)); // a flag has no value
    EXPECT_TRUE(cmd.Value(u"w", false, value));
    EXPECT_EQ(Leftovers(cmd, false),
              "Invalid command parameter: -f.\nInvalid command parameter: -g.\n"
              "Invalid command parameter: -v=1.\nInvalid command parameter: -w=2.");
    EXPECT_TRUE(cmd.Flag(u"F", true));
    EXPECT_TRUE(cmd.Value(u"V", true, value));
    EXPECT_EQ(Show(value), "1");
    EXPECT_EQ(Leftovers(cmd, false), "Invalid command parameter: -g.\nInvalid command parameter: -w=2.");
    EXPECT_TRUE(cmd.Flag(u"g", true));
    EXPECT_TRUE(cmd.Value(u"w", true, value));
    EXPECT_EQ(Leftovers(cmd, false), "");
    // Taking twice is harmless.
    EXPECT_TRUE(cmd.Flag(u"g", true));
    EXPECT_EQ(Leftovers(cmd, false), "");
}

TEST(CmdLine, HelpIsAFlagNamedQuestionMarkHOrHelp) {
    struct Case { const char* line; unsigned flags; bool help; };
    const Case cases[] = {
        {"prog -?", Installer, true},
        {"prog /?", Installer, true},
        {"prog /h", Installer, true},
        {"prog -H", Installer, true},
        {"prog -HELP", Installer, true},
        {"prog /Help", Installer, true},
        {"prog -x -? stray", Installer, true},
        {"prog -help=1", Installer, false},
        {"prog -?=", Installer, false},
        {"prog -hel", Installer, false},
        {"prog -helps", Installer, false},
        {"prog ?", Installer, false},
        {"prog /?", CmdLine::BackslashEscapes | CmdLine::DoubledQuotes, false},
        {"prog -HELP", Installer | CmdLine::CaseSensitive, false},
        {"prog -help", Installer | CmdLine::CaseSensitive, true},
        {"prog", Installer, false},
    };
    for (const Case& c : cases) {
        CmdLine cmd(W(c.line), c.flags);
        EXPECT_EQ(cmd.HelpRequested(), c.help) << c.line;
    }
    // Asking takes nothing.
    CmdLine cmd(u"prog -?", Installer);
    ASSERT_TRUE(cmd.HelpRequested());
    EXPECT_EQ(Leftovers(cmd, false), "Invalid command parameter: -?.");
}

TEST(CmdLine, UnattendedWhenAnythingBesidesTheProgramNameIsGiven) {
    struct Case { const char* line; bool unattended; };
    const Case cases[] = {
        {"", false},
        {"prog", false},
        {"\"C:\\Program Files\\X\\setup.exe\"", false},
        {"prog \"\"", false},
        {"prog  \t ", false},
        {"prog x", true},
        {"prog -x", true},
        {"prog -", true},
        {"prog -x=", true},
        {"prog \" \"", true},
    };
    for (const Case& c : cases) {
        CmdLine cmd(W(c.line), Installer);
        EXPECT_EQ(cmd.IsUnattended(), c.unattended) << c.line;
    }
}

TEST(CmdLine, ReportsLeftoversWordsFirstThenOptionsInNameOrder) {
    struct Case { const char* line; bool includeFirst; const char* message; };
    const Case cases[] = {
        {"prog", false, ""},
        {"prog", true, "Invalid command option: prog."},
        {"", true, ""},
        {"prog install", false, "Invalid command option: install."},
        {"prog -zeta -alpha", false, "Invalid command parameter: -alpha.\nInvalid command parameter: -zeta."},
        {"prog -site=x", false, "Invalid command parameter: -site=x."},
        {"prog /Site=x", false, "Invalid command parameter: -Site=x."},
        {"prog -x=", false, "Invalid command parameter: -x=."},
        {"prog -x=a=b", false, "Invalid command parameter: -x=a=b."},
        {"prog - /", false, "Invalid command option: -.\nInvalid command option: /."},
        {"prog b -z a -y", true,
         "Invalid command option: prog.\nInvalid command option: b.\nInvalid command option: a.\n"
         "Invalid command parameter: -y.\nInvalid command parameter: -z."},
        {"prog -b -B=2", false, "Invalid command parameter: -b=2."},
        {"prog \"a b\" \"c\"\"d\"", false, "Invalid command option: a b.\nInvalid command option: c\"d."},
    };
    for (const Case& c : cases) {
        CmdLine cmd(W(c.line), Installer);
        EXPECT_EQ(Leftovers(cmd, c.includeFirst), c.message) << c.line;
    }
}

TEST(CmdLine, ErrCarriesItsTextAsATException) {
    CmdLine cmd(u"prog stray", Installer);
    try {
        cmd.CheckAllTaken(false);
        FAIL() << "no error";
    } catch (const TException& e) {
        EXPECT_STREQ(e.what(), "Invalid command option: stray.");
        EXPECT_EQ(e.WideText(), u"Invalid command option: stray.");
    }
    const CmdLine::Err err(AnsiToWide("Missing '-installDir' parameter."));
    EXPECT_STREQ(static_cast<const std::exception&>(err).what(), "Missing '-installDir' parameter.");
}

// The installer reads: installDir (valued), acceptEULA and force (flags).
TEST(CmdLine, InstallerCommandLinesGiveTheirOptions) {
    struct Case {
        const char* tail;
        bool hasDir;
        const char* dir;
        bool acceptEULA;
        bool force;
    };
    const Case cases[] = {
        {R"(-installDir="C:\Program Files\Arvendo Quarnelix" -acceptEULA)", true,
         R"(C:\Program Files\Arvendo Quarnelix)", true, false},
        {R"("-installDir=C:\Program Files\X" -acceptEULA)", true, R"(C:\Program Files\X)", true, false},
        {R"(-installDir=C:"\Program Files"\X)", true, R"(C:\Program Files\X)", false, false},
        {R"(/INSTALLDIR=C:\Q /AcceptEula /FORCE)", true, R"(C:\Q)", true, true},
        {R"(-installDir=\\server\share\q)", true, R"(\server\share\q)", false, false},
        {R"(-installDir="C:\Q\" -acceptEULA)", true, R"(C:\Q" -acceptEULA)", false, false},
        {R"(-installDir=C:\a -installDir=C:\b)", true, R"(C:\b)", false, false},
        {R"(-installDir)", false, "", false, false},
        {R"(-installDir=)", true, "", false, false},
        {R"(-installDir="")", true, "", false, false},
        {R"(-force=yes -installDir=C:\Q -acceptEULA)", true, R"(C:\Q)", true, false},
        {R"(-installDir=C:\Q\ -acceptEULA)", true, R"(C:\Q\)", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        CmdLine cmd(u"QuarnelixInstaller.exe " + W(c.tail), Installer);
        std::u16string dir;
        EXPECT_EQ(cmd.Value(u"installDir", true, dir), c.hasDir);
        EXPECT_EQ(Show(dir), c.dir);
        EXPECT_EQ(cmd.Flag(u"acceptEULA", true), c.acceptEULA);
        EXPECT_EQ(cmd.Flag(u"force", true), c.force);
    }
}

TEST(CmdLine, NonAsciiTextsRoundTrip) {
    const std::u16string folder = u"C:\\\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B\\\u041A\u0432\u0430\u0440\u043D\u0435\u043B\u0438\u043A\u0441";
    CmdLine cmd(u"prog -installDir=\"" + folder + u"\" \u0421\u043B\u043E\u0432\u043E -\u0444=\u00E9", Installer);
    std::u16string dir;
    ASSERT_TRUE(cmd.Value(u"INSTALLDIR", true, dir));
    EXPECT_EQ(dir, folder);
    ASSERT_EQ(cmd.Positionals().size(), 2u);
    EXPECT_EQ(cmd.Args()[cmd.Positionals()[1]].text, u"\u0421\u043B\u043E\u0432\u043E");
    std::u16string value;
    EXPECT_TRUE(cmd.Value(u"\u0444", false, value));
    EXPECT_EQ(value, u"\u00E9");
    EXPECT_FALSE(cmd.Value(u"\u0424", false, value));   // Cyrillic capital: not folded
    // The message goes through the ANSI code page like every other message.
    EXPECT_EQ(Leftovers(cmd, false),
              "Invalid command option: " + WideToAnsi(u"\u0421\u043B\u043E\u0432\u043E") + ".\n" +
              "Invalid command parameter: -" + WideToAnsi(u"\u0444") + "=" + WideToAnsi(u"\u00E9") + ".");
}

TEST(CmdLine, NulsAndLoneSurrogatesAreOrdinaryCharacters) {
    std::u16string line = u"prog a";
    line += char16_t(0);
    line += u"b -\xD800=\xDC00 \xDFFF";
    CmdLine cmd(line, Installer);
    ASSERT_EQ(cmd.Positionals().size(), 3u);
    EXPECT_EQ(cmd.Args()[cmd.Positionals()[1]].text, std::u16string(u"a\0b", 3));
    EXPECT_EQ(cmd.Args()[cmd.Positionals()[2]].text, u"\xDFFF");
    std::u16string value;
    ASSERT_TRUE(cmd.Value(u"\xD800", true, value));
    EXPECT_EQ(value, u"\xDC00");
}

// Windows caps a command line at 32767 characters, but nothing here relies on that: the
// whole text is parsed, and positions that do not fit 16 bits read PositionLimit.
TEST(CmdLine, CommandLinesBeyondSixteenBitPositionsParseWhole) {
    const std::u16string word(69990, u'w');
    const std::u16string line = u"prog " + word + u" -installDir=C:\\Q x";
    ASSERT_GT(line.size(), 70000u);
    CmdLine cmd(line, Installer);
    ASSERT_EQ(cmd.Positionals().size(), 3u);
    const CmdLine::Arg& big = cmd.Args()[cmd.Positionals()[1]];
    EXPECT_EQ(big.text, word);
    EXPECT_EQ(big.begin, 5);
    EXPECT_EQ(big.end, CmdLine::PositionLimit);   // 69995 does not fit
    std::u16string dir;
    ASSERT_TRUE(cmd.Value(u"installDir", true, dir));
    EXPECT_EQ(dir, u"C:\\Q");
    const CmdLine::Arg& option = cmd.Args()[cmd.Options()[0]];
    EXPECT_EQ(option.begin, CmdLine::PositionLimit);
    EXPECT_EQ(option.end, CmdLine::PositionLimit);
    EXPECT_EQ(Leftovers(cmd, false), "Invalid command option: " + WideToAnsi(word) + ".\nInvalid command option: x.");
}

TEST(CmdLine, ManyArgumentsPastTheSixteenBitRangeKeepTheirOrderAndPositions) {
    const std::size_t count = 35000;
    std::u16string line = u"prog";
    for (std::size_t i = 0; i < count; ++i) line += u" x";
    CmdLine cmd(line, Installer);
    ASSERT_EQ(cmd.Positionals().size(), count + 1);
    for (std::size_t i = 1; i <= count; ++i) {
        const CmdLine::Arg& arg = cmd.Args()[cmd.Positionals()[i]];
        const std::size_t begin = 5 + 2 * (i - 1);
        ASSERT_EQ(arg.text, u"x");
        ASSERT_EQ(std::size_t{arg.begin}, std::min<std::size_t>(begin, 0xFFFF)) << i;
        ASSERT_EQ(std::size_t{arg.end}, std::min<std::size_t>(begin + 1, 0xFFFF)) << i;
    }
    const std::string message = Leftovers(cmd, false);
    std::string expected;
    for (std::size_t i = 0; i < count; ++i) expected += i ? "\nInvalid command option: x." : "Invalid command option: x.";
    EXPECT_EQ(message, expected);
}

TEST(CmdLine, ManyDistinctOptionsAreOrderedAndFoundQuickly) {
    const int count = 12000;   // "-o12345" and a separator: about 96000 characters
    std::u16string line = u"prog";
    for (int i = count - 1; i >= 0; --i) line += u" -o" + W(std::to_string(i));
    auto start = std::chrono::steady_clock::now();
    CmdLine cmd(line, Installer);
    ASSERT_EQ(cmd.Options().size(), static_cast<std::size_t>(count));
    for (std::size_t i = 1; i < cmd.Options().size(); ++i)
        ASSERT_LT(cmd.CompareNames(cmd.Args()[cmd.Options()[i - 1]].text, cmd.Args()[cmd.Options()[i]].text), 0);
    for (int i = 0; i < count; ++i) ASSERT_TRUE(cmd.Flag(u"O" + W(std::to_string(i)), true)) << i;
    EXPECT_EQ(Leftovers(cmd, false), "");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 5.0);   // sanitizer build; about 0.1 s
}

TEST(CmdLine, WipeOnDestroyIsAcceptedWithEveryOtherFlag) {
    for (unsigned flags = 0; flags < 8; ++flags) {
        const unsigned all = flags | CmdLine::CaseSensitive | CmdLine::WipeOnDestroy;
        CmdLine cmd(u"prog -a=secret -a=other word \"two words\"", all);
        EXPECT_EQ(cmd.FlagsGiven(), all);
        std::u16string value;
        EXPECT_TRUE(cmd.Value(u"a", true, value));
        EXPECT_EQ(value, u"other");
    }
}

#ifdef QX_HAVE_ASAN
namespace {

// Counts the secret's characters left in heap blocks after the CmdLine that owned them
// is gone. AddressSanitizer keeps freed blocks in quarantine without reusing them, so their
// contents can be read after unpoisoning; it writes its own bookkeeping into the first 16
// bytes of a freed block, which are skipped.
std::size_t SecretLeftAfterDestruction(unsigned flags) {
    const std::u16string secret(64, u'S');
    auto cmd = std::make_unique<CmdLine>(u"prog -pw=" + secret + u" " + secret, flags);
    struct Block { const char16_t* data; std::size_t size; };
    const std::vector<Block> blocks = {
        {cmd->Text().data(), cmd->Text().size()},
        {cmd->Args()[cmd->Options()[0]].value.data(), secret.size()},
        {cmd->Args()[cmd->Positionals()[1]].text.data(), secret.size()},
    };
    cmd.reset();
    std::size_t left = 0;
    for (const Block& block : blocks) {
        void* bytes = const_cast<char16_t*>(block.data);
        __asan_unpoison_memory_region(bytes, block.size * sizeof(char16_t));
        for (std::size_t i = 8; i < block.size; ++i)
            if (block.data[i] == u'S') ++left;
        __asan_poison_memory_region(bytes, block.size * sizeof(char16_t));
    }
    return left;
}

}  // namespace

TEST(CmdLine, WipeOnDestroyLeavesNoTextInFreedMemory) {
    // Without the flag the texts are still there to find, which shows the check can see them.
    EXPECT_GT(SecretLeftAfterDestruction(Installer), 100u);
    EXPECT_EQ(SecretLeftAfterDestruction(Installer | CmdLine::WipeOnDestroy), 0u);
}
#endif
