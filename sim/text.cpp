#include "text.h"

namespace sim {

bool EqualsNoCase(wstring_view a, wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

bool ContainsNoCase(wstring_view text, wstring_view part) {
    if (part.size() > text.size()) return false;
    for (size_t i = 0; i + part.size() <= text.size(); ++i)
        if (EqualsNoCase(text.substr(i, part.size()), part)) return true;
    return false;
}

std::string ToUtf8(wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

wstring FromUtf8(std::string_view text) {
    wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        uint32_t c;
        size_t n;
        if (b < 0x80) { c = b; n = 1; }
        else if ((b >> 5) == 6) { c = b & 0x1F; n = 2; }
        else if ((b >> 4) == 14) { c = b & 0x0F; n = 3; }
        else if ((b >> 3) == 30) { c = b & 0x07; n = 4; }
        else { out += u'\uFFFD'; ++i; continue; }
        if (i + n > text.size()) { out += u'\uFFFD'; break; }
        for (size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += n;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::vector<std::string> TextFileLines(const std::string& bytes) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    wstring text;
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        text = FromUtf8(std::string_view(bytes).substr(3));
    } else {
        size_t start = bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE ? 2 : 0;
        for (size_t i = start; i + 1 < bytes.size(); i += 2)
            text += static_cast<char16_t>(byte(i) | (byte(i + 1) << 8));
    }
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = text.find(u"\r\n", at)) != wstring::npos; at = end + 2)
        lines.push_back(ToUtf8(text.substr(at, end - at)));
    if (at < text.size()) lines.push_back(ToUtf8(text.substr(at)));
    return lines;
}

wstring FromNullable(LPCWSTR text) { return text ? wstring(text) : wstring(); }

}  // namespace sim
