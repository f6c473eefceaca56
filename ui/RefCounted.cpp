#include "ui/RefCounted.h"

#include <windows.h>

long RefCounted::addRef() { return InterlockedIncrement(&m_references); }

long RefCounted::release() {
    long left = InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return left;
}
