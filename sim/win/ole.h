// OLE and COM initialisation of the simulated machine (ole32). Apartments are kept per thread.
#pragma once
#include "types.h"

#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2

HRESULT OleInitialize(LPVOID pvReserved);
void OleUninitialize(void);
HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
void CoUninitialize(void);
