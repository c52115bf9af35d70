#include "CArchive.h"
#include <vector>
#include "CString.h"

CArchive::CArchive(CByteStream* pStream, UINT nMode) : m_pStream(pStream), m_bLoading((nMode & load) != 0) {}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
    if (!m_bLoading) AfxThrowArchiveException(CArchiveException::writeOnly);
    return nMax ? m_pStream->Read(lpBuf, nMax) : 0;
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
    if (m_bLoading) AfxThrowArchiveException(CArchiveException::readOnly);
    if (nMax) m_pStream->Write(lpBuf, nMax);
}

ULONGLONG CArchive::GetRemaining() const { return m_bLoading ? m_pStream->GetRemaining() : 0; }

void CArchive::EnsureAvailable(ULONGLONG nBytes) const {
    if (!m_bLoading) AfxThrowArchiveException(CArchiveException::writeOnly);
    if (nBytes > m_pStream->GetRemaining()) AfxThrowArchiveException(CArchiveException::endOfFile);
}

void CArchive::ReadExact(void* lpBuf, UINT nBytes) {
    if (Read(lpBuf, nBytes) != nBytes) AfxThrowArchiveException(CArchiveException::endOfFile);
}

void CArchive::WriteCount(DWORD dwCount) {
    if (dwCount < 0xFFFF) {
        *this << static_cast<WORD>(dwCount);
    } else {
        *this << static_cast<WORD>(0xFFFF);
        *this << dwCount;
    }
}

DWORD CArchive::ReadCount() {
    WORD wCount;
    *this >> wCount;
    if (wCount != 0xFFFF) return wCount;
    DWORD dwCount;
    *this >> dwCount;
    return dwCount;
}

CArchive& CArchive::operator<<(const CString& str) {
    DWORD length = static_cast<DWORD>(str.GetLength());
    *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFE);
    if (length < 0xFF) {
        *this << static_cast<BYTE>(length);
    } else if (length < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(length);
    } else {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << length;
    }
    std::vector<BYTE> bytes(static_cast<size_t>(length) * 2);
    for (DWORD i = 0; i < length; ++i) Encode(static_cast<WORD>(str.GetAt(static_cast<int>(i))), &bytes[i * 2]);
    Write(bytes.data(), static_cast<UINT>(bytes.size()));
    return *this;
}

CArchive& CArchive::operator>>(CString& str) {
    BYTE bLength;
    WORD wLength;
    *this >> bLength;
    if (bLength != 0xFF) AfxThrowArchiveException(CArchiveException::badIndex);
    *this >> wLength;
    if (wLength != 0xFFFE) AfxThrowArchiveException(CArchiveException::badIndex);
    DWORD length;
    *this >> bLength;
    if (bLength < 0xFF) {
        length = bLength;
    } else {
        *this >> wLength;
        if (wLength < 0xFFFF) {
            length = wLength;
        } else {
            *this >> length;
        }
    }
    ULONGLONG bytes = ULONGLONG(length) * 2;
    EnsureAvailable(bytes);
    if (length > 0x7FFFFFFF) AfxThrowArchiveException(CArchiveException::endOfFile);
    std::vector<BYTE> data(static_cast<size_t>(bytes));
    ReadExact(data.data(), static_cast<UINT>(bytes));
    CString text;
    LPWSTR buffer = text.GetBuffer(static_cast<int>(length));
    for (DWORD i = 0; i < length; ++i) buffer[i] = static_cast<WCHAR>(Decode<WORD>(&data[i * 2]));
    text.ReleaseBuffer(static_cast<int>(length));
    str = std::move(text);
    return *this;
}
