// powercfg.exe, the stand-in power tool for runs under Wine. When the environment variable
// NUV_POWERCFG_RECORD names a file, each command line received is appended to it in UTF-8, one
// line each, before the command is carried out. When NUV_POWERCFG_HANG holds the command's
// argument text (what follows the program and one blank; several texts one a line), the tool
// hangs after carrying the command out: it sleeps for ten minutes, past every time limit of the
// system, before it ends. The simulated machine's staged hang does the same: the program's work is
// done at its start, and the process runs on.
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include "PowerCfg.h"

namespace {

const DWORD kHangMilliseconds = 10 * 60 * 1000;

void Record(const wchar_t* commandLine) {
    const wchar_t* path = _wgetenv(L"NUV_POWERCFG_RECORD");
    if (!path || !*path) return;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return;
    std::string text(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, &text[0], bytes, nullptr, nullptr);
    text.back() = '\n';
    FILE* file = _wfopen(path, L"ab");
    if (!file) return;
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
}

// The argument text: the command line after the program (quoted, or up to the first blank) and
// the one blank that follows it.
std::wstring ArgumentText(const std::wstring& commandLine) {
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        i = commandLine.find(L'"', 1);
        i = i == std::wstring::npos ? commandLine.size() : i + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
    }
    if (i < commandLine.size()) ++i;
    return commandLine.substr(i);
}

bool Hangs(const std::wstring& argumentText) {
    const wchar_t* hang = _wgetenv(L"NUV_POWERCFG_HANG");
    if (!hang) return false;
    std::wstring texts = hang;
    for (size_t start = 0; start <= texts.size();) {
        size_t end = texts.find(L'\n', start);
        if (end == std::wstring::npos) end = texts.size();
        if (end > start && texts.compare(start, end - start, argumentText) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

int wmain() {
    const wchar_t* commandLine = GetCommandLineW();
    Record(commandLine);
    powercfg::Text errors;
    int code = powercfg::Execute(commandLine, errors);
    if (!errors.empty()) fwprintf(stderr, L"%ls", errors.c_str());
    if (Hangs(ArgumentText(commandLine))) Sleep(kHangMilliseconds);
    return code;
}
