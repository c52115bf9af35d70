// A notebook profile (profiles/FORMAT.md): what the library finds on a notebook at commit time,
// read from JSON with every fault reported by file and line. Reading checks everything, the
// registry files it imports included, before anything runs.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "RegFile.h"

namespace simtool {

// The WMI classes of root\wmi whose instances a network adapter's driver provides.
extern const char* const kAdapterWmiClasses[3];

struct AdapterProfile {
    int line = 0;
    std::string description;
    std::string instance;                  // the device instance ID; its first part is the enumerator
    std::vector<std::string> hardwareIds;  // empty: derived from the instance ID
    int driver = -1;                       // the NNNN of the driver key; -1: no driver installed
    bool present = true;
    std::vector<std::string> wmi;          // classes with an instance for the adapter
};

struct FaultProfile {
    enum class Kind { Command, WmiClass, Api, HoldFile };
    Kind kind = Kind::Api;
    int line = 0;
    std::string target;  // the command's argument text, the WMI class, the API function or the file
    int nth = 0;         // 0: every matching call; n: the nth one
    // command
    bool hang = false;
    bool startFails = false;
    // wmiClass
    bool noInstance = false;
    std::optional<int64_t> put;
    std::optional<int64_t> putInstance;
    // api
    std::string subject;
    int64_t result = 0;
    uint32_t lastError = 0;
};

struct RegistryImport {
    std::string file;  // as shown in messages: the profile's folder joined with the name given
    int line = 0;      // of the profile
    RegFile content;
};

struct Profile {
    std::string source;  // the file as the user named it, or "built-in default"
    std::string description;
    int versionMajor = 6;
    int versionMinor = 1;
    bool is64Bit = false;
    uint32_t userLcid = 0x0409;
    uint16_t uiLanguage = 0x0409;
    int clockMs = 9 * 3600000;  // local time of day in milliseconds
    std::vector<std::string> folders;
    std::vector<std::pair<std::string, std::string>> productKey;
    std::vector<RegistryImport> registry;
    std::vector<std::pair<std::string, std::string>> powerSchemes;  // GUID text, friendly name
    std::vector<AdapterProfile> adapters;
    std::vector<FaultProfile> faults;
};

// Reads a profile file; registry files are found relative to its folder. Throws InputError.
Profile ReadProfileFile(const std::string& path);

// Reads a profile from its text. `source` names it in messages; `folder` is where its registry
// files are (empty: the current folder).
Profile ReadProfileText(const std::string& text, const std::string& source, const std::string& folder);

// The notebook the tool runs when no profile is given (profiles/default.json, compiled in).
Profile DefaultProfile();
extern const char kDefaultProfileJson[];

}  // namespace simtool
