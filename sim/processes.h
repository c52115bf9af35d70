// Programs and processes of the simulated machine. A program is registered by its full path and
// has a body: a function that gets the command line as the process received it, may change the
// machine (the registry, the drive), may write to its standard error, and returns the exit code.
// The body runs when the process starts; the process then lasts for its program's virtual run
// time (or a staged one), so that waits move the virtual clock instead of taking real time.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
#include "text.h"

namespace sim {

// The run time of a process that never ends.
constexpr uint64_t kForever = UINT64_MAX;

using ProgramBody = std::function<DWORD(const wstring& commandLine, wstring& standardError)>;

struct Program {
    wstring path;
    ProgramBody body;
    uint64_t durationMs = 0;
};

struct Process {
    DWORD id = 0;
    wstring program;      // full path of the program it runs
    wstring commandLine;  // as the process received it
    uint64_t startMs = 0;
    uint64_t endMs = 0;   // kForever for a process that never ends
    DWORD exitCode = 0;
    wstring standardError;
    bool RunningAt(uint64_t nowMs) const { return nowMs < endMs; }
};

// One call of CreateProcessW with what it was given, and how it ended.
struct ProcessStart {
    std::optional<wstring> applicationName;  // nullopt: NULL
    wstring commandLine;                     // empty for NULL
    bool inheritHandles = false;
    DWORD creationFlags = 0;
    bool callersEnvironment = true;       // lpEnvironment was NULL
    bool callersCurrentDirectory = true;  // lpCurrentDirectory was NULL
    DWORD startupSize = 0;                // STARTUPINFOW::cb
    DWORD startupFlags = 0;
    WORD showWindow = 0;
    std::shared_ptr<Process> process;  // null when the start failed
    DWORD lastError = 0;               // of a failed start
};

class Processes {
public:
    // Registers (or replaces) the program at `path`; `durationMs` is its run time (kForever: hangs).
    void Register(wstring path, ProgramBody body, uint64_t durationMs = 0);
    void Unregister(wstring_view path);
    const Program* Find(wstring_view path) const;  // case ignored

    // A start whose command line contains `subject` (case ignored; empty: any start) runs for
    // `durationMs` instead of its program's run time: the nth such start (1-based), or every one (0).
    // With `whole`, only a command line that is `subject` entire (case ignored) counts.
    void StageDuration(wstring subject, int nth, uint64_t durationMs, bool whole = false);

    // The folder against which a relative program path is resolved and that is searched first.
    wstring currentDirectory = u"C:\\Windows\\system32";

    // The program that a command line starts when no application name is given, found as Windows
    // finds it: a quoted name up to its closing quote; otherwise successively longer prefixes up to
    // each blank, then the whole line. ".exe" is appended to a name without extension; a name
    // without a folder is searched in the current directory, the system and the Windows folder.
    // nullopt when nothing registered matches.
    std::optional<wstring> Resolve(wstring_view commandLine, wstring_view systemFolder,
                                   wstring_view windowsFolder) const;

    // Used by CreateProcessW.
    uint64_t DurationOf(const Program& program, wstring_view commandLine);
    DWORD NextId() { return m_nextId += 4; }
    void Record(ProcessStart start) { m_starts.push_back(std::move(start)); }

    const std::vector<ProcessStart>& Starts() const { return m_starts; }
    // The command line of every CreateProcessW call, in order, failed starts included.
    std::vector<wstring> CommandLines() const;
    // The processes that have not ended at `nowMs`.
    std::vector<std::shared_ptr<Process>> Running(uint64_t nowMs) const;

private:
    struct Staged {
        wstring subject;
        int nth;
        uint64_t durationMs;
        bool whole;
        int seen = 0;
    };
    std::optional<wstring> ResolveName(wstring name, wstring_view systemFolder, wstring_view windowsFolder) const;

    std::vector<Program> m_programs;
    std::vector<Staged> m_staged;
    std::vector<ProcessStart> m_starts;
    DWORD m_nextId = 1000;
};

}  // namespace sim
