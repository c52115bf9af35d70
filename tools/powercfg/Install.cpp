#include "Install.h"
#include "PowerCfg.h"
#include "PowerStore.h"

namespace powercfg {

const char16_t kProgramPath[] = u"C:\\Windows\\system32\\powercfg.exe";

void Install(sim::Machine& machine) {
    machine.processes.Register(kProgramPath, [](const sim::wstring& commandLine, sim::wstring& standardError) {
        return static_cast<DWORD>(Execute(commandLine, standardError));
    });
}

void AddScheme(sim::Machine& machine, const std::u16string& guid, const std::u16string& name,
               const std::u16string& description) {
    std::u16string path = std::u16string(kSchemesKey) + u"\\" + guid;
    machine.registry.SetString(path, u"FriendlyName", name);
    machine.registry.SetString(path, u"Description", description);
}

}  // namespace powercfg
