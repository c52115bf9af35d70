// Registry state and the registry functions of advapi32.
#include "registry.h"
#include <cstring>
#include "machine.h"
#include "win/registry.h"

namespace sim {

std::vector<wstring> SplitPath(wstring_view path) {
    std::vector<wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == wstring_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

Registry::Registry() : m_root(std::make_unique<RegKey>()) { m_root->name = u"HKEY_LOCAL_MACHINE"; }

RegKey* Registry::Find(wstring_view path) {
    RegKey* key = m_root.get();
    for (const wstring& part : SplitPath(path)) {
        auto it = key->subkeys.find(part);
        if (it == key->subkeys.end()) return nullptr;
        key = it->second.get();
    }
    return key;
}

RegKey& Registry::Create(wstring_view path) {
    RegKey* key = m_root.get();
    for (const wstring& part : SplitPath(path)) {
        auto it = key->subkeys.find(part);
        if (it == key->subkeys.end()) {
            auto child = std::make_unique<RegKey>();
            child->name = part;
            key->keyOrder.push_back(part);
            it = key->subkeys.emplace(part, std::move(child)).first;
        }
        key = it->second.get();
    }
    return *key;
}

bool Registry::Erase(wstring_view path) {
    std::vector<wstring> parts = SplitPath(path);
    if (parts.empty()) return false;
    wstring leaf = parts.back();
    parts.pop_back();
    RegKey* parent = m_root.get();
    for (const wstring& part : parts) {
        auto it = parent->subkeys.find(part);
        if (it == parent->subkeys.end()) return false;
        parent = it->second.get();
    }
    auto it = parent->subkeys.find(leaf);
    if (it == parent->subkeys.end()) return false;
    for (auto o = parent->keyOrder.begin(); o != parent->keyOrder.end(); ++o)
        if (EqualsNoCase(*o, leaf)) { parent->keyOrder.erase(o); break; }
    parent->subkeys.erase(it);
    return true;
}

void Registry::SetRaw(wstring_view path, wstring_view name, uint32_t type, std::vector<uint8_t> data) {
    RegKey& key = Create(path);
    auto it = key.values.find(name);
    if (it == key.values.end()) {
        key.valueOrder.emplace_back(name);
        key.values.emplace(wstring(name), RegValue{type, std::move(data)});
    } else {
        it->second = RegValue{type, std::move(data)};
    }
}

void Registry::SetString(wstring_view path, wstring_view name, wstring_view text, uint32_t type) {
    std::vector<uint8_t> data((text.size() + 1) * 2, 0);
    std::memcpy(data.data(), text.data(), text.size() * 2);
    SetRaw(path, name, type, std::move(data));
}

void Registry::SetDword(wstring_view path, wstring_view name, uint32_t value) {
    std::vector<uint8_t> data(4);
    std::memcpy(data.data(), &value, 4);
    SetRaw(path, name, REG_DWORD, std::move(data));
}

void Registry::SetMultiString(wstring_view path, wstring_view name, const std::vector<wstring>& items) {
    wstring all;
    for (const wstring& item : items) {
        all += item;
        all += u'\0';
    }
    all += u'\0';
    std::vector<uint8_t> data(all.size() * 2);
    std::memcpy(data.data(), all.data(), data.size());
    SetRaw(path, name, REG_MULTI_SZ, std::move(data));
}

const RegValue* Registry::Value(wstring_view path, wstring_view name) {
    RegKey* key = Find(path);
    if (!key) return nullptr;
    auto it = key->values.find(name);
    return it == key->values.end() ? nullptr : &it->second;
}

std::optional<wstring> Registry::String(wstring_view path, wstring_view name) {
    const RegValue* value = Value(path, name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return std::nullopt;
    wstring text(value->data.size() / 2, u'\0');
    std::memcpy(text.data(), value->data.data(), text.size() * 2);
    size_t nul = text.find(u'\0');
    if (nul != wstring::npos) text.resize(nul);
    return text;
}

std::optional<uint32_t> Registry::Dword(wstring_view path, wstring_view name) {
    const RegValue* value = Value(path, name);
    if (!value || value->type != REG_DWORD || value->data.size() != 4) return std::nullopt;
    uint32_t v;
    std::memcpy(&v, value->data.data(), 4);
    return v;
}

wstring Registry::ViewPath(wstring_view path, uint32_t sam) const {
    std::vector<wstring> parts = SplitPath(path);
    wstring out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += u'\\';
        out += parts[i];
        if (i == 0 && is64BitWindows && !(sam & KEY_WOW64_64KEY) && EqualsNoCase(parts[0], u"SOFTWARE") &&
            !(parts.size() > 1 && EqualsNoCase(parts[1], u"Wow6432Node")))
            out += u"\\Wow6432Node";
    }
    return out;
}

}  // namespace sim

// ---- advapi32 ---------------------------------------------------------------------------------

using sim::machine;
using sim::wstring;

namespace {

// An open key is a handle onto a path; the key itself may vanish while the handle is open.
wstring* OpenPath(HKEY hKey) {
    if (hKey == HKEY_LOCAL_MACHINE) return nullptr;
    return machine().handles.Get<wstring>(hKey, sim::HandleKind::RegistryKey);
}

bool Resolve(HKEY hKey, LPCWSTR subKey, wstring& out) {
    wstring base;
    if (hKey != HKEY_LOCAL_MACHINE) {
        wstring* path = OpenPath(hKey);
        if (!path) return false;
        base = *path;
    }
    wstring sub = sim::FromNullable(subKey);
    out = base.empty() ? sub : (sub.empty() ? base : base + u"\\" + sub);
    return true;
}

HKEY NewKeyHandle(const wstring& path) {
    return static_cast<HKEY>(machine().handles.Add(sim::HandleKind::RegistryKey, std::make_shared<wstring>(path)));
}

}  // namespace

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    wstring path;
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    if (!Resolve(hKey, lpSubKey, path)) return ERROR_INVALID_HANDLE;
    path = machine().registry.ViewPath(path, samDesired);
    machine().calls.Add("RegOpenKeyExW", path);
    if (auto fault = machine().faults.Hit("RegOpenKeyExW", path)) return static_cast<LSTATUS>(fault->result);
    if (!machine().registry.Find(path)) return ERROR_FILE_NOT_FOUND;
    *phkResult = NewKeyHandle(path);
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                        LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    wstring path;
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    if (!Resolve(hKey, lpSubKey, path)) return ERROR_INVALID_HANDLE;
    path = machine().registry.ViewPath(path, samDesired);
    machine().calls.Add("RegCreateKeyExW", path);
    if (auto fault = machine().faults.Hit("RegCreateKeyExW", path)) return static_cast<LSTATUS>(fault->result);
    bool existed = machine().registry.Find(path) != nullptr;
    machine().registry.Create(path);
    if (lpdwDisposition) *lpdwDisposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *phkResult = NewKeyHandle(path);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData) {
    wstring path;
    if (!Resolve(hKey, nullptr, path)) return ERROR_INVALID_HANDLE;
    wstring name = sim::FromNullable(lpValueName);
    machine().calls.Add("RegQueryValueExW", path + u"\\" + name);
    if (auto fault = machine().faults.Hit("RegQueryValueExW", path + u"\\" + name))
        return static_cast<LSTATUS>(fault->result);
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    sim::RegKey* key = machine().registry.Find(path);
    if (!key) return ERROR_FILE_NOT_FOUND;  // deleted while open
    auto it = key->values.find(name);
    if (it == key->values.end()) return ERROR_FILE_NOT_FOUND;
    const sim::RegValue& value = it->second;
    if (lpType) *lpType = value.type;
    DWORD size = static_cast<DWORD>(value.data.size());
    if (lpData) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size) std::memcpy(lpData, value.data.data(), size);
    }
    if (lpcbData) *lpcbData = size;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    wstring path;
    if (!Resolve(hKey, nullptr, path)) return ERROR_INVALID_HANDLE;
    wstring name = sim::FromNullable(lpValueName);
    machine().calls.Add("RegSetValueExW", path + u"\\" + name);
    if (auto fault = machine().faults.Hit("RegSetValueExW", path + u"\\" + name))
        return static_cast<LSTATUS>(fault->result);
    if (!machine().registry.Find(path)) return ERROR_FILE_NOT_FOUND;
    if (cbData && !lpData) return ERROR_INVALID_PARAMETER;
    machine().registry.SetRaw(path, name, dwType,
                              lpData ? std::vector<uint8_t>(lpData, lpData + cbData) : std::vector<uint8_t>());
    return ERROR_SUCCESS;
}

LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR, LPDWORD,
                      void*) {
    wstring path;
    if (!Resolve(hKey, nullptr, path)) return ERROR_INVALID_HANDLE;
    sim::RegKey* key = machine().registry.Find(path);
    if (!key) return ERROR_FILE_NOT_FOUND;
    if (dwIndex >= key->keyOrder.size()) return ERROR_NO_MORE_ITEMS;
    const wstring& name = key->keyOrder[dwIndex];
    if (!lpName || !lpcchName || *lpcchName <= name.size()) return ERROR_MORE_DATA;
    std::memcpy(lpName, name.c_str(), (name.size() + 1) * 2);
    *lpcchName = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                      LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    wstring path;
    if (!Resolve(hKey, nullptr, path)) return ERROR_INVALID_HANDLE;
    sim::RegKey* key = machine().registry.Find(path);
    if (!key) return ERROR_FILE_NOT_FOUND;
    if (dwIndex >= key->valueOrder.size()) return ERROR_NO_MORE_ITEMS;
    const wstring& name = key->valueOrder[dwIndex];
    const sim::RegValue& value = key->values.at(name);
    if (!lpValueName || !lpcchValueName || *lpcchValueName <= name.size()) return ERROR_MORE_DATA;
    std::memcpy(lpValueName, name.c_str(), (name.size() + 1) * 2);
    *lpcchValueName = static_cast<DWORD>(name.size());
    if (lpType) *lpType = value.type;
    if (lpcbData) {
        if (lpData && *lpcbData < value.data.size()) {
            *lpcbData = static_cast<DWORD>(value.data.size());
            return ERROR_MORE_DATA;
        }
        if (lpData && !value.data.empty()) std::memcpy(lpData, value.data.data(), value.data.size());
        *lpcbData = static_cast<DWORD>(value.data.size());
    }
    return ERROR_SUCCESS;
}

LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    wstring path;
    if (!Resolve(hKey, nullptr, path)) return ERROR_INVALID_HANDLE;
    sim::RegKey* key = machine().registry.Find(path);
    wstring name = sim::FromNullable(lpValueName);
    if (!key) return ERROR_FILE_NOT_FOUND;
    auto it = key->values.find(name);
    if (it == key->values.end()) return ERROR_FILE_NOT_FOUND;
    key->values.erase(it);
    for (auto o = key->valueOrder.begin(); o != key->valueOrder.end(); ++o)
        if (sim::EqualsNoCase(*o, name)) { key->valueOrder.erase(o); break; }
    return ERROR_SUCCESS;
}

LSTATUS RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey) {
    wstring path;
    if (!Resolve(hKey, lpSubKey, path)) return ERROR_INVALID_HANDLE;
    return machine().registry.Erase(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LSTATUS RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
    machine().calls.Add("RegCloseKey", OpenPath(hKey) ? *OpenPath(hKey) : wstring());
    return machine().handles.Close(hKey, sim::HandleKind::RegistryKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
