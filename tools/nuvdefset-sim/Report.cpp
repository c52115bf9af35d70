// Gathering the report: the power store and the log after the run. The network devices are
// gathered in AdapterReport.cpp.
#include "Report.h"
#include "AdapterReport.h"
#include "power/OptimizedSettings.h"
#include "sim/machine.h"
#include "tools/powercfg/PowerStore.h"

namespace simtool {

namespace {

// Windows' own names: the Balanced scheme, its AHCI link power management setting, and where
// Power Options keeps its preferred plan (in the 64-bit view of the registry).
const char16_t kBalancedGuid[] = u"381b4222-f694-41f0-9685-ff5bb260df2e";
const char16_t kAhciSetting[] = u"0b2d69d7-a2a1-449c-9680-f91c70521c60";
const char16_t kPowerOptionsKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\ControlPanel\\NameSpace\\"
    u"{025A5937-A6BE-4686-A844-36FE4BEC8B6D}";
const char kErrorPrefix[] = "ERROR: ";

std::optional<std::string> Text(const std::u16string& key, const char16_t* name) {
    std::optional<std::u16string> text = sim::machine().registry.String(key, name);
    if (!text) return std::nullopt;
    return sim::ToUtf8(*text);
}

SettingState Setting(const std::u16string& scheme, const COptimizedSetting& row) {
    SettingState s;
    s.name = sim::ToUtf8(row.pszName);
    s.subgroup = sim::ToUtf8(row.pszSubgroupGuid);
    s.setting = sim::ToUtf8(row.pszSettingGuid);
    std::u16string key = std::u16string(powercfg::kSchemesKey) + u"\\" + scheme + u"\\" + row.pszSubgroupGuid + u"\\" +
                         row.pszSettingGuid;
    s.ac = sim::machine().registry.Dword(key, u"ACSettingIndex");
    s.dc = sim::machine().registry.Dword(key, u"DCSettingIndex");
    return s;
}

PlanState Plan() {
    auto& registry = sim::machine().registry;
    PlanState p;
    p.guid = sim::ToUtf8(g_szOptimizedPlanGuid);
    std::u16string key = std::u16string(powercfg::kSchemesKey) + u"\\" + g_szOptimizedPlanGuid;
    p.present = registry.Find(key) != nullptr;
    p.name = Text(key, u"FriendlyName");
    p.description = Text(key, u"Description");
    p.activeScheme = Text(powercfg::kSchemesKey, u"ActivePowerScheme");
    p.active = p.activeScheme && sim::EqualsNoCase(sim::FromUtf8(*p.activeScheme), g_szOptimizedPlanGuid);
    p.preferredPlan = Text(kPowerOptionsKey, u"PreferredPlan");
    p.preferred = p.preferredPlan && sim::EqualsNoCase(sim::FromUtf8(*p.preferredPlan), g_szOptimizedPlanGuid);
    p.hibernateFileSize = registry.Dword(powercfg::kPowerKey, u"HiberFileSizePercent");
    for (const COptimizedSetting& row : g_aOptimizedSettings) p.settings.push_back(Setting(g_szOptimizedPlanGuid, row));
    return p;
}

BalancedState Balanced() {
    BalancedState b;
    b.guid = sim::ToUtf8(kBalancedGuid);
    b.present = sim::machine().registry.Find(std::u16string(powercfg::kSchemesKey) + u"\\" + kBalancedGuid) != nullptr;
    for (const COptimizedSetting& row : g_aOptimizedSettings)
        if (sim::EqualsNoCase(row.pszSettingGuid, kAhciSetting)) b.ahci = Setting(kBalancedGuid, row);
    return b;
}

}  // namespace

Report GatherReport(const Profile& profile, std::vector<Commit> commits) {
    Report r;
    r.profile = profile.source;
    r.description = profile.description;
    r.plan = Plan();
    r.balanced = Balanced();
    GatherAdapters(commits, r.adapters, r.enumerationFailed);
    for (const Commit& c : commits)
        for (const LogLine& line : c.lines)
            if (line.Message().rfind(kErrorPrefix, 0) == 0) r.errors.push_back(ErrorLine{c.number, line});
    r.commits = std::move(commits);
    return r;
}

}  // namespace simtool
