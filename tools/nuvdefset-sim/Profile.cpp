#include "Profile.h"
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include "Json.h"

namespace simtool {

const char* const kAdapterWmiClasses[3] = {"MSPower_DeviceEnable", "MSPower_DeviceWakeEnable",
                                           "MSNdis_DeviceWakeOnMagicPacketOnly"};

namespace {

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsGuidText(const std::string& s) {
    if (s.size() != 36) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? s[i] != '-' : !IsHex(s[i])) return false;
    }
    return true;
}

bool IsDrivePath(const std::string& s) {
    return s.size() >= 3 && (s[0] == 'C' || s[0] == 'c') && s[1] == ':' && s[2] == '\\';
}

// A text as JSON writes it, so that it can be found in the profile as it stands there.
std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Join(std::initializer_list<const char*> names) {
    std::string out;
    for (const char* n : names) out += (out.empty() ? "" : ", ") + std::string(n);
    return out;
}

// Reads the JSON tree into a profile, naming the place of every fault: the file, the line, and
// the path of the value within the document ("adapters[1].driver").
class Reader {
public:
    Reader(std::string source, std::string folder) : m_source(std::move(source)), m_folder(std::move(folder)) {}

    Profile Read(const JsonValue& root) {
        Profile p;
        p.source = m_source;
        Object(root, "the profile", {"description", "windows", "locale", "clock", "folders", "productKey",
                                     "registry", "powerSchemes", "adapters", "faults"});
        for (const JsonMember& m : root.members) {
            const JsonValue& v = m.value;
            if (m.key == "description") p.description = Text(v, "description");
            else if (m.key == "windows") Windows(v, p);
            else if (m.key == "locale") Locale(v, p);
            else if (m.key == "clock") p.clockMs = Clock(v);
            else if (m.key == "folders") {
                for (size_t i = 0; i < List(v, "folders").size(); ++i)
                    p.folders.push_back(Path(v.items[i], Index("folders", i)));
            } else if (m.key == "productKey") {
                Object(v, "productKey", {});
                for (const JsonMember& value : v.members) {
                    if (value.value.kind != JsonValue::Kind::String)
                        Fail(value.value.line, "productKey." + value.key,
                             "expected a text (productKey values are REG_SZ; import a registry file for other "
                             "types), found " + std::string(value.value.KindName()));
                    p.productKey.emplace_back(value.key, value.value.text);
                }
            } else if (m.key == "registry") {
                for (size_t i = 0; i < List(v, "registry").size(); ++i) p.registry.push_back(Import(v.items[i], i));
            } else if (m.key == "powerSchemes") {
                Object(v, "powerSchemes", {});
                for (const JsonMember& scheme : v.members) {
                    if (!IsGuidText(scheme.key))
                        Fail(scheme.line, "powerSchemes", "a scheme is named by its GUID text, 36 characters without "
                                                          "braces, not " + Quote(scheme.key));
                    p.powerSchemes.emplace_back(scheme.key, Text(scheme.value, "powerSchemes." + scheme.key));
                }
            } else if (m.key == "adapters") {
                for (size_t i = 0; i < List(v, "adapters").size(); ++i) {
                    p.adapters.push_back(Adapter(v.items[i], i));
                    Distinct(p.adapters, i);
                }
            } else if (m.key == "faults") {
                for (size_t i = 0; i < List(v, "faults").size(); ++i) p.faults.push_back(Fault(v.items[i], i));
            }
        }
        return p;
    }

private:
    [[noreturn]] void Fail(int line, const std::string& where, const std::string& what) const {
        throw InputError{m_source, line, where + ": " + what};
    }

    static std::string Index(const std::string& where, size_t i) { return where + "[" + std::to_string(i) + "]"; }

    void Object(const JsonValue& v, const std::string& where, std::initializer_list<const char*> known) const {
        if (v.kind != JsonValue::Kind::Object) Fail(v.line, where, std::string("expected an object, found ") + v.KindName());
        if (known.size() == 0) return;
        for (const JsonMember& m : v.members) {
            bool ok = false;
            for (const char* k : known) ok = ok || m.key == k;
            if (!ok)
                throw InputError{m_source, m.line, "unknown key " + Quote(m.key) + " in " + where + " (known keys: " +
                                                        Join(known) + ")"};
        }
    }

    const std::vector<JsonValue>& List(const JsonValue& v, const std::string& where) const {
        if (v.kind != JsonValue::Kind::Array) Fail(v.line, where, std::string("expected a list, found ") + v.KindName());
        return v.items;
    }

