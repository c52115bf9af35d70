#pragma once

// Whether the running Windows is version 5.1 (Windows XP) or later; false when the version cannot
// be read.
bool IsWindowsXPOrLater();
