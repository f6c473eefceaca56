#pragma once
// Exception holding its message as wide (UTF-16) or narrow (ANSI) text. what() is
// always narrow: wide text is converted to the ANSI code page at the first call and
// the copy is kept, so every later call returns the same text. Not thread-safe.
#include <exception>
#include <string>

class TException : public std::exception {
public:
    explicit TException(std::u16string wide);
    explicit TException(std::string narrow);
    const char* what() const noexcept override;

    bool IsWide() const;
    // The message as wide text, whichever form it was given in.
    std::u16string WideText() const;

private:
    std::u16string m_wide;
    mutable std::string m_narrow;
    bool m_isWide;
};

// A TException whose message is narrow text.
class AException : public TException {
public:
    explicit AException(std::string narrow);
};
