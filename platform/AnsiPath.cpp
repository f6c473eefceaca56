#include "platform/AnsiPath.h"

#include "NoCrtLib/AnsiCodec.h"

AnsiPath::Err::Err(const std::string& text, std::uint32_t code) : std::runtime_error(text), m_code(code) {}

std::uint32_t AnsiPath::Err::Code() const { return m_code; }

std::string AnsiPath::Choose(const std::u16string& path, const ShortForm& shortForm, const std::string& what) {
    std::string ansi;
    if (WideToAnsiExact(path, ansi)) return ansi;
    const std::u16string shortPath = shortForm(path);
    std::string shortAnsi;
    if (!shortPath.empty() && WideToAnsiExact(shortPath, shortAnsi)) return shortAnsi;
    throw Err("The " + what + " '" + ansi + "' has no name the ANSI code page can hold", 0);
}
