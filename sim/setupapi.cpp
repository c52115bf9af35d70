// SetupDiGetClassDevsW, SetupDiEnumDeviceInfo, SetupDiGetDeviceRegistryPropertyW and
// SetupDiDestroyDeviceInfoList (setupapi). A device information set lists the device instances of
// the registry's Enum tree whose ClassGUID is the asked class, in the order the registry lists the
// keys (by name, case ignored); properties are read from the instance key when they are asked for.
#include <cstdio>
#include <cstring>
#include "com.h"
#include "devices.h"
#include "machine.h"
#include "win/kernel.h"
#include "win/registry.h"
#include "win/setupapi.h"

const GUID GUID_DEVCLASS_NET = {0x4d36e972, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

using sim::machine;
using sim::wstring;

namespace {

struct DeviceSet {
    GUID classGuid;
    std::vector<wstring> instanceIds;
};

struct Property {
    DWORD code;
    const char16_t* name;   // as a fault subject names it
    const char16_t* value;  // the value of the instance key; NULL: not stored there
};

const Property kProperties[] = {
    {SPDRP_DEVICEDESC, u"SPDRP_DEVICEDESC", u"DeviceDesc"},
    {SPDRP_HARDWAREID, u"SPDRP_HARDWAREID", u"HardwareID"},
    {SPDRP_COMPATIBLEIDS, u"SPDRP_COMPATIBLEIDS", u"CompatibleIDs"},
    {SPDRP_SERVICE, u"SPDRP_SERVICE", u"Service"},
    {SPDRP_CLASS, u"SPDRP_CLASS", u"Class"},
    {SPDRP_CLASSGUID, u"SPDRP_CLASSGUID", u"ClassGUID"},
    {SPDRP_DRIVER, u"SPDRP_DRIVER", u"Driver"},
    {SPDRP_MFG, u"SPDRP_MFG", u"Mfg"},
    {SPDRP_FRIENDLYNAME, u"SPDRP_FRIENDLYNAME", u"FriendlyName"},
    {SPDRP_ENUMERATOR_NAME, u"SPDRP_ENUMERATOR_NAME", nullptr},
};

const Property* FindProperty(DWORD code) {
    for (const Property& p : kProperties)
        if (p.code == code) return &p;
    return nullptr;
}

std::vector<uint8_t> TextBytes(const wstring& text) {
    std::vector<uint8_t> bytes((text.size() + 1) * sizeof(WCHAR), 0);
    std::memcpy(bytes.data(), text.data(), text.size() * sizeof(WCHAR));
    return bytes;
}

// The property's type and bytes as SetupAPI reports them, or nullopt when the device has none.
std::optional<sim::RegValue> ReadProperty(const wstring& instanceId, const Property& property) {
    if (!property.value) {
        // The enumerator is the first part of the device instance path.
        return sim::RegValue{REG_SZ, TextBytes(instanceId.substr(0, instanceId.find(u'\\')))};
    }
    const sim::RegValue* stored =
        machine().registry.Value(wstring(sim::kEnumKey) + u"\\" + instanceId, property.value);
    if (!stored) return std::nullopt;
    sim::RegValue value = *stored;
    // Since Windows Vista a description is stored as "@file.inf,%key%;Text"; SetupAPI gives the text.
    if (property.code == SPDRP_DEVICEDESC || property.code == SPDRP_FRIENDLYNAME) {
        std::optional<wstring> text = machine().registry.String(wstring(sim::kEnumKey) + u"\\" + instanceId,
                                                                property.value);
        if (text && !text->empty() && (*text)[0] == u'@' && text->find(u';') != wstring::npos)
            value.data = TextBytes(text->substr(text->find(u';') + 1));
    }
    return value;
}

bool ParseGuid(const wstring& text, GUID& guid) {
    std::string s = sim::ToUtf8(text);
    unsigned d1, d2, d3, b[8];
    if (std::sscanf(s.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d1, &d2, &d3, &b[0], &b[1], &b[2], &b[3],
                    &b[4], &b[5], &b[6], &b[7]) != 11)
        return false;
    guid.Data1 = d1;
    guid.Data2 = static_cast<uint16_t>(d2);
    guid.Data3 = static_cast<uint16_t>(d3);
    for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<uint8_t>(b[i]);
    return true;
}

DeviceSet* SetOf(HDEVINFO handle) {
    return machine().handles.Get<DeviceSet>(handle, sim::HandleKind::DeviceInfoSet);
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

HDEVINFO SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND, DWORD Flags) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%x", Flags);
    wstring guidText = ClassGuid ? sim::GuidText(*ClassGuid) : wstring(u"NULL");
    machine().calls.Add("SetupDiGetClassDevsW", guidText + u"; flags " + sim::FromUtf8(flags));
    if (auto fault = machine().faults.Hit("SetupDiGetClassDevsW", guidText)) {
        SetLastError(fault->lastError);
        return INVALID_HANDLE_VALUE;
    }
    if (Flags & DIGCF_DEVICEINTERFACE) {  // device interfaces are not kept by this machine
        SetLastError(ERROR_INVALID_FLAGS);
        return INVALID_HANDLE_VALUE;
    }
    bool allClasses = (Flags & DIGCF_ALLCLASSES) != 0;
    if (!ClassGuid && !allClasses) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto set = std::make_shared<DeviceSet>();
    set->classGuid = ClassGuid ? *ClassGuid : GUID{};
    sim::RegKey* enumKey = machine().registry.Find(sim::kEnumKey);
    if (enumKey) {
        for (const auto& [enumerator, enumeratorKey] : enumKey->subkeys) {
            if (Enumerator && !sim::EqualsNoCase(enumerator, Enumerator)) continue;
            for (const auto& [device, deviceKey] : enumeratorKey->subkeys) {
                for (const auto& [instance, instanceKey] : deviceKey->subkeys) {
                    wstring id = enumerator + u"\\" + device + u"\\" + instance;
                    if ((Flags & DIGCF_PRESENT) && machine().devices.notPresent.count(id)) continue;
                    if (!allClasses) {
                        std::optional<wstring> classText =
                            machine().registry.String(wstring(sim::kEnumKey) + u"\\" + id, u"ClassGUID");
                        GUID guid;
                        if (!classText || !ParseGuid(*classText, guid) || guid != *ClassGuid) continue;
                    }
                    set->instanceIds.push_back(id);
                }
            }
        }
    }
    SetLastError(ERROR_SUCCESS);
    return machine().handles.Add(sim::HandleKind::DeviceInfoSet, set);
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData) {
    machine().calls.Add("SetupDiEnumDeviceInfo", sim::FromUtf8(std::to_string(MemberIndex)));
    DeviceSet* set = SetOf(DeviceInfoSet);
    if (!set) return Fail(ERROR_INVALID_HANDLE);
    if (!DeviceInfoData || DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
    wstring subject = MemberIndex < set->instanceIds.size() ? set->instanceIds[MemberIndex] : wstring();
    if (auto fault = machine().faults.Hit("SetupDiEnumDeviceInfo", subject)) {
        SetLastError(fault->lastError);
        return static_cast<BOOL>(fault->result);
    }
    if (MemberIndex >= set->instanceIds.size()) return Fail(ERROR_NO_MORE_ITEMS);
    std::optional<wstring> classText =
        machine().registry.String(wstring(sim::kEnumKey) + u"\\" + set->instanceIds[MemberIndex], u"ClassGUID");
    GUID guid{};
    if (!classText || !ParseGuid(*classText, guid)) guid = set->classGuid;
    DeviceInfoData->ClassGuid = guid;
    DeviceInfoData->DevInst = MemberIndex + 1;
    DeviceInfoData->Reserved = MemberIndex + 1;
    return TRUE;
}

BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                       PDWORD PropertyRegDataType, PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                       PDWORD RequiredSize) {
    DeviceSet* set = SetOf(DeviceInfoSet);
    if (!set) return Fail(ERROR_INVALID_HANDLE);
    if (!DeviceInfoData || DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA) || DeviceInfoData->Reserved == 0 ||
        DeviceInfoData->Reserved > set->instanceIds.size())
        return Fail(ERROR_INVALID_PARAMETER);
    const wstring& id = set->instanceIds[DeviceInfoData->Reserved - 1];
    const ::Property* property = FindProperty(Property);
    wstring name = property ? wstring(property->name) : sim::FromUtf8(std::to_string(Property));
    machine().calls.Add("SetupDiGetDeviceRegistryPropertyW",
                        id + u" " + name + u"; buffer " + sim::FromUtf8(std::to_string(PropertyBufferSize)));
    if (Property >= SPDRP_MAXIMUM_PROPERTY) return Fail(ERROR_INVALID_REG_PROPERTY);
    if (!PropertyBuffer && PropertyBufferSize) return Fail(ERROR_INVALID_USER_BUFFER);
    if (!machine().registry.Find(wstring(sim::kEnumKey) + u"\\" + id)) return Fail(ERROR_NO_SUCH_DEVINST);
    std::optional<sim::RegValue> value = property ? ReadProperty(id, *property) : std::nullopt;
    DWORD required = value ? static_cast<DWORD>(value->data.size()) : 0;
    if (auto fault = machine().faults.Hit("SetupDiGetDeviceRegistryPropertyW", id + u" " + name)) {
        // A staged ERROR_INSUFFICIENT_BUFFER is a property that grew since the caller asked.
        if (fault->lastError == ERROR_INSUFFICIENT_BUFFER && RequiredSize) *RequiredSize = required + 2;
        SetLastError(fault->lastError);
        return static_cast<BOOL>(fault->result);
    }
    if (!value) return Fail(ERROR_INVALID_DATA);
    if (PropertyRegDataType) *PropertyRegDataType = value->type;
    if (RequiredSize) *RequiredSize = required;
    if (PropertyBufferSize < required) return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (required) std::memcpy(PropertyBuffer, value->data.data(), required);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
    machine().calls.Add("SetupDiDestroyDeviceInfoList", u"");
    if (!machine().handles.Close(DeviceInfoSet, sim::HandleKind::DeviceInfoSet)) return Fail(ERROR_INVALID_HANDLE);
    return TRUE;
}
