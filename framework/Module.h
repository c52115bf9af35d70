// The framework's module state: which module resources are loaded from.
#pragma once
#include "../platform/Platform.h"

// The current resource module of this library: by default the library itself.
HINSTANCE AfxGetResourceHandle();
