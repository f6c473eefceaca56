#pragma once
#include "installer/StreamCheck.h"
#include "installer/actions/OwnImageFile.h"
#include "installer/actions/ResourceReader.h"
#include "platform/CryptoSha256.h"
#include "platform/Handles.h"

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

// One of the installer's streams and what the build recorded of it.
struct RecordedStream {
    const char* name;   // "package stream", "uninstaller stream"
    unsigned id;
    std::uint32_t size;
    std::uint32_t crc;
    Sha256Digest sha256;
};

// The check of the streams against the build's record, in their order. With the system's
// SHA-256 it runs on one thread of its own, so that the package can be decoded ahead
// meanwhile; the CRC-32, a few hundredths of a second, is taken at once.
class StreamCheckThread {
public:
    explicit StreamCheckThread(std::vector<RecordedStream> streams)
        : m_streams(std::move(streams)), m_sha256(CryptoSha256::TryStart() != nullptr) {
        DWORD threadId = 0;
        if (m_sha256) m_thread.Reset(CreateThread(nullptr, 0, &StreamCheckThread::Run, this, 0, &threadId));
        if (!m_thread) Check();
    }
    ~StreamCheckThread() {
        if (m_thread) WaitForSingleObject(m_thread.Get(), INFINITE);
    }
    StreamCheckThread(const StreamCheckThread&) = delete;
    StreamCheckThread& operator=(const StreamCheckThread&) = delete;

    bool Finished() const { return !m_thread || WaitForSingleObject(m_thread.Get(), 0) == WAIT_OBJECT_0; }

    // Waits for the end; the check's failure is thrown here.
    void Wait() {
        if (m_thread) WaitForSingleObject(m_thread.Get(), INFINITE);
        if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
    }

private:
    void Check() {
        for (const RecordedStream& recorded : m_streams) {
            ResourceReader stream(OwnImageFile::Held(), recorded.id, "BINARY");
            const auto hash = m_sha256 ? CryptoSha256::TryStart() : nullptr;
            VerifyStream(recorded.name, stream, recorded.size, recorded.crc, recorded.sha256, hash.get());
        }
    }

    static DWORD WINAPI Run(void* self) {
        auto* check = static_cast<StreamCheckThread*>(self);
        try {
            check->Check();
        } catch (...) {
            check->m_failure = std::current_exception();   // read only after the thread has ended
        }
        return 0;
    }

    std::vector<RecordedStream> m_streams;
    bool m_sha256;
    std::exception_ptr m_failure;
    KernelHandle m_thread;
};
