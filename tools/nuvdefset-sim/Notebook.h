// The simulated machine built from a profile: a fresh machine, then the profile's Windows, locale,
// clock, folders, product key, power schemes (with the stand-in power tool installed), network
// adapters, imported registry files and staged faults, in that order.
#pragma once
#include "Profile.h"

namespace simtool {

// The product's registry key below HKEY_LOCAL_MACHINE, as a 32-bit installer writes it.
extern const char16_t kProductKey[];

void BuildNotebook(const Profile& profile);

}  // namespace simtool
