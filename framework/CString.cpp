// CString operations: formatting, case, search, replacement and comparison.
#include "CString.h"

namespace {

WCHAR LowerAscii(WCHAR c) { return c >= 'A' && c <= 'Z' ? static_cast<WCHAR>(c - 'A' + 'a') : c; }

void AppendNumber(std::basic_string<WCHAR>& out, unsigned long long value, unsigned base, bool upper, bool negative,
                  bool leftAlign, bool zeroPad, size_t width) {
    WCHAR digits[32];
    size_t n = 0;
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    do {
        digits[n++] = static_cast<WCHAR>(set[value % base]);
        value /= base;
    } while (value);
    size_t length = n + (negative ? 1 : 0);
    size_t pad = width > length ? width - length : 0;
    if (!leftAlign && !zeroPad) out.append(pad, ' ');
    if (negative) out += '-';
    if (!leftAlign && zeroPad) out.append(pad, '0');
    while (n) out += digits[--n];
    if (leftAlign) out.append(pad, ' ');
}

}  // namespace

void CString::AppendFormatted(LPCWSTR format, const FormatArg* args, size_t count) {
    size_t next = 0;
    for (const WCHAR* p = format; p && *p; ++p) {
        if (*p != '%') {
            m_text += *p;
            continue;
        }
        ++p;
        if (*p == '%') {
            m_text += '%';
            continue;
        }
        bool leftAlign = false, zeroPad = false;
        for (;; ++p) {
            if (*p == '-') leftAlign = true;
            else if (*p == '0') zeroPad = true;
            else break;
        }
        size_t width = 0;
        while (*p >= '0' && *p <= '9') width = width * 10 + static_cast<size_t>(*p++ - '0');
        while (*p == 'l' || *p == 'h' || *p == 'w') ++p;  // size prefixes: %ls, %lu, %hs
        if (!*p) break;
        const FormatArg none;
        const FormatArg& arg = next < count ? args[next++] : none;
        switch (*p) {
        case 's': {
            std::basic_string<WCHAR> text = arg.kind == FormatArg::Text && arg.text ? arg.text : TEXT("(null)");
            size_t pad = width > text.size() ? width - text.size() : 0;
            if (!leftAlign) m_text.append(pad, ' ');
            m_text += text;
            if (leftAlign) m_text.append(pad, ' ');
            break;
        }
        case 'c':
            m_text += static_cast<WCHAR>(arg.number);
            break;
        case 'd':
        case 'i': {
            long long v = arg.kind == FormatArg::Unsigned ? static_cast<long long>(static_cast<int>(arg.number)) : arg.number;
            bool negative = v < 0;
            unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
            AppendNumber(m_text, magnitude, 10, false, negative, leftAlign, zeroPad, width);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            unsigned long long v = static_cast<unsigned long long>(arg.number);
            if (arg.kind == FormatArg::Signed) v = static_cast<unsigned int>(arg.number);
            AppendNumber(m_text, v, *p == 'u' ? 10 : 16, *p == 'X', false, leftAlign, zeroPad, width);
            break;
        }
        default:
            m_text += '%';
            m_text += *p;
            break;
        }
    }
}

CString& CString::MakeLower() {
    for (WCHAR& c : m_text) c = LowerAscii(c);
    return *this;
}

int CString::Replace(LPCWSTR oldText, LPCWSTR newText) {
    if (!oldText || !*oldText) return 0;
    std::basic_string<WCHAR> from(oldText), to(newText ? newText : TEXT(""));
    std::basic_string<WCHAR> out;
    int count = 0;
    size_t start = 0;
    for (size_t at; (at = m_text.find(from, start)) != std::basic_string<WCHAR>::npos; start = at + from.size()) {
        out.append(m_text, start, at - start);
        out += to;
        ++count;
    }
    if (count) {
        out.append(m_text, start, std::basic_string<WCHAR>::npos);
        m_text.swap(out);
    }
    return count;
}

int CString::Find(LPCWSTR part, int start) const {
    if (!part || start < 0 || static_cast<size_t>(start) > m_text.size()) return -1;
    size_t at = m_text.find(part, static_cast<size_t>(start));
    return at == std::basic_string<WCHAR>::npos ? -1 : static_cast<int>(at);
}

int CString::Find(WCHAR ch, int start) const {
    if (start < 0 || static_cast<size_t>(start) > m_text.size()) return -1;
    size_t at = m_text.find(ch, static_cast<size_t>(start));
    return at == std::basic_string<WCHAR>::npos ? -1 : static_cast<int>(at);
}

int CString::Compare(LPCWSTR other) const {
    int r = m_text.compare(other ? other : TEXT(""));
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int CString::CompareNoCase(LPCWSTR other) const {
    const WCHAR* a = m_text.c_str();
    const WCHAR* b = other ? other : TEXT("");
    for (;; ++a, ++b) {
        WCHAR x = LowerAscii(*a), y = LowerAscii(*b);
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

LPWSTR CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_text.resize(static_cast<size_t>(minLength));
    return &m_text[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        size_t nul = m_text.find(WCHAR(0));
        if (nul != std::basic_string<WCHAR>::npos) m_text.resize(nul);
    } else if (static_cast<size_t>(newLength) <= m_text.size()) {
        m_text.resize(static_cast<size_t>(newLength));
    }
}
