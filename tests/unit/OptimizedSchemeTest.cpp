// The two power-plan tasks of a commit, seen from outside: the whole log, the whole list of
// started command lines and the store that the stand-in tool leaves behind; the accelerometer
// probe and its cache; the localised description; and the failures that the run must survive.
#include <gtest/gtest.h>
#include <functional>
#include "PowerSupport.h"
#include "tools/powercfg/Install.h"

namespace {

const std::string kPlan = "8759706d-706b-4c22-b2ec-f91e1ef6ed38";
const std::string kBalanced = "381b4222-f694-41f0-9685-ff5bb260df2e";
const std::string kEnglish = "Provides optimized balance of performance with energy consumption on Nuvra Notebook PC.";
const std::string kTimedOut = "ERROR: Command timed out";

// The plan's settings as the maker specified them: subgroup, setting, AC and DC value texts. The
// DC value of the lid close action (row 12) is filled in by the accelerometer answer.
struct Row {
    const char* subgroup;
    const char* setting;
    const char* ac;
    const char* dc;
};
const Row kRows[30] = {
    {"fea3413e-7e05-4911-9a71-700331f1c294", "0e796bdb-100d-47d6-a2d5-f7d2daa51f51", "1", "1"},
    {"0012ee47-9041-4b5d-9b77-535fba8b1442", "6738e2c4-e8a5-4a42-b16a-e040e769756e", "1200", "600"},
    {"0012ee47-9041-4b5d-9b77-535fba8b1442", "0b2d69d7-a2a1-449c-9680-f91c70521c60", "2", "2"},
    {"0012ee47-9041-4b5d-9b77-535fba8b1442", "dab60367-53fe-4fbc-825e-521d069d2456", "50", "50"},
    {"0d7dbae2-4294-402a-ba8e-26777e8488cd", "309dce9b-bef4-4119-9921-a851fb12f0f4", "0", "1"},
    {"19cbb8fa-5279-450e-9fac-8a3d5fedd0c1", "12bbebe6-58d6-4636-95bb-3217ef867c1a", "0", "2"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "29f6c1db-86da-48c5-9fdb-f2b67b1f44da", "1800", "900"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "94ac6d29-73ce-41a6-809f-6363ba21b47e", "0", "0"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "9d7815a6-7ee4-497e-8888-515a05f02364", "86400", "86400"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "bd3b718a-0680-4d9d-8ab2-e1d2b4ac806d", "0", "0"},
    {"2a737441-1930-4402-8d77-b2bebba308a3", "48e6b7a6-50f5-4782-a5d4-53bb8f07e226", "1", "1"},
    {"4f971e89-eebd-4455-a8de-9e59040e7347", "5ca83367-6e45-459f-a27b-476b1d01c936", "0", nullptr},
    {"4f971e89-eebd-4455-a8de-9e59040e7347", "7648efa3-dd9c-4e3e-b566-50f929386280", "1", "1"},
    {"4f971e89-eebd-4455-a8de-9e59040e7347", "96996bc0-ad50-47ec-923b-6f41874dd9eb", "1", "1"},
    {"501a4d13-42af-4429-9fd1-a8218c268e20", "ee12f906-d277-404b-b6da-e5fa1a576df5", "2", "2"},
    {"54533251-82be-4824-96c1-47b60b740d00", "893dee8e-2bef-41e0-89c6-b55d0929964c", "5", "5"},
    {"54533251-82be-4824-96c1-47b60b740d00", "94d3a615-a899-4ac5-ae2b-e4d8f634367f", "1", "0"},
    {"54533251-82be-4824-96c1-47b60b740d00", "bc5038f7-23e0-4960-96da-33abaf5935ec", "100", "100"},
    {"7516b95f-f776-4464-8c53-06167f40cc99", "17aaa29b-8b43-4b94-aafe-35f64daaf1ee", "300", "120"},
    {"7516b95f-f776-4464-8c53-06167f40cc99", "3c0bc021-c8a8-4e07-a973-6b14cbcb2b7e", "600", "300"},
    {"7516b95f-f776-4464-8c53-06167f40cc99", "aded5e82-b909-4619-9949-f5d71dac0bcb", "100", "40"},
    {"7516b95f-f776-4464-8c53-06167f40cc99", "f1fbfde2-a960-4165-9f88-50667911ce96", "20", "20"},
    {"9596fb26-9850-41fd-ac3e-f7c3c00afd4b", "03680956-93bc-4294-bba6-4e0f09bb717f", "1", "0"},
    {"9596fb26-9850-41fd-ac3e-f7c3c00afd4b", "34c7b99f-9a6d-4b3c-8dc7-b6693b78cef4", "0", "1"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "637ea02f-bbcb-4015-8e2c-a1c7b9c0b546", "0", "2"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "8183ba9a-e910-48da-8769-14ae6dc1170a", "10", "10"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "9a66d8d7-4ff7-4ef9-b5a2-5a326ca2a469", "5", "5"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "bcded951-187b-4d05-bccc-f7e51960c258", "1", "1"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "d8742dcb-3e6a-4b3c-b3fe-374623cdcf06", "0", "0"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "f3c5027d-cd16-4930-aa6b-90db844a8f00", "7", "7"},
};

std::string LidDc(bool accelerometer) { return accelerometer ? "0" : "1"; }

// The 64 argument texts of the plan task, in order.
std::vector<std::string> PlanCommands(bool accelerometer, const std::string& description = kEnglish) {
    std::vector<std::string> out = {"-changename " + kPlan + " \"Nuvra Optimized (recommended)\" \"" + description + "\""};
    for (const Row& row : kRows) {
        std::string tail = std::string(" ") + row.subgroup + " " + row.setting + " ";
        out.push_back("-setacvalueindex  " + kPlan + tail + row.ac);
        out.push_back("-setdcvalueindex  " + kPlan + tail + (row.dc ? row.dc : LidDc(accelerometer)));
    }
    out.push_back("/HIBERNATE /SIZE 100");
    out.push_back("-setactive " + kPlan);
    out.push_back("-ReplaceDefaultSchemes");
    return out;
}

const std::vector<std::string> kBalancedCommands = {
    "-setacvalueindex  " + kBalanced + " 0012ee47-9041-4b5d-9b77-535fba8b1442 0b2d69d7-a2a1-449c-9680-f91c70521c60 2",
    "-setdcvalueindex  " + kBalanced + " 0012ee47-9041-4b5d-9b77-535fba8b1442 0b2d69d7-a2a1-449c-9680-f91c70521c60 2",
    "-ReplaceDefaultSchemes",
};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The whole log of one commit on the default notebook.
std::vector<std::string> CommitLog(bool accelerometer, const std::string& preferred = "Successfully set as preferred plan") {
    std::vector<std::string> log = {"***** Nuvra System Default Settings 2.0.1 *****", "Machine ID = NB-4711"};
    log = Join(log, PlanCommands(accelerometer));
    log.push_back(preferred);
    return Join(log, kBalancedCommands);
}

std::vector<std::string> WithTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> lines;
    for (const std::string& a : arguments) lines.push_back("C:\\Windows\\system32\\powercfg.exe " + a);
    return lines;
}

