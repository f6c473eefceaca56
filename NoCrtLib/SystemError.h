#pragma once
// A Windows error code with its text: "Windows error 5: Access is denied." or
// "<operation> failed: Windows error 5: Access is denied.".
#include "NoCrtLib/TException.h"

#include <cstdint>
#include <string>

class SystemError : public TException {
public:
    explicit SystemError(uint32_t code);
    SystemError(const std::string& operation, uint32_t code);
    SystemError(const std::u16string& operation, uint32_t code);
    uint32_t Code() const;

private:
    uint32_t m_code;
};
