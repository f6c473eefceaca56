#include "NoCrtLib/SystemError.h"

#include "NoCrtLib/AnsiCodec.h"
#include "NoCrtLib/WinErrorMessage.h"

SystemError::SystemError(uint32_t code) : TException(WinErrorText(code)), m_code(code) {}

SystemError::SystemError(const std::string& operation, uint32_t code)
    : TException(operation + " failed: " + WinErrorText(code)), m_code(code) {}

SystemError::SystemError(const std::u16string& operation, uint32_t code)
    : TException(operation + u" failed: " + AnsiToWide(WinErrorText(code))), m_code(code) {}

uint32_t SystemError::Code() const { return m_code; }
