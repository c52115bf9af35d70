#include "PowerSupport.h"
#include "defaults/OSDefSet.h"
#include "tools/powercfg/Install.h"

const char16_t kPlanGuid[] = u"8759706d-706b-4c22-b2ec-f91e1ef6ed38";
const char16_t kBalancedGuid[] = u"381b4222-f694-41f0-9685-ff5bb260df2e";
const char16_t kPowerCfg[] = u"C:\\Windows\\system32\\powercfg.exe";

void ResetNotebookWithPowerTool(bool withPlan) {
    ResetNotebook();
    auto& m = sim::machine();
    powercfg::Install(m);
    powercfg::AddScheme(m, kBalancedGuid, u"Balanced", u"Automatically balances performance with energy consumption");
    if (withPlan) powercfg::AddScheme(m, kPlanGuid, u"Nuvra Optimized");
}

std::u16string SchemeKey(const std::u16string& guid) {
    return u"SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes\\" + guid;
}

std::u16string SettingKey(const std::u16string& guid, const std::u16string& subgroup, const std::u16string& setting) {
    return SchemeKey(guid) + u"\\" + subgroup + u"\\" + setting;
}

std::vector<std::string> StartedCommandLines() {
    std::vector<std::string> lines;
    for (const std::u16string& line : sim::machine().processes.CommandLines()) lines.push_back(Utf8(line));
    return lines;
}

CTestInstaller::CTestInstaller() {
    theOSDefSet.Attach(this);
    SetLogFilePath();
}
