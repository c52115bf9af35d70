// Text helpers of the simulated machine: UTF-16 strings, case-insensitive comparison as the registry
// and the file system use it, and conversion to and from the host's UTF-8.
#pragma once
#include <string>
#include <string_view>
#include "win/types.h"

namespace sim {

using wstring = std::u16string;
using wstring_view = std::u16string_view;

WCHAR FoldCase(WCHAR c);
bool EqualsNoCase(wstring_view a, wstring_view b);
bool ContainsNoCase(wstring_view text, wstring_view part);
struct LessNoCase {
    using is_transparent = void;
    bool operator()(wstring_view a, wstring_view b) const;
};

std::string ToUtf8(wstring_view text);
wstring FromUtf8(std::string_view text);
wstring FromNullable(LPCWSTR text);  // empty for NULL

}  // namespace sim