    std::string Text(const JsonValue& v, const std::string& where) const {
        if (v.kind != JsonValue::Kind::String) Fail(v.line, where, std::string("expected a text, found ") + v.KindName());
        return v.text;
    }

    bool Flag(const JsonValue& v, const std::string& where) const {
        if (v.kind != JsonValue::Kind::Boolean)
            Fail(v.line, where, std::string("expected true or false, found ") + v.KindName());
        return v.boolean;
    }

    int64_t Whole(const JsonValue& v, const std::string& where, int64_t low, int64_t high) const {
        if (v.kind != JsonValue::Kind::Integer || !v.integerFits || v.integer < low || v.integer > high)
            Fail(v.line, where, "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                                    (v.kind == JsonValue::Kind::Integer ? std::string() : ", found " + std::string(v.KindName())));
        return v.integer;
    }

    // A number, or a text "0x..." for the values that are written in hex (HRESULTs, codes).
    int64_t Code(const JsonValue& v, const std::string& where) const {
        if (v.kind == JsonValue::Kind::Integer && v.integerFits && v.integer >= INT32_MIN && v.integer <= UINT32_MAX)
            return v.integer;
        if (v.kind == JsonValue::Kind::String && v.text.size() > 2 && v.text.size() <= 10 && v.text[0] == '0' &&
            (v.text[1] == 'x' || v.text[1] == 'X')) {
            bool ok = true;
            for (size_t i = 2; i < v.text.size(); ++i) ok = ok && IsHex(v.text[i]);
            if (ok) return static_cast<int64_t>(std::stoull(v.text.substr(2), nullptr, 16));
        }
        Fail(v.line, where, "expected a 32-bit number, or its hex text such as \"0x80041001\"");
    }

    std::string Path(const JsonValue& v, const std::string& where) const {
        std::string path = Text(v, where);
        if (!IsDrivePath(path)) Fail(v.line, where, "expected a path on drive C such as \"C:\\\\System.sav\", not " + Quote(path));
        return path;
    }

    void Windows(const JsonValue& v, Profile& p) const {
        Object(v, "windows", {"version", "64bit"});
        for (const JsonMember& m : v.members) {
            if (m.key == "64bit") {
                p.is64Bit = Flag(m.value, "windows.64bit");
                continue;
            }
            std::string text = Text(m.value, "windows.version");
            size_t dot = text.find('.');
            bool ok = dot != std::string::npos && dot > 0 && dot < 3 && dot + 1 < text.size() && text.size() - dot <= 3;
            for (size_t i = 0; ok && i < text.size(); ++i) ok = i == dot || IsDigit(text[i]);
            if (!ok) Fail(m.value.line, "windows.version", "expected \"major.minor\" such as \"6.1\", not " + Quote(text));
            p.versionMajor = std::stoi(text.substr(0, dot));
            p.versionMinor = std::stoi(text.substr(dot + 1));
        }
    }

    uint32_t LanguageCode(const JsonValue& v, const std::string& where, uint32_t high) const {
        std::string text = Text(v, where);
        bool ok = text.size() > 2 && text.size() <= 10 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        for (size_t i = 2; ok && i < text.size(); ++i) ok = IsHex(text[i]);
        uint64_t n = ok ? std::stoull(text.substr(2), nullptr, 16) : 0;
        if (!ok || n == 0 || n > high) Fail(v.line, where, "expected a hex text such as \"0x0409\", not " + Quote(text));
        return static_cast<uint32_t>(n);
    }

    void Locale(const JsonValue& v, Profile& p) const {
        Object(v, "locale", {"user", "ui"});
        for (const JsonMember& m : v.members) {
            if (m.key == "user") p.userLcid = LanguageCode(m.value, "locale.user", 0xFFFFFFFF);
            else p.uiLanguage = static_cast<uint16_t>(LanguageCode(m.value, "locale.ui", 0xFFFF));
        }
    }

    int Clock(const JsonValue& v) const {
        std::string t = Text(v, "clock");
        bool ok = t.size() == 12 && t[2] == ':' && t[5] == ':' && t[8] == '.';
        for (size_t i = 0; ok && i < t.size(); ++i) ok = i == 2 || i == 5 || i == 8 || IsDigit(t[i]);
        int h = ok ? std::stoi(t.substr(0, 2)) : 0, m = ok ? std::stoi(t.substr(3, 2)) : 0,
            s = ok ? std::stoi(t.substr(6, 2)) : 0, ms = ok ? std::stoi(t.substr(9, 3)) : 0;
        if (!ok || h > 23 || m > 59 || s > 59)
            Fail(v.line, "clock", "expected the local time of day as \"HH:MM:SS.mmm\" such as \"09:00:00.000\", not " + Quote(t));
        return ((h * 60 + m) * 60 + s) * 1000 + ms;
    }

    RegistryImport Import(const JsonValue& v, size_t i) const {
        std::string where = Index("registry", i);
        std::string name = Text(v, where);
        if (name.empty()) Fail(v.line, where, "expected the name of a registry file");
        RegistryImport import;
        import.line = v.line;
        import.file = name[0] == '/' || m_folder.empty() ? name : m_folder + "/" + name;
        std::error_code ignored;
        if (std::filesystem::is_directory(import.file, ignored)) Fail(v.line, where, import.file + " is a folder");
        std::ifstream in(import.file, std::ios::binary);
        if (!in) Fail(v.line, where, "cannot read " + import.file + ": " + std::strerror(errno));
        std::stringstream bytes;
        bytes << in.rdbuf();
        try {
            import.content = ParseRegFile(bytes.str(), import.file);
        } catch (InputError& e) {
            e.message += " (imported by " + m_source + ":" + std::to_string(v.line) + ")";
            throw;
        }
        return import;
    }

    AdapterProfile Adapter(const JsonValue& v, size_t i) const {
        std::string where = Index("adapters", i);
        Object(v, where, {"description", "instance", "hardwareIds", "driver", "present", "wmi"});
        AdapterProfile a;
        a.line = v.line;
        a.wmi.assign(std::begin(kAdapterWmiClasses), std::end(kAdapterWmiClasses));
        bool hasInstance = false;
        for (const JsonMember& m : v.members) {
            std::string at = where + "." + m.key;
            if (m.key == "description") a.description = Text(m.value, at);
            else if (m.key == "instance") {
                a.instance = Text(m.value, at);
                size_t slash = a.instance.find('\\');
                if (slash == std::string::npos || slash == 0 || slash + 1 == a.instance.size())
                    Fail(m.value.line, at, "expected a device instance ID such as \"PCI\\\\VEN_8086&DEV_10EA\\\\3&21436425&0&C8\", not " +
                                               Quote(a.instance));
                hasInstance = true;
            } else if (m.key == "hardwareIds") {
                for (size_t k = 0; k < List(m.value, at).size(); ++k) {
                    std::string id = Text(m.value.items[k], Index(at, k));
                    if (id.empty()) Fail(m.value.items[k].line, Index(at, k), "a hardware ID is not empty");
                    a.hardwareIds.push_back(id);
                }
            } else if (m.key == "driver") {
                std::string d = Text(m.value, at);
                bool ok = d.size() == 4;
                for (char c : d) ok = ok && IsDigit(c);
                if (!ok) Fail(m.value.line, at, "expected the four digits of the driver key such as \"0007\", not " + Quote(d));
                a.driver = std::stoi(d);
            } else if (m.key == "present") {
                a.present = Flag(m.value, at);
            } else if (m.key == "wmi") {
                a.wmi.clear();
                for (size_t k = 0; k < List(m.value, at).size(); ++k) {
                    std::string c = Text(m.value.items[k], Index(at, k));
                    bool known = false;
                    for (const char* k2 : kAdapterWmiClasses) known = known || c == k2;
                    if (!known)
                        Fail(m.value.items[k].line, Index(at, k), "expected one of " + Join({kAdapterWmiClasses[0], kAdapterWmiClasses[1], kAdapterWmiClasses[2]}) + ", not " + Quote(c));
                    a.wmi.push_back(c);
                }
            }
        }
        if (!hasInstance) Fail(v.line, where, "an adapter needs its \"instance\" (the device instance ID)");
        return a;
    }

    // Each device has its own instance ID and its own driver key.
    void Distinct(const std::vector<AdapterProfile>& adapters, size_t i) const {
        const AdapterProfile& a = adapters[i];
        for (size_t k = 0; k < i; ++k) {
            const AdapterProfile& b = adapters[k];
            if (a.instance == b.instance)
                Fail(a.line, Index("adapters", i), "the same device instance as adapters[" + std::to_string(k) +
                                                       "] on line " + std::to_string(b.line));
            if (a.driver >= 0 && a.driver == b.driver)
                Fail(a.line, Index("adapters", i), "the same driver key as adapters[" + std::to_string(k) + "] on line " +
                                                       std::to_string(b.line));
        }
    }

    FaultProfile Fault(const JsonValue& v, size_t i) const {
        std::string where = Index("faults", i);
        if (v.kind != JsonValue::Kind::Object) Object(v, where, {});
        FaultProfile f;
        f.line = v.line;
        int kinds = 0;
        for (const char* k : {"command", "wmiClass", "api", "holdFile"}) kinds += v.Member(k) ? 1 : 0;
        if (kinds != 1)
            Fail(v.line, where, "a fault names exactly one of \"command\", \"wmiClass\", \"api\" or \"holdFile\"");
        if (const JsonMember* m = v.Member("command")) {
            Object(v, where, {"command", "hang", "startFails", "nth"});
            f.kind = FaultProfile::Kind::Command;
            f.target = Text(m->value, where + ".command");
            if (f.target.empty()) Fail(m->value.line, where + ".command", "expected the argument text of a power-tool command");
            if (const JsonMember* h = v.Member("hang")) f.hang = Flag(h->value, where + ".hang");
            if (const JsonMember* s = v.Member("startFails")) f.startFails = Flag(s->value, where + ".startFails");
            if (f.hang == f.startFails) Fail(v.line, where, "a command fault is either \"hang\": true or \"startFails\": true");
        } else if (const JsonMember* m = v.Member("wmiClass")) {
            Object(v, where, {"wmiClass", "noInstance", "put", "putInstance", "nth"});
            f.kind = FaultProfile::Kind::WmiClass;
            f.target = Text(m->value, where + ".wmiClass");
            bool known = false;
            for (const char* c : kAdapterWmiClasses) known = known || f.target == c;
            if (!known)
                Fail(m->value.line, where + ".wmiClass", "expected one of " + Join({kAdapterWmiClasses[0], kAdapterWmiClasses[1], kAdapterWmiClasses[2]}) + ", not " + Quote(f.target));
            if (const JsonMember* n = v.Member("noInstance")) f.noInstance = Flag(n->value, where + ".noInstance");
            if (const JsonMember* p = v.Member("put")) f.put = Code(p->value, where + ".put");
            if (const JsonMember* p = v.Member("putInstance")) f.putInstance = Code(p->value, where + ".putInstance");
            if ((f.noInstance ? 1 : 0) + (f.put ? 1 : 0) + (f.putInstance ? 1 : 0) != 1)
                Fail(v.line, where, "a WMI fault is one of \"noInstance\": true, \"put\": HRESULT or \"putInstance\": HRESULT");
        } else if (const JsonMember* m = v.Member("api")) {
            Object(v, where, {"api", "subject", "nth", "result", "lastError"});
            f.kind = FaultProfile::Kind::Api;
            f.target = Text(m->value, where + ".api");
            if (f.target.empty()) Fail(m->value.line, where + ".api", "expected the name of a function such as \"RegOpenKeyExW\"");
            if (const JsonMember* s = v.Member("subject")) f.subject = Text(s->value, where + ".subject");
            if (const JsonMember* r = v.Member("result")) f.result = Code(r->value, where + ".result");
            if (const JsonMember* e = v.Member("lastError"))
                f.lastError = static_cast<uint32_t>(Code(e->value, where + ".lastError"));
        } else {
            Object(v, where, {"holdFile"});
            f.kind = FaultProfile::Kind::HoldFile;
            f.target = Path(v.Member("holdFile")->value, where + ".holdFile");
        }
        if (const JsonMember* n = v.Member("nth")) f.nth = static_cast<int>(Whole(n->value, where + ".nth", 0, 1000000));
        if (f.kind == FaultProfile::Kind::WmiClass && f.noInstance && f.nth)
            Fail(v.Member("nth")->line, where + ".nth", "\"noInstance\" removes every instance of the class; it takes no \"nth\"");
        return f;
    }

    std::string m_source;
    std::string m_folder;
};

}  // namespace

Profile ReadProfileText(const std::string& text, const std::string& source, const std::string& folder) {
    JsonValue root = ParseJson(text, source);
    return Reader(source, folder).Read(root);
}

Profile ReadProfileFile(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) throw InputError{path, 0, "a folder, not a profile"};
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError{path, 0, std::string("cannot read the profile: ") + std::strerror(errno)};
    std::stringstream text;
    text << in.rdbuf();
    if (in.bad()) throw InputError{path, 0, std::string("cannot read the profile: ") + std::strerror(errno)};
    size_t slash = path.rfind('/');
    return ReadProfileText(text.str(), path, slash == std::string::npos ? std::string() : path.substr(0, slash));
}

Profile DefaultProfile() { return ReadProfileText(kDefaultProfileJson, "built-in default", std::string()); }

}  // namespace simtool
