#pragma once
// Owners for kernel objects, files, searches and mapped views: each kind knows its "none" value
// and how it is released. Releasing keeps the last error for the caller's report.
#include <windows.h>

template <class T>
class Owned {
public:
    explicit Owned(typename T::Raw h = T::None()) : m_h(h) {}
    Owned(Owned&& o) noexcept : m_h(o.Release()) {}
    Owned& operator=(Owned&& o) noexcept {
        Reset(o.Release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Reset(); }
    typename T::Raw Get() const { return m_h; }
    explicit operator bool() const { return m_h != T::None(); }
    typename T::Raw Release() {
        auto h = m_h;
        m_h = T::None();
        return h;
    }
    void Reset(typename T::Raw h = T::None()) {
        if (*this) {
            DWORD err = GetLastError();
            T::Close(m_h);
            SetLastError(err);
        }
        m_h = h;
    }

private:
    typename T::Raw m_h;
};

// Processes, threads, events, mappings: NULL when there is none.
struct KernelTraits {
    using Raw = HANDLE;
    static Raw None() { return nullptr; }
    static void Close(Raw h) { CloseHandle(h); }
};
using KernelHandle = Owned<KernelTraits>;

// CreateFileA fails with INVALID_HANDLE_VALUE, not NULL.
struct FileTraits {
    using Raw = HANDLE;
    static Raw None() { return INVALID_HANDLE_VALUE; }
    static void Close(Raw h) { CloseHandle(h); }
};
using FileHandle = Owned<FileTraits>;

struct FindTraits {
    using Raw = HANDLE;
    static Raw None() { return INVALID_HANDLE_VALUE; }
    static void Close(Raw h) { FindClose(h); }
};
using FindHandle = Owned<FindTraits>;

struct ViewTraits {
    using Raw = void*;
    static Raw None() { return nullptr; }
    static void Close(Raw p) { UnmapViewOfFile(p); }
};
using MappedView = Owned<ViewTraits>;

// A mutex this thread owns: released, then closed.
struct HeldMutexTraits {
    using Raw = HANDLE;
    static Raw None() { return nullptr; }
    static void Close(Raw h) {
        ReleaseMutex(h);
        CloseHandle(h);
    }
};
using HeldMutex = Owned<HeldMutexTraits>;
