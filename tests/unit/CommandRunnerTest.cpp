// The installer object's command runner and progress text: a hidden start with the 15-minute
// limit, its log lines, the handles, and the text that the installer dialog shows.
#include <gtest/gtest.h>
#include <functional>
#include "PowerSupport.h"

namespace {

const char16_t kJob[] = u"C:\\Tools\\job.exe";

struct Dialog {
    HWND control = nullptr;
};

// The installer dialog with its progress-text control (340 by 13) among other controls.
Dialog OpenDialog(sim::WindowSystem& w) {
    HWND dialog = w.Add(u"MsiDialogCloseClass", u"Nuvra System Default Settings Setup", 500, 400);
    w.Add(u"Static", u"Title", 400, 20, dialog);
    Dialog d;
    d.control = w.Add(u"Static", u"Copying files", 340, 13, dialog);
    return d;
}

TEST(CommandRunner, Outcomes) {
    const std::string kLaunchFailed = "ERROR: Unable to launch last command";
    const std::string kTimedOut = "ERROR: Command timed out";
    struct Case {
        const char* name;
        std::function<void(sim::Machine&)> stage;
        BOOL result;
        std::vector<std::string> log;
        uint64_t elapsedMs;
        bool running;
    } cases[] = {
        {"ends within the limit", [](sim::Machine& m) { m.processes.StageDuration(u"", 0, 899999); }, TRUE,
         {"Running the job"}, 899999, false},
        {"runs longer than 15 minutes", [](sim::Machine& m) { m.processes.StageDuration(u"", 0, 16 * 60000); }, TRUE,
         {"Running the job", kTimedOut}, 900000, true},
        {"hangs", [](sim::Machine& m) { m.processes.StageDuration(u"", 0, sim::kForever); }, TRUE,
         {"Running the job", kTimedOut}, 900000, true},
        {"wait fails", [](sim::Machine& m) {
             m.faults.Add({"WaitForSingleObject", u"", 0, static_cast<int64_t>(WAIT_FAILED), ERROR_INVALID_HANDLE});
         }, TRUE, {"Running the job", kTimedOut}, 0, false},
        {"command does not exist", [](sim::Machine& m) { m.processes.Unregister(kJob); }, FALSE,
         {"Running the job", kLaunchFailed}, 0, false},
        {"start refused", [](sim::Machine& m) { m.faults.Add({"CreateProcessW", u"job", 0, FALSE, ERROR_ACCESS_DENIED}); },
         FALSE, {"Running the job", kLaunchFailed}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetNotebook();
        auto& m = sim::machine();
        m.processes.Register(kJob, [](const sim::wstring&, sim::wstring&) { return DWORD(5); });
        c.stage(m);
        Dialog dialog = OpenDialog(m.windows);
        uint64_t before = m.clock.NowMs();
        {
            CTestInstaller installer;
            installer.FindProgressTextControl();
            std::u16string commandLine = u"C:\\Tools\\job.exe /all";
            EXPECT_EQ(c.result, installer.RunCommand(commandLine.data(), u"Running the job"));
        }
        EXPECT_EQ(c.log, LogMessages());
        EXPECT_EQ(c.elapsedMs, m.clock.NowMs() - before);
        EXPECT_EQ(c.running, !m.processes.Running(m.clock.NowMs()).empty());
        // The dialog showed the text before anything was started.
        EXPECT_EQ(u"Running the job", m.windows.Find(dialog.control)->text);
        ASSERT_EQ(1u, m.processes.Starts().size());
        const sim::ProcessStart& start = m.processes.Starts()[0];
        EXPECT_EQ(u"C:\\Tools\\job.exe /all", start.commandLine);
        EXPECT_FALSE(start.applicationName);
        EXPECT_FALSE(start.inheritHandles);
        EXPECT_EQ(static_cast<DWORD>(CREATE_UNICODE_ENVIRONMENT), start.creationFlags);
        EXPECT_TRUE(start.callersEnvironment && start.callersCurrentDirectory);
        EXPECT_EQ(sizeof(STARTUPINFOW), start.startupSize);
        EXPECT_EQ(static_cast<DWORD>(STARTF_USESHOWWINDOW), start.startupFlags);
        EXPECT_EQ(SW_HIDE, start.showWindow);
        std::vector<std::u16string> closed;
        for (const sim::Call& call : m.calls.Of("CloseHandle")) closed.push_back(call.detail);
        const std::vector<std::u16string> expectedClosed =
            start.process ? std::vector<std::u16string>{u"process", u"thread"} : std::vector<std::u16string>{};
        EXPECT_EQ(expectedClosed, closed);
        EXPECT_EQ(0u, m.handles.Open());
    }
}

TEST(CommandRunner, ProgressTextOnlyWhereAControlWasFound) {
    struct Case {
        const char* name;
        bool dialog;
        bool advanced;  // CAdvInstaller's runner, or the base class's
        const char16_t* shown;
    } cases[] = {
        {"control found", true, true, u"Step 2"},
        {"base runner shows nothing", true, false, u"Copying files"},
        {"no dialog", false, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetNotebook();
        auto& m = sim::machine();
        m.processes.Register(kJob, nullptr);
        Dialog dialog;
        if (c.dialog) dialog = OpenDialog(m.windows);
        CTestInstaller installer;
        installer.FindProgressTextControl();
        std::u16string commandLine = kJob;
        if (c.advanced)
            installer.RunCommand(commandLine.data(), u"Step 2");
        else
            installer.CMSIInstaller::RunCommand(commandLine.data(), u"Step 2");
        if (c.shown) {
            EXPECT_EQ(c.shown, m.windows.Find(dialog.control)->text);
        }
        EXPECT_EQ(c.advanced && c.dialog ? 1u : 0u, m.calls.Count("SendMessageW"));
        EXPECT_EQ(std::vector<std::string>{"Step 2"}, LogMessages());
    }
    // The base class's progress text does nothing, also with a control at hand.
    ResetNotebook();
    Dialog dialog = OpenDialog(sim::machine().windows);
    CTestInstaller installer;
    installer.FindProgressTextControl();
    installer.CMSIInstaller::SetProgressText(u"ignored");
    EXPECT_EQ(u"Copying files", sim::machine().windows.Find(dialog.control)->text);
    installer.SetProgressText(u"shown");
    EXPECT_EQ(u"shown", sim::machine().windows.Find(dialog.control)->text);
}

}  // namespace
