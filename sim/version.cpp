// GetVersionExW (kernel32): the machine's Windows version, in the basic or the extended structure.
#include "version.h"
#include <cstring>
#include "machine.h"
#include "win/kernel.h"
#include "win/version.h"

using sim::machine;

BOOL GetVersionExW(LPOSVERSIONINFOW lpVersionInformation) {
    if (!lpVersionInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    machine().calls.Add("GetVersionExW", sim::FromUtf8(std::to_string(size)));
    if (auto fault = machine().faults.Hit("GetVersionExW", u"")) {
        SetLastError(fault->lastError);
        return static_cast<BOOL>(fault->result);
    }
    if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const sim::WindowsVersion& v = machine().version;
    lpVersionInformation->dwMajorVersion = v.major;
    lpVersionInformation->dwMinorVersion = v.minor;
    lpVersionInformation->dwBuildNumber = v.build;
    lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof lpVersionInformation->szCSDVersion);
    size_t n = v.servicePack.size() < 127 ? v.servicePack.size() : 127;
    std::memcpy(lpVersionInformation->szCSDVersion, v.servicePack.data(), n * sizeof(WCHAR));
    if (size == sizeof(OSVERSIONINFOEXW)) {
        auto* ex = reinterpret_cast<OSVERSIONINFOEXW*>(lpVersionInformation);
        WORD pack = 0;
        for (WCHAR c : v.servicePack)
            if (c >= u'0' && c <= u'9') pack = static_cast<WORD>(pack * 10 + (c - u'0'));
        ex->wServicePackMajor = pack;
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = 0x100;  // VER_SUITE_SINGLEUSERTS
        ex->wProductType = 1;    // VER_NT_WORKSTATION
        ex->wReserved = 0;
    }
    return TRUE;
}
