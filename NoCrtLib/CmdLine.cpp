#include "NoCrtLib/CmdLine.h"

#include "NoCrtLib/AnsiCodec.h"
#include "NoCrtLib/AsciiText.h"

#include <algorithm>
#include <utility>

namespace {

bool IsSeparator(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

std::uint16_t Position(std::size_t index) {
    return index < CmdLine::PositionLimit ? static_cast<std::uint16_t>(index) : CmdLine::PositionLimit;
}

// Zeros the whole buffer, including what lies beyond the current length (a moved-from
// short string keeps its old characters there). Volatile so the stores are not dropped
// as dead before the buffer is freed.
void WipeText(std::u16string& text) {
    text.resize(text.capacity());
    volatile char16_t* p = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) p[i] = 0;
    text.clear();
}

}  // namespace

CmdLine::Err::Err(std::u16string wide) : TException(std::move(wide)) {}

CmdLine::CmdLine(std::u16string commandLine, unsigned flags)
    : m_text(std::move(commandLine)), m_flags(flags) {
    if (Wiping()) WipeText(commandLine);
    const std::vector<Span> spans = Split();
    // Reserved up front: a reallocation would move short texts and leave copies behind.
    m_args.reserve(spans.size());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        std::u16string text;
        Unescape(spans[i], text);
        AddArgument(spans[i], text, i == 0);
        if (Wiping()) WipeText(text);
    }
}

CmdLine::~CmdLine() {
    if (!Wiping()) return;
    WipeText(m_text);
    for (Arg& arg : m_args) {
        WipeText(arg.text);
        WipeText(arg.value);
    }
}

// Outside quotes CR, LF, TAB and space end an argument; a double quote only switches the
// quoted state (unless an odd run of backslashes in this argument makes it literal).
std::vector<CmdLine::Span> CmdLine::Split() const {
    std::vector<Span> spans;
    const std::size_t none = static_cast<std::size_t>(-1);
    std::size_t start = none;
    std::size_t backslashes = 0;
    bool inQuotes = false;
    for (std::size_t i = 0; i < m_text.size(); ++i) {
        const char16_t c = m_text[i];
        if (c == u'"') {
            if (start == none) start = i;
            const bool literal = (m_flags & BackslashEscapes) && backslashes % 2 == 1;
            if (!literal) inQuotes = !inQuotes;
            backslashes = 0;
        } else if (!inQuotes && IsSeparator(c)) {
            if (start != none) spans.push_back({start, i});
            start = none;
            backslashes = 0;
        } else {
            if (start == none) start = i;
            backslashes = c == u'\\' ? backslashes + 1 : 0;
        }
    }
    if (start != none) spans.push_back({start, m_text.size()});
    return spans;
}

// Follows the quoted state the same way Split() does, so that a doubled quote is literal
// only where it stands inside a quoted part: "" alone is then an empty argument, and
// -installDir="" an empty value, rather than a stray quote character.
void CmdLine::Unescape(const Span& span, std::u16string& out) const {
    out.reserve(span.end - span.begin);
    bool pendingBackslash = false;
    bool pendingQuote = false;
    bool inQuotes = false;
    const bool quoteRunsOnly = (m_flags & BackslashEscapes) && (m_flags & QuoteRunsOnly);
    for (std::size_t i = span.begin; i < span.end; ++i) {
        const char16_t c = m_text[i];
        if (c == u'\\' && quoteRunsOnly) {
            // A run not followed by a quote stays as it is, so "\\server\share" keeps its
            // leading pair; before a quote each pair gives one and an odd one the quote.
            std::size_t run = 1;
            while (i + run < span.end && m_text[i + run] == u'\\') ++run;
            const bool beforeQuote = i + run < span.end && m_text[i + run] == u'"';
            out.append(beforeQuote ? run / 2 : run, u'\\');
            pendingQuote = false;
            i += run - 1;
            if (beforeQuote && run % 2 == 1) {
                out.push_back(u'"');
                ++i;
            }
        } else if (c == u'\\') {
            if (pendingBackslash) {
                pendingBackslash = false;
            } else {
                out.push_back(c);
                pendingBackslash = (m_flags & BackslashEscapes) != 0;
                pendingQuote = false;
            }
        } else if (c == u'"') {
            if (pendingQuote) {
                out.push_back(c);
                pendingQuote = false;
                inQuotes = !inQuotes;
            } else if (pendingBackslash) {
                out.back() = c;
                pendingBackslash = false;
            } else {
                pendingQuote = inQuotes && (m_flags & DoubledQuotes) != 0;
                inQuotes = !inQuotes;
            }
        } else {
            pendingBackslash = false;
            pendingQuote = false;
            out.push_back(c);
        }
    }
}