std::u16string U16(const std::string& s) { return sim::FromUtf8(s); }

TEST(OptimizedScheme, CommitAppliesBothPlans) {
    for (bool accelerometer : {true, false}) {
        SCOPED_TRACE(accelerometer ? "with accelerometer" : "without accelerometer");
        ResetNotebookWithPowerTool();
        auto& m = sim::machine();
        if (!accelerometer) m.registry.SetString(kProductKey, u"Accelerometer", u"0");
        {
            LoadedModule module;
            EXPECT_EQ(0u, module.Commit());
        }
        EXPECT_EQ(CommitLog(accelerometer), LogMessages());
        EXPECT_EQ(WithTool(Join(PlanCommands(accelerometer), kBalancedCommands)), StartedCommandLines());
        for (const sim::ProcessStart& start : m.processes.Starts()) {
            EXPECT_EQ(0u, start.process->exitCode) << Utf8(start.commandLine) << ": " << Utf8(start.process->standardError);
        }

        // What the stand-in left in the store.
        sim::Registry& r = m.registry;
        for (const Row& row : kRows) {
            std::u16string key = SettingKey(kPlanGuid, U16(row.subgroup), U16(row.setting));
            EXPECT_EQ(std::stoul(row.ac), r.Dword(key, u"ACSettingIndex")) << row.setting;
            EXPECT_EQ(std::stoul(row.dc ? row.dc : LidDc(accelerometer)), r.Dword(key, u"DCSettingIndex")) << row.setting;
        }
        EXPECT_EQ(u"Nuvra Optimized (recommended)", r.String(SchemeKey(kPlanGuid), u"FriendlyName"));
        EXPECT_EQ(U16(kEnglish), r.String(SchemeKey(kPlanGuid), u"Description"));
        const std::u16string power = u"SYSTEM\\CurrentControlSet\\Control\\Power";
        EXPECT_EQ(std::u16string(kPlanGuid), r.String(power + u"\\User\\PowerSchemes", u"ActivePowerScheme"));
        EXPECT_EQ(100u, r.Dword(power, u"HiberFileSizePercent"));
        std::u16string ahci = SettingKey(kBalancedGuid, u"0012ee47-9041-4b5d-9b77-535fba8b1442",
                                         u"0b2d69d7-a2a1-449c-9680-f91c70521c60");
        EXPECT_EQ(2u, r.Dword(ahci, u"ACSettingIndex"));
        EXPECT_EQ(2u, r.Dword(ahci, u"DCSettingIndex"));
        EXPECT_EQ(2u, r.Dword(power + u"\\User\\Default\\PowerSchemes\\" + kBalancedGuid +
                                  u"\\0012ee47-9041-4b5d-9b77-535fba8b1442\\0b2d69d7-a2a1-449c-9680-f91c70521c60",
                              u"DCSettingIndex"));
        EXPECT_EQ(std::u16string(kPlanGuid),
                  r.String(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\ControlPanel\\NameSpace\\"
                           u"{025A5937-A6BE-4686-A844-36FE4BEC8B6D}",
                           u"PreferredPlan"));
        EXPECT_EQ(0u, m.handles.Open());
        // Every command ended at once: no virtual time passed.
        EXPECT_TRUE(m.processes.Running(m.clock.NowMs()).empty());
    }
}

