// CString: the UTF-16 text string of the framework, with value semantics (a copy is independent of
// its source).
#pragma once
#include <string>
#include "../platform/Platform.h"

class CString {
public:
    CString() = default;
    CString(LPCWSTR text) : m_text(text ? text : TEXT("")) {}
    CString(LPCWSTR text, int length) : m_text(text ? std::basic_string<WCHAR>(text, length) : std::basic_string<WCHAR>()) {}
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCWSTR text) {
        m_text = text ? text : TEXT("");
        return *this;
    }

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    WCHAR GetAt(int index) const { return m_text[static_cast<size_t>(index)]; }
    WCHAR operator[](int index) const { return GetAt(index); }
    operator LPCWSTR() const { return m_text.c_str(); }
    LPCWSTR GetString() const { return m_text.c_str(); }

    CString& operator+=(const CString& other) {
        m_text += other.m_text;
        return *this;
    }
    CString& operator+=(LPCWSTR text) {
        if (text) m_text += text;
        return *this;
    }
    CString& operator+=(WCHAR ch) {
        m_text += ch;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) {
        CString out(a);
        out += b;
        return out;
    }
    friend CString operator+(const CString& a, LPCWSTR b) {
        CString out(a);
        out += b;
        return out;
    }
    friend CString operator+(LPCWSTR a, const CString& b) {
        CString out(a);
        out += b;
        return out;
    }
    friend CString operator+(const CString& a, WCHAR b) {
        CString out(a);
        out += b;
        return out;
    }

    // printf-style formatting of wide formats: %s (a wide string; %ls too), %c, %d and %i, %u,
    // %x and %X, with flags '-' and '0', a width and %%. The arguments are typed, never formats:
    // a string argument is written as it is, whatever it holds.
    template <class... Args>
    void Format(LPCWSTR format, const Args&... args) {
        const FormatArg list[] = {FormatArg(args)..., FormatArg()};
        m_text.clear();
        AppendFormatted(format, list, sizeof...(Args));
    }
    template <class... Args>
    void AppendFormat(LPCWSTR format, const Args&... args) {
        const FormatArg list[] = {FormatArg(args)..., FormatArg()};
        AppendFormatted(format, list, sizeof...(Args));
    }

    // Lower-cases the ASCII letters, as the C locale does.
    CString& MakeLower();
    // Replaces every occurrence of `oldText` by `newText`; returns how many were replaced.
    int Replace(LPCWSTR oldText, LPCWSTR newText);
    // Index of the first occurrence at or after `start`, or -1.
    int Find(LPCWSTR part, int start = 0) const;
    int Find(WCHAR ch, int start = 0) const;
    // Ordinal comparison; the second ignores the case of ASCII letters.
    int Compare(LPCWSTR other) const;
    int CompareNoCase(LPCWSTR other) const;
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }

    // Loads a string resource from the framework's resource module; false (and empty) when it is missing.
    BOOL LoadString(UINT id);

    // A writable buffer of at least `minLength` characters; ReleaseBuffer ends the text at `newLength`,
    // or at the first NUL when it is -1.
    LPWSTR GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    struct FormatArg {
        enum Kind { None, Signed, Unsigned, Text } kind = None;
        long long number = 0;
        LPCWSTR text = nullptr;
        FormatArg() = default;
        FormatArg(int v) : kind(Signed), number(v) {}
        FormatArg(long v) : kind(Signed), number(v) {}
        FormatArg(long long v) : kind(Signed), number(v) {}
        FormatArg(unsigned v) : kind(Unsigned), number(v) {}
        FormatArg(unsigned long v) : kind(Unsigned), number(static_cast<long long>(v)) {}
        FormatArg(unsigned long long v) : kind(Unsigned), number(static_cast<long long>(v)) {}
        FormatArg(unsigned short v) : kind(Unsigned), number(v) {}
        FormatArg(WCHAR v) : kind(Unsigned), number(v) {}
        FormatArg(LPCWSTR v) : kind(Text), text(v) {}
        FormatArg(LPWSTR v) : kind(Text), text(v) {}
        FormatArg(const CString& v) : kind(Text), text(v.GetString()) {}
    };
    void AppendFormatted(LPCWSTR format, const FormatArg* args, size_t count);

    std::basic_string<WCHAR> m_text;
};
