// The Balanced plan adjustment.
#include "../defaults/OSDefSet.h"

void COSDefSet::UpdateBalancedScheme() {}
