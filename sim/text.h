// Text helpers of the simulated machine: UTF-16 strings, case-insensitive comparison as the registry
// and the file system use it, and conversion to and from the host's UTF-8.
#pragma once
#include <string>
#include <string_view>
#include <vector>
#include "win/types.h"

namespace sim {

using wstring = std::u16string;
using wstring_view = std::u16string_view;

// Upper case for ASCII and Latin-1 letters, as the registry and the file system compare names.
// Inline: every case-insensitive comparison of the registry's keys and values goes through it.
inline WCHAR FoldCase(WCHAR c) {
    if (c >= u'a' && c <= u'z') return static_cast<WCHAR>(c - u'a' + u'A');
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<WCHAR>(c - 0x20);
    return c;
}
bool EqualsNoCase(wstring_view a, wstring_view b);
bool ContainsNoCase(wstring_view text, wstring_view part);
// Orders names as their folded forms compare. Inline, and the common part that is equal as
// written is passed over without folding: the registry's maps compare names with it at every
// step of every lookup, and sibling keys often share a long beginning (PCI\VEN_8086&DEV_...).
struct LessNoCase {
    using is_transparent = void;
    bool operator()(wstring_view a, wstring_view b) const {
        size_t n = a.size() < b.size() ? a.size() : b.size();
        size_t i = 0;
        while (i < n && a[i] == b[i]) ++i;
        for (; i < n; ++i) {
            WCHAR x = FoldCase(a[i]), y = FoldCase(b[i]);
            if (x != y) return x < y;
        }
        return a.size() < b.size();
    }
};

std::string ToUtf8(wstring_view text);
wstring FromUtf8(std::string_view text);
// The lines of a text file that the C runtime's wide output wrote, in UTF-8: UTF-8 after EF BB BF,
// else UTF-16LE (after FF FE or without a mark), split at CR LF; a last line without CR LF counts.
std::vector<std::string> TextFileLines(const std::string& bytes);
wstring FromNullable(LPCWSTR text);  // empty for NULL

}  // namespace sim
