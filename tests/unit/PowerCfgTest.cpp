// The stand-in power tool: the arguments it accepts, what it writes to the power-scheme store, and
// what it refuses.
#include <gtest/gtest.h>
#include <functional>
#include "PowerSupport.h"
#include "tools/powercfg/Install.h"
#include "tools/powercfg/PowerCfg.h"
#include "tools/powercfg/PowerStore.h"

namespace {

const std::u16string kSub = u"0012ee47-9041-4b5d-9b77-535fba8b1442";
const std::u16string kSet = u"6738e2c4-e8a5-4a42-b16a-e040e769756e";
const std::u16string kPower = u"SYSTEM\\CurrentControlSet\\Control\\Power";
const std::u16string kDefaults = u"SYSTEM\\CurrentControlSet\\Control\\Power\\User\\Default\\PowerSchemes";

// The whole registry below `path` as text: keys, then each value's type and bytes.
std::string Dump(sim::RegKey& key, const std::string& path = "") {
    std::string out = path + "\n";
    for (const auto& name : key.valueOrder) {
        const sim::RegValue& v = key.values.at(name);
        out += "  " + Utf8(name) + " " + std::to_string(v.type) + ":";
        for (uint8_t b : v.data) out += " " + std::to_string(b);
        out += "\n";
    }
    for (const auto& name : key.keyOrder) out += Dump(*key.subkeys.at(name), path + "\\" + Utf8(name));
    return out;
}

TEST(PowerCfg, SplitsTheCommandLineAsTheRuntimeDoes) {
    struct Case {
        std::u16string line;
        std::vector<std::u16string> args;
    } cases[] = {
        {u"C:\\a\\p.exe  -x  y", {u"C:\\a\\p.exe", u"-x", u"y"}},
        {u"\"C:\\a b\\p.exe\" z", {u"C:\\a b\\p.exe", u"z"}},
        {u"p -changename G \"Nuvra Optimized (recommended)\" \"\"", {u"p", u"-changename", u"G", u"Nuvra Optimized (recommended)", u""}},
        {u"p \"Nuvra's \"\"x\"\"\"", {u"p", u"Nuvra's \"x\""}},
        {u"p a\\\\\"b c\"", {u"p", u"a\\b c"}},
        {u"p a\\\"b", {u"p", u"a\"b"}},
        {u"p a\\b\\\\ c", {u"p", u"a\\b\\\\", u"c"}},
        {u"p\ta\t", {u"p", u"a"}},
        {u"", {u""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.line));
        EXPECT_EQ(c.args, powercfg::SplitCommandLine(c.line));
    }
}

TEST(PowerCfg, CommandsChangeTheStore) {
    const std::u16string plan = kPlanGuid;
    const std::u16string setting = SettingKey(plan, kSub, kSet);
    struct Case {
        std::u16string arguments;
        std::function<void(sim::Registry&)> check;
    } cases[] = {
        {u"-setacvalueindex  " + plan + u" " + kSub + u" " + kSet + u" 1200",
         [&](sim::Registry& r) {
             EXPECT_EQ(1200u, r.Dword(setting, u"ACSettingIndex"));
             EXPECT_FALSE(r.Dword(setting, u"DCSettingIndex"));
         }},
        {u"-setdcvalueindex  " + plan + u" " + kSub + u" " + kSet + u" 0x10",
         [&](sim::Registry& r) { EXPECT_EQ(16u, r.Dword(setting, u"DCSettingIndex")); }},
        {u"/SETACVALUEINDEX 8759706D-706B-4C22-B2EC-F91E1EF6ED38 0012EE47-9041-4B5D-9B77-535FBA8B1442 " + kSet + u" 4294967295",
         [&](sim::Registry& r) {
             EXPECT_EQ(0xFFFFFFFFu, r.Dword(setting, u"ACSettingIndex"));
             EXPECT_EQ(kSub, r.Find(SchemeKey(plan))->keyOrder.at(0));  // keys named in lower case
         }},
        {u"-changename " + plan + u" \"Nuvra Optimized (recommended)\" \"Giver balance på Nuvra's bærbare\"",
         [&](sim::Registry& r) {
             EXPECT_EQ(u"Nuvra Optimized (recommended)", r.String(SchemeKey(plan), u"FriendlyName"));
             EXPECT_EQ(u"Giver balance på Nuvra's bærbare", r.String(SchemeKey(plan), u"Description"));
             EXPECT_EQ(60u, r.Value(SchemeKey(plan), u"FriendlyName")->data.size());  // with its NUL
         }},
        {u"-changename " + plan + u" \"Renamed\"",
         [&](sim::Registry& r) {
             EXPECT_EQ(u"Renamed", r.String(SchemeKey(plan), u"FriendlyName"));
             EXPECT_EQ(u"factory", r.String(SchemeKey(plan), u"Description"));
         }},
        {u"-changename " + plan + u" \"Renamed\" \"\"",
         [&](sim::Registry& r) { EXPECT_EQ(u"", r.String(SchemeKey(plan), u"Description")); }},
        {u"-setactive " + plan,
         [&](sim::Registry& r) {
             EXPECT_EQ(plan, r.String(kPower + u"\\User\\PowerSchemes", u"ActivePowerScheme"));
         }},
        {u"/HIBERNATE /SIZE 100", [&](sim::Registry& r) { EXPECT_EQ(100u, r.Dword(kPower, u"HiberFileSizePercent")); }},
        {u"-hibernate -size 50", [&](sim::Registry& r) { EXPECT_EQ(50u, r.Dword(kPower, u"HiberFileSizePercent")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.arguments));
        ResetNotebookWithPowerTool();
        powercfg::AddScheme(sim::machine(), kPlanGuid, u"Nuvra Optimized", u"factory");
        std::u16string errors;
        EXPECT_EQ(0, powercfg::Execute(std::u16string(kPowerCfg) + u" " + c.arguments, errors));
        EXPECT_EQ(u"", errors);
        c.check(sim::machine().registry);
        EXPECT_EQ(0u, sim::machine().handles.Open());
    }
}

TEST(PowerCfg, RefusesUnknownSchemesAndMalformedArguments) {
    const std::u16string plan = kPlanGuid;
    const std::u16string missing = u"00000000-1111-2222-3333-444444444444";
    const std::u16string value = u" " + kSub + u" " + kSet + u" ";
    struct Case {
        std::u16string arguments;
        std::string message;
    } cases[] = {
        {u"-setacvalueindex  " + missing + value + u"1",
         "powercfg: the power scheme 00000000-1111-2222-3333-444444444444 does not exist\n"},
        {u"-setdcvalueindex  " + missing + value + u"1", "powercfg: the power scheme " + Utf8(missing) + " does not exist\n"},
        {u"-changename " + missing + u" \"n\" \"d\"", "powercfg: the power scheme " + Utf8(missing) + " does not exist\n"},
        {u"-setactive " + missing, "powercfg: the power scheme " + Utf8(missing) + " does not exist\n"},
        {u"-setacvalueindex " + plan + u" " + kSub + u" " + kSet, "powercfg: invalid arguments: -setacvalueindex " +
                                                                        Utf8(plan) + " " + Utf8(kSub) + " " + Utf8(kSet) + "\n"},
        {u"-setacvalueindex " + plan + value + u"1 2", ""},
        {u"-setacvalueindex {" + plan + u"}" + value + u"1", ""},
        {u"-setacvalueindex " + plan + u" " + kSub + u" 6738e2c4-e8a5-4a42-b16a-e040e769756" + u" 1", ""},
        {u"-setacvalueindex " + plan + value + u"-1", ""},
        {u"-setacvalueindex " + plan + value + u"12x", ""},
        {u"-setacvalueindex " + plan + value + u"4294967296", ""},
        {u"-setacvalueindex " + plan + value + u"0x", ""},
        {u"-changename " + plan, ""},
        {u"-changename " + plan + u" a b c", ""},
        {u"-setactive", ""},
        {u"-setactive SCHEME_CURRENT", ""},
        {u"/HIBERNATE /SIZE 49", ""},
        {u"/HIBERNATE /SIZE 101", ""},
        {u"/HIBERNATE 100", ""},
        {u"/HIBERNATE /TYPE 100", ""},
        {u"-ReplaceDefaultSchemes now", ""},
        {u"setactive " + plan, ""},
        {u"-list", "powercfg: invalid arguments: -list\n"},
        {u"", "powercfg: no command given\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.arguments));
        ResetNotebookWithPowerTool();
        std::string before = Dump(sim::machine().registry.Root());
        std::u16string errors;
        EXPECT_EQ(1, powercfg::Execute(std::u16string(kPowerCfg) + u" " + c.arguments, errors));
        if (c.message.empty())
            EXPECT_EQ(0u, Utf8(errors).rfind("powercfg: invalid arguments: ", 0));
        else
            EXPECT_EQ(c.message, Utf8(errors));
        EXPECT_EQ(before, Dump(sim::machine().registry.Root()));
        EXPECT_EQ(0u, sim::machine().handles.Open());
    }
}

TEST(PowerCfg, ReplaceDefaultSchemesCopiesTheUserSchemes) {
    ResetNotebookWithPowerTool();
    auto& r = sim::machine().registry;
    r.SetString(kDefaults + u"\\00000000-0000-0000-0000-000000000000", u"FriendlyName", u"stale");
    std::u16string errors;
    const std::u16string tool = std::u16string(kPowerCfg) + u" ";
    ASSERT_EQ(0, powercfg::Execute(tool + u"-setdcvalueindex  " + kPlanGuid + u" " + kSub + u" " + kSet + u" 600", errors));
    ASSERT_EQ(0, powercfg::Execute(tool + u"-setactive " + kPlanGuid, errors));
    ASSERT_EQ(0, powercfg::Execute(tool + u"-ReplaceDefaultSchemes", errors));

    sim::RegKey* user = r.Find(u"SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes");
    sim::RegKey* defaults = r.Find(kDefaults);
    ASSERT_TRUE(user && defaults);
    EXPECT_EQ(Dump(*user), Dump(*defaults));
    EXPECT_EQ(600u, r.Dword(kDefaults + u"\\" + kPlanGuid + u"\\" + kSub + u"\\" + kSet, u"DCSettingIndex"));
    EXPECT_EQ(std::u16string(kPlanGuid), r.String(kDefaults, u"ActivePowerScheme"));
    EXPECT_EQ(nullptr, r.Find(kDefaults + u"\\00000000-0000-0000-0000-000000000000"));
    EXPECT_EQ(0u, sim::machine().handles.Open());
}

TEST(PowerCfg, AsAProgramOfTheMachine) {
    ResetNotebookWithPowerTool();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::u16string line = std::u16string(kPowerCfg) + u" -setactive 00000000-1111-2222-3333-444444444444";
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(info.hProcess, 60000));
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    EXPECT_EQ(1u, code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    EXPECT_EQ(u"powercfg: the power scheme 00000000-1111-2222-3333-444444444444 does not exist\n",
              sim::machine().processes.Starts().at(0).process->standardError);
    EXPECT_EQ(0u, sim::machine().handles.Open());
}

}  // namespace
