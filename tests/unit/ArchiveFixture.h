// Byte fixtures for archive tests: expected bytes written as a list of little-endian pieces, e.g.
// Bytes({U16(1), WideString(u"Name"), U16(VT_I4), U32(7)}), and loading and storing through a
// memory stream.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>
#include "Support.h"
#include "framework/CArchive.h"
#include "framework/CMemoryStream.h"
#include "framework/COleVariant.h"

using ByteList = std::vector<uint8_t>;

struct Piece {
    ByteList bytes;
};

inline Piece LittleEndian(uint64_t value, size_t size) {
    Piece piece;
    for (size_t i = 0; i < size; ++i) piece.bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return piece;
}
inline Piece U8(uint64_t value) { return LittleEndian(value, 1); }
inline Piece U16(uint64_t value) { return LittleEndian(value, 2); }
inline Piece U32(uint64_t value) { return LittleEndian(value, 4); }
inline Piece U64(uint64_t value) { return LittleEndian(value, 8); }
inline Piece F32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return U32(bits);
}
inline Piece F64(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return U64(bits);
}
inline Piece Zeros(size_t size) { return Piece{ByteList(size, 0)}; }
// UTF-16LE characters, without any length.
inline Piece Chars(const std::u16string& text) {
    Piece piece;
    for (char16_t c : text) {
        piece.bytes.push_back(static_cast<uint8_t>(c));
        piece.bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return piece;
}

inline ByteList Bytes(std::initializer_list<Piece> pieces) {
    ByteList out;
    for (const Piece& piece : pieces) out.insert(out.end(), piece.bytes.begin(), piece.bytes.end());
    return out;
}
inline Piece Join(std::initializer_list<Piece> pieces) { return Piece{Bytes(pieces)}; }

// The wide-string form of a text of fewer than 255 characters: FF, FFFE, the length byte, the text.
inline Piece WideString(const std::u16string& text) {
    return Join({U8(0xFF), U16(0xFFFE), U8(text.size()), Chars(text)});
}

// `count` characters 'a' to 'z' over and over.
inline std::u16string Letters(size_t count) {
    std::u16string text;
    for (size_t i = 0; i < count; ++i) text += static_cast<char16_t>(u'a' + i % 26);
    return text;
}

// What an object's Serialize stores.
template <class T>
ByteList Store(T& object) {
    CMemoryStream stream;
    CArchive ar(&stream, CArchive::store);
    object.Serialize(ar);
    return stream.GetBytes();
}

// Loads `object` from `bytes`; returns the number of bytes left over.
template <class T>
size_t Load(const ByteList& bytes, T& object) {
    CMemoryStream stream(bytes.data(), bytes.size());
    CArchive ar(&stream, CArchive::load);
    object.Serialize(ar);
    return static_cast<size_t>(stream.GetRemaining());
}

// A variant of type `vt` whose value holds the low bytes of `bits` (as many as the type takes).
inline COleVariant Typed(VARTYPE vt, uint64_t bits) {
    COleVariant var;
    var.vt = vt;
    std::memcpy(&var.llVal, &bits, sizeof bits);
    return var;
}

// A variant of type `vt` holding a pointer (a reference, an object, an array).
inline COleVariant Holding(VARTYPE vt, const void* pointer) { return Typed(vt, reinterpret_cast<uintptr_t>(pointer)); }

// A one-dimensional array of `vt` with lower bound `lower`; elements are the low bytes of `bits`.
inline COleVariant Array(VARTYPE vt, LONG lower, std::initializer_list<uint64_t> bits) {
    SAFEARRAY* psa = SafeArrayCreateVector(vt, lower, static_cast<ULONG>(bits.size()));
    LONG index = lower;
    for (uint64_t value : bits) {
        SafeArrayPutElement(psa, &index, &value);
        ++index;
    }
    COleVariant var;
    var.vt = static_cast<VARTYPE>(VT_ARRAY | vt);
    var.parray = psa;
    return var;
}

// A string array; nullptr stands for a NULL string.
inline COleVariant StringArray(LONG lower, std::initializer_list<const char16_t*> texts) {
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, lower, static_cast<ULONG>(texts.size()));
    LONG index = lower;
    for (const char16_t* text : texts) {
        BSTR bstr = SysAllocString(text);
        SafeArrayPutElement(psa, &index, bstr);
        SysFreeString(bstr);
        ++index;
    }
    COleVariant var;
    var.vt = VT_ARRAY | VT_BSTR;
    var.parray = psa;
    return var;
}

inline COleVariant String(const char16_t* text, UINT bytes) {
    COleVariant var;
    var.vt = VT_BSTR;
    var.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), bytes);
    return var;
}

inline std::string DescribeElement(VARTYPE vt, const void* p) {
    std::ostringstream out;
    out.precision(17);
    auto get = [p](auto value) {
        std::memcpy(&value, p, sizeof value);
        return value;
    };
    switch (vt) {
    case VT_I1: out << int(get(int8_t())); break;
    case VT_UI1: out << unsigned(get(uint8_t())); break;
    case VT_I2: case VT_BOOL: out << get(int16_t()); break;
    case VT_UI2: out << get(uint16_t()); break;
    case VT_I4: out << get(int32_t()); break;
    case VT_UI4: case VT_ERROR: out << "0x" << std::hex << get(uint32_t()); break;
    case VT_I8: case VT_CY: out << get(int64_t()); break;
    case VT_UI8: out << get(uint64_t()); break;
    case VT_R4: out << get(float()); break;
    case VT_R8: case VT_DATE: out << get(double()); break;
    case VT_BSTR: {
        BSTR bstr = get(BSTR());
        if (!bstr) {
            out << "NULL";
        } else {
            out << '"' << Utf8(std::u16string(bstr, SysStringLen(bstr))) << '"';
            if (SysStringByteLen(bstr) % 2) out << " and a byte";
        }
        break;
    }
    default: out << "?"; break;
    }
    return out.str();
}

// A variant as text: "type value", an array as "type [lower..upper] {elements}".
inline std::string Describe(const VARIANT& var) {
    std::ostringstream out;
    out << "vt " << var.vt;
    if (var.vt & VT_ARRAY) {
        VARTYPE vt = static_cast<VARTYPE>(var.vt & ~VT_ARRAY);
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(var.parray, 1, &lower);
        SafeArrayGetUBound(var.parray, 1, &upper);
        out << " [" << lower << ".." << upper << "] {";
        void* data;
        SafeArrayAccessData(var.parray, &data);
        for (LONG i = 0; i <= upper - lower; ++i)
            out << (i ? ", " : "") << DescribeElement(vt, static_cast<char*>(data) + i * SafeArrayGetElemsize(var.parray));
        SafeArrayUnaccessData(var.parray);
        out << "}";
    } else if (var.vt != VT_EMPTY && var.vt != VT_NULL) {
        out << " " << DescribeElement(var.vt, &var.llVal);
    }
    return out.str();
}

// The archive exception's cause, -1 when nothing was thrown.
template <class F>
int CauseOf(F&& action) {
    try {
        action();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return -1;
}
