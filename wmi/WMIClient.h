// CWMIClient: a synchronous client of the local namespace \\.\root\wmi. It connects with
// impersonation-level security, runs one WQL query at a time, keeps the first object the query
// returned as its current object, and writes single properties of that object back. Every
// operation stores its result as the last result (m_hr) and returns it; only 0 means success.
#pragma once
#include "../framework/CComPtr.h"
#include "../framework/CObject.h"
#include "AutoInitializeCOM.h"
#include "WMIObjectPtr.h"

class CWMIClient : public CObject {
    DECLARE_SERIAL(CWMIClient)

public:
    CWMIClient();
    ~CWMIClient() override;
    CWMIClient(const CWMIClient&) = delete;
    CWMIClient& operator=(const CWMIClient&) = delete;

    // 0 when connected (at once when already connected); 8 when the COM guard cannot be allocated;
    // otherwise the failing platform call's code. Out of memory for the namespace path is raised
    // as std::bad_alloc.
    HRESULT Connect();
    // 0 when the query ran and its first object is now the current object; 87 for a NULL query
    // (m_hr untouched); WBEM_E_INITIALIZATION_FAILURE when not connected; WBEM_S_FALSE (1) when
    // nothing matched; otherwise the platform's code.
    HRESULT ExecQuery(LPCWSTR query);
    // 0 when a further object is now the current object; WBEM_S_FALSE when none is left,
    // WBEM_S_TIMEDOUT after 10 seconds without one, WBEM_E_INITIALIZATION_FAILURE without a query.
    HRESULT Next();
    // Sets one property of the current object and writes the object back (update only). 87 for a
    // NULL name (m_hr untouched); WBEM_E_NOT_FOUND when not connected or without a current object.
    HRESULT PutProperty(LPCWSTR name, const VARIANT* value);

    // Whether the process's COM security still has to be set: 1 at first, 0 once
    // CoInitializeSecurity succeeded or answered RPC_E_TOO_LATE, else its last failure.
    static HRESULT s_hrComSecurity;

    CAutoInitializeCOM* m_pComInit;
    CComPtr<IWbemServices> m_pServices;
    CComPtr<IEnumWbemClassObject> m_pEnum;
    CWMIObjectPtr m_pObject;
    HRESULT m_hr;
};
