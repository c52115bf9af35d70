// The stand-in for the system's power configuration tool, powercfg.exe: it carries out the
// commands that NuvraDefSet sends, on the power-scheme store of the registry (PowerStore.h).
//
//   -setacvalueindex SCHEME SUBGROUP SETTING INDEX   the index of a setting on AC power
//   -setdcvalueindex SCHEME SUBGROUP SETTING INDEX   the same on battery power
//   -changename SCHEME NAME [DESCRIPTION]            the scheme's name and description
//   -setactive SCHEME                                the active scheme
//   /hibernate /size PERCENT                         the hibernation file size, 50 to 100
//   -ReplaceDefaultSchemes                           the user's schemes become the default ones
//
// Switches begin with '-' or '/' and ignore case. SCHEME, SUBGROUP and SETTING are GUID texts
// without braces; INDEX is a decimal or 0x-hexadecimal 32-bit number. A scheme that does not exist
// or an argument that does not fit is refused with a message and exit code 1.
#pragma once
#include <string>
#include <vector>
#include "../../platform/Platform.h"

namespace powercfg {

using Text = std::basic_string<WCHAR>;

// The arguments of a command line as the C runtime splits them into argv, the program first.
std::vector<Text> SplitCommandLine(const Text& commandLine);

// Carries out the command line (the program's name first, as a process receives it). Messages for
// the user are appended to `errors`. Returns the exit code: 0 when done, 1 when refused or failed.
int Execute(const Text& commandLine, Text& errors);

}  // namespace powercfg
