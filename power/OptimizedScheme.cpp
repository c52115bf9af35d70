// The maker's optimised power plan.
#include "../defaults/OSDefSet.h"

LONG COSDefSet::s_nAccelerometer = -1;

void COSDefSet::CreateOptimizedScheme() {}

bool COSDefSet::IsAccelerometerPresent() { return s_nAccelerometer == 1; }
