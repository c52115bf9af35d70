// Power management of the wired PCI network adapters.
#include "OSDefSet.h"

void COSDefSet::SetNICPowerManagement() {}
