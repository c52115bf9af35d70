// Power management of the wired PCI network adapters: for each one, WMI is asked to let the device
// be powered down, let it wake the computer, and let only a magic packet wake it. Where any of
// the three cannot be set, the adapter's driver key gets PnPCapabilities = 0x120 instead, under
// both control sets.
#include "OSDefSet.h"
#include "../framework/Handles.h"
#include "../host/LogFile.h"
#include "../wmi/WMIClient.h"

namespace {

const DWORD kPnPCapabilities = 0x120;

const LPCWSTR kClassKeyPrefixes[] = {
    TEXT("System\\CurrentControlSet\\Control\\Class\\"),
    TEXT("System\\ControlSet001\\Control\\Class\\"),
};

const LPCWSTR kWirelessWords[] = {TEXT("wireless"), TEXT("wlan"), TEXT("w/lan")};

struct CWMIStep {
    LPCWSTR className;
    LPCWSTR property;
};

const CWMIStep kWMISteps[] = {
    {TEXT("MSPower_DeviceEnable"), TEXT("Enable")},
    {TEXT("MSPower_DeviceWakeEnable"), TEXT("Enable")},
    {TEXT("MSNdis_DeviceWakeOnMagicPacketOnly"), TEXT("EnableWakeOnMagicPacketOnly")},
};

// A property that answers "buffer too small" round after round is given up after this many rounds
// (Wine answers so for SPDRP_ENUMERATOR_NAME, with a required size of 0, for ever).
const int kMaxPropertyRounds = 8;

// Reads one registry property of a device into `buffer` (zero-filled, twice the size SetupAPI asks
// for); false when the device has no such property.
bool ReadDeviceProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property, CLocalBuffer& buffer,
                        DWORD& size) {
    size = 0;
    BOOL read = SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr, nullptr, size, &size);
    for (int round = 0; !read && GetLastError() == ERROR_INSUFFICIENT_BUFFER; ++round) {
        buffer.Reset();
        if (round == kMaxPropertyRounds) return false;
        buffer.Reset(LocalAlloc(LPTR, 2 * static_cast<size_t>(size)));
        if (!buffer.IsValid()) return false;
        read = SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr,
                                                 static_cast<PBYTE>(buffer.Get()), size, &size);
    }
    if (!read) {
        buffer.Reset();
        return false;
    }
    return true;
}

// The text of a property buffer up to its first NUL, never past the buffer's end (a property of
// no bytes has no buffer and is empty).
CString TextOf(const CLocalBuffer& buffer, DWORD size) {
    if (!buffer.IsValid()) return CString();
    LPCWSTR text = static_cast<LPCWSTR>(buffer.Get());
    int capacity = static_cast<int>(size);  // the buffer holds 2 * size bytes: size characters
    int length = 0;
    while (length < capacity && text[length]) ++length;
    return CString(text, length);
}

bool HasWirelessWord(const CString& description) {
    CString lower(description);
    lower.MakeLower();
    for (LPCWSTR word : kWirelessWords)
        if (lower.Find(word) >= 0) return true;
    return false;
}

// The three WMI steps; true only when all three queries found an instance and all three writes
// were taken. Writes made before a failing step stay made.
bool SetThroughWMI(CWMIClient& client, const CString& hardwareId) {
    if (client.Connect() != S_OK) return false;

    VARIANT enable;
    VariantInit(&enable);
    enable.vt = VT_BOOL;
    enable.boolVal = VARIANT_TRUE;

    CString fragment(hardwareId);
    fragment.Replace(TEXT("\\"), TEXT("\\\\"));
    for (const CWMIStep& step : kWMISteps) {
        CString query;
        query.Format(TEXT("SELECT * FROM %s WHERE InstanceName LIKE \"%%%s%%\""), step.className, fragment);
        if (client.ExecQuery(query) != S_OK) return false;
        if (client.PutProperty(step.property, &enable) != S_OK) return false;
    }
    return true;
}

void WriteRegistryFallback(const CString& driverKey) {
    for (LPCWSTR prefix : kClassKeyPrefixes) {
        CRegKeyHandle key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, CString(prefix) + driverKey, 0, KEY_ALL_ACCESS, key.Put()) !=
            ERROR_SUCCESS)
            continue;
        RegSetValueExW(key.Get(), TEXT("PnPCapabilities"), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&kPnPCapabilities), sizeof kPnPCapabilities);
    }
}

}  // namespace

void COSDefSet::SetNICPowerManagement() {
    CDeviceInfoList devices(SetupDiGetClassDevsW(&GUID_DEVCLASS_NET, nullptr, nullptr, 0));
    if (!devices.IsValid()) {
        WriteLog(m_pInstaller, TEXT("Unable to enumerate NIC devices; failed to set NIC power management settings"));
        return;
    }

    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.Get(), index, &device); ++index) {
        CLocalBuffer descriptionBuffer, driverBuffer, enumeratorBuffer, hardwareIdBuffer;
        DWORD descriptionSize, driverSize, enumeratorSize, hardwareIdSize;
        bool complete = ReadDeviceProperty(devices.Get(), device, SPDRP_DEVICEDESC, descriptionBuffer, descriptionSize);
        complete &= ReadDeviceProperty(devices.Get(), device, SPDRP_DRIVER, driverBuffer, driverSize);
        complete &= ReadDeviceProperty(devices.Get(), device, SPDRP_ENUMERATOR_NAME, enumeratorBuffer, enumeratorSize);
        complete &= ReadDeviceProperty(devices.Get(), device, SPDRP_HARDWAREID, hardwareIdBuffer, hardwareIdSize);
        if (!complete) continue;

        CString description = TextOf(descriptionBuffer, descriptionSize);
        CString driverKey = TextOf(driverBuffer, driverSize);
        CString enumerator = TextOf(enumeratorBuffer, enumeratorSize);
        CString hardwareId = TextOf(hardwareIdBuffer, hardwareIdSize);  // the first of the list
        if (enumerator.CompareNoCase(TEXT("PCI")) != 0) continue;
        if (HasWirelessWord(description)) continue;

        CString line;
        line.Format(TEXT("Setting %s (%s) power management"), description, driverKey);
        WriteLog(m_pInstaller, line);

        CWMIClient client;
        if (!SetThroughWMI(client, hardwareId)) WriteRegistryFallback(driverKey);
    }
}
