// The content of the maker's optimised power plan: its GUID and the settings that the plan task
// sets for AC and for battery (DC) power, in the order in which they are set.
#pragma once
#include "../platform/Platform.h"

// The plan's scheme GUID text.
extern const WCHAR g_szOptimizedPlanGuid[];

struct COptimizedSetting {
    enum Form { Integer, Flag };  // how the value is written: "%d", or "1"/"0"
    LPCWSTR pszName;              // the Windows power setting, as readers and tools show it
    LPCWSTR pszSubgroupGuid;
    LPCWSTR pszSettingGuid;
    Form form;
    int nAC;
    int nDC;               // on battery; without an accelerometer where the next column differs
    int nDCAccelerometer;  // on battery when the notebook has an accelerometer
};

const int g_nOptimizedSettings = 30;
extern const COptimizedSetting g_aOptimizedSettings[g_nOptimizedSettings];
