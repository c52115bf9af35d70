// COM of the simulated machine beyond the apartments: the process's security, and the interface
// objects it hands out. Every object counts itself while it lives; each CoUninitialize notes how
// many were still alive, so a test can assert that every interface was released before COM was
// uninitialised on the thread.
#pragma once
#include <string>
#include <vector>
#include "win/oleaut.h"

namespace sim {

struct Com {
    // CoInitializeSecurity has taken effect for the process, or COM set the defaults itself when
    // the first proxy to another process was made; later calls answer RPC_E_TOO_LATE.
    bool securityInitialized = false;
    long liveObjects = 0;                            // interface objects not yet released
    std::vector<long> liveObjectsAtCoUninitialize;  // one entry per CoUninitialize call
};

// Base of the machine's COM objects: a reference count, the machine's count of live objects, and
// QueryInterface for IUnknown and the object's own interface.
template <class Interface>
class ComObject : public Interface {
public:
    explicit ComObject(const IID& iid);
    ~ComObject() override;
    HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
        if (!ppvObject) return E_POINTER;
        if (riid == IID_IUnknown || riid == m_iid) {
            *ppvObject = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

private:
    ULONG m_refs = 1;
    IID m_iid;
};

void CountObject(long delta);

// An object that stands for one in another process (a proxy): CoSetProxyBlanket applies to it.
class ProxyObject {
public:
    virtual ~ProxyObject() = default;
    DWORD authenticationLevel = 0;
    DWORD impersonationLevel = 0;
    bool blanketSet = false;
};

template <class Interface>
ComObject<Interface>::ComObject(const IID& iid) : m_iid(iid) {
    CountObject(+1);
}
template <class Interface>
ComObject<Interface>::~ComObject() {
    CountObject(-1);
}

// A GUID as the registry writes it: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, upper case.
std::u16string GuidText(const GUID& guid);

}  // namespace sim
