// nuvbench: the host figures, each printed as "name value" lines for bench/bench.py.
//
//   nuvbench commit [RUNS]          one commit per run on a fresh notebook, median: with programs
//                                   that do nothing and end at once, and with the stand-in tool
//   nuvbench log [ROUNDS] [LINES]   WriteLog against a bare open, append and close, over the
//                                   simulated machine's C runtime
//   nuvbench adapters [ROUNDS [N]]  the adapter task alone on notebooks with 10, 100 and 1,000
//                                   wired PCI adapters (or N of them): time per adapter, median,
//                                   and the median of the rounds' ratios 1,000 / 10
//   nuvbench rss empty|commit       peak resident size of a process that loads the module and
//                                   commits once, or only loads it, on the notebook with adapters
//   nuvbench once                   one commit with the stand-in tool and the notebook's four
//                                   adapters, for valgrind
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
#include "defaults/OSDefSet.h"
#include "host/AdvInstaller.h"
#include "sim/devices.h"
#include "sim/machine.h"
#include "tools/powercfg/Install.h"
#include "wmi/WMIClient.h"

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

// `count` wired PCI adapters, each its own device (the subsystem field differs), so that each
// one's hardware ID finds its own WMI instances.
void AddAdapters(int count) {
    for (int i = 0; i < count; ++i) {
        char id[96];
        std::snprintf(id, sizeof id, "PCI\\VEN_8086&DEV_10EA&SUBSYS_%04X1028&REV_06\\3&21436425&0&C8", i);
        char description[64];
        std::snprintf(description, sizeof description, "Intel(R) 82577LM Gigabit Network Connection #%d", i + 1);
        sim::NetworkAdapter adapter;
        adapter.instanceId = sim::FromUtf8(id);
        adapter.description = sim::FromUtf8(description);
        adapter.driverIndex = i;
        sim::AddNetworkAdapter(sim::machine(), adapter);
    }
}

// One run of the adapter task on the installer object of a commit, as the last task of a run, on
// a fresh notebook with `count` adapters: the time per adapter. The system's objects are linked
// into this program, so the task is called directly.
double TimeAdapterTask(int count) {
    BuildNotebook(Tool::EndsAtOnce);
    AddAdapters(count);
    CWMIClient::s_hrComSecurity = 1;
    CAdvInstaller installer;
    theOSDefSet.Attach(&installer);
    installer.CMSIInstaller::Run();
    Clock::time_point start = Clock::now();
    theOSDefSet.SetNICPowerManagement();
    Clock::time_point end = Clock::now();
    size_t writes = sim::machine().wmi.writes.size();
    if (writes != 3 * static_cast<size_t>(count))
        throw std::runtime_error("the adapter task wrote " + std::to_string(writes) + " WMI instances for " +
                                 std::to_string(count) + " adapters");
    return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(end - start).count()) / count;
}

// Rounds of one run at each size, so that a load on the machine that comes and goes weighs on all
// sizes alike; first one run at each size, not counted, that grows the heap to the machine's size.
int Adapters(int rounds, int only) {
    std::vector<int> counts = only ? std::vector<int>{only} : std::vector<int>{10, 100, 1000};
    for (int count : counts) TimeAdapterTask(count);
    std::vector<std::vector<double>> ns(counts.size());
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < counts.size(); ++i) ns[i].push_back(TimeAdapterTask(counts[i]));
        ratios.push_back(ns.back().back() / ns.front().back());
    }
    for (size_t i = 0; i < counts.size(); ++i) std::printf("adapter_ns_%d %.0f\n", counts[i], Median(ns[i]));
    std::printf("adapter_ratio %.3f\n", Median(ratios));
    return 0;
}

// The adapters of the default notebook: a wired PCI one with all three WMI instances, one
// without its wake instance (the registry fallback), a wireless one and one on USB (both left
// alone), so that a commit walks every path of the adapter task.
void AddNotebookAdapters() {
    struct Row {
        const char16_t* description;
        const char16_t* instance;
        int driver;
        bool wake;
    } rows[] = {
        {u"Gigabit Network Connection", u"PCI\\VEN_8086&DEV_10EA&SUBSYS_00011179&REV_05\\3&21436425&0&C8", 7, true},
        {u"Fast Ethernet Controller", u"PCI\\VEN_10EC&DEV_8136&SUBSYS_FF1E1179&REV_02\\4&2A1B3C4D&0&00E1", 8, false},
        {u"Wireless-N 1030", u"PCI\\VEN_8086&DEV_0087&SUBSYS_44688086&REV_34\\4&3A8C1F2E&0&00E4", 9, true},
        {u"USB 2.0 Ethernet Adapter", u"USB\\VID_0B95&PID_772B\\000001", 10, true},
    };
    for (const Row& row : rows) {
        sim::NetworkAdapter adapter;
        adapter.instanceId = row.instance;
        adapter.description = row.description;
        adapter.driverIndex = row.driver;
        adapter.deviceWakeEnable = row.wake;
        sim::AddNetworkAdapter(sim::machine(), adapter);
    }
}

int PeakMemory(bool commit) {
    BuildNotebook(Tool::StandIn);
    AddNotebookAdapters();
    {
        CModule module;
        if (commit) module.Commit();
    }
    std::printf("peak_rss_kib %ld\n", PeakResidentKib());
    return 0;
}

int Once() {
    BuildNotebook(Tool::StandIn);
    AddNotebookAdapters();
    UINT result = CModule().Commit();
    std::printf("starts %zu\nwmi_writes %zu\nresult %u\n", sim::machine().processes.Starts().size(),
                sim::machine().wmi.writes.size(), result);
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
        if (what == "adapters") return Adapters(Argument(argc, argv, 2, 11), Argument(argc, argv, 3, 0));
        if (what == "rss" && argc > 2) return PeakMemory(std::strcmp(argv[2], "commit") == 0);
        if (what == "once") return Once();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nuvbench: %s\n", e.what());
        return 2;
    }
    std::fprintf(stderr, "usage: nuvbench commit [RUNS] | log [ROUNDS] [LINES] | adapters [ROUNDS [N]] | rss empty|commit | once\n");
    return 2;
}
