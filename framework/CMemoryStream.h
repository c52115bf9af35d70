// CMemoryStream: a byte stream over a memory buffer. Writing appends to the buffer; reading starts
// at its beginning.
#pragma once
#include <cstddef>
#include <vector>
#include "CByteStream.h"

class CMemoryStream : public CByteStream {
public:
    CMemoryStream() = default;
    // A stream holding a copy of `size` bytes at `data`, to be read.
    CMemoryStream(const void* data, size_t size);

    UINT Read(void* buffer, UINT count) override;
    void Write(const void* data, UINT count) override;
    ULONGLONG GetRemaining() const override;

    // Everything written (or given), whatever has been read.
    const std::vector<BYTE>& GetBytes() const { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
    size_t m_nPosition = 0;
};
