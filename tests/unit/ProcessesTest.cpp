// Processes of the simulated machine: which program a command line starts, virtual run time,
// staged failures, the record of starts, and handles.
#include <gtest/gtest.h>
#include <vector>
#include "platform/Platform.h"
#include "sim/machine.h"

namespace {

// Starts a command line as the system does (no application name, hidden) and keeps its handles.
struct Started {
    BOOL ok = FALSE;
    DWORD error = 0;
    PROCESS_INFORMATION info = {};
};

Started Start(const std::u16string& commandLine, DWORD flags = 0) {
    std::vector<WCHAR> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    Started s;
    SetLastError(0);
    s.ok = CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &s.info);
    s.error = GetLastError();
    return s;
}

std::string Utf8Of(const std::u16string& text) { return sim::ToUtf8(text); }

void Close(const Started& s) {
    CloseHandle(s.info.hProcess);
    CloseHandle(s.info.hThread);
}

TEST(Processes, CommandLineFindsItsProgramAsWindowsDoes) {
    struct Case {
        const char* name;
        std::u16string commandLine;
        std::u16string program;  // empty: the start fails with 2
    } cases[] = {
        {"full path", u"C:\\Windows\\system32\\tool.exe -x", u"C:\\Windows\\system32\\tool.exe"},
        {"case ignored", u"c:\\WINDOWS\\System32\\TOOL.EXE", u"C:\\Windows\\system32\\tool.exe"},
        {".exe added", u"C:\\Windows\\system32\\tool -x", u"C:\\Windows\\system32\\tool.exe"},
        {"bare name searched in the system folder", u"tool -x", u"C:\\Windows\\system32\\tool.exe"},
        {"unquoted blank: shortest prefix first", u"C:\\Program Files\\My App\\run.exe a", u"C:\\Program.exe"},
        {"quoted: up to the closing quote", u"\"C:\\Program Files\\My App\\run.exe\" a",
         u"C:\\Program Files\\My App\\run.exe"},
        {"longer prefix when the shorter does not exist", u"C:\\Tools\\My App\\run a b", u"C:\\Tools\\My App\\run.exe"},
        {"two blanks before the arguments", u"C:\\Windows\\system32\\tool.exe  -x", u"C:\\Windows\\system32\\tool.exe"},
        {"root of the current drive", u"\\tool.exe -x", u""},
        {"missing program", u"C:\\Windows\\system32\\missing.exe", u""},
        {"extension given, no .exe added", u"C:\\Windows\\system32\\tool.com", u""},
        {"empty command line", u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        auto& m = sim::machine();
        for (const char16_t* path : {u"C:\\Windows\\system32\\tool.exe", u"C:\\Program.exe",
                                     u"C:\\Program Files\\My App\\run.exe", u"C:\\Tools\\My App\\run.exe"})
            m.processes.Register(path, [](const sim::wstring&, sim::wstring&) { return DWORD(0); });
        Started s = Start(c.commandLine);
        ASSERT_EQ(!c.program.empty(), s.ok != FALSE);
        ASSERT_EQ(1u, m.processes.Starts().size());
        const sim::ProcessStart& record = m.processes.Starts()[0];
        EXPECT_EQ(c.commandLine, record.commandLine);
        if (c.program.empty()) {
            EXPECT_EQ(2u, s.error);
            EXPECT_EQ(nullptr, record.process);
        } else {
            EXPECT_EQ(c.program, record.process->program);
            Close(s);
        }
        EXPECT_EQ(0u, m.handles.Open());
    }
}

TEST(Processes, RecordHoldsWhatTheStartWasGiven) {
    sim::Reset();
    auto& m = sim::machine();
    m.processes.Register(u"C:\\t.exe", nullptr);
    Started s = Start(u"C:\\t.exe", CREATE_UNICODE_ENVIRONMENT);
    Close(s);
    std::u16string writable = u"C:\\t.exe x";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    WCHAR environment[] = u"A=1\0";
    ASSERT_TRUE(CreateProcessW(u"C:\\t.exe", writable.data(), nullptr, nullptr, TRUE, 0, environment, u"C:\\", &startup,
                               &info));
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);

    const auto& starts = m.processes.Starts();
    ASSERT_EQ(2u, starts.size());
    EXPECT_FALSE(starts[0].applicationName);
    EXPECT_FALSE(starts[0].inheritHandles);
    EXPECT_EQ(static_cast<DWORD>(CREATE_UNICODE_ENVIRONMENT), starts[0].creationFlags);
    EXPECT_TRUE(starts[0].callersEnvironment && starts[0].callersCurrentDirectory);
    EXPECT_EQ(sizeof(STARTUPINFOW), starts[0].startupSize);
    EXPECT_EQ(static_cast<DWORD>(STARTF_USESHOWWINDOW), starts[0].startupFlags);
    EXPECT_EQ(SW_HIDE, starts[0].showWindow);

    EXPECT_EQ(std::u16string(u"C:\\t.exe"), *starts[1].applicationName);
    EXPECT_TRUE(starts[1].inheritHandles);
    EXPECT_FALSE(starts[1].callersEnvironment || starts[1].callersCurrentDirectory);
    EXPECT_EQ(0u, starts[1].startupFlags);
    EXPECT_EQ(0u, m.handles.Open());
}

TEST(Processes, BodySeesItsCommandLineAndChangesTheMachine) {
    sim::Reset();
    auto& m = sim::machine();
    m.processes.Register(u"C:\\Windows\\system32\\setter.exe", [](const sim::wstring& line, sim::wstring& err) {
        sim::machine().registry.SetString(u"Software\\Test", u"Line", line);
        err = u"done";
        return DWORD(7);
    });
    Started s = Start(u"setter a  b");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(std::u16string(u"setter a  b"), *m.registry.String(u"Software\\Test", u"Line"));
    EXPECT_EQ(std::u16string(u"done"), m.processes.Starts()[0].process->standardError);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(s.info.hProcess, &code));
    EXPECT_EQ(7u, code);
    Close(s);
}

