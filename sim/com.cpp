// CoInitializeSecurity, CoCreateInstance and CoSetProxyBlanket (ole32), and the count of the
// machine's live COM objects. Security is set once per process. The only class that can be
// created is the WMI locator, an in-process server.
#include "com.h"
#include <cstdio>
#include "machine.h"
#include "wmi.h"
#include "win/com.h"

namespace sim {

void CountObject(long delta) { machine().com.liveObjects += delta; }

std::u16string GuidText(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return FromUtf8(text);
}

namespace {

bool ComInitialised() { return machine().apartments.Current().initCount > 0; }

std::u16string Number(long long value) { return FromUtf8(std::to_string(value)); }

}  // namespace

}  // namespace sim

using sim::machine;

HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR, LONG cAuthSvc, SOLE_AUTHENTICATION_SERVICE*, void*,
                             DWORD dwAuthnLevel, DWORD dwImpLevel, void*, DWORD dwCapabilities, void*) {
    machine().calls.Add("CoInitializeSecurity", u"authentication services " + sim::Number(cAuthSvc) + u", level " +
                                                    sim::Number(dwAuthnLevel) + u", impersonation " +
                                                    sim::Number(dwImpLevel) + u", capabilities " +
                                                    sim::Number(dwCapabilities));
    if (auto fault = machine().faults.Hit("CoInitializeSecurity", u"")) {
        HRESULT hr = static_cast<HRESULT>(fault->result);
        if (SUCCEEDED(hr)) machine().com.securityInitialized = true;
        return hr;
    }
    if (!sim::ComInitialised()) return CO_E_NOTINITIALIZED;
    if (machine().com.securityInitialized) return RPC_E_TOO_LATE;
    if (dwImpLevel > RPC_C_IMP_LEVEL_DELEGATE || dwAuthnLevel > RPC_C_AUTHN_LEVEL_PKT_PRIVACY) return E_INVALIDARG;
    machine().com.securityInitialized = true;
    return S_OK;
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
    std::u16string clsid = sim::GuidText(rclsid);
    char context[16];
    std::snprintf(context, sizeof context, "0x%x", dwClsContext);
    machine().calls.Add("CoCreateInstance", clsid + u"; context " + sim::FromUtf8(context));
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (auto fault = machine().faults.Hit("CoCreateInstance", clsid)) return static_cast<HRESULT>(fault->result);
    if (!sim::ComInitialised()) return CO_E_NOTINITIALIZED;
    if (rclsid != CLSID_WbemLocator || !(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    return sim::CreateWbemLocator(riid, ppv);
}

HRESULT CoSetProxyBlanket(IUnknown* pProxy, DWORD dwAuthnSvc, DWORD dwAuthzSvc, OLECHAR*, DWORD dwAuthnLevel,
                          DWORD dwImpLevel, RPC_AUTH_IDENTITY_HANDLE, DWORD dwCapabilities) {
    machine().calls.Add("CoSetProxyBlanket", u"authentication " + sim::Number(dwAuthnSvc) + u", authorisation " +
                                                 sim::Number(dwAuthzSvc) + u", level " + sim::Number(dwAuthnLevel) +
                                                 u", impersonation " + sim::Number(dwImpLevel) + u", capabilities " +
                                                 sim::Number(dwCapabilities));
    if (!pProxy) return E_INVALIDARG;
    if (auto fault = machine().faults.Hit("CoSetProxyBlanket", u"")) return static_cast<HRESULT>(fault->result);
    // An in-process object has no proxy, so no client security to set.
    auto* proxy = dynamic_cast<sim::ProxyObject*>(pProxy);
    if (!proxy) return E_NOINTERFACE;
    proxy->authenticationLevel = dwAuthnLevel;
    proxy->impersonationLevel = dwImpLevel;
    proxy->blanketSet = true;
    return S_OK;
}
