#include "VariantArchive.h"
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace {

// The size of a fixed-size element form, 0 for a string and for a type without a form.
UINT FixedSize(VARTYPE vtBase) {
    switch (vtBase) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_BOOL: case VT_UI2: return 2;
    case VT_I4: case VT_ERROR: case VT_UI4: case VT_R4: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_DATE: case VT_CY: return 8;
    default: return 0;
    }
}

template <class T>
void StoreBits(CArchive& ar, const void* pElement) {
    T bits;
    std::memcpy(&bits, pElement, sizeof bits);
    ar << bits;
}

template <class T>
void LoadBits(CArchive& ar, void* pElement) {
    T bits;
    ar >> bits;
    std::memcpy(pElement, &bits, sizeof bits);
}

// The start of the value inside a VARIANT: every member of its value union starts there.
const void* ValueOf(const VARIANT& var) { return &var.llVal; }
void* ValueOf(VARIANT& var) { return &var.llVal; }

}  // namespace

bool HasElementForm(VARTYPE vtBase) { return vtBase == VT_BSTR || FixedSize(vtBase) != 0; }

UINT ElementFormMinSize(VARTYPE vtBase) { return vtBase == VT_BSTR ? sizeof(DWORD) : FixedSize(vtBase); }

UINT ElementMemorySize(VARTYPE vtBase) { return vtBase == VT_BSTR ? sizeof(BSTR) : FixedSize(vtBase); }

void StoreElement(CArchive& ar, VARTYPE vtBase, const void* pElement) {
    switch (FixedSize(vtBase)) {
    case 1: StoreBits<uint8_t>(ar, pElement); return;
    case 2: StoreBits<uint16_t>(ar, pElement); return;
    case 4: StoreBits<uint32_t>(ar, pElement); return;
    case 8:
        if (vtBase == VT_CY) {
            CY cy;
            std::memcpy(&cy, pElement, sizeof cy);
            ar << cy.Lo << cy.Hi;
        } else {
            StoreBits<uint64_t>(ar, pElement);
        }
        return;
    default: break;
    }
    if (vtBase != VT_BSTR) AfxThrowArchiveException(CArchiveException::genericException);
    BSTR bstr;
    std::memcpy(&bstr, pElement, sizeof bstr);
    DWORD length = SysStringByteLen(bstr);
    ar << length;
    ar.Write(bstr, length);
}

void LoadElement(CArchive& ar, VARTYPE vtBase, void* pElement) {
    switch (FixedSize(vtBase)) {
    case 1: LoadBits<uint8_t>(ar, pElement); return;
    case 2: LoadBits<uint16_t>(ar, pElement); return;
    case 4: LoadBits<uint32_t>(ar, pElement); return;
    case 8:
        if (vtBase == VT_CY) {
            CY cy;
            ar >> cy.Lo >> cy.Hi;
            std::memcpy(pElement, &cy, sizeof cy);
        } else {
            LoadBits<uint64_t>(ar, pElement);
        }
        return;
    default: break;
    }
    if (vtBase != VT_BSTR) AfxThrowArchiveException(CArchiveException::badIndex);
    DWORD length;
    ar >> length;
    if (length == 0) return;
    ar.EnsureAvailable(length);
    BSTR bstr = SysAllocStringByteLen(nullptr, length);
    if (!bstr) throw std::bad_alloc();
    std::memcpy(pElement, &bstr, sizeof bstr);
    if (ar.Read(bstr, length) != length) AfxThrowArchiveException(CArchiveException::endOfFile);
}

bool CanStoreVariantForm(const VARIANT& var) { return var.vt == VT_EMPTY || var.vt == VT_NULL || HasElementForm(var.vt); }

CArchive& operator<<(CArchive& ar, const COleVariant& var) {
    if (!CanStoreVariantForm(var)) AfxThrowArchiveException(CArchiveException::genericException);
    ar << static_cast<WORD>(var.vt);
    if (var.vt != VT_EMPTY && var.vt != VT_NULL) StoreElement(ar, var.vt, ValueOf(var));
    return ar;
}

void LoadVariantValue(CArchive& ar, VARTYPE vt, COleVariant& var) {
    if (vt != VT_EMPTY && vt != VT_NULL && !HasElementForm(vt)) AfxThrowArchiveException(CArchiveException::badIndex);
    COleVariant loaded;
    // The type first, so that a string allocated by LoadElement is freed if loading fails later.
    loaded.vt = vt;
    if (vt != VT_EMPTY && vt != VT_NULL) LoadElement(ar, vt, ValueOf(loaded));
    var = std::move(loaded);
}

CArchive& operator>>(CArchive& ar, COleVariant& var) {
    var.Clear();
    WORD vt;
    ar >> vt;
    LoadVariantValue(ar, vt, var);
    return ar;
}
