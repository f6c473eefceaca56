#pragma once
// The one owner shape: Owned<Traits> holds one handle, pointer or block; the traits know
// its "none" value and how it is released. Releasing keeps the last error for the
// caller's report. Traits whose release function is looked up at run time carry it
// as state. Windows only.
#include <windows.h>

#include <utility>

template <class T>
class Owned : private T {
public:
    explicit Owned(typename T::Raw h = T::None(), T traits = T()) : T(std::move(traits)), m_h(h) {}
    Owned(Owned&& o) noexcept : T(static_cast<T&&>(o)), m_h(o.Release()) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) {
            Reset();
            static_cast<T&>(*this) = static_cast<T&&>(o);
            m_h = o.Release();
        }
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

// LoadLibraryA fails with NULL.
struct ModuleTraits {
    using Raw = HMODULE;
    static Raw None() { return nullptr; }
    static void Close(Raw h) { FreeLibrary(h); }
};
using ModuleHandle = Owned<ModuleTraits>;

// Blocks the system allocated for the caller (FORMAT_MESSAGE_ALLOCATE_BUFFER, LocalAlloc).
struct LocalMemoryTraits {
    using Raw = HLOCAL;
    static Raw None() { return nullptr; }
    static void Close(Raw h) { LocalFree(h); }
};
using LocalMemory = Owned<LocalMemoryTraits>;
