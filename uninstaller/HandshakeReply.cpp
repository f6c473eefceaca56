#include "uninstaller/HandshakeReply.h"

#include "platform/HandshakeBlock.h"
#include "platform/Handles.h"

#include <cstring>

namespace {
HANDLE HandleFromValue(std::uint32_t value) { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value)); }
std::uint32_t HandleValue(HANDLE h) { return static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(h)); }
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

bool HandshakeReply::TellHelper(HANDLE helper) {
    // Mapping more than a 4-byte block may fail; where it does not, its marker is 0.
    MappedView view(MapViewOfFile(m_mapping, FILE_MAP_WRITE, 0, 0, sizeof(HandshakeBlock)));
    if (!view) return false;
    auto* block = static_cast<HandshakeBlock*>(view.Get());
    if (block->state != HandshakeWatchOffered) return false;
    // The duplicate is the installer's handle: it closes it.
    HANDLE given = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), helper, HandleFromValue(block->installerProcess), &given, SYNCHRONIZE,
                         FALSE, 0))
        return false;
    block->helperProcess = HandleValue(given);
    block->state = HandshakeHelperGiven;
    return true;
}
