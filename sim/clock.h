// The virtual clock of the simulated machine: local time in milliseconds, moved only by the
// machine (a process that runs, a wait that times out) or by a test.
#pragma once
#include <cstdint>
#include "win/types.h"

namespace sim {

class Clock {
public:
    void SetLocal(int year, int month, int day, int hour, int minute, int second, int millisecond);
    void Advance(uint64_t milliseconds) { m_localMs += milliseconds; }
    uint64_t NowMs() const { return m_localMs; }  // local milliseconds since 1970-01-01
    SYSTEMTIME Local() const;
    SYSTEMTIME Utc() const;
    int utcOffsetMinutes = 60;  // local time minus UTC

private:
    uint64_t m_localMs = 0;
};

SYSTEMTIME ToSystemTime(int64_t msSince1970);

}  // namespace sim
