#pragma once
// The reference count of a shared object, a base of every window-library handler.
// Counts change with interlocked operations; the release that reaches zero deletes
// the object through the virtual destructor. A new object starts at zero references:
// the first RefPtr that takes it owns it.

class RefCounted {
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;
    virtual ~RefCounted() = default;

    // Both return the count after the change.
    long addRef();
    long release();
    long referenceCount() const { return m_references; }

private:
    volatile long m_references = 0;
};
