#pragma once
// One COM interface pointer with the outcome of the call that produced it. Creation
// and queries throw WWLib::ComException ("CoCreateInstance() failed: COM error: ...").
// Windows only.
#include "NoCrtLib/OpResult.h"
#include "NoCrtLib/WWLibExceptions.h"

#include <objbase.h>

#include <utility>

template <class I>
class ComInstance : public ComResult {
public:
    ComInstance() = default;
    ComInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID interfaceId = __uuidof(I)) {
        Create(classId, outer, context, interfaceId);
    }
    ComInstance(const ComInstance&) = delete;
    ComInstance& operator=(const ComInstance&) = delete;
    ComInstance(ComInstance&& other) noexcept
        : ComResult(std::move(other)), m_p(std::exchange(other.m_p, nullptr)) {}
    ComInstance& operator=(ComInstance&& other) noexcept {
        if (this != &other) {
            Reset();
            ComResult::operator=(std::move(other));
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    ~ComInstance() override { Reset(); }

    // CoCreateInstance into this wrapper (releasing what it held).
    void Create(REFCLSID classId, IUnknown* outer, DWORD context, REFIID interfaceId = __uuidof(I)) {
        Reset();
        void* p = nullptr;
        Record(u"CoCreateInstance()", static_cast<int32_t>(CoCreateInstance(classId, outer, context, interfaceId, &p)));
        if (Failed()) throw WWLib::ComException(*this);
        m_p = static_cast<I*>(p);
    }

    // QueryInterface on the held object; recorded here, the pointer cleared on failure.
    void QueryInterface(REFIID interfaceId, void** out) {
        *out = nullptr;
        HRESULT hr = m_p ? m_p->QueryInterface(interfaceId, out) : E_POINTER;
        Record(u"QueryInterface()", static_cast<int32_t>(hr));
        if (Failed()) {
            *out = nullptr;
            throw WWLib::ComException(*this);
        }
    }

    // Another interface of the held object, in its own wrapper.
    template <class J>
    ComInstance<J> Query(REFIID interfaceId = __uuidof(J)) {
        void* p = nullptr;
        QueryInterface(interfaceId, &p);
        ComInstance<J> other;
        other.Adopt(static_cast<J*>(p), *this);
        return other;
    }

    I* Get() const { return m_p; }
    I* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    void Reset() {
        if (m_p) {
            std::exchange(m_p, nullptr)->Release();
        }
    }

    // Takes over a pointer another wrapper obtained, with that call's outcome.
    void Adopt(I* p, const ComResult& outcome) {
        Reset();
        m_p = p;
        Assign(outcome);
    }

private:
    I* m_p = nullptr;
};
