#include "CMemoryStream.h"
#include <algorithm>
#include <cstring>

CMemoryStream::CMemoryStream(const void* data, size_t size)
    : m_bytes(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size) {}

UINT CMemoryStream::Read(void* buffer, UINT count) {
    size_t n = std::min<size_t>(count, m_bytes.size() - m_nPosition);
    if (n) std::memcpy(buffer, m_bytes.data() + m_nPosition, n);
    m_nPosition += n;
    return static_cast<UINT>(n);
}

void CMemoryStream::Write(const void* data, UINT count) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    m_bytes.insert(m_bytes.end(), bytes, bytes + count);
}

ULONGLONG CMemoryStream::GetRemaining() const { return m_bytes.size() - m_nPosition; }
