// The cost of one log line: WriteLog against what it cannot do without, a bare open of the same
// file in the same mode, an append of the same bytes and a close. The same code measures under
// Windows (or Wine) and on the simulated machine.
#pragma once
#include "framework/CString.h"

struct CLogLineFigures {
    double writeLogNs = 0;  // one WriteLog, median over the rounds
    double bareNs = 0;      // one bare open, append and close, median over the rounds
    double ratio = 0;       // the median of the rounds' ratios WriteLog / bare: each round's two
                            // figures are taken side by side, so a load that comes and goes
                            // weighs on both
};

// Writes `linesPerRound` lines with each way per round, alternating which goes first, into two
// files of `folder` (a Windows path with a trailing backslash) that grow alike.
CLogLineFigures MeasureLogLine(const CString& folder, int rounds, int linesPerRound);
