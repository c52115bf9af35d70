// The network-adapter task: which adapters it handles, what it writes through WMI, when it falls
// back to the registry, and that COM is balanced for every adapter it handles.
#include <gtest/gtest.h>
#include <functional>
#include "Support.h"
#include "defaults/OSDefSet.h"
#include "host/AdvInstaller.h"
#include "wmi/WMIClient.h"

namespace {

const char16_t kIntel[] = u"PCI\\VEN_8086&DEV_10EA&SUBSYS_040B1028&REV_06\\3&21436425&0&C8";
const char16_t kRealtek[] = u"PCI\\VEN_10EC&DEV_8168&SUBSYS_05C51028&REV_06\\4&2C4C8F17&0&00E0";

sim::NetworkAdapter Adapter(const char16_t* instanceId, const char16_t* description, int driverIndex) {
    sim::NetworkAdapter adapter;
    adapter.instanceId = instanceId;
    adapter.description = description;
    adapter.driverIndex = driverIndex;
    return adapter;
}

std::string Setting(const std::string& description, const std::string& index) {
    return "Setting " + description + " ({4d36e972-e325-11ce-bfc1-08002be10318}\\" + index + ") power management";
}

std::vector<std::string> AllThree(const std::string& instanceId) {
    std::string name = "\"" + instanceId + "_0\"";
    return {"MSPower_DeviceEnable " + name + " Enable=TRUE", "MSPower_DeviceWakeEnable " + name + " Enable=TRUE",
            "MSNdis_DeviceWakeOnMagicPacketOnly " + name + " EnableWakeOnMagicPacketOnly=TRUE"};
}

// "CurrentControlSet\0007" for System\CurrentControlSet\Control\Class\{4d36e972-...}\0007.
std::string ShortClassKey(std::string path) {
    size_t slash = path.find('\\');
    path = path.substr(slash + 1);
    size_t control = path.find("\\Control\\Class\\");
    return path.substr(0, control) + path.substr(path.rfind('\\'));
}

// The driver keys that were opened, in order.
std::vector<std::string> OpenedClassKeys() {
    std::vector<std::string> keys;
    for (const sim::Call& call : sim::machine().calls.Of("RegOpenKeyExW"))
        if (sim::ContainsNoCase(call.detail, u"\\Control\\Class\\")) keys.push_back(ShortClassKey(Utf8(call.detail)));
    return keys;
}

// Every PnPCapabilities value under the network class of both control sets, as "…\NNNN=0x120".
std::vector<std::string> PnPCapabilities() {
    std::vector<std::string> found;
    for (const char16_t* classKey : {sim::kNetClassKey, sim::kNetClassKey001}) {
        sim::RegKey* key = sim::machine().registry.Find(classKey);
        if (!key) continue;
        for (const std::u16string& index : key->keyOrder) {
            std::u16string path = std::u16string(classKey) + u"\\" + index;
            const sim::RegValue* value = sim::machine().registry.Value(path, u"PnPCapabilities");
            if (!value) continue;
            EXPECT_EQ(static_cast<uint32_t>(REG_DWORD), value->type);
            EXPECT_EQ(4u, value->data.size());
            char text[16];
            std::snprintf(text, sizeof text, "=0x%x", sim::machine().registry.Dword(path, u"PnPCapabilities").value_or(0));
            found.push_back(ShortClassKey(Utf8(path)) + text);
        }
    }
    return found;
}

// Runs the task on the installer object of a commit, as the last task of a run does.
void RunTask() {
    CWMIClient::s_hrComSecurity = 1;
    sim::machine().calls.Clear();
    CAdvInstaller installer;
    theOSDefSet.Attach(&installer);
    installer.CMSIInstaller::Run();
    theOSDefSet.SetNICPowerManagement();
}

TEST(NICPowerManagement, Machines) {
    struct Case {
        const char* name;
        std::function<void(sim::Machine&)> build;
        std::vector<std::string> log;
        std::vector<std::string> writes;
        std::vector<std::string> opened;  // driver keys opened for the fallback
        std::vector<std::string> pnp;     // PnPCapabilities afterwards
        int handled;                      // adapters that got a WMI client
    } cases[] = {
        {"wired PCI adapter with all three instances: no registry key opened",
         [](sim::Machine& m) { sim::AddNetworkAdapter(m, Adapter(kIntel, u"Intel(R) 82577LM Gigabit Network Connection", 7)); },
         {Setting("Intel(R) 82577LM Gigabit Network Connection", "0007")},
         AllThree(Utf8(kIntel)),
         {},
         {},
         1},
        {"no wake instance: the first write stays, the fallback goes to both control sets",
         [](sim::Machine& m) {
             sim::NetworkAdapter a = Adapter(kIntel, u"Gigabit Controller", 7);
             a.deviceWakeEnable = false;
             sim::AddNetworkAdapter(m, a);
         },
         {Setting("Gigabit Controller", "0007")},
         {AllThree(Utf8(kIntel))[0]},
         {"CurrentControlSet\\0007", "ControlSet001\\0007"},
         {"CurrentControlSet\\0007=0x120", "ControlSet001\\0007=0x120"},
         1},
        {"wireless words in any case are skipped",
         [](sim::Machine& m) {
             sim::AddNetworkAdapter(m, Adapter(u"PCI\\VEN_8086&DEV_0085\\4&1&0&00E1", u"Intel(R) Centrino(R) Advanced-N 6205 WIRELESS", 1));
             sim::AddNetworkAdapter(m, Adapter(u"PCI\\VEN_168C&DEV_002B\\4&2&0&00E2", u"Atheros wLaN Adapter", 2));
             sim::AddNetworkAdapter(m, Adapter(u"PCI\\VEN_14E4&DEV_4727\\4&3&0&00E3", u"Broadcom 802.11n W/Lan Card", 3));
             sim::AddNetworkAdapter(m, Adapter(kIntel, u"Intel(R) Gigabit Network Connection", 7));
         },
         {Setting("Intel(R) Gigabit Network Connection", "0007")},
         AllThree(Utf8(kIntel)),
         {},
         {},
         1},
        {"USB and ROOT are skipped; pci in lower case is accepted",
         [](sim::Machine& m) {
             sim::AddNetworkAdapter(m, Adapter(u"USB\\VID_0BDA&PID_8153\\000001", u"Realtek USB GbE Family Controller", 1));
             sim::AddNetworkAdapter(m, Adapter(u"ROOT\\NET\\0000", u"Microsoft Loopback Adapter", 2));
             sim::AddNetworkAdapter(m, Adapter(u"pci\\ven_10ec&dev_8168\\4&2c4c8f17&0&00e0", u"Realtek PCIe GBE Family Controller", 3));
         },
         {Setting("Realtek PCIe GBE Family Controller", "0003")},
         AllThree("pci\\ven_10ec&dev_8168\\4&2c4c8f17&0&00e0"),
         {},
         {},
         1},
        {"an adapter without a driver key is skipped",
         [](sim::Machine& m) { sim::AddNetworkAdapter(m, Adapter(kIntel, u"Gigabit Controller", -1)); },
         {},
         {},
         {},
         {},
         0},
        {"an adapter that is not present is handled",
         [](sim::Machine& m) {
             sim::NetworkAdapter a = Adapter(kIntel, u"Gigabit Controller", 7);
             a.present = false;
             sim::AddNetworkAdapter(m, a);
         },
         {Setting("Gigabit Controller", "0007")},
         AllThree(Utf8(kIntel)),
         {},
         {},
         1},
        {"ControlSet001 missing: CurrentControlSet is still written",
         [](sim::Machine& m) {
             sim::NetworkAdapter a = Adapter(kIntel, u"Gigabit Controller", 7);
             a.deviceEnable = false;
             sim::AddNetworkAdapter(m, a);
             m.registry.Erase(u"SYSTEM\\ControlSet001");
         },
         {Setting("Gigabit Controller", "0007")},
         {},
         {"CurrentControlSet\\0007", "ControlSet001\\0007"},
         {"CurrentControlSet\\0007=0x120"},
         1},
        {"CurrentControlSet not openable: ControlSet001 is still written",
         [](sim::Machine& m) {
             sim::NetworkAdapter a = Adapter(kIntel, u"Gigabit Controller", 7);
             a.deviceEnable = false;
             sim::AddNetworkAdapter(m, a);
             m.faults.Add({"RegOpenKeyExW", u"CurrentControlSet\\Control\\Class\\", 0, ERROR_ACCESS_DENIED});
         },
         {Setting("Gigabit Controller", "0007")},
         {},
         {"CurrentControlSet\\0007", "ControlSet001\\0007"},
         {"ControlSet001\\0007=0x120"},
         1},
        {"no connection to WMI: fallback",
         [](sim::Machine& m) {
             sim::AddNetworkAdapter(m, Adapter(kIntel, u"Gigabit Controller", 7));
             m.faults.Add({"ConnectServer", u"", 0, static_cast<HRESULT>(WBEM_E_ACCESS_DENIED)});
         },
         {Setting("Gigabit Controller", "0007")},
         {},
         {"CurrentControlSet\\0007", "ControlSet001\\0007"},
         {"CurrentControlSet\\0007=0x120", "ControlSet001\\0007=0x120"},
         1},
        {"the third write refused: two writes stay, fallback",
         [](sim::Machine& m) {
             sim::AddNetworkAdapter(m, Adapter(kIntel, u"Gigabit Controller", 7));
             m.faults.Add({"PutInstance", u"MSNdis_DeviceWakeOnMagicPacketOnly", 0, static_cast<HRESULT>(WBEM_E_ACCESS_DENIED)});
         },
         {Setting("Gigabit Controller", "0007")},
         {AllThree(Utf8(kIntel))[0], AllThree(Utf8(kIntel))[1]},
         {"CurrentControlSet\\0007", "ControlSet001\\0007"},
         {"CurrentControlSet\\0007=0x120", "ControlSet001\\0007=0x120"},
         1},
        {"two identical adapters: every write goes to the first instance the query returns",
         [](sim::Machine& m) {
             sim::AddNetworkAdapter(m, Adapter(u"PCI\\VEN_8086&DEV_10EA\\4&1&0&00C8", u"Gigabit Controller", 7));
             sim::AddNetworkAdapter(m, Adapter(u"PCI\\VEN_8086&DEV_10EA\\4&2&0&00C9", u"Gigabit Controller", 8));
         },
         {Setting("Gigabit Controller", "0007"), Setting("Gigabit Controller", "0008")},
         [] {
             std::vector<std::string> first = AllThree("PCI\\VEN_8086&DEV_10EA\\4&1&0&00C8");
             std::vector<std::string> again;  // the second writes change nothing
             for (const char* cls : {"MSPower_DeviceEnable", "MSPower_DeviceWakeEnable", "MSNdis_DeviceWakeOnMagicPacketOnly"})
                 again.push_back(std::string(cls) + " \"PCI\\VEN_8086&DEV_10EA\\4&1&0&00C8_0\"");
             first.insert(first.end(), again.begin(), again.end());
             return first;
         }(),
         {},
         {},
         2},
        {"no network device at all; a display adapter is not of the class",
         [](sim::Machine& m) {
             std::u16string display = std::u16string(sim::kEnumKey) + u"\\PCI\\VEN_8086&DEV_0126\\3&1&0&10";
             m.registry.SetString(display, u"ClassGUID", u"{4d36e968-e325-11ce-bfc1-08002be10318}");
             m.registry.SetString(display, u"DeviceDesc", u"Intel(R) HD Graphics 3000");
         },
         {},
         {},
         {},
         {},
         0},
        {"the device set not available",
         [](sim::Machine& m) {
             sim::AddNetworkAdapter(m, Adapter(kIntel, u"Gigabit Controller", 7));
             m.faults.Add({"SetupDiGetClassDevsW", u"", 0, 0, ERROR_ACCESS_DENIED});
         },
         {"Unable to enumerate NIC devices; failed to set NIC power management settings"},
         {},
         {},
         {},
         0},
        {"a property that never fits its buffer is given up, as Wine answers for the enumerator name",
         [](sim::Machine& m) {
             sim::AddNetworkAdapter(m, Adapter(kIntel, u"Gigabit Controller", 7));
             m.faults.Add({"SetupDiGetDeviceRegistryPropertyW", u"SPDRP_DRIVER", 0, FALSE, ERROR_INSUFFICIENT_BUFFER});
         },
         {},
         {},
         {},
         {},
         0},
        {"a property that grew once is read again",
         [](sim::Machine& m) {
             sim::AddNetworkAdapter(m, Adapter(kIntel, u"Gigabit Controller", 7));
             m.faults.Add({"SetupDiGetDeviceRegistryPropertyW", u"SPDRP_DRIVER", 2, FALSE, ERROR_INSUFFICIENT_BUFFER});
         },
         {Setting("Gigabit Controller", "0007")},
         AllThree(Utf8(kIntel)),
         {},
         {},
         1},
        {"no memory for a property buffer: the device is skipped, the next one handled",
         [](sim::Machine& m) {
             // SetupAPI lists the devices by their instance IDs: VEN_10EC before VEN_8086.
             sim::AddNetworkAdapter(m, Adapter(kIntel, u"Intel Gigabit", 7));
             sim::AddNetworkAdapter(m, Adapter(kRealtek, u"Realtek Gigabit", 3));
             m.faults.Add({"LocalAlloc", u"", 1, 0});
         },
         {Setting("Intel Gigabit", "0007")},
         AllThree(Utf8(kIntel)),
         {},
         {},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetNotebook();
        c.build(sim::machine());
        RunTask();
        const sim::Machine& m = sim::machine();
        EXPECT_EQ(c.log, LogMessages());
        EXPECT_EQ(c.writes, m.wmi.WriteTexts());
        EXPECT_EQ(c.opened, OpenedClassKeys());
        EXPECT_EQ(c.pnp, PnPCapabilities());
        // COM balanced for every handled adapter, every interface released before its CoUninitialize.
        EXPECT_EQ(c.handled, m.apartments.CoInitializeCalls);
        EXPECT_EQ(c.handled, m.apartments.CoUninitializeCalls);
        EXPECT_EQ(std::vector<long>(c.handled, 0), m.com.liveObjectsAtCoUninitialize);
        EXPECT_EQ(0, m.com.liveObjects);
        EXPECT_EQ(0, m.automation.liveStrings);
        EXPECT_EQ(0, m.localAllocations);
        EXPECT_EQ(0u, m.handles.Open());
    }
}

TEST(NICPowerManagement, QueriesDoubleEveryBackslashOfTheFirstHardwareID) {
    ResetNotebook();
    sim::NetworkAdapter a = Adapter(kIntel, u"Gigabit Controller", 7);
    a.hardwareIds = {u"PCI\\VEN_8086&DEV_10EA&SUBSYS_040B1028&REV_06", u"PCI\\VEN_8086&DEV_10EA&SUBSYS_040B1028"};
    sim::AddNetworkAdapter(sim::machine(), a);
    RunTask();
    std::vector<std::string> queries;
    for (const sim::Call& call : sim::machine().calls.Of("ExecQuery")) queries.push_back(Utf8(call.detail));
    const std::string like = " WHERE InstanceName LIKE \"%PCI\\\\VEN_8086&DEV_10EA&SUBSYS_040B1028&REV_06%\"; flags 0x20";
    EXPECT_EQ((std::vector<std::string>{"WQL SELECT * FROM MSPower_DeviceEnable" + like,
                                        "WQL SELECT * FROM MSPower_DeviceWakeEnable" + like,
                                        "WQL SELECT * FROM MSNdis_DeviceWakeOnMagicPacketOnly" + like}),
              queries);
    EXPECT_EQ(AllThree(Utf8(kIntel)), sim::machine().wmi.WriteTexts());
}

TEST(NICPowerManagement, RunsLastInTheCommitOnTheInstallersApartment) {
    ResetNotebook();
    sim::AddNetworkAdapter(sim::machine(), Adapter(kIntel, u"Gigabit Controller", 7));
    sim::AddNetworkAdapter(sim::machine(), Adapter(kRealtek, u"Realtek Gigabit", 3));
    {
        LoadedModule module;
        EXPECT_EQ(0u, module.Commit());
        std::vector<std::string> log = LogMessages();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ((std::vector<std::string>{Setting("Realtek Gigabit", "0003"), Setting("Gigabit Controller", "0007")}),
                  std::vector<std::string>(log.end() - 2, log.end()));
        // OLE already holds the thread: each guard gets S_FALSE and undoes only its own call.
        EXPECT_EQ(2, sim::machine().apartments.CoInitializeCalls);
        EXPECT_EQ(2, sim::machine().apartments.CoUninitializeCalls);
        EXPECT_EQ(1, sim::machine().apartments.Current().initCount);
        // Security is set once for the process; the second adapter's client no longer asks.
        EXPECT_EQ(1u, sim::machine().calls.Count("CoInitializeSecurity"));
    }
    EXPECT_EQ(6u, sim::machine().wmi.writes.size());
    EXPECT_EQ(0, sim::machine().com.liveObjects);
}

}  // namespace
