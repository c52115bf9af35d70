// COleVariant: a VARIANT with value semantics. Construction and assignment copy the value with
// VariantCopy (a copy is independent of its source); the destructor and Clear free it with
// VariantClear. A copy that fails for want of memory throws std::bad_alloc, one that fails for any
// other reason std::invalid_argument; the target then keeps its old value.
#pragma once
#include "../platform/Platform.h"

class CString;

class COleVariant : public VARIANT {
public:
    COleVariant();
    COleVariant(const VARIANT& varSrc);
    COleVariant(const COleVariant& varSrc);
    COleVariant(COleVariant&& varSrc) noexcept;
    // VT_BSTR
    COleVariant(LPCWSTR lpszSrc);
    COleVariant(const CString& strSrc);
    // VT_UI1
    COleVariant(BYTE nSrc);
    // VT_I2 or VT_BOOL
    COleVariant(SHORT nSrc, VARTYPE vtSrc = VT_I2);
    // VT_I4, VT_ERROR or VT_BOOL
    COleVariant(LONG lSrc, VARTYPE vtSrc = VT_I4);
    // VT_R4
    COleVariant(FLOAT fltSrc);
    // VT_R8 or VT_DATE
    COleVariant(DOUBLE dblSrc, VARTYPE vtSrc = VT_R8);
    // VT_I8 and VT_UI8
    COleVariant(LONGLONG nSrc);
    COleVariant(ULONGLONG nSrc);
    ~COleVariant();

    COleVariant& operator=(const VARIANT& varSrc);
    COleVariant& operator=(const COleVariant& varSrc);
    COleVariant& operator=(COleVariant&& varSrc) noexcept;
    COleVariant& operator=(LPCWSTR lpszSrc);
    COleVariant& operator=(const CString& strSrc);

    // Frees the value; the variant is VT_EMPTY afterwards.
    void Clear();
    // Takes over the value of `varSrc`, which is VT_EMPTY afterwards.
    void Attach(VARIANT& varSrc);
    // Hands the value over to the caller, who must clear it; this variant is VT_EMPTY afterwards.
    VARIANT Detach();

private:
    void Swap(COleVariant& other) noexcept;
};
