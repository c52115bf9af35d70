// The Balanced plan adjustment: AHCI link power management HIPM/DIPM for AC and battery power, then
// the replacement of the default schemes.
#include "../defaults/OSDefSet.h"
#include "PowerScheme.h"

namespace {

const WCHAR kBalancedGuid[] = TEXT("381b4222-f694-41f0-9685-ff5bb260df2e");
const WCHAR kHardDiskSubgroup[] = TEXT("0012ee47-9041-4b5d-9b77-535fba8b1442");
const WCHAR kAhciLinkPowerManagement[] = TEXT("0b2d69d7-a2a1-449c-9680-f91c70521c60");
const int kHipmDipm = 2;

}  // namespace

void COSDefSet::UpdateBalancedScheme() {
    CPowerScheme scheme(kBalancedGuid, m_pInstaller);
    scheme.Run(scheme.SetValueIndex(true, kHardDiskSubgroup, kAhciLinkPowerManagement, kHipmDipm));
    scheme.Run(scheme.SetValueIndex(false, kHardDiskSubgroup, kAhciLinkPowerManagement, kHipmDipm));
    scheme.Run(TEXT("-ReplaceDefaultSchemes"));
}
