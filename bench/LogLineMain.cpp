// nuvbench-log: the cost of one log line under Windows or Wine, WriteLog of the system's log code
// against a bare open, append and close of the same bytes.
// Usage: nuvbench-log FOLDER [ROUNDS] [LINES]; FOLDER ends in a backslash.
#include <stdio.h>
#include <stdlib.h>
#include "LogLine.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: nuvbench-log FOLDER [ROUNDS] [LINES]\n");
        return 2;
    }
    int rounds = argc > 2 ? _wtoi(argv[2]) : 15;
    int lines = argc > 3 ? _wtoi(argv[3]) : 200;
    CLogLineFigures figures = MeasureLogLine(argv[1], rounds, lines);
    wprintf(L"writelog_ns %.0f\nbare_ns %.0f\nratio %.3f\n", figures.writeLogNs, figures.bareNs, figures.ratio);
    return 0;
}
