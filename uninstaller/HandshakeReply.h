#pragma once
// The uninstaller's side of the installer's handshake: the inherited mapping ("-result=",
// platform/HandshakeBlock.h) receives the 32-bit result in its first 4 bytes, then the
// inherited manual-reset event ("-done=") is signalled. The installer reads the result
// only after the event. The handles are borrowed from the command line: the process's
// exit closes them.
#include <windows.h>

#include <cstdint>

class HandshakeReply {
public:
    HandshakeReply(std::uint32_t resultHandle, std::uint32_t doneHandle);

    // Writes value into the block; false when no writable view of it can be mapped.
    bool Write(std::uint32_t value);
    bool Signal();
    // True when the block takes a value and the event is a waitable object that is not
    // signalled yet: only then may an uninstaller exit with 1 and leave the answer to
    // its copy. The block then holds failed, so a copy that ends without writing its
    // result reports a failure rather than success.
    bool Usable(std::uint32_t failed);
    // Gives an installer that offers to watch it a handle of helper, the process that
    // answers in place of this one; false when the installer offers nothing (its block is
    // 4 bytes, as older installers make it) or the handle cannot be given.
    bool TellHelper(HANDLE helper);

private:
    HANDLE m_mapping;
    HANDLE m_done;
};
