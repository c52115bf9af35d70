#include "COleVariant.h"
#include <cstring>
#include <new>
#include <stdexcept>
#include "CString.h"

namespace {

void CheckCopy(HRESULT hr) {
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr)) throw std::invalid_argument("the variant cannot be copied");
}

BSTR AllocString(LPCWSTR text, UINT length) {
    BSTR bstr = SysAllocStringLen(text, length);
    if (!bstr) throw std::bad_alloc();
    return bstr;
}

}  // namespace

COleVariant::COleVariant() { VariantInit(this); }

COleVariant::COleVariant(const VARIANT& varSrc) {
    VariantInit(this);
    // The SDK declares the source without const; VariantCopy only reads it.
    CheckCopy(VariantCopy(this, const_cast<VARIANT*>(&varSrc)));
}

COleVariant::COleVariant(const COleVariant& varSrc) : COleVariant(static_cast<const VARIANT&>(varSrc)) {}

COleVariant::COleVariant(COleVariant&& varSrc) noexcept {
    VariantInit(this);
    Swap(varSrc);
}

COleVariant::COleVariant(LPCWSTR lpszSrc) {
    VariantInit(this);
    if (lpszSrc) {
        UINT length = 0;
        while (lpszSrc[length]) ++length;
        bstrVal = AllocString(lpszSrc, length);
    }
    vt = VT_BSTR;
}

COleVariant::COleVariant(const CString& strSrc) {
    VariantInit(this);
    bstrVal = AllocString(strSrc.GetString(), static_cast<UINT>(strSrc.GetLength()));
    vt = VT_BSTR;
}

COleVariant::COleVariant(BYTE nSrc) {
    VariantInit(this);
    vt = VT_UI1;
    bVal = nSrc;
}

COleVariant::COleVariant(SHORT nSrc, VARTYPE vtSrc) {
    VariantInit(this);
    if (vtSrc == VT_BOOL) {
        vt = VT_BOOL;
        boolVal = nSrc ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        vt = VT_I2;
        iVal = nSrc;
    }
}

COleVariant::COleVariant(LONG lSrc, VARTYPE vtSrc) {
    VariantInit(this);
    if (vtSrc == VT_BOOL) {
        vt = VT_BOOL;
        boolVal = lSrc ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (vtSrc == VT_ERROR) {
        vt = VT_ERROR;
        scode = lSrc;
    } else {
        vt = VT_I4;
        lVal = lSrc;
    }
}

COleVariant::COleVariant(FLOAT fltSrc) {
    VariantInit(this);
    vt = VT_R4;
    fltVal = fltSrc;
}

COleVariant::COleVariant(DOUBLE dblSrc, VARTYPE vtSrc) {
    VariantInit(this);
    vt = vtSrc == VT_DATE ? VT_DATE : VT_R8;
    dblVal = dblSrc;
}

COleVariant::COleVariant(LONGLONG nSrc) {
    VariantInit(this);
    vt = VT_I8;
    llVal = nSrc;
}

COleVariant::COleVariant(ULONGLONG nSrc) {
    VariantInit(this);
    vt = VT_UI8;
    ullVal = nSrc;
}

COleVariant::~COleVariant() { VariantClear(this); }

COleVariant& COleVariant::operator=(const VARIANT& varSrc) {
    if (&varSrc != this) {
        COleVariant copy(varSrc);
        Swap(copy);
    }
    return *this;
}

COleVariant& COleVariant::operator=(const COleVariant& varSrc) { return *this = static_cast<const VARIANT&>(varSrc); }

COleVariant& COleVariant::operator=(COleVariant&& varSrc) noexcept {
    if (&varSrc != this) {
        Clear();
        Swap(varSrc);
    }
    return *this;
}

COleVariant& COleVariant::operator=(LPCWSTR lpszSrc) {
    COleVariant copy(lpszSrc);
    Swap(copy);
    return *this;
}

COleVariant& COleVariant::operator=(const CString& strSrc) {
    COleVariant copy(strSrc);
    Swap(copy);
    return *this;
}

void COleVariant::Clear() { VariantClear(this); }

void COleVariant::Attach(VARIANT& varSrc) {
    Clear();
    std::memcpy(static_cast<VARIANT*>(this), &varSrc, sizeof(VARIANT));
    VariantInit(&varSrc);
}

VARIANT COleVariant::Detach() {
    VARIANT out;
    std::memcpy(&out, static_cast<VARIANT*>(this), sizeof(VARIANT));
    VariantInit(this);
    return out;
}

void COleVariant::Swap(COleVariant& other) noexcept {
    VARIANT held;
    std::memcpy(&held, static_cast<VARIANT*>(this), sizeof(VARIANT));
    std::memcpy(static_cast<VARIANT*>(this), static_cast<VARIANT*>(&other), sizeof(VARIANT));
    std::memcpy(static_cast<VARIANT*>(&other), &held, sizeof(VARIANT));
}
