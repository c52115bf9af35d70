// Programs and processes: the state, and CreateProcessW, WaitForSingleObject and
// GetExitCodeProcess of kernel32.
#include "processes.h"
#include <cstdio>
#include <cstdlib>
#include "machine.h"
#include "win/kernel.h"
#include "win/process.h"

namespace sim {

namespace {

bool IsBlank(WCHAR c) { return c == u' ' || c == u'\t'; }

wstring JoinPath(wstring_view folder, wstring_view name) {
    wstring out(folder);
    if (!out.empty() && out.back() != u'\\') out += u'\\';
    out += name;
    return out;
}

}  // namespace

void Processes::Register(wstring path, ProgramBody body, uint64_t durationMs) {
    Unregister(path);
    m_programs.push_back(Program{std::move(path), std::move(body), durationMs});
}

void Processes::Unregister(wstring_view path) {
    for (auto it = m_programs.begin(); it != m_programs.end(); ++it)
        if (EqualsNoCase(it->path, path)) {
            m_programs.erase(it);
            return;
        }
}

const Program* Processes::Find(wstring_view path) const {
    for (const Program& program : m_programs)
        if (EqualsNoCase(program.path, path)) return &program;
    return nullptr;
}

void Processes::StageDuration(wstring subject, int nth, uint64_t durationMs, bool whole) {
    m_staged.push_back(Staged{std::move(subject), nth, durationMs, whole});
}

uint64_t Processes::DurationOf(const Program& program, wstring_view commandLine) {
    std::optional<uint64_t> staged;
    for (Staged& s : m_staged) {
        if (s.whole ? !EqualsNoCase(commandLine, s.subject)
                    : !s.subject.empty() && !ContainsNoCase(commandLine, s.subject))
            continue;
        ++s.seen;
        if (!staged && (s.nth == 0 || s.nth == s.seen)) staged = s.durationMs;
    }
    return staged ? *staged : program.durationMs;
}

std::optional<wstring> Processes::ResolveName(wstring name, wstring_view systemFolder,
                                              wstring_view windowsFolder) const {
    size_t lastSlash = name.rfind(u'\\');
    size_t fileStart = lastSlash == wstring::npos ? 0 : lastSlash + 1;
    if (name.empty() || fileStart == name.size()) return std::nullopt;
    if (name.find(u'.', fileStart) == wstring::npos) name += u".exe";

    std::vector<wstring> candidates;
    if (name.size() >= 3 && name[1] == u':' && name[2] == u'\\')
        candidates.push_back(name);  // fully qualified
    else if (name[0] == u'\\')
        candidates.push_back(u"C:" + name);  // the root of the current drive
    else if (lastSlash != wstring::npos)
        candidates.push_back(JoinPath(currentDirectory, name));
    else
        candidates = {JoinPath(currentDirectory, name), JoinPath(systemFolder, name), JoinPath(windowsFolder, name)};
    for (const wstring& candidate : candidates)
        if (const Program* program = Find(candidate)) return program->path;
    return std::nullopt;
}

std::optional<wstring> Processes::Resolve(wstring_view commandLine, wstring_view systemFolder,
                                          wstring_view windowsFolder) const {
    size_t start = 0;
    while (start < commandLine.size() && IsBlank(commandLine[start])) ++start;
    wstring_view line = commandLine.substr(start);
    if (!line.empty() && line[0] == u'"') {
        size_t close = line.find(u'"', 1);
        return ResolveName(wstring(line.substr(1, close == wstring_view::npos ? wstring_view::npos : close - 1)),
                           systemFolder, windowsFolder);
    }
    for (size_t end = 0; end <= line.size(); ++end) {
        if (end < line.size() && !IsBlank(line[end])) continue;
        if (end == 0 || IsBlank(line[end - 1])) continue;  // only the end of a run of characters
        if (auto found = ResolveName(wstring(line.substr(0, end)), systemFolder, windowsFolder)) return found;
    }
    return std::nullopt;
}

std::vector<wstring> Processes::CommandLines() const {
    std::vector<wstring> lines;
    for (const ProcessStart& start : m_starts) lines.push_back(start.commandLine);
    return lines;
}

std::vector<std::shared_ptr<Process>> Processes::Running(uint64_t nowMs) const {
    std::vector<std::shared_ptr<Process>> running;
    for (const ProcessStart& start : m_starts)
        if (start.process && start.process->RunningAt(nowMs)) running.push_back(start.process);
    return running;
}

}  // namespace sim

// ---- kernel32 ---------------------------------------------------------------------------------

using sim::machine;
using sim::wstring;

