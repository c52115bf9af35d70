// Files of the simulated machine: shlwapi's PathFileExistsW and the C runtime's wide file output.
// The FILE is a real host stream whose bytes go to the mapped host file; fputws takes UTF-16 text
// and writes it in the encoding that the open chose (UTF-16LE or UTF-8), turning LF into CR LF.
#pragma once
#include <cstdio>
#include "types.h"

BOOL PathFileExistsW(LPCWSTR pszPath);

errno_t _wfopen_s(FILE** pFile, LPCWSTR filename, LPCWSTR mode);
int fputws(LPCWSTR str, FILE* stream);
// fclose is the C runtime's own: the simulated file's stream releases it when it closes.