TEST(Processes, WaitsMoveTheVirtualClock) {
    struct Case {
        const char* name;
        uint64_t runMs;
        DWORD limit;
        DWORD result;
        uint64_t advancedMs;
        bool stillRunning;
    } cases[] = {
        {"ends at once", 0, 60000, WAIT_OBJECT_0, 0, false},
        {"ends within the limit", 59999, 60000, WAIT_OBJECT_0, 59999, false},
        {"ends exactly at the limit", 60000, 60000, WAIT_OBJECT_0, 60000, false},
        {"overruns", 60001, 60000, WAIT_TIMEOUT, 60000, true},
        {"hangs", sim::kForever, 900000, WAIT_TIMEOUT, 900000, true},
        {"no wait at all", 5, 0, WAIT_TIMEOUT, 0, true},
        {"infinite wait for a slow one", 3600000, INFINITE, WAIT_OBJECT_0, 3600000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        auto& m = sim::machine();
        m.processes.Register(u"C:\\job.exe", [](const sim::wstring&, sim::wstring&) { return DWORD(3); }, c.runMs);
        Started s = Start(u"C:\\job.exe");
        uint64_t before = m.clock.NowMs();
        EXPECT_EQ(c.result, WaitForSingleObject(s.info.hProcess, c.limit));
        EXPECT_EQ(c.advancedMs, m.clock.NowMs() - before);
        EXPECT_EQ(c.stillRunning ? 1u : 0u, m.processes.Running(m.clock.NowMs()).size());
        DWORD code = 0;
        GetExitCodeProcess(s.info.hProcess, &code);
        EXPECT_EQ(c.stillRunning ? static_cast<DWORD>(STILL_ACTIVE) : 3u, code);
        EXPECT_EQ(2u, m.handles.Open(sim::HandleKind::Process) + m.handles.Open(sim::HandleKind::Thread));
        Close(s);
        EXPECT_EQ(0u, m.handles.Open());
        // A process keeps running after its handles are closed.
        EXPECT_EQ(c.stillRunning ? 1u : 0u, m.processes.Running(m.clock.NowMs()).size());
    }
}

TEST(Processes, StagedFailuresAndDurations) {
    sim::Reset();
    auto& m = sim::machine();
    m.processes.Register(u"C:\\job.exe", nullptr, 10);
    m.processes.StageDuration(u"second", 1, sim::kForever);
    m.faults.Add({"CreateProcessW", u"refused", 0, FALSE, 5});
    m.faults.Add({"WaitForSingleObject", u"broken", 1, static_cast<int64_t>(WAIT_FAILED), 6});

    Started refused = Start(u"C:\\job.exe refused");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(5u, refused.error);

    Started first = Start(u"C:\\job.exe first");
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first.info.hProcess, 60000));
    Started second = Start(u"C:\\job.exe second");
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(second.info.hProcess, 60000));
    Started broken = Start(u"C:\\job.exe broken");
    SetLastError(0);
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(broken.info.hProcess, 60000));
    EXPECT_EQ(6u, GetLastError());
    for (const Started* s : {&first, &second, &broken}) Close(*s);

    EXPECT_EQ((std::vector<std::u16string>{u"C:\\job.exe refused", u"C:\\job.exe first", u"C:\\job.exe second",
                                           u"C:\\job.exe broken"}),
              m.processes.CommandLines());
    // The failed wait moved no time, so the last one still runs beside the one that hangs.
    std::vector<std::u16string> running;
    for (const auto& process : m.processes.Running(m.clock.NowMs())) running.push_back(process->commandLine);
    EXPECT_EQ((std::vector<std::u16string>{u"C:\\job.exe second", u"C:\\job.exe broken"}), running);
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(first.info.hProcess, 0));  // closed
    EXPECT_EQ(0u, m.handles.Open());
}

// A fault or a duration staged for a whole command line leaves a longer one that begins with it.
TEST(Processes, StagedForWholeCommandLine) {
    sim::Reset();
    auto& m = sim::machine();
    m.processes.Register(u"C:\\job.exe", nullptr, 10);
    m.processes.StageDuration(u"C:\\JOB.EXE run 1", 0, sim::kForever, true);
    sim::Fault refuse{"CreateProcessW", u"c:\\job.exe stop", 0, FALSE, 5};
    refuse.whole = true;
    m.faults.Add(refuse);

    struct Case {
        const char16_t* commandLine;
        bool starts;
        DWORD wait;
    };
    const Case cases[] = {
        {u"C:\\job.exe run 1", true, static_cast<DWORD>(WAIT_TIMEOUT)},
        {u"C:\\job.exe run 10", true, WAIT_OBJECT_0},
        {u"C:\\job.exe stop", false, 0},
        {u"C:\\job.exe stop now", true, WAIT_OBJECT_0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8Of(c.commandLine));
        Started s = Start(c.commandLine);
        ASSERT_EQ(c.starts, s.ok != FALSE);
        if (!s.ok) continue;
        EXPECT_EQ(c.wait, WaitForSingleObject(s.info.hProcess, 60000));
        Close(s);
    }
}

}  // namespace

namespace {

// Windows may write into the command line while it parses it: a literal makes the start fault.
TEST(ProcessesDeathTest, CommandLineMustBeWritable) {
    sim::Reset();
    sim::machine().processes.Register(u"C:\\t.exe", nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    EXPECT_DEATH(CreateProcessW(nullptr, const_cast<LPWSTR>(u"C:\\t.exe"), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &info),
                 "");
}

}  // namespace