TEST(OptimizedScheme, AccelerometerValueDecidesTheLidActionOnBattery) {
    struct Case {
        const char* name;
        std::function<void(sim::Registry&)> value;
        bool accelerometer;
    } cases[] = {
        {"REG_SZ 1", [](sim::Registry& r) { r.SetString(kProductKey, u"Accelerometer", u"1"); }, true},
        {"REG_EXPAND_SZ 1", [](sim::Registry& r) { r.SetString(kProductKey, u"Accelerometer", u"1", REG_EXPAND_SZ); }, true},
        {"1 without terminator", [](sim::Registry& r) { r.SetRaw(kProductKey, u"Accelerometer", REG_SZ, {'1', 0}); }, true},
        {"0", [](sim::Registry& r) { r.SetString(kProductKey, u"Accelerometer", u"0"); }, false},
        {"empty", [](sim::Registry& r) { r.SetString(kProductKey, u"Accelerometer", u""); }, false},
        {"blank before", [](sim::Registry& r) { r.SetString(kProductKey, u"Accelerometer", u" 1"); }, false},
        {"blank after", [](sim::Registry& r) { r.SetString(kProductKey, u"Accelerometer", u"1 "); }, false},
        {"leading zero", [](sim::Registry& r) { r.SetString(kProductKey, u"Accelerometer", u"01"); }, false},
        {"true", [](sim::Registry& r) { r.SetString(kProductKey, u"Accelerometer", u"true"); }, false},
        {"1 and a second NUL", [](sim::Registry& r) { r.SetRaw(kProductKey, u"Accelerometer", REG_SZ, {'1', 0, 0, 0, 0, 0}); }, false},
        {"REG_DWORD 1", [](sim::Registry& r) { r.SetDword(kProductKey, u"Accelerometer", 1); }, false},
        {"missing", [](sim::Registry& r) { r.Find(kProductKey)->values.erase(u"Accelerometer"); }, false},
        {"no product key", [](sim::Registry& r) { r.Erase(kProductKey); }, false},
    };
    const std::string lidAc = "-setacvalueindex  " + kPlan + " 4f971e89-eebd-4455-a8de-9e59040e7347 5ca83367-6e45-459f-a27b-476b1d01c936 ";
    const std::string lidDc = "-setdcvalueindex  " + kPlan + " 4f971e89-eebd-4455-a8de-9e59040e7347 5ca83367-6e45-459f-a27b-476b1d01c936 ";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetNotebookWithPowerTool();
        c.value(sim::machine().registry);
        LoadedModule module;
        module.Commit();
        std::vector<std::string> lidCommands;
        for (const std::string& message : LogMessages())
            if (message.rfind(lidAc, 0) == 0 || message.rfind(lidDc, 0) == 0) lidCommands.push_back(message);
        EXPECT_EQ((std::vector<std::string>{lidAc + "0", lidDc + (c.accelerometer ? "0" : "1")}), lidCommands);
    }
}

