#include "devices.h"
#include <cstdio>
#include "machine.h"

namespace sim {

const char16_t kNetClassGuid[] = u"{4d36e972-e325-11ce-bfc1-08002be10318}";
const char16_t kEnumKey[] = u"SYSTEM\\CurrentControlSet\\Enum";
const char16_t kNetClassKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e972-e325-11ce-bfc1-08002be10318}";
const char16_t kNetClassKey001[] = u"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e972-e325-11ce-bfc1-08002be10318}";

wstring WmiInstanceName(wstring_view instanceId) { return wstring(instanceId) + u"_0"; }

namespace {

std::vector<wstring> DefaultHardwareIds(const wstring& instanceId) {
    std::vector<wstring> ids;
    size_t last = instanceId.rfind(u'\\');
    if (last == wstring::npos) return {instanceId};
    wstring id = instanceId.substr(0, last);
    ids.push_back(id);
    size_t amp = id.rfind(u'&');
    if (amp != wstring::npos && amp > id.find(u'\\')) ids.push_back(id.substr(0, amp));
    return ids;
}

}  // namespace

wstring AddNetworkAdapter(Machine& m, const NetworkAdapter& adapter) {
    wstring enumPath = wstring(kEnumKey) + u"\\" + adapter.instanceId;
    Registry& r = m.registry;
    r.Create(enumPath);
    r.SetString(enumPath, u"ClassGUID", kNetClassGuid);
    r.SetString(enumPath, u"Class", u"Net");
    r.SetString(enumPath, u"DeviceDesc", adapter.description);
    r.SetMultiString(enumPath, u"HardwareID",
                     adapter.hardwareIds.empty() ? DefaultHardwareIds(adapter.instanceId) : adapter.hardwareIds);
    r.SetString(enumPath, u"Mfg", u"Nuvra Test Devices");
    if (!adapter.present) m.devices.notPresent.insert(adapter.instanceId);

    wstring driverKey;
    if (adapter.driverIndex >= 0) {
        char index[16];
        std::snprintf(index, sizeof index, "%04d", adapter.driverIndex);
        driverKey = wstring(kNetClassGuid) + u"\\" + FromUtf8(index);
        r.SetString(enumPath, u"Driver", driverKey);
        for (const char16_t* classKey : {kNetClassKey, kNetClassKey001}) {
            wstring path = wstring(classKey) + u"\\" + FromUtf8(index);
            r.SetString(path, u"DriverDesc", adapter.description);
            r.SetString(path, u"MatchingDeviceId", DefaultHardwareIds(adapter.instanceId).front());
        }
    }

    wstring instanceName = WmiInstanceName(adapter.instanceId);
    if (adapter.deviceEnable)
        m.wmi.AddInstance(u"MSPower_DeviceEnable", instanceName, {{u"Active", true}, {u"Enable", false}});
    if (adapter.deviceWakeEnable)
        m.wmi.AddInstance(u"MSPower_DeviceWakeEnable", instanceName, {{u"Active", true}, {u"Enable", false}});
    if (adapter.wakeOnMagicPacketOnly)
        m.wmi.AddInstance(u"MSNdis_DeviceWakeOnMagicPacketOnly", instanceName,
                          {{u"Active", true}, {u"EnableWakeOnMagicPacketOnly", false}});
    return driverKey;
}

}  // namespace sim
