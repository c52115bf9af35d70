// COM initialisation guards for the current thread: the constructor initialises COM, the
// destructor undoes it only when that initialisation succeeded (S_FALSE included: the thread was
// initialised already and the call still counts). After a failure, RPC_E_CHANGED_MODE for a thread
// of the other concurrency model, nothing is undone.
#pragma once
#include "../platform/Platform.h"

class CAutoInitializeCOMEx {
public:
    explicit CAutoInitializeCOMEx(DWORD concurrencyModel);
    virtual ~CAutoInitializeCOMEx();
    CAutoInitializeCOMEx(const CAutoInitializeCOMEx&) = delete;
    CAutoInitializeCOMEx& operator=(const CAutoInitializeCOMEx&) = delete;

    HRESULT m_hr;  // the result of CoInitializeEx
};

// The guard for a single-threaded apartment.
class CAutoInitializeCOM : public CAutoInitializeCOMEx {
public:
    CAutoInitializeCOM();
};
