#include "CArchiveException.h"

IMPLEMENT_DYNAMIC(CArchiveException, CObject)

void AfxThrowArchiveException(int cause) { throw CArchiveException(cause); }
