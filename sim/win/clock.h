// Time of the simulated machine (kernel32 and the C runtime). The clock is virtual: it moves only
// when the machine advances it.
#pragma once
#include <cstddef>
#include "types.h"

void GetSystemTime(LPSYSTEMTIME lpSystemTime);
void GetLocalTime(LPSYSTEMTIME lpSystemTime);
DWORD GetTickCount(void);
errno_t _wstrtime_s(WCHAR* buffer, size_t numberOfElements);
