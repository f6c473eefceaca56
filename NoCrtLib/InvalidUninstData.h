#pragma once
// Uninstallation data that cannot be understood.
#include <exception>

class InvalidUninstData : public std::exception {
public:
    const char* what() const noexcept override;
};
