#pragma once
// The waiting original's side of its own exchange with the temporary copy: an inheritable
// 4-byte mapping and manual-reset event, as in the installer's handshake. The copy does
// the whole uninstall, its own file included, while the original waits; so the original
// exits with the true result, and nothing of the installation is left when it does.
#include "platform/Handles.h"

#include <cstdint>
#include <string>

class CopyAnswer {
public:
    // On failure leaves the object unusable and failure holds the reason
    // ("CreateFileMappingA() failed: ...").
    explicit CopyAnswer(std::string& failure);

    explicit operator bool() const { return m_done && m_view; }
    std::uint32_t ResultHandle() const;
    std::uint32_t DoneHandle() const;

    // The copy's answer. A copy that ends without one gives its exit code instead when
    // that is 0, 12 or 13, else 13 (the uninstaller's failure): a fault or a kill says
    // nothing about what was removed.
    std::uint32_t Wait(HANDLE copyProcess) const;

private:
    KernelHandle m_mapping;
    MappedView m_view;
    KernelHandle m_done;
};
