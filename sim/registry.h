// The registry of the simulated machine: HKEY_LOCAL_MACHINE as a tree of keys whose values keep
// their type and their bytes exactly as stored (a string value holds its terminator only when the
// writer counted it). On a 64-bit machine a 32-bit process sees SOFTWARE\Wow6432Node in place of
// SOFTWARE unless it asks for the 64-bit view.
#pragma once
#include <map>
#include <memory>
#include <optional>
#include <vector>
#include "text.h"

namespace sim {

struct RegValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct RegKey {
    wstring name;  // as created
    std::map<wstring, std::unique_ptr<RegKey>, LessNoCase> subkeys;
    std::map<wstring, RegValue, LessNoCase> values;
    std::vector<wstring> valueOrder;  // names in the order they were first set
    std::vector<wstring> keyOrder;    // subkey names in the order they were created
};

class Registry {
public:
    Registry();

    bool is64BitWindows = false;

    RegKey& Root() { return *m_root; }
    // Paths are below HKEY_LOCAL_MACHINE, backslash-separated, case ignored.
    RegKey* Find(wstring_view path);
    RegKey& Create(wstring_view path);
    bool Erase(wstring_view path);

    void SetString(wstring_view path, wstring_view name, wstring_view text, uint32_t type = 1 /*REG_SZ*/);
    void SetDword(wstring_view path, wstring_view name, uint32_t value);
    void SetMultiString(wstring_view path, wstring_view name, const std::vector<wstring>& items);
    void SetRaw(wstring_view path, wstring_view name, uint32_t type, std::vector<uint8_t> data);
    const RegValue* Value(wstring_view path, wstring_view name);
    // The text of a string value up to its first NUL; nullopt when it is missing or not a string.
    std::optional<wstring> String(wstring_view path, wstring_view name);
    std::optional<uint32_t> Dword(wstring_view path, wstring_view name);

    // The path a 32-bit process reaches when it opens `path` with the given access mask.
    wstring ViewPath(wstring_view path, uint32_t sam) const;

private:
    std::unique_ptr<RegKey> m_root;
};

std::vector<wstring> SplitPath(wstring_view path);

}  // namespace sim
