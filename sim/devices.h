// Devices of the simulated machine, kept as Windows keeps them in the registry:
//   SYSTEM\CurrentControlSet\Enum\<enumerator>\<device>\<instance>   the device instance, with
//       ClassGUID, Class, DeviceDesc, HardwareID (REG_MULTI_SZ), Mfg and, once a driver is
//       installed, Driver = "{class GUID}\NNNN";
//   SYSTEM\CurrentControlSet\Control\Class\{class GUID}\NNNN          the driver key.
// Windows links CurrentControlSet to ControlSet001. This registry keeps them as two separate key
// paths, so that each can be missing or refused on its own; AddNetworkAdapter writes the driver
// key under both. Whether a device is plugged in is not in the registry on Windows either: the
// machine keeps the devices that are not present in a list of their own.
#pragma once
#include <set>
#include <vector>
#include "text.h"

namespace sim {

struct Machine;

extern const char16_t kNetClassGuid[];       // {4d36e972-e325-11ce-bfc1-08002be10318}
extern const char16_t kEnumKey[];            // SYSTEM\CurrentControlSet\Enum
extern const char16_t kNetClassKey[];        // SYSTEM\CurrentControlSet\Control\Class\{4d36e972-...}
extern const char16_t kNetClassKey001[];     // SYSTEM\ControlSet001\Control\Class\{4d36e972-...}

struct Devices {
    std::set<wstring, LessNoCase> notPresent;  // device instance IDs
};

struct NetworkAdapter {
    // The device instance ID, for example PCI\VEN_8086&DEV_10EA&SUBSYS_040B1028&REV_06\3&21436425&0&C8.
    wstring instanceId;
    wstring description;
    // Empty: the instance ID without its last part, then that without its last "&" field, as
    // Windows lists a PCI device's IDs from the most to the least specific.
    std::vector<wstring> hardwareIds;
    int driverIndex = 0;  // the NNNN of the driver key; -1: no driver installed
    bool present = true;
    // The WMI instances that the driver provides (InstanceName: the instance ID and "_0").
    bool deviceEnable = true;           // MSPower_DeviceEnable
    bool deviceWakeEnable = true;       // MSPower_DeviceWakeEnable
    bool wakeOnMagicPacketOnly = true;  // MSNdis_DeviceWakeOnMagicPacketOnly
};

// Writes the adapter's device instance, driver key and WMI instances; returns the driver key as
// SetupAPI reports it ("{4d36e972-e325-11ce-bfc1-08002be10318}\0007"), empty without a driver.
wstring AddNetworkAdapter(Machine& m, const NetworkAdapter& adapter);

// The WMI instance name of a device: its instance ID and "_0".
wstring WmiInstanceName(wstring_view instanceId);

}  // namespace sim
