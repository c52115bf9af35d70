// The power-scheme store of the registry as the stand-in power tool keeps it, in the layout that
// Windows uses, below HKEY_LOCAL_MACHINE:
//
//   SYSTEM\CurrentControlSet\Control\Power                     HiberFileSizePercent  REG_DWORD
//   ...\Power\User\PowerSchemes                                ActivePowerScheme     REG_SZ (GUID text)
//   ...\Power\User\PowerSchemes\{scheme}                       FriendlyName, Description  REG_SZ
//   ...\Power\User\PowerSchemes\{scheme}\{subgroup}\{setting}  ACSettingIndex, DCSettingIndex  REG_DWORD
//   ...\Power\User\Default\PowerSchemes                        the default schemes: a copy of
//                                                              User\PowerSchemes with all it holds
//
// Key names are GUID texts, lower case, without braces. A scheme exists when its key exists; the
// subgroup and setting keys are created by the first value written to them.
#pragma once
#include <string>
#include "../../platform/Platform.h"

namespace powercfg {

using Text = std::basic_string<WCHAR>;

extern const WCHAR kPowerKey[];
extern const WCHAR kSchemesKey[];
extern const WCHAR kDefaultSchemesKey[];

bool SchemeExists(const Text& scheme);
// Each of these returns ERROR_SUCCESS or the registry's error code.
LSTATUS SetValueIndex(const Text& scheme, const Text& subgroup, const Text& setting, bool ac, DWORD index);
LSTATUS SetName(const Text& scheme, const Text& name, const Text* description);
LSTATUS SetActiveScheme(const Text& scheme);
LSTATUS SetHibernateFileSize(DWORD percent);
// Replaces the default schemes by a copy of the user's schemes.
LSTATUS ReplaceDefaultSchemes();

}  // namespace powercfg
