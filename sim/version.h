// The version of the simulated Windows: 6.1 (Windows 7 with Service Pack 1) unless a test sets
// another, such as 5.0 for Windows 2000.
#pragma once
#include <string>
#include "win/types.h"

namespace sim {

struct WindowsVersion {
    DWORD major = 6;
    DWORD minor = 1;
    DWORD build = 7601;
    std::u16string servicePack = u"Service Pack 1";
};

}  // namespace sim
