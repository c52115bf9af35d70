// The power-scheme store in the registry: values written through the registry functions of the
// platform, so that the same code serves Windows (or Wine) and the simulated machine.
#include "PowerStore.h"
#include <vector>
#include "../../framework/Handles.h"

namespace powercfg {

const WCHAR kPowerKey[] = TEXT("SYSTEM\\CurrentControlSet\\Control\\Power");
const WCHAR kSchemesKey[] = TEXT("SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes");
const WCHAR kDefaultSchemesKey[] = TEXT("SYSTEM\\CurrentControlSet\\Control\\Power\\User\\Default\\PowerSchemes");

namespace {

Text SchemePath(const Text& scheme) { return Text(kSchemesKey) + TEXT("\\") + scheme; }

LSTATUS WriteValue(const Text& path, LPCWSTR name, DWORD type, const void* data, DWORD bytes) {
    CRegKeyHandle key;
    LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, key.Put(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    return RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes);
}

LSTATUS WriteString(const Text& path, LPCWSTR name, const Text& text) {
    return WriteValue(path, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

LSTATUS WriteDword(const Text& path, LPCWSTR name, DWORD value) {
    return WriteValue(path, name, REG_DWORD, &value, sizeof value);
}

// Copies the values and subkeys of `from` into `to`, which is created when missing.
LSTATUS CopyTree(const Text& from, const Text& to) {
    CRegKeyHandle source, target;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, from.c_str(), 0, KEY_READ, source.Put());
    if (status != ERROR_SUCCESS) return status;
    status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, to.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                             nullptr, target.Put(), nullptr);
    if (status != ERROR_SUCCESS) return status;

    std::vector<WCHAR> name(16384);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0, bytes = 0;
        status = RegEnumValueW(source.Get(), index, name.data(), &nameLength, nullptr, &type, nullptr, &bytes);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) return status;
        std::vector<BYTE> data(bytes ? bytes : 1);
        status = RegQueryValueExW(source.Get(), name.data(), nullptr, &type, data.data(), &bytes);
        if (status != ERROR_SUCCESS) return status;
        status = RegSetValueExW(target.Get(), name.data(), 0, type, data.data(), bytes);
        if (status != ERROR_SUCCESS) return status;
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        status = RegEnumKeyExW(source.Get(), index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) return status;
        Text child(name.data(), nameLength);
        status = CopyTree(from + TEXT("\\") + child, to + TEXT("\\") + child);
        if (status != ERROR_SUCCESS) return status;
    }
    return ERROR_SUCCESS;
}

}  // namespace

bool SchemeExists(const Text& scheme) {
    CRegKeyHandle key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, SchemePath(scheme).c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

LSTATUS SetValueIndex(const Text& scheme, const Text& subgroup, const Text& setting, bool ac, DWORD index) {
    return WriteDword(SchemePath(scheme) + TEXT("\\") + subgroup + TEXT("\\") + setting,
                      ac ? TEXT("ACSettingIndex") : TEXT("DCSettingIndex"), index);
}

LSTATUS SetName(const Text& scheme, const Text& name, const Text* description) {
    LSTATUS status = WriteString(SchemePath(scheme), TEXT("FriendlyName"), name);
    if (status == ERROR_SUCCESS && description) status = WriteString(SchemePath(scheme), TEXT("Description"), *description);
    return status;
}

LSTATUS SetActiveScheme(const Text& scheme) { return WriteString(kSchemesKey, TEXT("ActivePowerScheme"), scheme); }

LSTATUS SetHibernateFileSize(DWORD percent) { return WriteDword(kPowerKey, TEXT("HiberFileSizePercent"), percent); }

LSTATUS ReplaceDefaultSchemes() {
    LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDefaultSchemesKey);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
    return CopyTree(kSchemesKey, kDefaultSchemesKey);
}

}  // namespace powercfg
