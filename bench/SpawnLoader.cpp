// nuvbench-spawn: the baseline of the Wine overhead figure. It starts the command lines of a file
// (UTF-8, one a line) one after another as the power-plan wrapper starts powercfg.exe: no
// application name, a writable command line, a hidden window, a wait of at most 60 seconds, the
// process handle closed before the thread handle. Nothing is logged and nothing else is done, so
// a commit's time above this program's is the library's own work.
// With --load it first loads the DLL (and so every system DLL that it imports) without calling it,
// and asks for the installer's dialog window as a commit does: its starts then come from a
// process of the commit's make-up. Under Wine that matters, since a start there costs more the
// more the starting process has loaded.
// Usage: nuvbench-spawn [--load DLL] FILE. Prints the number of starts and the time they took.
#include <windows.h>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> ReadLines(const wchar_t* path) {
    std::vector<std::wstring> lines;
    FILE* file = _wfopen(path, L"rb");
    if (!file) return lines;
    std::string bytes;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
    fclose(file);

    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        at = end + 1;
        if (line.empty()) continue;
        int chars = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(chars), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &wide[0], chars);
        lines.push_back(wide);
    }
    return lines;
}

// One start and wait, as the system's wrapper does it; false when the start failed or timed out.
bool RunOne(const std::wstring& commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    bool ended = WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0;
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return ended;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bool load = argc == 4 && wcscmp(argv[1], L"--load") == 0;
    if (argc != 2 && !load) {
        fwprintf(stderr, L"usage: nuvbench-spawn [--load DLL] FILE\n");
        return 2;
    }
    const wchar_t* file = argv[argc - 1];
    std::vector<std::wstring> lines = ReadLines(file);
    if (lines.empty()) {
        fwprintf(stderr, L"nuvbench-spawn: no command lines in %ls\n", file);
        return 2;
    }
    if (load) {
        if (!LoadLibraryW(argv[2])) {
            fwprintf(stderr, L"nuvbench-spawn: cannot load %ls: error %lu\n", argv[2], GetLastError());
            return 2;
        }
        FindWindowW(L"MsiDialogCloseClass", nullptr);
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int failed = 0;
    for (const std::wstring& line : lines)
        if (!RunOne(line)) ++failed;
    QueryPerformanceCounter(&end);
    double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    wprintf(L"starts %u\nfailed %d\nms %.3f\n", static_cast<unsigned>(lines.size()), failed, ms);
    return failed ? 1 : 0;
}
