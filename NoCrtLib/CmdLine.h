#pragma once
// The installer's command line: splits the UTF-16 text into arguments, unescapes them,
// tells positional words from "-name[=value]" options, answers lookups and reports every
// argument that no caller took.
#include "NoCrtLib/TException.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CmdLine {
public:
    enum Flags : unsigned {
        BackslashEscapes = 1,   // \" is a literal quote, \\ is one backslash
        DoubledQuotes = 2,      // "" inside a quoted part is one literal quote
        SlashPrefix = 4,        // "/" introduces an option as well as "-"
        QuoteRunsOnly = 8,      // with BackslashEscapes: backslashes count only before a quote
                                // (2n+" gives n and a delimiter, 2n+1+" n and a literal quote)
        CaseSensitive = 256,    // option names compared with regard to ASCII case
        WipeOnDestroy = 4096,   // stored texts are overwritten with zeros at destruction
        // The rules both programs read their command lines by; the installer adds QuoteRunsOnly.
        ProductSyntax = BackslashEscapes | DoubledQuotes | SlashPrefix,
    };

    // Messages are composed as ANSI text and handed over converted to wide text.
    class Err : public TException {
    public:
        explicit Err(std::u16string wide);
    };

    // Positions are kept in 16 bits; one that does not fit reads PositionLimit.
    static constexpr std::uint16_t PositionLimit = 0xFFFF;

    // One positional argument, or one distinct option name (a repeated option keeps the
    // record and the positions of its first occurrence, and the value of its last).
    struct Arg {
        std::uint16_t begin = 0;   // first character in the command line
        std::uint16_t end = 0;     // the character after the last one
        bool taken = false;
        bool isOption = false;
        std::u16string text;       // positional: its unescaped text; option: its name
        bool hasValue = false;
        std::u16string value;
    };

    CmdLine(std::u16string commandLine, unsigned flags);
    ~CmdLine();
    CmdLine(const CmdLine&) = delete;
    CmdLine& operator=(const CmdLine&) = delete;

    // Unattended when anything besides the program's name was given.
    bool IsUnattended() const;
    // "?", "h" or "help" given as a flag; takes nothing.
    bool HelpRequested() const;
    // True for an option given without "="; take marks it consumed.
    bool Flag(const std::u16string& name, bool take);
    // True for an option given with "=" (the value may be empty); take marks it consumed.
    bool Value(const std::u16string& name, bool take, std::u16string& value);
    // Throws Err listing every argument nobody took: positional words after the program's
    // name (and the name itself when includeFirst), then options in name order.
    void CheckAllTaken(bool includeFirst) const;

    const std::u16string& Text() const { return m_text; }
    unsigned FlagsGiven() const { return m_flags; }
    // Every record, in command-line order.
    const std::vector<Arg>& Args() const { return m_args; }
    // Indexes into Args(): the positional arguments in order, the program's name first.
    const std::vector<std::size_t>& Positionals() const { return m_positionals; }
    // Indexes into Args(): the options ordered by name under the name comparison.
    const std::vector<std::size_t>& Options() const { return m_options; }
    // The name comparison: <0, 0, >0.
    int CompareNames(const std::u16string& a, const std::u16string& b) const;

private:
    struct Span {
        std::size_t begin;
        std::size_t end;
    };
    std::vector<Span> Split() const;
    void Unescape(const Span& span, std::u16string& out) const;
    // Takes the text (it may be moved from).
    void AddArgument(const Span& span, std::u16string& text, bool isProgramName);
    // Index into m_options of the first name not ordered before name.
    std::size_t LowerBound(const std::u16string& name) const;
    const Arg* Find(const std::u16string& name) const;
    Arg* Find(const std::u16string& name);
    bool Wiping() const { return (m_flags & WipeOnDestroy) != 0; }

    std::u16string m_text;
    unsigned m_flags;
    std::vector<Arg> m_args;
    std::vector<std::size_t> m_positionals;
    std::vector<std::size_t> m_options;
};
