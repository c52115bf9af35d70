// The Windows API of the simulated machine, as the system's platform header sees it.
#pragma once
#include "types.h"
#include "kernel.h"
#include "registry.h"
#include "files.h"
#include "shell.h"
#include "locale.h"
#include "clock.h"
#include "user.h"
#include "ole.h"
#include "oleaut.h"
#include "process.h"
