#pragma once
#include "MSIInstaller.h"

// Appends one line to the log: the local time of day as HH:MM:SS:mmm, a TAB and the text. The file
// is opened and closed for each line; when it cannot be opened the line is lost.
void WriteLog(CMSIInstaller* installer, LPCWSTR text);
