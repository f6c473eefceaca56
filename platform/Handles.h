#pragma once
// The traits of every kind of handle the programs hold, for Owned (NoCrtLib/Owned.h, which
// also has the module and local-memory traits the lower layers need).
#include "NoCrtLib/Owned.h"

#include <windows.h>
#include <objbase.h>

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

struct RegKeyTraits {
    using Raw = HKEY;
    static Raw None() { return nullptr; }
    static void Close(Raw h) { RegCloseKey(h); }
};
using RegKeyHandle = Owned<RegKeyTraits>;

// Fonts, brushes, bitmaps: deleted once no DC has them selected.
template <class H>
struct GdiObjectTraits {
    using Raw = H;
    static Raw None() { return nullptr; }
    static void Close(Raw h) { DeleteObject(h); }
};
using GdiObject = Owned<GdiObjectTraits<HGDIOBJ>>;
using FontHandle = Owned<GdiObjectTraits<HFONT>>;

struct GlobalMemoryTraits {
    using Raw = HGLOBAL;
    static Raw None() { return nullptr; }
    static void Close(Raw h) { GlobalFree(h); }
};
using GlobalMemory = Owned<GlobalMemoryTraits>;

// A DC from GetWindowDC or GetDC, given back to its window.
struct WindowDcTraits {
    using Raw = HDC;
    static Raw None() { return nullptr; }
    void Close(Raw h) const { ReleaseDC(window, h); }
    HWND window = nullptr;
};
using WindowDc = Owned<WindowDcTraits>;

// A COM interface pointer held for one use.
template <class I>
struct ComPointerTraits {
    using Raw = I*;
    static Raw None() { return nullptr; }
    static void Close(Raw p) { p->Release(); }
};
template <class I>
using ComPointer = Owned<ComPointerTraits<I>>;

// A block an IMalloc handed out (e.g. the item list of the folder browser).
struct MallocBlockTraits {
    using Raw = void*;
    static Raw None() { return nullptr; }
    void Close(Raw p) const { allocator->Free(p); }
    IMalloc* allocator = nullptr;
};
using MallocBlock = Owned<MallocBlockTraits>;

// The next two release through functions looked up at run time: Windows 95 may lack
// them, and a static import would keep the program from starting there.
struct SidTraits {
    using Raw = PSID;
    using FreeFn = PVOID(WINAPI*)(PSID);
    static Raw None() { return nullptr; }
    void Close(Raw sid) const { freeSid(sid); }
    FreeFn freeSid = nullptr;
};
using SidHandle = Owned<SidTraits>;

// An HCRYPTPROV (a ULONG_PTR; 0 when there is none).
struct CryptProviderTraits {
    using Raw = ULONG_PTR;
    using ReleaseFn = BOOL(WINAPI*)(ULONG_PTR, DWORD);
    static Raw None() { return 0; }
    void Close(Raw provider) const { release(provider, 0); }
    ReleaseFn release = nullptr;
};
using CryptProvider = Owned<CryptProviderTraits>;

// An HCRYPTHASH of such a provider, destroyed before the provider is released.
struct CryptHashTraits {
    using Raw = ULONG_PTR;
    using DestroyFn = BOOL(WINAPI*)(ULONG_PTR);
    static Raw None() { return 0; }
    void Close(Raw hash) const { destroy(hash); }
    DestroyFn destroy = nullptr;
};
using CryptHash = Owned<CryptHashTraits>;
