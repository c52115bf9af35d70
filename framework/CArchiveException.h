// CArchiveException: what went wrong while an archive stored or loaded data.
//
// Archives throw it by value (`throw CArchiveException(cause)`) and callers catch it by reference
// (`catch (const CArchiveException& e)`): nothing is allocated for the exception that a catch
// would have to free, so no path can leak it.
#pragma once
#include "CObject.h"

class CArchiveException : public CObject {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum {
        none,
        genericException,  // a value that the archive form cannot carry
        readOnly,          // writing to an archive that loads
        endOfFile,         // the data ends before what it announces
        writeOnly,         // reading from an archive that stores
        badIndex,          // the data is not in the archive form (an unknown type word or marker)
        badClass,
        badSchema,
    };

    explicit CArchiveException(int cause = none) : m_cause(cause) {}

    int m_cause;
};

// Throws a CArchiveException with `cause`.
[[noreturn]] void AfxThrowArchiveException(int cause);
