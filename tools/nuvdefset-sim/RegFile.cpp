#include "RegFile.h"
#include <cstdio>
#include <cstring>
#include "InputError.h"
#include "sim/text.h"

namespace simtool {

namespace {

const char16_t kHeader[] = u"Windows Registry Editor Version 5.00";
const char16_t kRoot[] = u"HKEY_LOCAL_MACHINE";

constexpr uint32_t kRegSz = 1, kRegBinary = 3, kRegDword = 4;

std::u16string DecodeText(const std::string& bytes, const std::string& file) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
        if (bytes.size() % 2) throw InputError{file, 0, "a UTF-16LE file with an odd number of bytes"};
        std::u16string text((bytes.size() - 2) / 2, u'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(byte(2 + 2 * i) | (byte(3 + 2 * i) << 8));
        return text;
    }
    if (bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)
        throw InputError{file, 0, "UTF-16 big-endian is not read; save the file as UTF-16LE or UTF-8"};
    size_t start = bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF ? 3 : 0;
    return sim::FromUtf8(std::string_view(bytes).substr(start));
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

std::string Shown(std::u16string_view text) {
    std::string s = sim::ToUtf8(text);
    return s.size() > 40 ? s.substr(0, 40) + "..." : s;
}

class Parser {
public:
    Parser(const std::string& bytes, const std::string& file) : m_file(file) {
        std::u16string text = DecodeText(bytes, file);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(u'\n', start);
            if (end == std::u16string::npos) end = text.size();
            std::u16string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == u'\r') line.pop_back();
            m_lines.push_back(std::move(line));
            start = end + 1;
        }
    }

    RegFile Parse() {
        size_t i = 0;
        while (i < m_lines.size() && Trim(m_lines[i]).empty()) ++i;
        if (i == m_lines.size() || Trim(m_lines[i]) != kHeader)
            throw InputError{m_file, static_cast<int>(i < m_lines.size() ? i + 1 : 1),
                             "a registry file begins with the line \"Windows Registry Editor Version 5.00\""};
        for (++i; i < m_lines.size(); ++i) {
            m_lineNumber = static_cast<int>(i + 1);
            std::u16string_view line = Trim(m_lines[i]);
            if (line.empty() || line[0] == u';') continue;
            if (line[0] == u'[') {
                KeyLine(line);
            } else if (line[0] == u'"' || line[0] == u'@') {
                std::u16string joined(line);
                // A value continues on the next line after a trailing backslash.
                while (!joined.empty() && joined.back() == u'\\' && IsHexValue(joined) && i + 1 < m_lines.size()) {
                    joined.pop_back();
                    joined += Trim(m_lines[++i]);
                }
                ValueLine(joined);
            } else {
                Fail("expected a [key] line, a \"name\"=value line or a comment, found \"" + Shown(line) + "\"");
            }
        }
        return std::move(m_result);
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw InputError{m_file, m_lineNumber, message}; }

    static bool IsHexValue(std::u16string_view line) {
        // After the name: find the '=' that follows the closing quote of the name.
        size_t eq = std::u16string_view::npos;
        if (!line.empty() && line[0] == u'@') {
            eq = line.find(u'=');
        } else {
            for (size_t i = 1; i < line.size(); ++i) {
                if (line[i] == u'\\') { ++i; continue; }
                if (line[i] == u'"') { eq = line.find(u'=', i); break; }
            }
        }
        if (eq == std::u16string_view::npos) return false;
        std::u16string_view value = Trim(line.substr(eq + 1));
        return value.substr(0, 3) == u"hex";
    }

    void KeyLine(std::u16string_view line) {
        if (line.back() != u']') Fail("a key line ends with ]");
        std::u16string_view path = line.substr(1, line.size() - 2);
        bool remove = !path.empty() && path[0] == u'-';
        if (remove) path.remove_prefix(1);
        std::u16string_view root = path.substr(0, path.find(u'\\'));
        if (!sim::EqualsNoCase(root, kRoot))
            Fail("only keys below HKEY_LOCAL_MACHINE can be imported, not \"" + Shown(root) + "\"");
        std::u16string below(path.size() > root.size() ? path.substr(root.size() + 1) : std::u16string_view());
        if (below.find(u"\\\\") != std::u16string::npos || (!below.empty() && below.back() == u'\\'))
            Fail("a key path with an empty part");
        RegOperation op;
        op.kind = remove ? RegOperation::Kind::DeleteKey : RegOperation::Kind::CreateKey;
        op.key = below;
        op.line = m_lineNumber;
        m_inKey = !remove;
        m_key = below;
        m_result.operations.push_back(std::move(op));
    }

