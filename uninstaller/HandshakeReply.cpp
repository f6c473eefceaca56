#include "uninstaller/HandshakeReply.h"

#include "platform/Handles.h"

#include <cstring>

namespace {
HANDLE HandleFromValue(std::uint32_t value) { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value)); }
}  // namespace

HandshakeReply::HandshakeReply(std::uint32_t resultHandle, std::uint32_t doneHandle)
    : m_mapping(HandleFromValue(resultHandle)), m_done(HandleFromValue(doneHandle)) {}

bool HandshakeReply::Write(std::uint32_t value) {
    MappedView view(MapViewOfFile(m_mapping, FILE_MAP_WRITE, 0, 0, sizeof value));
    if (!view) return false;
    std::memcpy(view.Get(), &value, sizeof value);
    return true;
}

bool HandshakeReply::Signal() { return SetEvent(m_done) != FALSE; }

bool HandshakeReply::Usable(std::uint32_t failed) {
    return WaitForSingleObject(m_done, 0) == WAIT_TIMEOUT && Write(failed);
}
