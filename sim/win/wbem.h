// WMI of the simulated machine (wbemprox, wbemsvc): the locator, a namespace's services, the
// enumerator of a query and the class object of one instance, with the methods that callers use
// and their status codes.
#pragma once
#include "oleaut.h"

typedef long CIMTYPE;

enum CIMTYPE_ENUMERATION {
    CIM_ILLEGAL = 0xFFF,
    CIM_EMPTY = 0,
    CIM_SINT8 = 16,
    CIM_UINT8 = 17,
    CIM_SINT16 = 2,
    CIM_UINT16 = 18,
    CIM_SINT32 = 3,
    CIM_UINT32 = 19,
    CIM_SINT64 = 20,
    CIM_UINT64 = 21,
    CIM_REAL32 = 4,
    CIM_REAL64 = 5,
    CIM_BOOLEAN = 11,
    CIM_STRING = 8,
};

enum WBEM_GENERIC_FLAG_TYPE {
    WBEM_FLAG_RETURN_IMMEDIATELY = 0x10,
    WBEM_FLAG_RETURN_WBEM_COMPLETE = 0,
    WBEM_FLAG_BIDIRECTIONAL = 0,
    WBEM_FLAG_FORWARD_ONLY = 0x20,
};

enum WBEM_CHANGE_FLAG_TYPE {
    WBEM_FLAG_CREATE_OR_UPDATE = 0,
    WBEM_FLAG_UPDATE_ONLY = 0x1,
    WBEM_FLAG_CREATE_ONLY = 0x2,
};

enum WBEM_CONNECT_OPTIONS {
    WBEM_FLAG_CONNECT_REPOSITORY_ONLY = 0x40,
    WBEM_FLAG_CONNECT_USE_MAX_WAIT = 0x80,
};

enum WBEM_TIMEOUT_TYPE {
    WBEM_NO_WAIT = 0,
    WBEM_INFINITE = 0xFFFFFFFF,
};

enum WBEMSTATUS : uint32_t {
    WBEM_NO_ERROR = 0,
    WBEM_S_NO_ERROR = 0,
    WBEM_S_FALSE = 1,
    WBEM_S_TIMEDOUT = 0x40004,
    WBEM_E_FAILED = 0x80041001,
    WBEM_E_NOT_FOUND = 0x80041002,
    WBEM_E_ACCESS_DENIED = 0x80041003,
    WBEM_E_TYPE_MISMATCH = 0x80041005,
    WBEM_E_OUT_OF_MEMORY = 0x80041006,
    WBEM_E_INVALID_PARAMETER = 0x80041008,
    WBEM_E_INVALID_NAMESPACE = 0x8004100E,
    WBEM_E_INVALID_CLASS = 0x80041010,
    WBEM_E_TRANSPORT_FAILURE = 0x80041015,
    WBEM_E_INITIALIZATION_FAILURE = 0x80041014,
    WBEM_E_INVALID_QUERY = 0x80041017,
    WBEM_E_ALREADY_EXISTS = 0x80041019,
    WBEM_E_INVALID_QUERY_TYPE = 0x80041018,
    WBEM_E_LOCAL_CREDENTIALS = 0x80041064,
};

struct IWbemContext;
struct IWbemCallResult;

struct IWbemClassObject : IUnknown {
    // Sets a property of this local copy of the object; Type 0 keeps the declared type.
    virtual HRESULT Put(LPCWSTR wszName, long lFlags, VARIANT* pVal, CIMTYPE Type) = 0;
};

struct IEnumWbemClassObject : IUnknown {
    // Up to uCount objects, waiting at most lTimeout milliseconds; WBEM_S_FALSE when fewer were
    // left, WBEM_S_TIMEDOUT when the time ran out first.
    virtual HRESULT Next(long lTimeout, ULONG uCount, IWbemClassObject** apObjects, ULONG* puReturned) = 0;
};

struct IWbemServices : IUnknown {
    virtual HRESULT ExecQuery(const BSTR strQueryLanguage, const BSTR strQuery, long lFlags, IWbemContext* pCtx,
                              IEnumWbemClassObject** ppEnum) = 0;
    virtual HRESULT PutInstance(IWbemClassObject* pInst, long lFlags, IWbemContext* pCtx,
                                IWbemCallResult** ppCallResult) = 0;
};

struct IWbemLocator : IUnknown {
    virtual HRESULT ConnectServer(const BSTR strNetworkResource, const BSTR strUser, const BSTR strPassword,
                                  const BSTR strLocale, long lSecurityFlags, const BSTR strAuthority,
                                  IWbemContext* pCtx, IWbemServices** ppNamespace) = 0;
};

extern const CLSID CLSID_WbemLocator;
extern const IID IID_IWbemLocator;
extern const IID IID_IWbemServices;
extern const IID IID_IEnumWbemClassObject;
extern const IID IID_IWbemClassObject;
