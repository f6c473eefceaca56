#include "NoCrtLib/InstallError.h"

#include <utility>

InstallError::InstallError(std::string text) : m_text(std::move(text)) {}

const char* InstallError::what() const noexcept { return m_text.c_str(); }
