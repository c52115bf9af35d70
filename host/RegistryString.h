#pragma once
#include "../framework/CString.h"

// A string value below HKEY_LOCAL_MACHINE; empty on any failure or for a value that is not a string.
CString ReadRegistryString(LPCWSTR subKey, LPCWSTR valueName);
