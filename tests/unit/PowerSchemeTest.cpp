// The power-plan command wrapper: argument texts, the hidden run of the tool with its 60-second
// limit, and the preferred-plan value.
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include "PowerSupport.h"
#include "power/PowerScheme.h"

namespace {

const char16_t kG[] = u"11111111-2222-3333-4444-555555555555";
const char16_t kS[] = u"0012ee47-9041-4b5d-9b77-535fba8b1442";
const char16_t kT[] = u"0b2d69d7-a2a1-449c-9680-f91c70521c60";

// The tool as a program that does nothing and ends at once.
void ResetWithQuietTool() {
    ResetNotebook();
    sim::machine().processes.Register(kPowerCfg, [](const sim::wstring&, sim::wstring&) { return DWORD(0); });
}

TEST(PowerScheme, ArgumentTexts) {
    struct Case {
        const char* name;
        std::function<CString(CPowerScheme&)> form;
        std::string expected;
    } cases[] = {
        {"AC, integer", [](CPowerScheme& p) { return p.SetValueIndex(true, kS, kT, 2); },
         "-setacvalueindex  11111111-2222-3333-4444-555555555555 0012ee47-9041-4b5d-9b77-535fba8b1442 "
         "0b2d69d7-a2a1-449c-9680-f91c70521c60 2"},
        {"DC, integer", [](CPowerScheme& p) { return p.SetValueIndex(false, kS, kT, 2); },
         "-setdcvalueindex  11111111-2222-3333-4444-555555555555 0012ee47-9041-4b5d-9b77-535fba8b1442 "
         "0b2d69d7-a2a1-449c-9680-f91c70521c60 2"},
        {"minus one", [](CPowerScheme& p) { return p.SetValueIndex(true, u"S", u"T", -1); }, "-setacvalueindex  " + Utf8(kG) + " S T -1"},
        {"zero", [](CPowerScheme& p) { return p.SetValueIndex(true, u"S", u"T", 0); }, "-setacvalueindex  " + Utf8(kG) + " S T 0"},
        {"large", [](CPowerScheme& p) { return p.SetValueIndex(false, u"S", u"T", 86400); }, "-setdcvalueindex  " + Utf8(kG) + " S T 86400"},
        {"flag true", [](CPowerScheme& p) { return p.SetValueIndex(true, u"S", u"T", true); }, "-setacvalueindex  " + Utf8(kG) + " S T 1"},
        {"flag false", [](CPowerScheme& p) { return p.SetValueIndex(false, u"S", u"T", false); }, "-setdcvalueindex  " + Utf8(kG) + " S T 0"},
        {"text", [](CPowerScheme& p) { return p.SetValueIndex(true, u"S", u"T", u"0x10"); }, "-setacvalueindex  " + Utf8(kG) + " S T 0x10"},
        {"null pieces keep their blanks",
         [](CPowerScheme& p) { return p.SetValueIndex(true, nullptr, nullptr, static_cast<LPCWSTR>(nullptr)); },
         "-setacvalueindex  " + Utf8(kG) + "   "},
    };
    ResetWithQuietTool();
    CTestInstaller installer;
    CPowerScheme scheme(kG, &installer);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CString text = c.form(scheme);
        EXPECT_EQ(c.expected, Utf8(text.GetString()));
    }
    // Forming runs and logs nothing.
    EXPECT_TRUE(sim::machine().processes.Starts().empty());
    EXPECT_TRUE(LogMessages().empty());

    CPowerScheme unnamed(nullptr, &installer);
    EXPECT_EQ("-setacvalueindex   S T 2", Utf8(unnamed.SetValueIndex(true, u"S", u"T", 2).GetString()));
}

