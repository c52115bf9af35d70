// The stand-in power tool as a program of the simulated machine.
#pragma once
#include "sim/machine.h"

namespace powercfg {

// Where the system finds the tool on the default machine.
extern const char16_t kProgramPath[];

// Registers the tool at kProgramPath: each start carries out its command line on the machine's
// registry and ends at once, with the tool's exit code; its messages go to the process's
// standard error.
void Install(sim::Machine& machine);

// Adds a power scheme to the store: its key with FriendlyName and Description.
void AddScheme(sim::Machine& machine, const std::u16string& guid, const std::u16string& name,
               const std::u16string& description = std::u16string());

}  // namespace powercfg
