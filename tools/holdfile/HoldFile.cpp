// nuvholdfile FILE READY: holds FILE open as another program on the notebook might (read and write
// access, the file made empty when it did not exist), then creates the file READY to say so, and
// waits until it is ended. For the Wine runs of a notebook whose log file another program holds.
//
// It shares nothing. On Windows the C runtime's _wfopen_s asks for no sharing itself, so the log's
// open fails while any other program has the file open, sharing or not. Wine's _wfopen_s asks for
// full sharing instead (it opens as _wfopen does), so there only a holder that shares nothing makes
// the open fail: this one shows under Wine what every holder causes on Windows.
#include <windows.h>
#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        fwprintf(stderr, L"usage: nuvholdfile FILE READY\n");
        return 2;
    }
    HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        fwprintf(stderr, L"nuvholdfile: cannot open %ls: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE) {
        fwprintf(stderr, L"nuvholdfile: cannot create %ls: error %lu\n", argv[2], GetLastError());
        return 1;
    }
    CloseHandle(ready);
    Sleep(INFINITE);
    return 0;
}