TEST(PowerScheme, CommandsRunHiddenAndAreLoggedWithoutThePath) {
    ResetWithQuietTool();
    CTestInstaller installer;
    CPowerScheme scheme(kG, &installer);
    EXPECT_TRUE(scheme.ChangeName(nullptr));
    EXPECT_TRUE(scheme.ChangeName(u""));
    EXPECT_TRUE(scheme.ChangeName(u"Say \"hi\" \\"));
    EXPECT_TRUE(scheme.SetHibernateSize());
    EXPECT_TRUE(scheme.Run(u"-setactive 11111111-2222-3333-4444-555555555555"));

    const std::vector<std::string> arguments = {
        "-changename 11111111-2222-3333-4444-555555555555 \"Nuvra Optimized (recommended)\"",
        "-changename 11111111-2222-3333-4444-555555555555 \"Nuvra Optimized (recommended)\" \"\"",
        "-changename 11111111-2222-3333-4444-555555555555 \"Nuvra Optimized (recommended)\" \"Say \"hi\" \\\"",
        "/HIBERNATE /SIZE 100",
        "-setactive 11111111-2222-3333-4444-555555555555",
    };
    EXPECT_EQ(arguments, LogMessages());
    std::vector<std::string> commandLines;
    for (const std::string& a : arguments) commandLines.push_back("C:\\Windows\\system32\\powercfg.exe " + a);
    EXPECT_EQ(commandLines, StartedCommandLines());
    for (const sim::ProcessStart& start : sim::machine().processes.Starts()) {
        EXPECT_FALSE(start.applicationName);
        EXPECT_FALSE(start.inheritHandles);
        EXPECT_EQ(0u, start.creationFlags);
        EXPECT_TRUE(start.callersEnvironment && start.callersCurrentDirectory);
        EXPECT_EQ(sizeof(STARTUPINFOW), start.startupSize);
        EXPECT_EQ(static_cast<DWORD>(STARTF_USESHOWWINDOW), start.startupFlags);
        EXPECT_EQ(SW_HIDE, start.showWindow);
    }
    EXPECT_EQ(0u, sim::machine().handles.Open());
}