TEST(OptimizedScheme, AccelerometerIsReadOncePerLoadedModule) {
    auto accelerometerReads = [] {
        size_t n = 0;
        for (const sim::Call& call : sim::machine().calls.Of("RegQueryValueExW"))
            if (sim::ContainsNoCase(call.detail, u"\\Accelerometer")) ++n;
        return n;
    };
    auto lidDc = [] {
        std::string value;
        for (const std::string& message : LogMessages())
            if (message.rfind("-setdcvalueindex  " + kPlan + " 4f971e89-eebd-4455-a8de-9e59040e7347 5ca83367", 0) == 0)
                value = message.substr(message.size() - 1);
        return value;
    };
    ResetNotebookWithPowerTool();
    {
        LoadedModule module;
        module.Commit();
        EXPECT_EQ("0", lidDc());
        size_t reads = accelerometerReads();
        EXPECT_EQ(2u, reads);  // the type and size, then the text
        sim::machine().registry.SetString(kProductKey, u"Accelerometer", u"0");
        module.Commit();
        EXPECT_EQ("0", lidDc());  // the first answer, not the changed value
        EXPECT_EQ(reads, accelerometerReads());
    }
    // A freshly loaded module reads again.
    LoadedModule module;
    module.Commit();
    EXPECT_EQ("1", lidDc());
    EXPECT_EQ(4u, accelerometerReads());
}

