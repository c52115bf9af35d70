// CArchive: stores values into a byte stream or loads them from it, in the framework's archive
// forms. All numbers are little-endian. An archive does one direction, chosen at construction.
//
// Failures raise CArchiveException (thrown by value): endOfFile when the data ends before what it
// announces, readOnly when a loading archive is written to, writeOnly when a storing archive is
// read from, badIndex when the data is not in the archive form.
#pragma once
#include <cstdint>
#include <cstring>
#include <type_traits>
#include "CArchiveException.h"
#include "CByteStream.h"

class CString;

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    // The stream must outlive the archive. Writes go straight through; there is nothing to flush.
    CArchive(CByteStream* pStream, UINT nMode);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return m_bLoading; }
    BOOL IsStoring() const { return !m_bLoading; }

    // Raw bytes. Read returns how many bytes were read (fewer at the end of the data).
    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);

    // The number of bytes left to read, and a check that raises endOfFile unless `nBytes` are left:
    // loaders call it before they allocate anything for a length taken from the data.
    ULONGLONG GetRemaining() const;
    void EnsureAvailable(ULONGLONG nBytes) const;

    // The count form: a 16-bit count; 0xFFFF and more as 0xFFFF followed by a 32-bit count.
    void WriteCount(DWORD dwCount);
    DWORD ReadCount();

    // Integers and IEEE floating-point numbers, each in the size of its type.
    template <class T, class = std::enable_if_t<std::is_arithmetic_v<T> && !std::is_same_v<T, bool>>>
    CArchive& operator<<(T value) {
        BYTE bytes[sizeof(T)];
        Encode(value, bytes);
        Write(bytes, sizeof bytes);
        return *this;
    }
    template <class T, class = std::enable_if_t<std::is_arithmetic_v<T> && !std::is_same_v<T, bool>>>
    CArchive& operator>>(T& value) {
        BYTE bytes[sizeof(T)];
        ReadExact(bytes, sizeof bytes);
        value = Decode<T>(bytes);
        return *this;
    }

    // The wide-string form: byte 0xFF and 16-bit 0xFFFE, then the length in characters as a byte
    // (at most 254), as 0xFF and a 16-bit length (at most 0xFFFD), or as 0xFF, 0xFFFF and a 32-bit
    // length; then the UTF-16 characters.
    CArchive& operator<<(const CString& str);
    CArchive& operator>>(CString& str);

private:
    // Reads exactly `nBytes` or raises endOfFile.
    void ReadExact(void* lpBuf, UINT nBytes);

    template <class T>
    using Bits = std::conditional_t<sizeof(T) == 1, uint8_t,
                 std::conditional_t<sizeof(T) == 2, uint16_t,
                 std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;

    template <class T>
    static void Encode(T value, BYTE* bytes) {
        static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8, "no archive form");
        Bits<T> bits;
        std::memcpy(&bits, &value, sizeof bits);
        for (size_t i = 0; i < sizeof bits; ++i) bytes[i] = static_cast<BYTE>(bits >> (8 * i));
    }
    template <class T>
    static T Decode(const BYTE* bytes) {
        Bits<T> bits = 0;
        for (size_t i = 0; i < sizeof bits; ++i) bits = static_cast<Bits<T>>(bits | (Bits<T>(bytes[i]) << (8 * i)));
        T value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    CByteStream* m_pStream;
    bool m_bLoading;
};
