// Shell folders (shell32): the folder paths that SHGetFolderPathW reports, by CSIDL.
#include <cstring>
#include "machine.h"
#include "win/shell.h"

using sim::machine;

HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD dwFlags, LPWSTR pszPath) {
    machine().calls.Add("SHGetFolderPathW", sim::FromUtf8(std::to_string(csidl) + " " + std::to_string(dwFlags)));
    if (!pszPath) return E_INVALIDARG;
    // A failing call leaves the caller's buffer as it was.
    if (auto fault = machine().faults.Hit("SHGetFolderPathW", sim::FromUtf8(std::to_string(csidl))))
        return static_cast<HRESULT>(fault->result);
    auto it = machine().shellFolders.find(csidl);
    if (it == machine().shellFolders.end()) return E_FAIL;
    size_t n = it->second.size() < MAX_PATH - 1 ? it->second.size() : MAX_PATH - 1;
    std::memcpy(pszPath, it->second.data(), n * 2);
    pszPath[n] = 0;
    return S_OK;
}
