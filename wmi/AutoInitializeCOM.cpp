#include "AutoInitializeCOM.h"

CAutoInitializeCOMEx::CAutoInitializeCOMEx(DWORD concurrencyModel) : m_hr(CoInitializeEx(nullptr, concurrencyModel)) {}

CAutoInitializeCOMEx::~CAutoInitializeCOMEx() {
    if (SUCCEEDED(m_hr)) CoUninitialize();
}

CAutoInitializeCOM::CAutoInitializeCOM() : CAutoInitializeCOMEx(COINIT_APARTMENTTHREADED) {}
