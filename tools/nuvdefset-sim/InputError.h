// A fault in what the user gave the tool (a profile, a registry file it imports, the command line):
// the file, the line and what is wrong. Reading stops at the first one and nothing is run.
#pragma once
#include <string>

namespace simtool {

struct InputError {
    std::string file;  // as the user named it; empty for the command line
    int line = 0;      // 1-based; 0 when no line applies
    std::string message;

    // "file:line: message", "file: message" or "message".
    std::string Text() const;
};

}  // namespace simtool
