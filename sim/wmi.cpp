// WMI (wbemprox, wbemsvc): the locator, the services of root\wmi, query enumerators and class
// objects, over the instances of the machine's WMI state. A query is read as WMI reads WQL: its
// string literals take backslash escapes (\\ and \"), LIKE compares ignoring case. An enumerator
// holds a snapshot taken when the query ran; a class object is a local copy of one instance until
// PutInstance writes it back.
#include "wmi.h"
#include <cstdio>
#include "com.h"
#include "machine.h"

namespace sim {

const char16_t kWmiNamespace[] = u"\\\\.\\root\\wmi";

namespace {

wstring Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return FromUtf8(text);
}

wstring Decimal(int64_t value) { return FromUtf8(std::to_string(value)); }

}  // namespace

// ---- state ------------------------------------------------------------------------------------

std::string WmiValueText(const WmiValue& value) {
    if (std::holds_alternative<bool>(value)) return std::get<bool>(value) ? "TRUE" : "FALSE";
    if (std::holds_alternative<int64_t>(value)) return std::to_string(std::get<int64_t>(value));
    if (std::holds_alternative<wstring>(value)) return "\"" + ToUtf8(std::get<wstring>(value)) + "\"";
    return "NULL";
}

const wstring* WmiInstance::InstanceNameText() const {
    auto it = values.find(u"InstanceName");
    if (it == values.end() || !std::holds_alternative<wstring>(it->second)) return nullptr;
    return &std::get<wstring>(it->second);
}

wstring WmiInstance::InstanceName() const {
    const wstring* name = InstanceNameText();
    return name ? *name : wstring();
}

const WmiNameIndex& WmiClass::NameIndex() const {
    if (!m_nameIndex.Describes(instances)) m_nameIndex.Build(instances);
    return m_nameIndex;
}

const WmiProperty* WmiClass::Property(wstring_view propertyName) const {
    for (const WmiProperty& p : properties)
        if (EqualsNoCase(p.name, propertyName)) return &p;
    return nullptr;
}

std::string WmiWrite::Text() const {
    std::string text = ToUtf8(className) + " \"" + ToUtf8(instanceName) + "\"";
    for (const auto& [name, value] : changed) text += " " + ToUtf8(name) + "=" + WmiValueText(value);
    return text;
}

Wmi::Wmi() {
    for (const char16_t* name : {u"MSPower_DeviceEnable", u"MSPower_DeviceWakeEnable"})
        DeclareClass(name, {{u"InstanceName", CIM_STRING}, {u"Active", CIM_BOOLEAN}, {u"Enable", CIM_BOOLEAN}});
    DeclareClass(u"MSNdis_DeviceWakeOnMagicPacketOnly",
                 {{u"InstanceName", CIM_STRING}, {u"Active", CIM_BOOLEAN}, {u"EnableWakeOnMagicPacketOnly", CIM_BOOLEAN}});
}

WmiClass& Wmi::DeclareClass(wstring name, std::vector<WmiProperty> properties) {
    RemoveClass(name);
    auto c = std::make_unique<WmiClass>();
    c->name = std::move(name);
    if (!c->Property(u"InstanceName")) c->properties.push_back({u"InstanceName", CIM_STRING});
    for (WmiProperty& p : properties)
        if (!c->Property(p.name)) c->properties.push_back(std::move(p));
    m_classes.push_back(std::move(c));
    return *m_classes.back();
}

bool Wmi::RemoveClass(wstring_view name) {
    for (auto it = m_classes.begin(); it != m_classes.end(); ++it)
        if (EqualsNoCase((*it)->name, name)) {
            m_classes.erase(it);
            return true;
        }
    return false;
}

WmiClass* Wmi::Class(wstring_view name) {
    for (auto& c : m_classes)
        if (EqualsNoCase(c->name, name)) return c.get();
    return nullptr;
}

