// CString::LoadString: a string of the module's string table. Strings are kept in blocks of 16
// (block id / 16 + 1, entry id % 16); each entry is a 16-bit length followed by that many UTF-16
// characters, an empty entry having length 0.
#include "CString.h"
#include "Module.h"

BOOL CString::LoadString(UINT id) {
    Empty();
    HINSTANCE module = AfxGetResourceHandle();
    if (!module) return FALSE;
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id / 16 + 1), RT_STRING);
    if (!info) return FALSE;
    HGLOBAL data = LoadResource(module, info);
    const WORD* p = static_cast<const WORD*>(LockResource(data));
    DWORD size = SizeofResource(module, info) / sizeof(WORD);
    if (!p) return FALSE;
    const WORD* end = p + size;
    for (UINT entry = 0; entry < id % 16; ++entry) {
        if (p >= end) return FALSE;
        p += 1 + *p;
    }
    if (p >= end || *p == 0 || p + 1 + *p > end) return FALSE;
    m_text.assign(reinterpret_cast<const WCHAR*>(p + 1), *p);
    return TRUE;
}
