// Loads a DLL and calls its commit export with an install handle, as Windows Installer does;
// prints the result and exits with it. Usage: nuvloader DLL [RUNS]
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

typedef UINT(WINAPI* CommitFunction)(ULONG);

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: nuvloader DLL [RUNS]\n");
        return 2;
    }
    int runs = argc > 2 ? _wtoi(argv[2]) : 1;
    HMODULE module = LoadLibraryW(argv[1]);
    if (!module) {
        fwprintf(stderr, L"cannot load %ls: error %lu\n", argv[1], GetLastError());
        return 2;
    }
    CommitFunction commit = reinterpret_cast<CommitFunction>(GetProcAddress(module, "nuvMSICommit"));
    if (!commit) {
        fwprintf(stderr, L"no export nuvMSICommit in %ls\n", argv[1]);
        return 2;
    }
    UINT result = 0;
    for (int i = 0; i < runs; ++i) {
        result = commit(1234);
        wprintf(L"nuvMSICommit returned %u\n", result);
    }
    FreeLibrary(module);
    return static_cast<int>(result);
}
