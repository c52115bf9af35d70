// CComBSTR: an owning BSTR, freed by its destructor. Running out of memory while making one is
// raised as std::bad_alloc, as every other allocation of the framework reports it.
#pragma once
#include <new>
#include "../platform/Platform.h"

class CComBSTR {
public:
    explicit CComBSTR(LPCOLESTR text) : m_str(nullptr) {
        if (text) {
            m_str = SysAllocString(text);
            if (!m_str) throw std::bad_alloc();
        }
    }
    CComBSTR(const CComBSTR&) = delete;
    CComBSTR& operator=(const CComBSTR&) = delete;
    ~CComBSTR() { SysFreeString(m_str); }

    operator BSTR() const { return m_str; }

private:
    BSTR m_str;
};