void CmdLine::AddArgument(const Span& span, std::u16string& text, bool isProgramName) {
    // The first argument is the program's name whatever it looks like; an empty one is
    // kept so that no later word is mistaken for it.
    if (text.empty() && !isProgramName) return;
    const bool optionPrefix = !text.empty() &&
        (text[0] == u'-' || (text[0] == u'/' && (m_flags & SlashPrefix)));
    if (isProgramName || text.size() == 1 || !optionPrefix) {
        m_positionals.push_back(m_args.size());
        Arg& arg = m_args.emplace_back();
        arg.begin = Position(span.begin);
        arg.end = Position(span.end);
        arg.text = std::move(text);
        return;
    }

    const std::size_t equals = text.find(u'=', 1);
    std::u16string name = text.substr(1, equals == std::u16string::npos ? std::u16string::npos : equals - 1);
    const bool hasValue = equals != std::u16string::npos;
    std::u16string value = hasValue ? text.substr(equals + 1) : std::u16string();

    const std::size_t slot = LowerBound(name);
    if (slot < m_options.size() && CompareNames(m_args[m_options[slot]].text, name) == 0) {
        // The last occurrence wins; the record keeps its place and first positions.
        Arg& arg = m_args[m_options[slot]];
        if (Wiping()) WipeText(arg.value);
        arg.hasValue = hasValue;
        arg.value = std::move(value);
    } else {
        m_options.insert(m_options.begin() + static_cast<std::ptrdiff_t>(slot), m_args.size());
        Arg& arg = m_args.emplace_back();
        arg.begin = Position(span.begin);
        arg.end = Position(span.end);
        arg.isOption = true;
        arg.text = std::move(name);
        arg.hasValue = hasValue;
        arg.value = std::move(value);
    }
    if (Wiping()) {
        WipeText(name);
        WipeText(value);
    }
}

int CmdLine::CompareNames(const std::u16string& a, const std::u16string& b) const {
    const bool fold = (m_flags & CaseSensitive) == 0;
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = fold ? FoldAscii(a[i]) : a[i];
        const char16_t y = fold ? FoldAscii(b[i]) : b[i];
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::size_t CmdLine::LowerBound(const std::u16string& name) const {
    auto it = std::lower_bound(m_options.begin(), m_options.end(), name,
        [this](std::size_t index, const std::u16string& key) {
            return CompareNames(m_args[index].text, key) < 0;
        });
    return static_cast<std::size_t>(it - m_options.begin());
}

const CmdLine::Arg* CmdLine::Find(const std::u16string& name) const {
    const std::size_t slot = LowerBound(name);
    if (slot == m_options.size()) return nullptr;
    const Arg& arg = m_args[m_options[slot]];
    return CompareNames(arg.text, name) == 0 ? &arg : nullptr;
}

CmdLine::Arg* CmdLine::Find(const std::u16string& name) {
    return const_cast<Arg*>(static_cast<const CmdLine*>(this)->Find(name));
}

bool CmdLine::IsUnattended() const {
    return m_positionals.size() > 1 || !m_options.empty();
}

bool CmdLine::HelpRequested() const {
    for (const char16_t* name : {u"?", u"h", u"help"}) {
        const Arg* arg = Find(name);
        if (arg && !arg->hasValue) return true;
    }
    return false;
}

bool CmdLine::Flag(const std::u16string& name, bool take) {
    Arg* arg = Find(name);
    if (!arg || arg->hasValue) return false;
    if (take) arg->taken = true;
    return true;
}

bool CmdLine::Value(const std::u16string& name, bool take, std::u16string& value) {
    Arg* arg = Find(name);
    if (!arg || !arg->hasValue) return false;
    value = arg->value;
    if (take) arg->taken = true;
    return true;
}

void CmdLine::CheckAllTaken(bool includeFirst) const {
    std::string message;
    auto add = [&message](const std::string& item) {
        if (!message.empty()) message += '\n';
        message += item;
    };
    for (std::size_t i = includeFirst ? 0 : 1; i < m_positionals.size(); ++i) {
        const Arg& arg = m_args[m_positionals[i]];
        if (!arg.taken) add("Invalid command option: " + WideToAnsi(arg.text) + ".");
    }
    for (std::size_t index : m_options) {
        const Arg& arg = m_args[index];
        if (arg.taken) continue;
        std::string item = "Invalid command parameter: -" + WideToAnsi(arg.text);
        if (arg.hasValue) item += "=" + WideToAnsi(arg.value);
        add(item + ".");
    }
    if (!message.empty()) throw Err(AnsiToWide(message));
}
