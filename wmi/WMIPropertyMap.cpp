#include "WMIPropertyMap.h"
#include <new>
#include "../framework/VariantArchive.h"

namespace {

// The bytes of one association at the least: an empty key in the wide-string form and a type word.
const ULONGLONG kMinAssociationSize = 4 + 2;

// Holds a safe array's data locked for as long as it lives.
class CSafeArrayData {
public:
    explicit CSafeArrayData(SAFEARRAY* psa) : m_psa(psa) {
        if (FAILED(SafeArrayAccessData(psa, &m_pvData))) AfxThrowArchiveException(CArchiveException::genericException);
    }
    CSafeArrayData(const CSafeArrayData&) = delete;
    CSafeArrayData& operator=(const CSafeArrayData&) = delete;
    ~CSafeArrayData() { SafeArrayUnaccessData(m_psa); }
    BYTE* Get() const { return static_cast<BYTE*>(m_pvData); }

private:
    SAFEARRAY* m_psa;
    void* m_pvData = nullptr;
};

VARTYPE BaseType(VARTYPE vt) { return static_cast<VARTYPE>(vt & ~VT_ARRAY); }

void StoreArray(CArchive& ar, const VARIANT& var) {
    VARTYPE vtBase = BaseType(var.vt);
    SAFEARRAY* psa = var.parray;
    const SAFEARRAYBOUND& bound = psa->rgsabound[0];
    ar << static_cast<WORD>(var.vt) << static_cast<LONG>(bound.lLbound)
       << static_cast<LONG>(LONGLONG(bound.lLbound) + bound.cElements - 1);
    CSafeArrayData data(psa);
    UINT nSize = ElementMemorySize(vtBase);
    for (ULONG i = 0; i < bound.cElements; ++i) StoreElement(ar, vtBase, data.Get() + size_t(i) * nSize);
}

void LoadArray(CArchive& ar, VARTYPE vt, COleVariant& value) {
    VARTYPE vtBase = BaseType(vt);
    if (!HasElementForm(vtBase)) AfxThrowArchiveException(CArchiveException::badIndex);
    LONG lower, upper;
    ar >> lower >> upper;
    // An upper bound one below the lower bound is an empty array.
    LONGLONG count = LONGLONG(upper) - lower + 1;
    if (count < 0 || count > 0xFFFFFFFFLL) AfxThrowArchiveException(CArchiveException::endOfFile);
    ar.EnsureAvailable(ULONGLONG(count) * ElementFormMinSize(vtBase));
    SAFEARRAY* psa = SafeArrayCreateVector(vtBase, 0, static_cast<ULONG>(count));
    if (!psa) throw std::bad_alloc();
    value.vt = vt;
    value.parray = psa;
    CSafeArrayData data(psa);
    UINT nSize = ElementMemorySize(vtBase);
    for (LONGLONG i = 0; i < count; ++i) LoadElement(ar, vtBase, data.Get() + size_t(i) * nSize);
}

}  // namespace

CWMIPropertyMap::CWMIPropertyMap() : CMap(10) { InitHashTable(17, FALSE); }

CWMIPropertyMap::~CWMIPropertyMap() { RemoveAll(); }

bool CWMIPropertyMap::CanStoreValue(const VARIANT& var) {
    if (!(var.vt & VT_ARRAY)) return CanStoreVariantForm(var);
    VARTYPE vtBase = BaseType(var.vt);
    SAFEARRAY* psa = var.parray;
    if (!HasElementForm(vtBase) || !psa || SafeArrayGetDim(psa) != 1) return false;
    if (SafeArrayGetElemsize(psa) != ElementMemorySize(vtBase)) return false;
    VARTYPE vtArray;
    if (SUCCEEDED(SafeArrayGetVartype(psa, &vtArray)) && vtArray != vtBase) return false;
    const SAFEARRAYBOUND& bound = psa->rgsabound[0];
    return LONGLONG(bound.lLbound) + bound.cElements - 1 <= 0x7FFFFFFFLL;
}

void CWMIPropertyMap::CheckStorable() const {
    for (const CPair* pPair = PGetFirstAssoc(); pPair; pPair = PGetNextAssoc(pPair))
        if (!CanStoreValue(pPair->value)) AfxThrowArchiveException(CArchiveException::genericException);
}

void CWMIPropertyMap::Serialize(CArchive& ar) {
    CObject::Serialize(ar);
    if (ar.IsStoring()) {
        CheckStorable();
        ar.WriteCount(static_cast<DWORD>(GetCount()));
        for (const CPair* pPair = PGetFirstAssoc(); pPair; pPair = PGetNextAssoc(pPair)) {
            ar << pPair->key;
            if (pPair->value.vt & VT_ARRAY)
                StoreArray(ar, pPair->value);
            else
                ar << pPair->value;
        }
        return;
    }
    DWORD count = ar.ReadCount();
    ar.EnsureAvailable(count * kMinAssociationSize);
    for (DWORD i = 0; i < count; ++i) {
        CString key;
        ar >> key;
        COleVariant value;
        WORD vt;
        ar >> vt;
        if (vt & VT_ARRAY)
            LoadArray(ar, vt, value);
        else
            LoadVariantValue(ar, vt, value);
        SetAt(key, value);
    }
}
