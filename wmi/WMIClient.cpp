#include "WMIClient.h"
#include <new>
#include "../framework/CComBSTR.h"
#include "WindowsVersion.h"

IMPLEMENT_SERIAL(CWMIClient, CObject, 0)

HRESULT CWMIClient::s_hrComSecurity = 1;

namespace {

const HRESULT kNotConnected = static_cast<HRESULT>(WBEM_E_INITIALIZATION_FAILURE);
const HRESULT kNoObject = static_cast<HRESULT>(WBEM_E_NOT_FOUND);
const long kNextTimeoutMs = 10000;

}  // namespace

CWMIClient::CWMIClient() : m_pComInit(nullptr), m_hr(kNotConnected) {}

CWMIClient::~CWMIClient() {
    // Every interface goes before the guard uninitialises COM on the thread.
    m_pEnum.Release();
    m_pObject.Release();
    m_pServices.Release();
    delete m_pComInit;
}

HRESULT CWMIClient::Connect() {
    if (m_pServices != nullptr) return S_OK;
    m_hr = S_FALSE;

    if (!m_pComInit) {
        m_pComInit = new (std::nothrow) CAutoInitializeCOM;
        if (!m_pComInit) {
            m_hr = ERROR_NOT_ENOUGH_MEMORY;
            return m_hr;
        }
    }
    // A thread of the other concurrency model still reaches WMI: the guard's failure is noted
    // and overwritten by the steps below.
    m_hr = m_pComInit->m_hr;

    if (s_hrComSecurity != S_OK) {
        HRESULT hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                          RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
        if (SUCCEEDED(hr) || hr == RPC_E_TOO_LATE) {
            s_hrComSecurity = S_OK;
        } else {
            s_hrComSecurity = hr;
            m_hr = hr;
            return m_hr;
        }
    }

    CComPtr<IWbemLocator> locator;
    m_hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                            reinterpret_cast<void**>(&locator));
    if (m_hr != S_OK) {
        locator.Release();
    } else {
        CComBSTR path(TEXT("\\\\.\\root\\wmi"));
        long flags = IsWindowsXPOrLater() ? WBEM_FLAG_CONNECT_USE_MAX_WAIT : 0;
        m_hr = locator->ConnectServer(path, nullptr, nullptr, nullptr, flags, nullptr, nullptr, &m_pServices);
        if (m_hr != S_OK)
            m_pServices.Release();
        else
            m_hr = CoSetProxyBlanket(m_pServices, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                     RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    }
    // A namespace without its proxy blanket is not a connection.
    if (m_hr != S_OK && m_pServices != nullptr) m_pServices.Release();
    return m_hr;
}

HRESULT CWMIClient::ExecQuery(LPCWSTR query) {
    if (!query) return ERROR_INVALID_PARAMETER;
    if (m_pServices == nullptr) {
        m_hr = kNotConnected;
        return m_hr;
    }
    m_pEnum.Release();
    CComBSTR language(TEXT("WQL"));
    CComBSTR text(query);
    m_hr = m_pServices->ExecQuery(language, text, WBEM_FLAG_FORWARD_ONLY, nullptr, &m_pEnum);
    if (m_hr != S_OK) {
        m_pEnum.Release();
        return m_hr;
    }
    return Next();
}

HRESULT CWMIClient::Next() {
    m_pObject.Release();
    if (m_pEnum == nullptr) {
        m_hr = kNotConnected;
        return m_hr;
    }
    ULONG returned = 0;
    m_hr = m_pEnum->Next(kNextTimeoutMs, 1, &m_pObject, &returned);
    if (m_hr == S_OK) return S_OK;
    m_pObject.Release();
    return m_hr;
}

HRESULT CWMIClient::PutProperty(LPCWSTR name, const VARIANT* value) {
    if (!name) return ERROR_INVALID_PARAMETER;
    if (m_pServices == nullptr || m_pObject == nullptr) {
        m_hr = kNoObject;
        return m_hr;
    }
    m_hr = m_pObject->Put(name, 0, const_cast<VARIANT*>(value), 0);
    if (m_hr == S_OK) m_hr = m_pServices->PutInstance(m_pObject, WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr);
    return m_hr;
}