TEST(OptimizedScheme, DescriptionFollowsTheUserInterfaceLanguage) {
    const std::string kGerman = "Bietet ein optimiertes Gleichgewicht zwischen Leistung und Energieverbrauch bei Nuvra Notebooks.";
    struct Case {
        const char* name;
        LANGID uiLanguage;
        bool missing;  // string 6000 cannot be found
        std::string rename;
    } cases[] = {
        {"English (United States)", 0x0409, false,
         "-changename " + kPlan + " \"Nuvra Optimized (recommended)\" \"" + kEnglish + "\""},
        {"German", 0x0407, false, "-changename " + kPlan + " \"Nuvra Optimized (recommended)\" \"" + kGerman + "\""},
        {"French with its no-break space and apostrophes", 0x040C, false,
         "-changename " + kPlan + " \"Nuvra Optimized (recommended)\" \"Permet d\u2019obtenir un \u00e9quilibre optimal entre "
         "les performances des ordinateurs portables\u00a0Nuvra et leur consommation d\u2019\u00e9nergie.\""},
        {"a language without text falls back to English", 0x0422, false,
         "-changename " + kPlan + " \"Nuvra Optimized (recommended)\" \"" + kEnglish + "\""},
        {"string missing", 0x0409, true, "-changename " + kPlan + " \"Nuvra Optimized (recommended)\" \"\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetNotebookWithPowerTool();
        auto& m = sim::machine();
        m.locale.uiLanguage = c.uiLanguage;
        if (c.missing) m.faults.Add({"FindResourceW", u"376", 0, 0});
        LoadedModule module;
        module.Commit();
        ASSERT_GT(LogMessages().size(), 2u);
        EXPECT_EQ(c.rename, LogMessages()[2]);
        EXPECT_EQ(WithTool({c.rename})[0], StartedCommandLines().at(0));
        EXPECT_EQ(0u, m.processes.Starts().at(0).process->exitCode);
    }
}

TEST(OptimizedScheme, CommitSurvivesFailures) {
    // Each case stages a failure and says how the log differs from the log of a normal commit.
    struct Case {
        const char* name;
        std::function<void(sim::Machine&)> stage;
        std::function<std::vector<std::string>(std::vector<std::string>)> log;
        size_t starts;    // processes started (or attempted)
        size_t running;   // tools still running at the end
        uint64_t elapsedMs;
        bool preferredPlan = true;  // the PreferredPlan value is written
    } cases[] = {
        {"the hibernation command hangs",
         [](sim::Machine& m) { m.processes.StageDuration(u"/HIBERNATE", 1, sim::kForever); },
         [](std::vector<std::string> log) {
             log.insert(log.begin() + 2 + 62, kTimedOut);
             return log;
         },
         67, 1, 60000},
        {"the Balanced AC command overruns",
         [](sim::Machine& m) { m.processes.StageDuration(u"-setacvalueindex  381b4222", 1, 61000); },
         [](std::vector<std::string> log) {
             log.insert(log.begin() + 2 + 64 + 1 + 1, kTimedOut);
             return log;
         },
         67, 1, 60000},
        {"the tool cannot be started", [](sim::Machine& m) { m.processes.Unregister(kPowerCfg); },
         [](std::vector<std::string> log) { return log; }, 67, 0, 0},
        {"no system folder: nothing is started", [](sim::Machine& m) { m.faults.Add({"SHGetFolderPathW", u"37", 0, E_FAIL}); },
         [](std::vector<std::string> log) { return log; }, 0, 0, 0},
        {"the plan is absent: the tool refuses, every command still runs",
         [](sim::Machine& m) { m.registry.Erase(SchemeKey(kPlanGuid)); },
         [](std::vector<std::string> log) { return log; }, 67, 0, 0},
        {"PreferredPlan cannot be written",
         [](sim::Machine& m) { m.faults.Add({"RegCreateKeyExW", u"{025A5937", 0, ERROR_ACCESS_DENIED}); },
         [](std::vector<std::string> log) {
             log[2 + 64] = "ERROR: Unable to set as preferred plan";
             return log;
         },
         67, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetNotebookWithPowerTool();
        auto& m = sim::machine();
        c.stage(m);
        uint64_t before = m.clock.NowMs();
        {
            LoadedModule module;
            EXPECT_EQ(0u, module.Commit());
        }
        EXPECT_EQ(c.log(CommitLog(true)), LogMessages());
        EXPECT_EQ(c.starts, m.processes.Starts().size());
        EXPECT_EQ(c.running, m.processes.Running(m.clock.NowMs()).size());
        EXPECT_EQ(c.elapsedMs, m.clock.NowMs() - before);
        EXPECT_EQ(0u, m.handles.Open());
        EXPECT_EQ(c.preferredPlan,
                  m.registry.String(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\ControlPanel\\NameSpace\\"
                                    u"{025A5937-A6BE-4686-A844-36FE4BEC8B6D}",
                                    u"PreferredPlan")
                      .has_value());
    }
}

TEST(OptimizedScheme, AbsentPlanIsRefusedByTheToolForEachOfItsCommands) {
    ResetNotebookWithPowerTool(false);
    LoadedModule module;
    module.Commit();
    std::vector<std::string> refused;
    for (const sim::ProcessStart& start : sim::machine().processes.Starts())
        if (start.process->exitCode != 0) refused.push_back(Utf8(start.commandLine));
    // Every command that names the plan: the rename, the 60 values and the activation.
    std::vector<std::string> expected;
    for (const std::string& command : PlanCommands(true))
        if (command.find(kPlan) != std::string::npos) expected.push_back(WithTool({command})[0]);
    EXPECT_EQ(62u, refused.size());
    EXPECT_EQ(expected, refused);
    EXPECT_EQ(nullptr, sim::machine().registry.Find(SchemeKey(kPlanGuid)));
}

}  // namespace
