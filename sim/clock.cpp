// The virtual clock and the time functions of kernel32 and the C runtime.
#include "clock.h"
#include <cstdio>
#include "machine.h"
#include "win/clock.h"

namespace sim {

namespace {

int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

}  // namespace

void Clock::SetLocal(int year, int month, int day, int hour, int minute, int second, int millisecond) {
    int64_t days = DaysFromCivil(year, month, day);
    m_localMs = static_cast<uint64_t>(((days * 24 + hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
}

SYSTEMTIME ToSystemTime(int64_t ms) {
    int64_t z = ms / 86400000;
    int64_t rest = ms % 86400000;
    SYSTEMTIME st{};
    st.wDayOfWeek = static_cast<WORD>((z + 4) % 7);  // 1970-01-01 was a Thursday
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    st.wYear = static_cast<WORD>(yoe + era * 400 + (m <= 2));
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(rest / 3600000);
    st.wMinute = static_cast<WORD>(rest / 60000 % 60);
    st.wSecond = static_cast<WORD>(rest / 1000 % 60);
    st.wMilliseconds = static_cast<WORD>(rest % 1000);
    return st;
}

SYSTEMTIME Clock::Local() const { return ToSystemTime(static_cast<int64_t>(m_localMs)); }
SYSTEMTIME Clock::Utc() const {
    return ToSystemTime(static_cast<int64_t>(m_localMs) - static_cast<int64_t>(utcOffsetMinutes) * 60000);
}

}  // namespace sim

using sim::machine;

void GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    if (lpSystemTime) *lpSystemTime = machine().clock.Utc();
}

void GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    if (lpSystemTime) *lpSystemTime = machine().clock.Local();
}

DWORD GetTickCount(void) { return static_cast<DWORD>(machine().clock.NowMs()); }

errno_t _wstrtime_s(WCHAR* buffer, size_t numberOfElements) {
    if (!buffer || numberOfElements < 9) {
        if (buffer && numberOfElements) buffer[0] = 0;
        return 22;  // EINVAL, as the runtime reports a buffer shorter than "HH:MM:SS"
    }
    SYSTEMTIME t = machine().clock.Local();
    char text[20];  // room for any WORD in each field, though the clock keeps them in range
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
    for (int i = 0; i < 9; ++i) buffer[i] = static_cast<WCHAR>(text[i]);
    return 0;
}
