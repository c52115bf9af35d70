// CComPtr: an owning COM interface pointer. It holds one reference and releases it when it is
// cleared or destroyed, so every path gives back what it received.
#pragma once
#include "../platform/Platform.h"

template <class T>
class CComPtr {
public:
    CComPtr() noexcept : p(nullptr) {}
    // Shares `lp`: takes a reference of its own.
    CComPtr(T* lp) noexcept : p(lp) {
        if (p) p->AddRef();
    }
    CComPtr(const CComPtr& other) noexcept : CComPtr(other.p) {}
    CComPtr& operator=(const CComPtr& other) noexcept {
        if (other.p) other.p->AddRef();
        Attach(other.p);
        return *this;
    }
    ~CComPtr() { Release(); }

    // Gives back the held reference, if any; the pointer is NULL afterwards.
    void Release() noexcept {
        T* held = p;
        if (held) {
            p = nullptr;
            held->Release();
        }
    }
    // The address to receive a new interface from an out parameter. Any interface still held is
    // released first, so an out parameter never overwrites (and leaks) a reference.
    T** operator&() noexcept {
        Release();
        return &p;
    }
    // Takes over `lp` without adding a reference; releases what was held before.
    void Attach(T* lp) noexcept {
        T* old = p;
        p = lp;
        if (old) old->Release();
    }
    // Hands the reference to the caller; the pointer is NULL afterwards.
    T* Detach() noexcept {
        T* out = p;
        p = nullptr;
        return out;
    }

    T* operator->() const noexcept { return p; }
    operator T*() const noexcept { return p; }
    bool operator!() const noexcept { return p == nullptr; }
    bool operator==(T* other) const noexcept { return p == other; }
    bool operator!=(T* other) const noexcept { return p != other; }

    T* p;
};
