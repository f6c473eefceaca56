#pragma once
// Shared pointer to a RefCounted object: each RefPtr holds one reference.
#include <utility>

template <class T>
class RefPtr {
public:
    RefPtr() = default;
    RefPtr(T* object) : m_object(object) {  // takes a new reference
        if (m_object) m_object->addRef();
    }
    RefPtr(const RefPtr& o) : RefPtr(o.m_object) {}
    template <class U>
    RefPtr(const RefPtr<U>& o) : RefPtr(o.get()) {}
    RefPtr(RefPtr&& o) noexcept : m_object(o.m_object) { o.m_object = nullptr; }
    ~RefPtr() { reset(); }

    RefPtr& operator=(RefPtr o) noexcept {
        std::swap(m_object, o.m_object);
        return *this;
    }

    void reset(T* object = nullptr) {
        if (object) object->addRef();
        T* old = m_object;
        m_object = object;
        if (old) old->release();
    }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};

template <class T, class... Args>
RefPtr<T> makeRef(Args&&... args) {
    return RefPtr<T>(new T(std::forward<Args>(args)...));
}