TEST(PowerScheme, RunOutcomes) {
    const std::string kArgs = "-setactive x";
    const std::string kTimedOut = "ERROR: Command timed out";
    struct Case {
        const char* name;
        std::function<void(sim::Machine&)> stage;
        bool result;
        std::vector<std::string> log;
        uint64_t elapsedMs;
        size_t starts;   // CreateProcessW calls
        bool running;    // the tool still runs afterwards
    } cases[] = {
        {"ends at once", [](sim::Machine&) {}, true, {kArgs}, 0, 1, false},
        {"ends just within the limit", [](sim::Machine& m) { m.processes.StageDuration(u"", 0, 59999); }, true, {kArgs},
         59999, 1, false},
        {"tool rejects the command", [](sim::Machine& m) {
             m.processes.Register(kPowerCfg, [](const sim::wstring&, sim::wstring&) { return DWORD(1); });
         }, true, {kArgs}, 0, 1, false},
        {"overruns", [](sim::Machine& m) { m.processes.StageDuration(u"", 0, 60001); }, false, {kArgs, kTimedOut},
         60000, 1, true},
        {"hangs", [](sim::Machine& m) { m.processes.StageDuration(u"", 0, sim::kForever); }, false, {kArgs, kTimedOut},
         60000, 1, true},
        {"wait fails", [](sim::Machine& m) {
             m.faults.Add({"WaitForSingleObject", u"", 0, static_cast<int64_t>(WAIT_FAILED), ERROR_INVALID_HANDLE});
         }, false, {kArgs, kTimedOut}, 0, 1, false},
        {"start fails", [](sim::Machine& m) { m.faults.Add({"CreateProcessW", u"", 0, FALSE, ERROR_ACCESS_DENIED}); },
         false, {kArgs}, 0, 1, false},
        {"tool missing", [](sim::Machine& m) { m.processes.Unregister(kPowerCfg); }, false, {kArgs}, 0, 1, false},
        {"no system folder: nothing started", [](sim::Machine& m) { m.faults.Add({"SHGetFolderPathW", u"37", 0, E_FAIL}); },
         false, {kArgs}, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetWithQuietTool();
        auto& m = sim::machine();
        c.stage(m);
        CTestInstaller installer;
        uint64_t before = m.clock.NowMs();
        {
            CPowerScheme scheme(kG, &installer);
            EXPECT_EQ(c.result, scheme.Run(u"-setactive x"));
        }
        EXPECT_EQ(c.log, LogMessages());
        EXPECT_EQ(c.elapsedMs, m.clock.NowMs() - before);
        EXPECT_EQ(c.starts, m.processes.Starts().size());
        EXPECT_EQ(c.running, !m.processes.Running(m.clock.NowMs()).empty());
        // Both handles of a started tool are closed, the process handle first.
        bool started = c.starts && m.processes.Starts()[0].process;
        std::vector<std::u16string> closed;
        for (const sim::Call& call : m.calls.Of("CloseHandle")) closed.push_back(call.detail);
        const std::vector<std::u16string> expectedClosed =
            started ? std::vector<std::u16string>{u"process", u"thread"} : std::vector<std::u16string>{};
        EXPECT_EQ(expectedClosed, closed);
        EXPECT_EQ(0u, m.handles.Open());
    }
}

TEST(PowerScheme, NoSystemFolderStartsNothingEvenWhenARootToolExists) {
    ResetWithQuietTool();
    auto& m = sim::machine();
    m.processes.Register(u"C:\\powercfg.exe", [](const sim::wstring&, sim::wstring&) { return DWORD(0); });
    m.faults.Add({"SHGetFolderPathW", u"37", 0, E_FAIL});
    CTestInstaller installer;
    CPowerScheme scheme(kG, &installer);
    EXPECT_FALSE(scheme.SetHibernateSize());
    EXPECT_FALSE(scheme.ChangeName(u"d"));
    EXPECT_EQ(0u, m.calls.Count("CreateProcessW"));
    EXPECT_EQ((std::vector<std::string>{"/HIBERNATE /SIZE 100",
                                        "-changename 11111111-2222-3333-4444-555555555555 \"Nuvra Optimized (recommended)\" \"d\""}),
              LogMessages());
}

TEST(PowerScheme, PreferredPlan) {
    const std::u16string kKey =
        u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\ControlPanel\\NameSpace\\"
        u"{025A5937-A6BE-4686-A844-36FE4BEC8B6D}";
    struct Case {
        const char* name;
        bool is64Bit;
        const char* failingApi;  // nullptr: nothing fails
        bool written;
    } cases[] = {
        {"32-bit Windows", false, nullptr, true},
        {"64-bit Windows: the 64-bit view", true, nullptr, true},
        {"key cannot be created", false, "RegCreateKeyExW", false},
        {"value cannot be written", false, "RegSetValueExW", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetWithQuietTool();
        auto& m = sim::machine();
        m.registry.is64BitWindows = c.is64Bit;
        if (c.failingApi) m.faults.Add({c.failingApi, u"{025A5937", 0, ERROR_ACCESS_DENIED});
        CTestInstaller installer;
        CPowerScheme scheme(kPlanGuid, &installer);
        EXPECT_EQ(c.written, scheme.SetPreferredPlan());
        EXPECT_EQ(std::vector<std::string>{c.written ? "Successfully set as preferred plan"
                                                     : "ERROR: Unable to set as preferred plan"},
                  LogMessages());
        const sim::RegValue* value = m.registry.Value(kKey, u"PreferredPlan");
        if (c.written) {
            ASSERT_NE(nullptr, value);
            EXPECT_EQ(static_cast<uint32_t>(REG_SZ), value->type);
            // The GUID's 36 characters and the terminating NUL.
            std::vector<uint8_t> expected(74, 0);
            std::memcpy(expected.data(), kPlanGuid, 72);
            EXPECT_EQ(expected, value->data);
        } else {
            EXPECT_EQ(nullptr, value);
        }
        EXPECT_EQ(nullptr, m.registry.Find(u"SOFTWARE\\Wow6432Node\\Microsoft"));
        EXPECT_EQ(0u, m.processes.Starts().size());
        EXPECT_EQ(0u, m.handles.Open());
    }
}

}  // namespace
