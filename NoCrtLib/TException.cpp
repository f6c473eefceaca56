#include "NoCrtLib/TException.h"

#include "NoCrtLib/AnsiCodec.h"

#include <utility>

TException::TException(std::u16string wide) : m_wide(std::move(wide)), m_isWide(true) {}

TException::TException(std::string narrow) : m_narrow(std::move(narrow)), m_isWide(false) {}

const char* TException::what() const noexcept {
    if (m_isWide && m_narrow.empty() && !m_wide.empty()) {
        try {
            // The ANSI code page of the moment of the first call, as the report shows it.
            m_narrow = WideToAnsi(m_wide);
        } catch (...) {
            // Out of memory while converting: better no text than terminating the report.
            return "";
        }
    }
    return m_narrow.c_str();
}

bool TException::IsWide() const { return m_isWide; }

std::u16string TException::WideText() const { return m_isWide ? m_wide : AnsiToWide(m_narrow); }

AException::AException(std::string narrow) : TException(std::move(narrow)) {}
