#include "Notebook.h"
#include <algorithm>
#include "sim/machine.h"
#include "tools/powercfg/Install.h"

namespace simtool {

const char16_t kProductKey[] = u"Software\\Arvenco\\Nuvra System Default Settings";

namespace {

constexpr int kCsidlSystem = 0x25, kCsidlProgramFiles = 0x26;
constexpr uint32_t kWinFalse = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kKeyRead = 0x20019;

std::u16string U16(const std::string& text) { return sim::FromUtf8(text); }

// A 32-bit process on 64-bit Windows: its Program Files and system folder are the 32-bit ones,
// and the system folder holds the power tool as well.
void SixtyFourBit(sim::Machine& m) {
    m.registry.is64BitWindows = true;
    m.shellFolders[kCsidlProgramFiles] = u"C:\\Program Files (x86)";
    m.shellFolders[kCsidlSystem] = u"C:\\Windows\\SysWOW64";
    for (const auto& [csidl, path] : m.shellFolders) m.drive.CreateFolder(path);
}

void InstallPowerTool(sim::Machine& m) {
    powercfg::Install(m);
    const sim::Program* tool = m.processes.Find(powercfg::kProgramPath);
    std::u16string path = m.shellFolders[kCsidlSystem] + u"\\powercfg.exe";
    if (tool && !m.processes.Find(path)) m.processes.Register(path, tool->body, tool->durationMs);
}

void AddAdapter(sim::Machine& m, const AdapterProfile& a) {
    sim::NetworkAdapter adapter;
    adapter.instanceId = U16(a.instance);
    adapter.description = U16(a.description);
    for (const std::string& id : a.hardwareIds) adapter.hardwareIds.push_back(U16(id));
    adapter.driverIndex = a.driver;
    adapter.present = a.present;
    auto has = [&](const char* c) { return std::find(a.wmi.begin(), a.wmi.end(), c) != a.wmi.end(); };
    adapter.deviceEnable = has(kAdapterWmiClasses[0]);
    adapter.deviceWakeEnable = has(kAdapterWmiClasses[1]);
    adapter.wakeOnMagicPacketOnly = has(kAdapterWmiClasses[2]);
    sim::AddNetworkAdapter(m, adapter);
}

// A class without instances, or a write of it refused: IWbemClassObject::Put names the class and
// the property ("Class.Property"), IWbemServices::PutInstance the class and the instance name.
void StageWmiFault(sim::Machine& m, const FaultProfile& f) {
    std::u16string name = U16(f.target);
    if (f.noInstance) {
        if (sim::WmiClass* c = m.wmi.Class(name)) c->instances.clear();
    } else if (f.put) {
        m.faults.Add({"Put", name + u".", f.nth, *f.put, 0});
    } else {
        m.faults.Add({"PutInstance", name + u" ", f.nth, *f.putInstance, 0});
    }
}

void StageFault(sim::Machine& m, const FaultProfile& f) {
    switch (f.kind) {
    case FaultProfile::Kind::Command: {
        // The system starts the tool in its system folder with the argument text after one blank.
        std::u16string line = m.shellFolders[kCsidlSystem] + u"\\powercfg.exe " + U16(f.target);
        if (f.hang) {
            m.processes.StageDuration(line, f.nth, sim::kForever, true);
        } else {
            sim::Fault fault{"CreateProcessW", line, f.nth, kWinFalse, kErrorFileNotFound};
            fault.whole = true;
            m.faults.Add(fault);
        }
        break;
    }
    case FaultProfile::Kind::WmiClass:
        StageWmiFault(m, f);
        break;
    case FaultProfile::Kind::Api:
        m.faults.Add({f.target, U16(f.subject), f.nth, f.result, f.lastError});
        break;
    case FaultProfile::Kind::HoldFile:
        m.drive.Hold(U16(f.target));
        break;
    }
}

}  // namespace

void BuildNotebook(const Profile& p) {
    sim::Reset();
    sim::Machine& m = sim::machine();
    m.version.major = static_cast<DWORD>(p.versionMajor);
    m.version.minor = static_cast<DWORD>(p.versionMinor);
    if (p.is64Bit) SixtyFourBit(m);
    m.locale.userLcid = p.userLcid;
    m.locale.uiLanguage = p.uiLanguage;
    m.clock.SetLocal(2012, 3, 1, p.clockMs / 3600000, p.clockMs / 60000 % 60, p.clockMs / 1000 % 60, p.clockMs % 1000);
    for (const std::string& folder : p.folders) m.drive.CreateFolder(U16(folder));

    std::u16string productKey = m.registry.ViewPath(kProductKey, kKeyRead);
    for (const auto& [name, value] : p.productKey) m.registry.SetString(productKey, U16(name), U16(value));

    InstallPowerTool(m);
    for (const auto& [guid, name] : p.powerSchemes) powercfg::AddScheme(m, U16(guid), U16(name));
    for (const AdapterProfile& a : p.adapters) AddAdapter(m, a);
    for (const RegistryImport& import : p.registry) ApplyRegFile(import.content, m.registry);
    for (const FaultProfile& f : p.faults) StageFault(m, f);
}

}  // namespace simtool
