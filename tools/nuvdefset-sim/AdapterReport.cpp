#include "AdapterReport.h"
#include <algorithm>
#include <cctype>
#include <map>
#include "sim/machine.h"

namespace simtool {

namespace {

const uint32_t kPnPCapabilities = 0x120;
const char16_t kPnPCapabilitiesName[] = u"PnPCapabilities";
const char16_t kClassKeyPart[] = u"\\Control\\Class\\";
const char* const kWirelessWords[] = {"wireless", "wlan", "w/lan"};

struct Share {
    size_t firstCall = 0;
    size_t endCall = 0;
    std::u16string instance;  // from its property reads
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::u16string EnumPath(const std::u16string& instance) { return std::u16string(sim::kEnumKey) + u"\\" + instance; }

// The description as SetupAPI gives it: since Windows Vista the registry may hold
// "@file.inf,%key%;Text", of which SetupAPI returns the text.
std::optional<std::string> Description(const std::u16string& instance) {
    std::optional<std::u16string> text = sim::machine().registry.String(EnumPath(instance), u"DeviceDesc");
    if (!text) return std::nullopt;
    if (!text->empty() && (*text)[0] == u'@' && text->find(u';') != std::u16string::npos)
        *text = text->substr(text->find(u';') + 1);
    return sim::ToUtf8(*text);
}

AdapterState Describe(const std::u16string& instance) {
    AdapterState a;
    a.instance = sim::ToUtf8(instance);
    a.enumerator = a.instance.substr(0, a.instance.find('\\'));
    a.description = Description(instance).value_or(std::string());
    a.driverKey = sim::ToUtf8(sim::machine().registry.String(EnumPath(instance), u"Driver").value_or(u""));
    a.present = sim::machine().devices.notPresent.count(instance) == 0;
    return a;
}

std::string SkipReason(const std::u16string& instance) {
    auto& registry = sim::machine().registry;
    std::u16string path = EnumPath(instance);
    if (!registry.Find(path)) return "the device is not in the registry's Enum tree";
    std::optional<std::string> description = Description(instance);
    if (!description) return "it has no description (SPDRP_DEVICEDESC)";
    if (!registry.Value(path, u"Driver")) return "no driver is installed (no driver key, SPDRP_DRIVER)";
    if (!registry.Value(path, u"HardwareID")) return "it has no hardware ID (SPDRP_HARDWAREID)";
    std::string id = sim::ToUtf8(instance);
    std::string enumerator = id.substr(0, id.find('\\'));
    if (Lower(enumerator) != "pci") return "it is on the " + enumerator + " enumerator, not PCI";
    std::string lower = Lower(*description);
    for (const char* word : kWirelessWords)
        if (lower.find(word) != std::string::npos)
            return "its description names a wireless adapter (\"" + std::string(word) + "\")";
    return "its registry properties qualify it, so one of them could not be read (see the staged faults)";
}

// The devices' shares of one commit's calls; `listed` is false when the devices could not be listed.
std::vector<Share> Shares(const Commit& c, bool& listed) {
    const auto& calls = sim::machine().calls.All();
    std::vector<Share> shares;
    bool inTask = false;
    bool open = false;
    bool sawEnumeration = false, sawClassDevs = false;
    for (size_t i = c.firstCall; i < c.endCall && i < calls.size(); ++i) {
        const sim::Call& call = calls[i];
        if (call.api == "SetupDiGetClassDevsW") {
            inTask = true;
            sawClassDevs = true;
            continue;
        }
        if (!inTask) continue;
        if (call.api == "SetupDiEnumDeviceInfo" || call.api == "SetupDiDestroyDeviceInfoList") {
            if (open) shares.back().endCall = i;
            open = call.api == "SetupDiEnumDeviceInfo";
            if (open) {
                sawEnumeration = true;
                shares.push_back(Share{i, c.endCall, {}});
            } else {
                inTask = false;
            }
            continue;
        }
        if (open && call.api == "SetupDiGetDeviceRegistryPropertyW" && shares.back().instance.empty())
            shares.back().instance = call.detail.substr(0, call.detail.find(u' '));
    }
    listed = !sawClassDevs || sawEnumeration;
    shares.erase(std::remove_if(shares.begin(), shares.end(), [](const Share& s) { return s.instance.empty(); }),
                 shares.end());
    return shares;
}

AdapterVisit Visit(int commit, const Share& share, const std::multimap<size_t, const sim::WmiWrite*>& writes) {
    const auto& calls = sim::machine().calls.All();
    AdapterVisit v;
    v.commit = commit;
    std::vector<std::u16string> setKeys;
    for (size_t i = share.firstCall; i < share.endCall; ++i) {
        const sim::Call& call = calls[i];
        if (call.api == "CoInitializeEx" || call.api == "CoCreateInstance" || call.api == "ConnectServer") v.handled = true;
        if (call.api == "PutInstance") {
            auto range = writes.equal_range(i);
            for (auto it = range.first; it != range.second; ++it)
                v.wmiWrites.push_back(it->second->Text() + (it->second->changed.empty() ? " (no value changed)" : ""));
        }
        if (call.api == "RegOpenKeyExW" && call.detail.find(kClassKeyPart) != std::u16string::npos) {
            v.handled = v.fallback = true;
            v.fallbackKeys.push_back(FallbackKey{sim::ToUtf8(call.detail), false, false});
        }
        if (call.api == "RegSetValueExW" && call.detail.size() > 16 &&
            sim::EqualsNoCase(std::u16string_view(call.detail).substr(call.detail.size() - 16), u"\\PnPCapabilities"))
            setKeys.push_back(call.detail.substr(0, call.detail.size() - 16));
    }
    for (FallbackKey& key : v.fallbackKeys) {
        std::u16string path = sim::FromUtf8(key.key);
        for (const auto& k : setKeys) key.opened = key.opened || sim::EqualsNoCase(k, path);
        key.written = key.opened && sim::machine().registry.Dword(path, kPnPCapabilitiesName) == kPnPCapabilities;
    }
    if (!v.handled) v.skipReason = SkipReason(share.instance);
    return v;
}

}  // namespace

void GatherAdapters(const std::vector<Commit>& commits, std::vector<AdapterState>& adapters,
                    std::vector<int>& enumerationFailed) {
    std::multimap<size_t, const sim::WmiWrite*> writes;  // by the position of their PutInstance call
    for (const sim::WmiWrite& w : sim::machine().wmi.writes) writes.emplace(w.call, &w);
    std::map<std::u16string, size_t, sim::LessNoCase> index;
    for (const Commit& c : commits) {
        bool listed = true;
        for (const Share& share : Shares(c, listed)) {
            auto it = index.find(share.instance);
            if (it == index.end()) {
                it = index.emplace(share.instance, adapters.size()).first;
                adapters.push_back(Describe(share.instance));
            }
            adapters[it->second].visits.push_back(Visit(c.number, share, writes));
        }
        if (!listed) enumerationFailed.push_back(c.number);
    }
}

}  // namespace simtool
