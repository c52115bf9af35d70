// WMI of the simulated machine: the namespace root\wmi with its classes, each with declared
// properties and instances (keyed by InstanceName, in the order the provider returns them), and
// the record of the instances written back. The COM objects that reach it are in wmi.cpp.
#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>
#include "text.h"
#include "win/wbem.h"
#include "wmiindex.h"

namespace sim {

// A property value as WMI keeps it: NULL, a boolean, an integer or a string.
using WmiValue = std::variant<std::monostate, bool, int64_t, wstring>;
std::string WmiValueText(const WmiValue& value);  // NULL, TRUE, FALSE, 42, "text"

struct WmiProperty {
    wstring name;
    CIMTYPE type;
};

struct WmiInstance {
    std::map<wstring, WmiValue, LessNoCase> values;
    wstring InstanceName() const;
    const wstring* InstanceNameText() const;  // null when it is not a string
};

struct WmiClass {
    wstring name;
    std::vector<WmiProperty> properties;  // the key InstanceName first
    std::vector<WmiInstance> instances;
    const WmiProperty* Property(wstring_view propertyName) const;
    // The index of the instances' names, rebuilt when the instances were added or removed.
    const WmiNameIndex& NameIndex() const;

private:
    mutable WmiNameIndex m_nameIndex;
};

// One successful PutInstance: the instance and the properties whose values it changed.
struct WmiWrite {
    wstring className;
    wstring instanceName;
    std::vector<std::pair<wstring, WmiValue>> changed;
    size_t call = 0;  // the position of its PutInstance in the machine's call record
    // MSPower_DeviceEnable "PCI\VEN_8086&DEV_10D3\4&1&0_0" Enable=TRUE
    std::string Text() const;
};

class Wmi {
public:
    // root\wmi as Windows 7 has it: the power-management classes of devices, with no instance
    // until a driver provides one.
    Wmi();

    WmiClass& DeclareClass(wstring name, std::vector<WmiProperty> properties);
    bool RemoveClass(wstring_view name);
    WmiClass* Class(wstring_view name);
    // Adds an instance with its InstanceName; declared properties not given are NULL.
    WmiInstance& AddInstance(wstring_view className, wstring instanceName,
                             std::vector<std::pair<wstring, WmiValue>> values = {});
    WmiInstance* Instance(wstring_view className, wstring_view instanceName);  // the first of that name
    std::optional<WmiValue> Value(wstring_view className, wstring_view instanceName, wstring_view property);

    std::vector<WmiWrite> writes;
    std::vector<std::string> WriteTexts() const;

private:
    std::vector<std::unique_ptr<WmiClass>> m_classes;
};

// The namespace that ConnectServer accepts (case ignored).
extern const char16_t kWmiNamespace[];

// The locator's class object, as CoCreateInstance reaches it for CLSID_WbemLocator.
HRESULT CreateWbemLocator(REFIID riid, void** ppv);

// WQL's LIKE, case ignored: % any run, _ any one character, [abc] [a-f] [^a-f] a set. nullopt
// when the pattern is malformed (an unclosed set).
std::optional<bool> WqlLike(wstring_view text, wstring_view pattern);

}  // namespace sim
