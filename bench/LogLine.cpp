#include "LogLine.h"
#include <algorithm>
#include <chrono>
#include <vector>
#include "host/LogFile.h"

namespace {

// A line as long as a typical one of a commit: a setting value command.
const WCHAR kText[] =
    TEXT("-setacvalueindex  8759706d-706b-4c22-b2ec-f91e1ef6ed38 0012ee47-9041-4b5d-9b77-535fba8b1442 ")
    TEXT("6738e2c4-e8a5-4a42-b16a-e040e769756e 1200");

using Clock = std::chrono::steady_clock;

double NsPerLine(Clock::time_point start, Clock::time_point end, int lines) {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(end - start).count()) / lines;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double TimeWriteLog(CMSIInstaller& installer, int lines) {
    Clock::time_point start = Clock::now();
    for (int i = 0; i < lines; ++i) WriteLog(&installer, kText);
    return NsPerLine(start, Clock::now(), lines);
}

// The same bytes as WriteLog's line: a stamp of the same length, the TAB, the text and the LF
// that text mode turns into CR LF.
double TimeBare(const CString& path, const CString& line, int lines) {
    Clock::time_point start = Clock::now();
    for (int i = 0; i < lines; ++i) {
        FILE* file = nullptr;
        if (_wfopen_s(&file, path, TEXT("a+, ccs=UTF-16LE")) != 0 || !file) continue;
        fputws(line, file);
        fclose(file);
    }
    return NsPerLine(start, Clock::now(), lines);
}

}  // namespace

CLogLineFigures MeasureLogLine(const CString& folder, int rounds, int linesPerRound) {
    CMSIInstaller installer;
    installer.m_strLogFilePath = folder + TEXT("writelog.log");
    CString barePath = folder + TEXT("bare.log");
    CString line = CString(TEXT("09:00:00:000\t")) + kText + TEXT("\n");

    // A first line in each file, untimed: both files have their mark and lie in the cache.
    TimeWriteLog(installer, 1);
    TimeBare(barePath, line, 1);

    std::vector<double> writeLog, bare;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            writeLog.push_back(TimeWriteLog(installer, linesPerRound));
            bare.push_back(TimeBare(barePath, line, linesPerRound));
        } else {
            bare.push_back(TimeBare(barePath, line, linesPerRound));
            writeLog.push_back(TimeWriteLog(installer, linesPerRound));
        }
    }
    std::vector<double> ratios;
    for (size_t i = 0; i < writeLog.size(); ++i) ratios.push_back(writeLog[i] / bare[i]);
    return CLogLineFigures{Median(writeLog), Median(bare), Median(ratios)};
}
