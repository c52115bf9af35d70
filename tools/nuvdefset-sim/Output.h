// The machine after the run, written to a folder so that two runs can be compared with diff:
// drive C as DIR/C (its files as they are: defSet.log in UTF-16LE), HKEY_LOCAL_MACHINE as
// DIR/registry.reg in the Windows registry export format, and the command lines of the processes
// that were started, in order, as DIR/commands.txt (UTF-8, one a line; failed starts left out).
#pragma once
#include <string>

namespace simtool {

// Before the run: DIR must be new, empty, or hold an earlier output (those three only),
// which WriteOutput replaces; a folder that holds anything else is refused and left alone.
// Throws std::runtime_error.
void CheckOutput(const std::string& dir);

// After the run. Throws std::runtime_error.
void WriteOutput(const std::string& dir);

}  // namespace simtool