WmiInstance& Wmi::AddInstance(wstring_view className, wstring instanceName,
                              std::vector<std::pair<wstring, WmiValue>> values) {
    WmiClass* c = Class(className);
    if (!c) c = &DeclareClass(wstring(className), {});
    WmiInstance instance;
    for (const WmiProperty& p : c->properties) instance.values[p.name] = std::monostate();
    instance.values[u"InstanceName"] = std::move(instanceName);
    for (auto& [name, value] : values) instance.values[name] = std::move(value);
    c->instances.push_back(std::move(instance));
    return c->instances.back();
}

WmiInstance* Wmi::Instance(wstring_view className, wstring_view instanceName) {
    WmiClass* c = Class(className);
    if (!c) return nullptr;
    std::optional<uint32_t> at = c->NameIndex().Find(instanceName);
    return at ? &c->instances[*at] : nullptr;
}

std::optional<WmiValue> Wmi::Value(wstring_view className, wstring_view instanceName, wstring_view property) {
    WmiInstance* i = Instance(className, instanceName);
    if (!i) return std::nullopt;
    auto it = i->values.find(property);
    if (it == i->values.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> Wmi::WriteTexts() const {
    std::vector<std::string> texts;
    for (const WmiWrite& w : writes) texts.push_back(w.Text());
    return texts;
}

// ---- WQL --------------------------------------------------------------------------------------

namespace {

struct LikeItem {
    enum Kind { Run, One, Set, Literal } kind;
    explicit LikeItem(Kind k) : kind(k) {}
    WCHAR ch = 0;  // folded
    bool negate = false;
    std::vector<std::pair<WCHAR, WCHAR>> ranges;  // folded
    // `f` is a folded character of the text.
    bool Matches(WCHAR f) const {
        switch (kind) {
        case One: return true;
        case Literal: return ch == f;
        case Set: {
            bool in = false;
            for (const auto& [lo, hi] : ranges)
                if (f >= lo && f <= hi) in = true;
            return in != negate;
        }
        default: return false;
        }
    }
};

// A LIKE pattern compiled once, to be matched against the values of every instance of a class.
class LikePattern {
public:
    static std::optional<LikePattern> Compile(wstring_view pattern);
    bool Matches(wstring_view text) const;
    // The runs of literal characters, folded: a matching text holds each of them.
    std::vector<wstring> LiteralRuns() const;

private:
    std::vector<LikeItem> m_items;
};

std::optional<LikePattern> LikePattern::Compile(wstring_view pattern) {
    LikePattern compiled;
    std::vector<LikeItem>& items = compiled.m_items;
    for (size_t i = 0; i < pattern.size(); ++i) {
        WCHAR c = pattern[i];
        if (c == u'%') {
            items.emplace_back(LikeItem::Run);
        } else if (c == u'_') {
            items.emplace_back(LikeItem::One);
        } else if (c == u'[') {
            size_t close = pattern.find(u']', i + 1);
            if (close == wstring_view::npos) return std::nullopt;
            LikeItem set(LikeItem::Set);
            size_t k = i + 1;
            if (k < close && pattern[k] == u'^') {
                set.negate = true;
                ++k;
            }
            for (; k < close; ++k) {
                WCHAR lo = FoldCase(pattern[k]), hi = lo;
                // A range is written a-f; WMI's documentation also writes it a=f.
                if (k + 2 < close && (pattern[k + 1] == u'-' || pattern[k + 1] == u'=')) {
                    hi = FoldCase(pattern[k + 2]);
                    k += 2;
                }
                set.ranges.emplace_back(lo, hi);
            }
            items.push_back(std::move(set));
            i = close;
        } else {
            LikeItem literal(LikeItem::Literal);
            literal.ch = FoldCase(c);
            items.push_back(literal);
        }
    }
    return compiled;
}

bool LikePattern::Matches(wstring_view text) const {
    const std::vector<LikeItem>& items = m_items;
    // Every item but a run matches exactly one character: the usual backtracking over the last run.
    size_t t = 0, p = 0, runAt = wstring_view::npos, runText = 0;
    while (t < text.size()) {
        if (p < items.size() && items[p].kind == LikeItem::Run) {
            runAt = p++;
            runText = t;
        } else if (p < items.size() && items[p].Matches(FoldCase(text[t]))) {
            ++p;
            ++t;
        } else if (runAt != wstring_view::npos) {
            p = runAt + 1;
            t = ++runText;
        } else {
            return false;
        }
    }
    while (p < items.size() && items[p].kind == LikeItem::Run) ++p;
    return p == items.size();
}

std::vector<wstring> LikePattern::LiteralRuns() const {
    std::vector<wstring> runs(1);
    for (const LikeItem& item : m_items) {
        if (item.kind == LikeItem::Literal)
            runs.back() += item.ch;
        else if (!runs.back().empty())
            runs.emplace_back();
    }
    if (runs.back().empty()) runs.pop_back();
    return runs;
}

}  // namespace

std::optional<bool> WqlLike(wstring_view text, wstring_view pattern) {
    std::optional<LikePattern> compiled = LikePattern::Compile(pattern);
    if (!compiled) return std::nullopt;
    return compiled->Matches(text);
}

namespace {

// SELECT * FROM <class> [WHERE <property> LIKE|= <string>]
struct Query {
    wstring className;
    wstring property;  // empty: no condition
    bool like = false;
    wstring literal;
    std::optional<LikePattern> pattern;  // of a LIKE
};

struct Token {
    enum Kind { Word, Star, Equals, String, End, Bad } kind;
    wstring text;
};

class Lexer {
public:
    explicit Lexer(wstring_view text) : m_text(text) {}
    Token Next() {
        while (m_at < m_text.size() && (m_text[m_at] == u' ' || m_text[m_at] == u'\t' || m_text[m_at] == u'\r' ||
                                         m_text[m_at] == u'\n'))
            ++m_at;
        if (m_at == m_text.size()) return {Token::End, {}};
        WCHAR c = m_text[m_at];
        if (c == u'*' || c == u'=') {
            ++m_at;
            return {c == u'*' ? Token::Star : Token::Equals, wstring(1, c)};
        }
        if (c == u'"' || c == u'\'') return Literal(c);
        if (IsWordChar(c)) {
            size_t start = m_at;
            while (m_at < m_text.size() && IsWordChar(m_text[m_at])) ++m_at;
            return {Token::Word, wstring(m_text.substr(start, m_at - start))};
        }
        return {Token::Bad, {}};
    }

private:
    static bool IsWordChar(WCHAR c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
    }
    // A string literal: a backslash escapes a backslash or a quote; any other escape is an error.
    Token Literal(WCHAR quote) {
        wstring value;
        for (++m_at; m_at < m_text.size(); ++m_at) {
            WCHAR c = m_text[m_at];
            if (c == quote) {
                ++m_at;
                return {Token::String, value};
            }
            if (c == u'\\') {
                if (++m_at == m_text.size()) break;
                WCHAR e = m_text[m_at];
                if (e != u'\\' && e != u'"' && e != u'\'') return {Token::Bad, {}};
                value += e;
            } else {
                value += c;
            }
        }
        return {Token::Bad, {}};
    }

    wstring_view m_text;
    size_t m_at = 0;
};

std::optional<Query> ParseQuery(wstring_view text) {
    Lexer lexer(text);
    auto word = [](const Token& t, const char16_t* w) { return t.kind == Token::Word && EqualsNoCase(t.text, w); };
    Query q;
    if (!word(lexer.Next(), u"SELECT") || lexer.Next().kind != Token::Star || !word(lexer.Next(), u"FROM"))
        return std::nullopt;
    Token cls = lexer.Next();
    if (cls.kind != Token::Word) return std::nullopt;
    q.className = cls.text;
    Token t = lexer.Next();
    if (t.kind == Token::End) return q;
    if (!word(t, u"WHERE")) return std::nullopt;
    Token property = lexer.Next();
    if (property.kind != Token::Word) return std::nullopt;
    q.property = property.text;
    Token op = lexer.Next();
    if (word(op, u"LIKE"))
        q.like = true;
    else if (op.kind != Token::Equals)
        return std::nullopt;
    Token literal = lexer.Next();
    if (literal.kind != Token::String || lexer.Next().kind != Token::End) return std::nullopt;
    q.literal = literal.text;
    if (q.like && !(q.pattern = LikePattern::Compile(q.literal))) return std::nullopt;
    return q;
}

// ---- COM objects ------------------------------------------------------------------------------

std::optional<WmiValue> FromVariant(const VARIANT* v, CIMTYPE type) {
    if (!v || v->vt == VT_NULL) return WmiValue(std::monostate());
    switch (type) {
    case CIM_BOOLEAN:
        if (v->vt == VT_BOOL) return WmiValue(v->boolVal != VARIANT_FALSE);
        return std::nullopt;
    case CIM_STRING:
        if (v->vt == VT_BSTR) return WmiValue(v->bstrVal ? wstring(v->bstrVal, SysStringLen(v->bstrVal)) : wstring());
        return std::nullopt;
    case CIM_SINT8: case CIM_UINT8: case CIM_SINT16: case CIM_UINT16: case CIM_SINT32: case CIM_UINT32:
        switch (v->vt) {
        case VT_I1: return WmiValue(int64_t{v->cVal});
        case VT_UI1: return WmiValue(int64_t{v->bVal});
        case VT_I2: return WmiValue(int64_t{v->iVal});
        case VT_UI2: return WmiValue(int64_t{v->uiVal});
        case VT_I4: case VT_INT: return WmiValue(int64_t{v->lVal});
        case VT_UI4: case VT_UINT: return WmiValue(int64_t{v->ulVal});
        default: return std::nullopt;
        }
    default: return std::nullopt;
    }
}

class ClassObject : public ComObject<IWbemClassObject> {
public:
    ClassObject(const WmiClass& c, WmiInstance instance)
        : ComObject(IID_IWbemClassObject), className(c.name), properties(c.properties), copy(std::move(instance)) {}

    HRESULT Put(LPCWSTR wszName, long lFlags, VARIANT* pVal, CIMTYPE Type) override {
        wstring subject = className + u"." + FromNullable(wszName);
        machine().calls.Add("Put", subject + u"; flags " + Hex(static_cast<uint32_t>(lFlags)) + u", type " +
                                       Decimal(Type));
        if (auto fault = machine().faults.Hit("Put", subject)) return static_cast<HRESULT>(fault->result);
        if (!wszName || lFlags != 0) return WBEM_E_INVALID_PARAMETER;
        const WmiProperty* declared = nullptr;
        for (const WmiProperty& p : properties)
            if (EqualsNoCase(p.name, wszName)) declared = &p;
        if (!declared) return WBEM_E_NOT_FOUND;
        if (Type != 0 && Type != declared->type) return WBEM_E_TYPE_MISMATCH;
        std::optional<WmiValue> value = FromVariant(pVal, declared->type);
        if (!value) return WBEM_E_TYPE_MISMATCH;
        copy.values[declared->name] = std::move(*value);
        return WBEM_S_NO_ERROR;
    }

    wstring className;
    std::vector<WmiProperty> properties;
    WmiInstance copy;
};

class Enumerator : public ComObject<IEnumWbemClassObject> {
public:
    // Keeps the class's definition only: a copy of all its instances would cost each query as
    // much as the class has instances.
    Enumerator(wstring query, const WmiClass& c, std::vector<WmiInstance> items)
        : ComObject(IID_IEnumWbemClassObject), m_query(std::move(query)), m_items(std::move(items)) {
        m_class.name = c.name;
        m_class.properties = c.properties;
    }

    HRESULT Next(long lTimeout, ULONG uCount, IWbemClassObject** apObjects, ULONG* puReturned) override {
        uint32_t timeout = static_cast<uint32_t>(lTimeout);
        machine().calls.Add("Next", m_query + u"; timeout " +
                                        (timeout == WBEM_INFINITE ? wstring(u"infinite") : Decimal(lTimeout)) +
                                        u", count " + Decimal(uCount));
        if (!apObjects || !puReturned) return WBEM_E_INVALID_PARAMETER;
        *puReturned = 0;
        if (lTimeout < 0 && timeout != WBEM_INFINITE) return WBEM_E_INVALID_PARAMETER;
        if (auto fault = machine().faults.Hit("Next", m_query)) {
            HRESULT hr = static_cast<HRESULT>(fault->result);
            // The provider did not answer in time: the caller waited for the whole time-out.
            if (hr == static_cast<HRESULT>(WBEM_S_TIMEDOUT) && timeout != WBEM_INFINITE) machine().clock.Advance(timeout);
            return hr;
        }
        while (*puReturned < uCount && m_next < m_items.size())
            apObjects[(*puReturned)++] = new ClassObject(m_class, m_items[m_next++]);
        return *puReturned == uCount ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
    }

private:
    wstring m_query;
    WmiClass m_class;  // the definition only
    std::vector<WmiInstance> m_items;
    size_t m_next = 0;
};

class Services : public ComObject<IWbemServices>, public ProxyObject {
public:
    Services() : ComObject(IID_IWbemServices) {}

    HRESULT ExecQuery(const BSTR strQueryLanguage, const BSTR strQuery, long lFlags, IWbemContext*,
                      IEnumWbemClassObject** ppEnum) override {
        wstring query = FromNullable(strQuery);
        machine().calls.Add("ExecQuery", FromNullable(strQueryLanguage) + u" " + query + u"; flags " +
                                             Hex(static_cast<uint32_t>(lFlags)));
        if (!ppEnum || !strQuery) return WBEM_E_INVALID_PARAMETER;
        *ppEnum = nullptr;
        if (!strQueryLanguage || !EqualsNoCase(strQueryLanguage, u"WQL")) return WBEM_E_INVALID_QUERY_TYPE;
        if (auto fault = machine().faults.Hit("ExecQuery", query)) return static_cast<HRESULT>(fault->result);
        std::optional<Query> parsed = ParseQuery(query);
        if (!parsed) return WBEM_E_INVALID_QUERY;
        WmiClass* c = machine().wmi.Class(parsed->className);
        if (!c) return WBEM_E_INVALID_CLASS;
        if (!parsed->property.empty() && !c->Property(parsed->property)) return WBEM_E_INVALID_QUERY;
        // A condition on the key is looked up in the class's name index first.
        std::optional<std::vector<uint32_t>> candidates;
        if (EqualsNoCase(parsed->property, u"InstanceName")) {
            std::vector<wstring> runs;
            if (parsed->like) {
                runs = parsed->pattern->LiteralRuns();
            } else {
                runs.emplace_back(parsed->literal);
                for (WCHAR& ch : runs.back()) ch = FoldCase(ch);
            }
            candidates = c->NameIndex().Candidates(runs);
        }
        size_t count = candidates ? candidates->size() : c->instances.size();
        std::vector<WmiInstance> matches;
        for (size_t k = 0; k < count; ++k) {
            const WmiInstance& instance = c->instances[candidates ? (*candidates)[k] : k];
            if (!parsed->property.empty()) {
                auto it = instance.values.find(parsed->property);
                if (it == instance.values.end() || !std::holds_alternative<wstring>(it->second)) continue;
                const wstring& value = std::get<wstring>(it->second);
                bool match = parsed->like ? parsed->pattern->Matches(value)
                                          : EqualsNoCase(value, parsed->literal);
                if (!match) continue;
            }
            matches.push_back(instance);
        }
        *ppEnum = new Enumerator(query, *c, std::move(matches));
        return WBEM_S_NO_ERROR;
    }

    HRESULT PutInstance(IWbemClassObject* pInst, long lFlags, IWbemContext*, IWbemCallResult** ppCallResult) override {
        if (ppCallResult) *ppCallResult = nullptr;
        auto* object = dynamic_cast<ClassObject*>(pInst);
        wstring subject = object ? object->className + u" " + object->copy.InstanceName() : wstring();
        machine().calls.Add("PutInstance", subject + u"; flags " + Hex(static_cast<uint32_t>(lFlags)));
        size_t call = machine().calls.All().size() - 1;
        if (!object) return WBEM_E_INVALID_PARAMETER;
        if (auto fault = machine().faults.Hit("PutInstance", subject)) return static_cast<HRESULT>(fault->result);
        long mode = lFlags & (WBEM_FLAG_UPDATE_ONLY | WBEM_FLAG_CREATE_ONLY);
        if (mode == (WBEM_FLAG_UPDATE_ONLY | WBEM_FLAG_CREATE_ONLY)) return WBEM_E_INVALID_PARAMETER;
        WmiClass* c = machine().wmi.Class(object->className);
        if (!c) return WBEM_E_INVALID_CLASS;
        WmiInstance* stored = machine().wmi.Instance(object->className, object->copy.InstanceName());
        if (!stored && mode == WBEM_FLAG_UPDATE_ONLY) return WBEM_E_NOT_FOUND;
        if (stored && mode == WBEM_FLAG_CREATE_ONLY) return WBEM_E_ALREADY_EXISTS;

        WmiWrite write{c->name, object->copy.InstanceName(), {}, call};
        for (const WmiProperty& p : c->properties) {
            auto now = object->copy.values.find(p.name);
            if (now == object->copy.values.end()) continue;
            bool same = false;
            if (stored) {
                auto before = stored->values.find(p.name);
                same = before != stored->values.end() && before->second == now->second;
            }
            if (!same) write.changed.emplace_back(p.name, now->second);
        }
        if (stored)
            *stored = object->copy;
        else
            c->instances.push_back(object->copy);
        machine().wmi.writes.push_back(std::move(write));
        return WBEM_S_NO_ERROR;
    }
};

class Locator : public ComObject<IWbemLocator> {
public:
    Locator() : ComObject(IID_IWbemLocator) {}

    HRESULT ConnectServer(const BSTR strNetworkResource, const BSTR strUser, const BSTR strPassword, const BSTR,
                          long lSecurityFlags, const BSTR, IWbemContext*, IWbemServices** ppNamespace) override {
        wstring ns = FromNullable(strNetworkResource);
        machine().calls.Add("ConnectServer", ns + u"; flags " + Hex(static_cast<uint32_t>(lSecurityFlags)));
        if (!ppNamespace || !strNetworkResource) return WBEM_E_INVALID_PARAMETER;
        *ppNamespace = nullptr;
        if (auto fault = machine().faults.Hit("ConnectServer", ns)) return static_cast<HRESULT>(fault->result);
        if (!EqualsNoCase(ns, kWmiNamespace)) return WBEM_E_INVALID_NAMESPACE;
        // A local connection takes the caller's own identity.
        if ((strUser && *strUser) || (strPassword && *strPassword)) return WBEM_E_LOCAL_CREDENTIALS;
        // The namespace lives in the WMI service's process: making its proxy sets the process's
        // COM security to the defaults if nobody set it before.
        machine().com.securityInitialized = true;
        *ppNamespace = new Services;
        return WBEM_S_NO_ERROR;
    }
};

}  // namespace

HRESULT CreateWbemLocator(REFIID riid, void** ppv) {
    auto* locator = new Locator;
    HRESULT hr = locator->QueryInterface(riid, ppv);
    locator->Release();
    return hr;
}

}  // namespace sim

const CLSID CLSID_WbemLocator = {0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID IID_IWbemLocator = {0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID IID_IWbemServices = {0x9556DC99, 0x828C, 0x11CF, {0xA3, 0x7E, 0x00, 0xAA, 0x00, 0x32, 0x40, 0xC7}};
const IID IID_IEnumWbemClassObject = {0x027947E1, 0xD731, 0x11CE, {0xA3, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
const IID IID_IWbemClassObject = {0xDC12A681, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
