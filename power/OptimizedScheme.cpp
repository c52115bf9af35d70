// The maker's optimised power plan: its name and localised description, the settings table for AC
// and battery power, hibernation file size, activation, replacement of the default schemes and the
// preferred-plan value; and the cached accelerometer probe that decides the lid action on battery.
#include "../defaults/OSDefSet.h"
#include "../host/MSIInstaller.h"
#include "../host/RegistryString.h"
#include "../res/Descriptions.h"
#include "OptimizedSettings.h"
#include "PowerScheme.h"

LONG COSDefSet::s_nAccelerometer = -1;

namespace {

CString FormValue(CPowerScheme& scheme, bool ac, const COptimizedSetting& row, int value) {
    if (row.form == COptimizedSetting::Flag)
        return scheme.SetValueIndex(ac, row.pszSubgroupGuid, row.pszSettingGuid, value != 0);
    return scheme.SetValueIndex(ac, row.pszSubgroupGuid, row.pszSettingGuid, value);
}

}  // namespace

void COSDefSet::CreateOptimizedScheme() {
    CPowerScheme scheme(g_szOptimizedPlanGuid, m_pInstaller);
    CString description;
    description.LoadString(IDS_PLAN_DESCRIPTION);
    scheme.ChangeName(description);

    for (const COptimizedSetting& row : g_aOptimizedSettings) {
        scheme.Run(FormValue(scheme, true, row, row.nAC));
        int dc = row.nDC;
        if (row.nDCAccelerometer != row.nDC && IsAccelerometerPresent()) dc = row.nDCAccelerometer;
        scheme.Run(FormValue(scheme, false, row, dc));
    }

    scheme.SetHibernateSize();
    scheme.Run(TEXT("-setactive ") + CString(g_szOptimizedPlanGuid));
    scheme.Run(TEXT("-ReplaceDefaultSchemes"));
    scheme.SetPreferredPlan();
}

bool COSDefSet::IsAccelerometerPresent() {
    if (s_nAccelerometer >= 0) return s_nAccelerometer == 1;
    CString text = ReadRegistryString(m_pInstaller->GetRegistryKey(), TEXT("Accelerometer"));
    s_nAccelerometer = 0;
    if (text.Compare(TEXT("1")) == 0) s_nAccelerometer = 1;
    return s_nAccelerometer == 1;
}