namespace {

sim::Process* ProcessOf(HANDLE handle, bool threadToo) {
    sim::HandleKind* kind = machine().handles.KindOf(handle);
    if (!kind) return nullptr;
    if (*kind == sim::HandleKind::Process) return machine().handles.Get<sim::Process>(handle, *kind);
    if (threadToo && *kind == sim::HandleKind::Thread) return machine().handles.Get<sim::Process>(handle, *kind);
    return nullptr;
}

wstring ShellFolder(int csidl) {
    auto it = machine().shellFolders.find(csidl);
    return it == machine().shellFolders.end() ? wstring() : it->second;
}

BOOL FailStart(sim::ProcessStart record, DWORD error) {
    record.lastError = error;
    machine().processes.Record(std::move(record));
    SetLastError(error);
    return FALSE;
}

}  // namespace

BOOL CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL bInheritHandles, DWORD dwCreationFlags, LPVOID lpEnvironment, LPCWSTR lpCurrentDirectory,
                    LPSTARTUPINFOW lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation) {
    auto& m = machine();
    sim::ProcessStart record;
    if (lpApplicationName) record.applicationName = wstring(lpApplicationName);
    record.commandLine = sim::FromNullable(lpCommandLine);
    record.inheritHandles = bInheritHandles != FALSE;
    record.creationFlags = dwCreationFlags;
    record.callersEnvironment = lpEnvironment == nullptr;
    record.callersCurrentDirectory = lpCurrentDirectory == nullptr;
    if (lpStartupInfo) {
        record.startupSize = lpStartupInfo->cb;
        record.startupFlags = lpStartupInfo->dwFlags;
        record.showWindow = lpStartupInfo->wShowWindow;
    }
    m.calls.Add("CreateProcessW", record.commandLine);
    if (!lpStartupInfo || !lpProcessInformation || (!lpApplicationName && !lpCommandLine))
        return FailStart(std::move(record), ERROR_INVALID_PARAMETER);
    // Windows may write into the command line while it parses it, so it must be writable: the
    // simulated call writes into it too, which faults on a literal as it would on Windows.
    if (lpCommandLine) {
        volatile WCHAR* first = lpCommandLine;
        *first = *first;
    }
    if (auto fault = m.faults.Hit("CreateProcessW", record.commandLine))
        return FailStart(std::move(record), fault->lastError);

    std::optional<wstring> path;
    if (lpApplicationName) {
        // The name is taken as given, with no extension added and no search: fully qualified, or
        // relative to the current directory.
        wstring name = lpApplicationName;
        bool qualified = name.size() >= 3 && name[1] == u':' && name[2] == u'\\';
        if (const sim::Program* found = m.processes.Find(qualified ? name : m.processes.currentDirectory + u"\\" + name))
            path = found->path;
    } else {
        path = m.processes.Resolve(record.commandLine, ShellFolder(0x25), ShellFolder(0x24));
    }
    if (!path) return FailStart(std::move(record), ERROR_FILE_NOT_FOUND);

    const sim::Program program = *m.processes.Find(*path);  // a copy: the body may register programs
    auto process = std::make_shared<sim::Process>();
    process->id = m.processes.NextId();
    process->program = program.path;
    process->commandLine = record.commandLine;
    process->startMs = m.clock.NowMs();
    uint64_t duration = m.processes.DurationOf(program, record.commandLine);
    process->endMs = duration == sim::kForever ? sim::kForever : process->startMs + duration;
    record.process = process;
    m.processes.Record(record);
    if (program.body) process->exitCode = program.body(process->commandLine, process->standardError);

    lpProcessInformation->hProcess = m.handles.Add(sim::HandleKind::Process, process);
    lpProcessInformation->hThread = m.handles.Add(sim::HandleKind::Thread, process);
    lpProcessInformation->dwProcessId = process->id;
    lpProcessInformation->dwThreadId = process->id + 2;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    auto& m = machine();
    sim::Process* process = ProcessOf(hHandle, true);
    m.calls.Add("WaitForSingleObject", process ? process->commandLine : wstring());
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (auto fault = m.faults.Hit("WaitForSingleObject", process->commandLine)) {
        SetLastError(fault->lastError);
        return static_cast<DWORD>(fault->result);
    }
    uint64_t now = m.clock.NowMs();
    if (!process->RunningAt(now)) return WAIT_OBJECT_0;
    if (dwMilliseconds == INFINITE && process->endMs == sim::kForever) {
        std::fprintf(stderr, "simulated machine: endless wait for a process that never ends: %s\n",
                     sim::ToUtf8(process->commandLine).c_str());
        std::abort();
    }
    uint64_t remaining = process->endMs - now;
    if (dwMilliseconds != INFINITE && remaining > dwMilliseconds) {
        m.clock.Advance(dwMilliseconds);
        return WAIT_TIMEOUT;
    }
    m.clock.Advance(remaining);
    return WAIT_OBJECT_0;
}

BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    sim::Process* process = ProcessOf(hProcess, false);
    if (!process || !lpExitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *lpExitCode = process->RunningAt(machine().clock.NowMs()) ? STILL_ACTIVE : process->exitCode;
    return TRUE;
}
