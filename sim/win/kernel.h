// Handles, last error and local memory of the simulated machine (kernel32).
#pragma once
#include "types.h"

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

DWORD GetLastError(void);
void SetLastError(DWORD dwErrCode);
BOOL CloseHandle(HANDLE hObject);
HLOCAL LocalAlloc(UINT uFlags, size_t uBytes);
HLOCAL LocalFree(HLOCAL hMem);
