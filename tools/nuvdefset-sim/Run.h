// The commits: the module loaded as Windows Installer loads the DLL, nuvMSICommit called once per
// run on the simulated machine, and after each call the log lines that it wrote.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>
#include "sim/win/types.h"

namespace simtool {

struct LogLine {
    std::string file;  // the log's Windows path, UTF-8
    std::string text;  // the line as it stands in the file (time stamp, TAB, message), UTF-8
    // The message after the 12-character time stamp and its TAB; the whole text for a line
    // without one (the continuation of a message that held a line feed).
    std::string Message() const;
    std::string Stamp() const;  // empty for a line without one
};

struct Commit {
    int number = 0;  // 1-based
    UINT result = 0;
    size_t firstCall = 0;  // the commit's calls in the machine's call record: [firstCall, endCall)
    size_t endCall = 0;
    std::vector<LogLine> lines;  // written during this commit, in file order
};

// Loads NuvraDefSet.so from the tool's own folder, commits `runs` times one after another with the
// module loaded, hands each commit to `done` as soon as it returned, and unloads the module.
// Throws std::runtime_error when the module cannot be loaded.
std::vector<Commit> RunCommits(int runs, const std::function<void(const Commit&)>& done);

}  // namespace simtool
