#pragma once
// The failure of an installation step, with its finished narrow (ANSI) message.
#include <exception>
#include <string>

class InstallError : public std::exception {
public:
    explicit InstallError(std::string text = {});
    const char* what() const noexcept override;

private:
    std::string m_text;
};
