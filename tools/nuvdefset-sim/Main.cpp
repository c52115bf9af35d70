// nuvdefset-sim: loads NuvraDefSet.so beside this program, as Windows Installer loads the DLL, runs
// one commit on the built-in default notebook of the simulated machine and prints the log.
#include <dlfcn.h>
#include <unistd.h>
#include <climits>
#include <cstdio>
#include <string>
#include "sim/machine.h"

namespace {

const char16_t kProductKey[] = u"Software\\Arvenco\\Nuvra System Default Settings";

void BuildDefaultNotebook() {
    sim::Reset();
    sim::Machine& m = sim::machine();
    m.registry.SetString(kProductKey, u"MachineID", u"NB-4711");
    m.registry.SetString(kProductKey, u"Version", u"2.1.2.1");
    m.registry.SetString(kProductKey, u"Accelerometer", u"1");
    m.drive.CreateFolder(u"C:\\System.sav");
    m.drive.CreateFolder(u"C:\\Program Files\\Arvenco\\Nuvra System Default Settings");
}

std::string ModulePath() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string("./nuvdefset-sim");
    return path.substr(0, path.rfind('/') + 1) + "NuvraDefSet.so";
}

void PrintLog() {
    std::string bytes = sim::machine().drive.ReadFile(u"C:\\System.sav\\defSet.log");
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    std::string out = sim::ToUtf8(text);
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int main() {
    BuildDefaultNotebook();
    std::string path = ModulePath();
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "nuvdefset-sim: cannot load %s: %s\n", path.c_str(), dlerror());
        return 2;
    }
    auto commit = reinterpret_cast<UINT (*)(MSIHANDLE)>(dlsym(module, "nuvMSICommit"));
    if (!commit) {
        std::fprintf(stderr, "nuvdefset-sim: %s has no nuvMSICommit\n", path.c_str());
        return 2;
    }
    UINT result = commit(1);
    dlclose(module);
    PrintLog();
    std::printf("nuvMSICommit returned %u\n", result);
    return 0;
}
