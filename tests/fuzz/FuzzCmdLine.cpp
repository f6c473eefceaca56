// Feeds the command-line parser arbitrary UTF-16 under every flag combination and checks
// what callers rely on. Input: byte 0 chooses the mode and the flags, the rest is UTF-16LE.
//   raw mode:        the rest is the command line itself (NULs and lone surrogates included);
//   round-trip mode: the rest is cut into words, which are quoted, joined and parsed back;
//                    every word must come back unchanged.
#include "NoCrtLib/CmdLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

unsigned FlagsFrom(std::uint8_t bits) {
    unsigned flags = bits & 7u;
    if (bits & 8u) flags |= CmdLine::CaseSensitive;
    if (bits & 16u) flags |= CmdLine::WipeOnDestroy;
    if (bits & 128u) flags |= CmdLine::QuoteRunsOnly;
    return flags;
}

std::u16string Utf16From(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return text;
}

std::u16string Upper(std::u16string name) {
    for (char16_t& c : name)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return name;
}

bool ThrowsErr(const CmdLine& cmd, bool includeFirst) {
    try {
        cmd.CheckAllTaken(includeFirst);
    } catch (const CmdLine::Err& e) {
        Require(e.what() != nullptr && e.what()[0] != '\0');
        return true;
    }
    return false;
}

void CheckInvariants(CmdLine& cmd, unsigned flags) {
    const std::u16string& text = cmd.Text();
    const auto& args = cmd.Args();
    const auto& positionals = cmd.Positionals();
    const auto& options = cmd.Options();

    std::size_t optionRecords = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const CmdLine::Arg& arg = args[i];
        Require(arg.begin <= arg.end);
        if (arg.end < CmdLine::PositionLimit) Require(arg.end <= text.size());
        if (arg.begin < CmdLine::PositionLimit) Require(arg.begin < arg.end);
        if (i > 0) Require(args[i - 1].begin <= arg.begin);
        Require(!arg.taken);
        if (arg.isOption) {
            ++optionRecords;
        } else {
            Require(!arg.hasValue && arg.value.empty());
            // Only the program's name may be empty.
            Require(!arg.text.empty() || i == 0);
        }
    }
    Require(optionRecords == options.size());
    Require(positionals.size() + options.size() == args.size());
    if (!args.empty()) Require(!positionals.empty() && positionals[0] == 0);
    for (std::size_t i = 1; i < positionals.size(); ++i) Require(positionals[i - 1] < positionals[i]);
    for (std::size_t i = 0; i < options.size(); ++i) {
        Require(args[options[i]].isOption);
        if (i > 0) Require(cmd.CompareNames(args[options[i - 1]].text, args[options[i]].text) < 0);
    }
    Require(cmd.IsUnattended() == (positionals.size() > 1 || !options.empty()));

    bool help = false;
    for (std::size_t index : options) {
        const CmdLine::Arg& arg = args[index];
        const std::u16string& n = arg.text;
        if (!arg.hasValue && (n == u"?" || n == u"h" || n == u"help" ||
                              (!(flags & CmdLine::CaseSensitive) &&
                               (n == u"H" || Upper(n) == u"HELP"))))
            help = true;
    }
    Require(cmd.HelpRequested() == help);

    // Look every option up without taking it, also under another ASCII case.
    for (std::size_t index : options) {
        const CmdLine::Arg& arg = args[index];
        std::u16string value = u"x";
        Require(cmd.Flag(arg.text, false) == !arg.hasValue);
        Require(cmd.Value(arg.text, false, value) == arg.hasValue);
        if (arg.hasValue) Require(value == arg.value);
        const std::u16string upper = Upper(arg.text);
        if (!(flags & CmdLine::CaseSensitive)) Require(cmd.Flag(upper, false) == !arg.hasValue);
    }
    Require(ThrowsErr(cmd, false) == (positionals.size() > 1 || !options.empty()));

    // Take every option through the call that fits it; then only words are left.
    for (std::size_t index : options) {
        const CmdLine::Arg& arg = args[index];
        std::u16string value;
        const std::u16string name = arg.text;   // args is not changed by lookups, but be safe
        if (arg.hasValue) {
            Require(!cmd.Flag(name, true));
            Require(cmd.Value(name, true, value));
        } else {
            Require(!cmd.Value(name, true, value));
            Require(cmd.Flag(name, true));
        }
    }
    for (std::size_t index : options) Require(args[index].taken);
    Require(ThrowsErr(cmd, false) == (positionals.size() > 1));
    Require(ThrowsErr(cmd, true) == !positionals.empty());
}

