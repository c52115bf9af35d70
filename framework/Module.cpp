#include "Module.h"

HINSTANCE AfxGetResourceHandle() { return NUV_THIS_MODULE; }
