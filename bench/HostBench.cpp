// nuvbench: the host figures, each printed as "name value" lines for bench/bench.py.
//
//   nuvbench commit [RUNS]          one commit per run on a fresh notebook, median: with programs
//                                   that do nothing and end at once, and with the stand-in tool
//   nuvbench log [ROUNDS] [LINES]   WriteLog against a bare open, append and close, over the
//                                   simulated machine's C runtime
//   nuvbench rss empty|commit       peak resident size of a process that loads the module and
//                                   commits once, or only loads it
//   nuvbench once                   one commit with the stand-in tool, for valgrind
//
// The module is loaded with dlopen and unloaded with dlclose around each commit, as a test loads
// it; the notebook is built before and torn down after, outside the time measured.
#include <dlfcn.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>
#include "LogLine.h"
#include "sim/machine.h"
#include "tools/powercfg/Install.h"

namespace {

const char16_t kProductKey[] = u"Software\\Arvenco\\Nuvra System Default Settings";
const char16_t kPlanGuid[] = u"8759706d-706b-4c22-b2ec-f91e1ef6ed38";
const char16_t kBalancedGuid[] = u"381b4222-f694-41f0-9685-ff5bb260df2e";

using Clock = std::chrono::steady_clock;

enum class Tool { EndsAtOnce, StandIn };

// The notebook as it leaves the factory, with powercfg.exe either the stand-in tool over the
// registry's scheme store or a program that does nothing.
void BuildNotebook(Tool tool) {
    sim::Reset();
    sim::Machine& m = sim::machine();
    m.registry.SetString(kProductKey, u"MachineID", u"NB-4711");
    m.registry.SetString(kProductKey, u"Version", u"2.1.2.1");
    m.registry.SetString(kProductKey, u"Accelerometer", u"1");
    m.drive.CreateFolder(u"C:\\System.sav");
    m.drive.CreateFolder(u"C:\\Program Files\\Arvenco\\Nuvra System Default Settings");
    if (tool == Tool::StandIn) {
        powercfg::Install(m);
        powercfg::AddScheme(m, kBalancedGuid, u"Balanced", u"Automatically balances performance with energy consumption");
        powercfg::AddScheme(m, kPlanGuid, u"Nuvra Optimized");
    } else {
        m.processes.Register(powercfg::kProgramPath, [](const sim::wstring&, sim::wstring&) -> DWORD { return 0; });
    }
}

class CModule {
public:
    CModule() {
        m_handle = dlopen(NUV_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) throw std::runtime_error(dlerror());
        m_commit = reinterpret_cast<UINT (*)(MSIHANDLE)>(dlsym(m_handle, "nuvMSICommit"));
        if (!m_commit) throw std::runtime_error("no nuvMSICommit in " NUV_MODULE_PATH);
    }
    ~CModule() { dlclose(m_handle); }
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;
    UINT Commit() { return m_commit(1); }

private:
    void* m_handle = nullptr;
    UINT (*m_commit)(MSIHANDLE) = nullptr;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The median time of one commit, and the number of process starts of the last one.
double TimeCommit(Tool tool, int runs, size_t& starts) {
    std::vector<double> ns;
    for (int run = 0; run < runs; ++run) {
        BuildNotebook(tool);
        CModule module;
        Clock::time_point start = Clock::now();
        module.Commit();
        Clock::time_point end = Clock::now();
        ns.push_back(static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(end - start).count()));
        starts = sim::machine().processes.Starts().size();
    }
    return Median(ns);
}

int Commit(int runs) {
    size_t startsEmpty = 0, startsTool = 0;
    double empty = TimeCommit(Tool::EndsAtOnce, runs, startsEmpty);
    double tool = TimeCommit(Tool::StandIn, runs, startsTool);
    std::printf("starts %zu\ncommit_empty_ns %.0f\ncommit_tool_ns %.0f\n", startsEmpty, empty, tool);
    return startsEmpty == startsTool ? 0 : 1;
}

int LogLine(int rounds, int lines) {
    BuildNotebook(Tool::EndsAtOnce);
    CLogLineFigures figures = MeasureLogLine(TEXT("C:\\System.sav\\"), rounds, lines);
    std::printf("writelog_ns %.0f\nbare_ns %.0f\nratio %.3f\n", figures.writeLogNs, figures.bareNs, figures.ratio);
    return 0;
}

// The high-water mark of this process's resident set (VmHWM). getrusage's ru_maxrss would not do:
// Linux carries it over an exec, so a child of a large parent reports the parent's size.
long PeakResidentKib() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
    std::fclose(status);
    return kib;
}

int PeakMemory(bool commit) {
    BuildNotebook(Tool::StandIn);
    {
        CModule module;
        if (commit) module.Commit();
    }
    std::printf("peak_rss_kib %ld\n", PeakResidentKib());
    return 0;
}

int Once() {
    BuildNotebook(Tool::StandIn);
    UINT result = CModule().Commit();
    std::printf("starts %zu\nresult %u\n", sim::machine().processes.Starts().size(), result);
    return result == 0 ? 0 : 1;
}

int Argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    std::string what = argc > 1 ? argv[1] : "";
    try {
        if (what == "commit") return Commit(Argument(argc, argv, 2, 51));
        if (what == "log") return LogLine(Argument(argc, argv, 2, 15), Argument(argc, argv, 3, 200));
        if (what == "rss" && argc > 2) return PeakMemory(std::strcmp(argv[2], "commit") == 0);
        if (what == "once") return Once();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nuvbench: %s\n", e.what());
        return 2;
    }
    std::fprintf(stderr, "usage: nuvbench commit [RUNS] | log [ROUNDS] [LINES] | rss empty|commit | once\n");
    return 2;
}
