// CByteStream: the bytes under an archive. A stream knows how much is left to read, so a loader can
// refuse a length that runs past the data before it allocates anything for it.
#pragma once
#include "../platform/Platform.h"

class CByteStream {
public:
    virtual ~CByteStream() = default;

    // Reads up to `count` bytes; returns how many were read (fewer at the end of the data).
    virtual UINT Read(void* buffer, UINT count) = 0;
    // Appends `count` bytes.
    virtual void Write(const void* data, UINT count) = 0;
    // The number of bytes that Read can still deliver.
    virtual ULONGLONG GetRemaining() const = 0;

protected:
    CByteStream() = default;
    CByteStream(const CByteStream&) = default;
    CByteStream& operator=(const CByteStream&) = default;
};
