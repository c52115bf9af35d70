// nuvbench-desktop: holds the desktop for the time of a benchmark. During an installation the
// installer's own user interface holds it, and on Windows it is always there; Wine without a
// display brings its desktop process up on demand, for the first program that asks for a window,
// and takes it down again once no program uses it. Holding it keeps that start out of the figures
// of both sides. Prints "ready" once the desktop is up, then waits until it is ended.
#include <windows.h>
#include <stdio.h>

int wmain() {
    if (!GetDesktopWindow()) {
        fwprintf(stderr, L"nuvbench-desktop: no desktop window\n");
        return 1;
    }
    wprintf(L"ready\n");
    fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
