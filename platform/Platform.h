// The one header through which the system reaches the operating system. On Windows it includes the
// SDK's headers; elsewhere the simulated Windows machine's API, which has the same names and meanings.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>
#include <setupapi.h>
#include <devguid.h>
#include <wbemidl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <stdio.h>
#include <time.h>
#include <wchar.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;
// The module that holds this code, as the framework's resource handle.
#define NUV_THIS_MODULE (reinterpret_cast<HMODULE>(&__ImageBase))
// The exported function: undecorated through the module definition file.
#define NUV_EXPORT extern "C"
#else
#include "../sim/win/api.h"

extern "C" void* __dso_handle;
#define NUV_THIS_MODULE (reinterpret_cast<HMODULE>(&__dso_handle))
#define NUV_EXPORT extern "C" __attribute__((visibility("default")))
#endif
