// Last error, CloseHandle and local memory (kernel32).
#include <cstdlib>
#include <cstring>
#include "machine.h"
#include "win/kernel.h"

using sim::machine;

namespace {
thread_local DWORD t_lastError = 0;
}

DWORD GetLastError(void) { return t_lastError; }
void SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

BOOL CloseHandle(HANDLE hObject) {
    sim::HandleKind* kind = machine().handles.KindOf(hObject);
    if (!kind || *kind == sim::HandleKind::RegistryKey) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const char16_t* what = *kind == sim::HandleKind::Process  ? u"process"
                           : *kind == sim::HandleKind::Thread ? u"thread"
                                                              : u"";
    machine().calls.Add("CloseHandle", what);
    machine().handles.Close(hObject);
    return TRUE;
}

HLOCAL LocalAlloc(UINT uFlags, size_t uBytes) {
    if (machine().faults.Hit("LocalAlloc", u"")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void* p = std::malloc(uBytes ? uBytes : 1);
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (uFlags & LMEM_ZEROINIT) std::memset(p, 0, uBytes);
    ++machine().localAllocations;
    return p;
}

HLOCAL LocalFree(HLOCAL hMem) {
    if (hMem) {
        std::free(hMem);
        --machine().localAllocations;
    }
    return nullptr;
}
