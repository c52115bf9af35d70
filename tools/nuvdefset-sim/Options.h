// The tool's command line.
#pragma once
#include <string>

namespace simtool {

struct Options {
    std::string profile;  // empty: the built-in default notebook
    int runs = 1;         // commits of the loaded module, one after another in this process
    bool json = false;    // the report as one JSON document on standard output
    std::string out;      // folder for drive C and the registry after the run; empty: none
    bool help = false;
};

extern const char kUsage[];

// Throws InputError (with no file) for an option that is unknown, missing its value or out of range.
Options ParseOptions(int argc, char** argv);

}  // namespace simtool
