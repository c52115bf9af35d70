// What the commits changed, gathered from the simulated machine after the run: the optimised plan
// as the power store holds it, the Balanced plan's AHCI link power management, each network
// device the adapter task visited and what it did there, and the log's error lines.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "Profile.h"
#include "Run.h"

namespace simtool {

struct SettingState {
    std::string name;  // from the optimised plan's settings table
    std::string subgroup;
    std::string setting;
    std::optional<uint32_t> ac;  // ACSettingIndex; nullopt when not in the store
    std::optional<uint32_t> dc;  // DCSettingIndex
};

struct PlanState {
    std::string guid;
    bool present = false;  // the scheme's key is in the power store
    std::optional<std::string> name;
    std::optional<std::string> description;
    bool active = false;                       // ActivePowerScheme names the plan
    std::optional<std::string> activeScheme;   // what ActivePowerScheme holds
    bool preferred = false;                    // PreferredPlan of Power Options names the plan
    std::optional<std::string> preferredPlan;  // what PreferredPlan holds
    std::optional<uint32_t> hibernateFileSize;  // percent
    std::vector<SettingState> settings;        // every row of the table, in its order
};

struct BalancedState {
    std::string guid;
    bool present = false;
    SettingState ahci;  // AHCI link power management, HIPM/DIPM
};

// One registry key of the fallback, as the task asked for it: whether it opened (the task then
// sets the value) and whether PnPCapabilities = 0x120 stands there after the run.
struct FallbackKey {
    std::string key;  // below HKEY_LOCAL_MACHINE, as the task named it
    bool opened = false;
    bool written = false;
};

// What the adapter task did with one device in one commit.
struct AdapterVisit {
    int commit = 0;
    bool handled = false;
    std::string skipReason;              // for a skipped device
    std::vector<std::string> wmiWrites;  // instances written: class, instance name, changed properties
    bool fallback = false;               // WMI failed and the registry fallback ran
    std::vector<FallbackKey> fallbackKeys;
};

struct AdapterState {
    std::string instance;  // the device instance ID
    std::string description;
    std::string enumerator;
    std::string driverKey;  // empty without a driver
    bool present = true;
    std::vector<AdapterVisit> visits;
};

struct ErrorLine {
    int commit = 0;
    LogLine line;
};

struct Report {
    std::string profile;
    std::string description;
    std::vector<Commit> commits;
    PlanState plan;
    BalancedState balanced;
    std::vector<AdapterState> adapters;  // in the order the task first visited them
    std::vector<int> enumerationFailed;  // commits in which the network devices could not be listed
    std::vector<ErrorLine> errors;       // log lines whose message begins with "ERROR: "
};

Report GatherReport(const Profile& profile, std::vector<Commit> commits);

// The report for people: the log lines of one commit as it ends, and the rest after the run.
std::string CommitText(const Commit& commit, int runs);
std::string ReportText(const Report& report);

// The whole report, the commits' log lines included, as one JSON document.
std::string ReportJson(const Report& report);

}  // namespace simtool