// Quoted for the parser's own rules with backslash escapes on: every backslash doubled
// (only those before a quote with QuoteRunsOnly), every quote escaped (or, with doubled
// quotes on, doubled inside the quoted part).
std::u16string Quote(const std::u16string& word, bool doubleQuotes, bool quoteRunsOnly) {
    std::u16string out = u"\"";
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char16_t c = word[i];
        if (c == u'\\') {
            std::size_t j = i;
            while (j < word.size() && word[j] == u'\\') ++j;
            const bool beforeQuote = j == word.size() || word[j] == u'"';
            out.append(quoteRunsOnly && !beforeQuote ? 1 : 2, u'\\');
        } else if (c == u'"') {
            out += doubleQuotes ? u"\"\"" : u"\\\"";
        } else {
            out.push_back(c);
        }
    }
    out += u"\"";
    return out;
}

void RoundTrip(const std::u16string& input, unsigned flags, std::uint8_t control) {
    flags |= CmdLine::BackslashEscapes;
    const bool doubled = (control & 32u) && (flags & CmdLine::DoubledQuotes);
    const bool quoteRunsOnly = (flags & CmdLine::QuoteRunsOnly) != 0;
    // Words are separated by U+FFFF in the input; even words are positional ("p" + word),
    // odd ones options "-k<n>=" + word under distinct names.
    std::vector<std::u16string> words(1);
    for (char16_t c : input) {
        if (c == 0xFFFF) words.emplace_back();
        else words.back().push_back(c);
    }
    static const char16_t* const separators[] = {u" ", u"\t", u"\r\n", u" \t ", u"\n"};
    std::u16string line = u"\"C:\\Program Files\\Q\\setup.exe\"";
    std::vector<std::u16string> expectedWords;
    std::vector<std::u16string> expectedValues;
    for (std::size_t i = 0; i < words.size(); ++i) {
        line += separators[(control + i) % 5];
        if (i % 2 == 0) {
            expectedWords.push_back(u"p" + words[i]);
            line += Quote(expectedWords.back(), doubled, quoteRunsOnly);
        } else {
            std::u16string name = u"k";
            for (std::size_t n = i; n; n /= 10) name.push_back(static_cast<char16_t>(u'0' + n % 10));
            expectedValues.push_back(words[i]);
            line += Quote(u"-" + name + u"=" + words[i], doubled, quoteRunsOnly);
        }
    }
    CmdLine cmd(line, flags);
    const auto& positionals = cmd.Positionals();
    Require(positionals.size() == expectedWords.size() + 1);
    Require(cmd.Args()[positionals[0]].text == u"C:\\Program Files\\Q\\setup.exe");
    for (std::size_t i = 0; i < expectedWords.size(); ++i)
        Require(cmd.Args()[positionals[i + 1]].text == expectedWords[i]);
    Require(cmd.Options().size() == expectedValues.size());
    for (std::size_t i = 1; i < words.size(); i += 2) {
        std::u16string name = u"K";
        for (std::size_t n = i; n; n /= 10) name.push_back(static_cast<char16_t>(u'0' + n % 10));
        std::u16string value;
        const bool found = cmd.Value(name, true, value);
        Require(found == !(flags & CmdLine::CaseSensitive));
        if (!found) Require(cmd.Value(u"k" + name.substr(1), true, value));
        Require(value == words[i]);
    }
    Require(ThrowsErr(cmd, false) == !expectedWords.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t control = data[0];
    const unsigned flags = FlagsFrom(control);
    const std::u16string input = Utf16From(data + 1, size - 1);
    if (control & 64u) {
        RoundTrip(input, flags, control);
    } else {
        CmdLine cmd(input, flags);
        CheckInvariants(cmd, flags);
    }
    return 0;
}