    // A quoted text starting at `at` (the opening quote); returns the index after the closing quote.
    size_t Quoted(std::u16string_view line, size_t at, std::u16string& out) const {
        for (size_t i = at + 1; i < line.size(); ++i) {
            char16_t c = line[i];
            if (c == u'"') return i + 1;
            if (c == u'\\') {
                if (i + 1 >= line.size()) break;
                char16_t next = line[++i];
                if (next != u'\\' && next != u'"')
                    Fail(std::string("unknown escape \\") + sim::ToUtf8(std::u16string(1, next)) +
                         " in a quoted text (only \\\\ and \\\" are written)");
                out += next;
                continue;
            }
            out += c;
        }
        Fail("a quoted text without its closing quote");
    }

    std::vector<uint8_t> HexBytes(std::u16string_view text) const {
        std::vector<uint8_t> bytes;
        size_t i = 0;
        auto skip = [&] { while (i < text.size() && IsSpace(text[i])) ++i; };
        skip();
        while (i < text.size()) {
            int hi = i < text.size() ? HexDigit(text[i]) : -1;
            int lo = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
            if (hi < 0 || lo < 0) Fail("hex bytes are two hex digits each, separated by commas");
            bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
            i += 2;
            skip();
            if (i == text.size()) break;
            if (text[i] != u',') Fail("hex bytes are two hex digits each, separated by commas");
            ++i;
            skip();
        }
        return bytes;
    }

    void ValueLine(std::u16string_view line) {
        if (!m_inKey) Fail("a value line before any [key] line, or below a [-key] line");
        RegOperation op;
        op.key = m_key;
        op.line = m_lineNumber;
        size_t at;
        if (line[0] == u'@') {
            at = 1;
        } else {
            at = Quoted(line, 0, op.name);
        }
        std::u16string_view rest = Trim(line.substr(at));
        if (rest.empty() || rest[0] != u'=') Fail("expected = after the value name");
        std::u16string_view value = Trim(rest.substr(1));
        if (value == u"-") {
            op.kind = RegOperation::Kind::DeleteValue;
        } else if (!value.empty() && value[0] == u'"') {
            std::u16string text;
            size_t end = Quoted(value, 0, text);
            if (!Trim(value.substr(end)).empty()) Fail("text after the closing quote of a string value");
            op.kind = RegOperation::Kind::SetValue;
            op.type = kRegSz;
            op.data.resize((text.size() + 1) * 2, 0);
            std::memcpy(op.data.data(), text.data(), text.size() * 2);
        } else if (value.substr(0, 6) == u"dword:") {
            std::u16string_view digits = value.substr(6);
            if (digits.empty() || digits.size() > 8) Fail("a dword value has one to eight hex digits");
            uint32_t n = 0;
            for (char16_t c : digits) {
                int d = HexDigit(c);
                if (d < 0) Fail("a dword value has one to eight hex digits");
                n = n * 16 + static_cast<uint32_t>(d);
            }
            op.kind = RegOperation::Kind::SetValue;
            op.type = kRegDword;
            op.data.resize(4);
            std::memcpy(op.data.data(), &n, 4);
        } else if (value.substr(0, 3) == u"hex") {
            size_t colon = value.find(u':');
            if (colon == std::u16string_view::npos) Fail("expected hex: or hex(type):");
            std::u16string_view kind = value.substr(3, colon - 3);
            op.type = kRegBinary;
            if (!kind.empty()) {
                if (kind.size() < 3 || kind.front() != u'(' || kind.back() != u')' || kind.size() > 10)
                    Fail("expected hex: or hex(type): with the type in hex digits");
                op.type = 0;
                for (char16_t c : kind.substr(1, kind.size() - 2)) {
                    int d = HexDigit(c);
                    if (d < 0) Fail("expected hex: or hex(type): with the type in hex digits");
                    op.type = op.type * 16 + static_cast<uint32_t>(d);
                }
            }
            op.kind = RegOperation::Kind::SetValue;
            op.data = HexBytes(value.substr(colon + 1));
        } else {
            Fail("a value is \"text\", dword:xxxxxxxx, hex:..., hex(type):... or -");
        }
        m_result.operations.push_back(std::move(op));
    }

