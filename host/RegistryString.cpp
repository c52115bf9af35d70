// ReadRegistryString: asks for the type and size first, then reads the value into a buffer of
// size / 2 + 1 characters. One terminating NUL is dropped; a value stored without one keeps all its
// characters. If the second read fails (the value changed, grew or vanished in between), the result
// is empty, so the length taken never runs past what was read.
#include "RegistryString.h"
#include <vector>
#include "../framework/Handles.h"

CString ReadRegistryString(LPCWSTR subKey, LPCWSTR valueName) {
    CRegKeyHandle key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return CString();
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return CString();
    if (type != REG_SZ && type != REG_EXPAND_SZ) return CString();
    std::vector<WCHAR> buffer(size / 2 + 1, 0);
    DWORD read = size;
    if (RegQueryValueExW(key.Get(), valueName, nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer.data()), &read) !=
        ERROR_SUCCESS)
        return CString();
    DWORD length = (read < size ? read : size) / 2;
    if (length > 0 && buffer[length - 1] == 0) --length;
    return CString(buffer.data(), static_cast<int>(length));
}
