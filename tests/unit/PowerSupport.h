// Test support for the power-plan tasks: a notebook whose system folder holds the stand-in power
// tool and whose store holds the schemes that the run changes, and an installer object that logs
// where a commit logs.
#pragma once
#include <string>
#include <vector>
#include "Support.h"
#include "host/AdvInstaller.h"

extern const char16_t kPlanGuid[];
extern const char16_t kBalancedGuid[];
extern const char16_t kPowerCfg[];  // the tool's path on the default machine

// ResetNotebook, then the stand-in tool installed and the Balanced scheme in the store; the plan's
// scheme as it comes from the factory image unless `withPlan` is false.
void ResetNotebookWithPowerTool(bool withPlan = true);

// The registry path of a scheme's key, or of one setting's key within it.
std::u16string SchemeKey(const std::u16string& guid);
std::u16string SettingKey(const std::u16string& guid, const std::u16string& subgroup, const std::u16string& setting);

// The command lines of all process starts, in UTF-8.
std::vector<std::string> StartedCommandLines();

// An installer object attached to the application object, its log path chosen as a commit does.
struct CTestInstaller : CAdvInstaller {
    CTestInstaller();
};