    std::string m_file;
    std::vector<std::u16string> m_lines;
    int m_lineNumber = 1;
    bool m_inKey = false;
    std::u16string m_key;
    RegFile m_result;
};

// ---- export -----------------------------------------------------------------------------------

// hex bytes after `prefix`, wrapped as regedit wraps them: every line within 80 characters, the
// comma and the backslash that continue it included, continuation lines indented by two blanks.
void Hex(std::u16string& out, const std::u16string& prefix, const std::vector<uint8_t>& data) {
    static const char16_t digits[] = u"0123456789abcdef";
    out += prefix;
    size_t column = prefix.size();
    for (size_t i = 0; i < data.size(); ++i) {
        if (i && column + 3 > 78) {
            out += u"\\\r\n  ";
            column = 2;
        }
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
        column += 2;
        if (i + 1 < data.size()) {
            out += u',';
            ++column;
        }
    }
}

std::u16string Escaped(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"') out += u'\\';
        out += c;
    }
    return out;
}

// A REG_SZ that regedit writes in quotes: one terminator at its end and no other NUL, and no line
// break that would split the line. Anything else keeps its bytes exactly as hex(1).
bool PlainString(const sim::RegValue& value, std::u16string& text) {
    if (value.type != kRegSz || value.data.size() < 2 || value.data.size() % 2) return false;
    text.assign(value.data.size() / 2, u'\0');
    std::memcpy(text.data(), value.data.data(), value.data.size());
    if (text.back() != u'\0') return false;
    text.pop_back();
    for (char16_t c : text)
        if (c == u'\0' || c == u'\r' || c == u'\n') return false;
    return true;
}

void ExportValue(std::u16string& out, const std::u16string& name, const sim::RegValue& value) {
    std::u16string head = (name.empty() ? std::u16string(u"@") : u"\"" + Escaped(name) + u"\"") + u"=";
    std::u16string text;
    if (PlainString(value, text)) {
        out += head + u"\"" + Escaped(text) + u"\"";
    } else if (value.type == kRegDword && value.data.size() == 4) {
        uint32_t n;
        std::memcpy(&n, value.data.data(), 4);
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x", n);
        out += head + sim::FromUtf8(digits);
    } else {
        char kind[24];
        if (value.type == kRegBinary)
            std::snprintf(kind, sizeof kind, "hex:");
        else
            std::snprintf(kind, sizeof kind, "hex(%x):", value.type);
        Hex(out, head + sim::FromUtf8(kind), value.data);
    }
    out += u"\r\n";
}

void ExportKey(std::u16string& out, const std::u16string& path, const sim::RegKey& key) {
    out += u"[" + path + u"]\r\n";
    for (const std::u16string& name : key.valueOrder) {
        auto it = key.values.find(name);
        if (it != key.values.end()) ExportValue(out, it->first, it->second);
    }
    out += u"\r\n";
    for (const auto& [name, child] : key.subkeys) ExportKey(out, path + u"\\" + child->name, *child);
}

}  // namespace

RegFile ParseRegFile(const std::string& bytes, const std::string& file) { return Parser(bytes, file).Parse(); }

void ApplyRegFile(const RegFile& file, sim::Registry& registry) {
    for (const RegOperation& op : file.operations) {
        switch (op.kind) {
        case RegOperation::Kind::CreateKey:
            registry.Create(op.key);
            break;
        case RegOperation::Kind::DeleteKey:
            registry.Erase(op.key);
            break;
        case RegOperation::Kind::SetValue:
            registry.SetRaw(op.key, op.name, op.type, op.data);
            break;
        case RegOperation::Kind::DeleteValue:
            if (sim::RegKey* key = registry.Find(op.key)) {
                key->values.erase(op.name);
                for (auto it = key->valueOrder.begin(); it != key->valueOrder.end(); ++it)
                    if (sim::EqualsNoCase(*it, op.name)) {
                        key->valueOrder.erase(it);
                        break;
                    }
            }
            break;
        }
    }
}

std::string ExportRegistry(sim::Registry& registry) {
    std::u16string text = std::u16string(kHeader) + u"\r\n\r\n";
    ExportKey(text, kRoot, registry.Root());
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

}  // namespace simtool
