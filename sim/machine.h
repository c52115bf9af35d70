// The simulated Windows machine: one value that a test or the simulation tool builds, holding the
// state of every API area, the staged faults and the record of calls. Reset() gives a fresh
// default machine: a 32-bit Windows 7 with English (United States), an empty drive C on a new host
// folder, and the usual shell folders.
#pragma once
#include <map>
#include <string>
#include "apartments.h"
#include "clock.h"
#include "com.h"
#include "devices.h"
#include "drive.h"
#include "faults.h"
#include "handles.h"
#include "oleaut.h"
#include "processes.h"
#include "registry.h"
#include "version.h"
#include "windows.h"
#include "wmi.h"

namespace sim {

struct Locale {
    LCID userLcid = 0x0409;
    LANGID uiLanguage = 0x0409;
};

struct Machine {
    Registry registry;
    Drive drive;
    std::map<int, wstring> shellFolders;  // by CSIDL
    Locale locale;
    Clock clock;
    WindowSystem windows;
    Apartments apartments;
    Handles handles;
    Faults faults;
    CallRecord calls;
    long localAllocations = 0;  // LocalAlloc blocks not yet freed
    Automation automation;
    Processes processes;
    Com com;
    Wmi wmi;
    Devices devices;
    WindowsVersion version;
};

Machine& machine();

// A fresh default machine. Its drive C is a new folder below the host's temporary folder, or
// `hostFolder` when one is given (created when missing; its content is kept).
void Reset(const std::string& hostFolder = std::string());

}  // namespace sim
