// powercfg.exe, the stand-in power tool for runs under Wine. When the environment variable
// NUV_POWERCFG_RECORD names a file, each command line received is appended to it in UTF-8, one
// line each, before the command is carried out.
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include "PowerCfg.h"

namespace {

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

}  // namespace

int wmain() {
    const wchar_t* commandLine = GetCommandLineW();
    Record(commandLine);
    powercfg::Text errors;
    int code = powercfg::Execute(commandLine, errors);
    if (!errors.empty()) fwprintf(stderr, L"%ls", errors.c_str());
    return code;
}
