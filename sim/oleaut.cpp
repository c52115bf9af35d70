// BSTR, VARIANT and SAFEARRAY (oleaut32). A BSTR is preceded by its byte length (4 bytes) and
// followed by a NUL. A SAFEARRAY of this machine remembers its element type.
#include "oleaut.h"
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>
#include "machine.h"
#include "win/oleaut.h"

using sim::machine;

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

#define DISP_E_BADINDEX ((HRESULT)0x8002000BL)
#define DISP_E_ARRAYISLOCKED ((HRESULT)0x8002000DL)
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008L)

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) {
    if (machine().faults.Hit("SysAllocString", u"")) return nullptr;
    auto* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + len + sizeof(OLECHAR) + 1));
    if (!block) return nullptr;
    uint32_t bytes = len;
    std::memcpy(block, &bytes, sizeof bytes);
    char* data = block + sizeof(uint32_t);
    if (psz)
        std::memcpy(data, psz, len);
    else
        std::memset(data, 0, len);
    std::memset(data + len, 0, sizeof(OLECHAR) + 1);
    ++machine().automation.liveStrings;
    return reinterpret_cast<BSTR>(data);
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    return SysAllocStringByteLen(reinterpret_cast<LPCSTR>(strIn), ui * sizeof(OLECHAR));
}

BSTR SysAllocString(const OLECHAR* psz) {
    if (!psz) return nullptr;
    return SysAllocStringLen(psz, static_cast<UINT>(std::char_traits<char16_t>::length(psz)));
}

void SysFreeString(BSTR bstrString) {
    if (!bstrString) return;
    std::free(reinterpret_cast<char*>(bstrString) - sizeof(uint32_t));
    --machine().automation.liveStrings;
}

UINT SysStringByteLen(BSTR bstr) {
    if (!bstr) return 0;
    uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<char*>(bstr) - sizeof(uint32_t), sizeof bytes);
    return bytes;
}

UINT SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }

void VariantInit(VARIANTARG* pvarg) {
    if (!pvarg) return;
    std::memset(pvarg, 0, sizeof *pvarg);
    pvarg->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* pvarg) {
    if (!pvarg) return E_INVALIDARG;
    if (!(pvarg->vt & VT_BYREF)) {
        if (pvarg->vt & VT_ARRAY) {
            SafeArrayDestroy(pvarg->parray);
        } else {
            switch (pvarg->vt) {
            case VT_BSTR: SysFreeString(pvarg->bstrVal); break;
            case VT_UNKNOWN:
            case VT_DISPATCH:
                if (pvarg->punkVal) pvarg->punkVal->Release();
                break;
            default: break;
            }
        }
    }
    std::memset(pvarg, 0, sizeof *pvarg);
    pvarg->vt = VT_EMPTY;
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
    if (!pvargDest || !pvargSrc) return E_INVALIDARG;
    if (pvargDest == pvargSrc) return S_OK;
    VARIANT copy = *pvargSrc;
    if (!(copy.vt & VT_BYREF)) {
        if (copy.vt & VT_ARRAY) {
            if (pvargSrc->parray && FAILED(SafeArrayCopy(pvargSrc->parray, &copy.parray))) return E_OUTOFMEMORY;
        } else if (copy.vt == VT_BSTR && pvargSrc->bstrVal) {
            copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(pvargSrc->bstrVal),
                                                 SysStringByteLen(pvargSrc->bstrVal));
            if (!copy.bstrVal) return E_OUTOFMEMORY;
        } else if ((copy.vt == VT_UNKNOWN || copy.vt == VT_DISPATCH) && copy.punkVal) {
            copy.punkVal->AddRef();
        }
    }
    VariantClear(pvargDest);
    *pvargDest = copy;
    return S_OK;
}

namespace {

struct ArrayBlock {
    VARTYPE vt;
    SAFEARRAY array;  // followed by cDims - 1 further bounds
};

ArrayBlock* BlockOf(SAFEARRAY* psa) {
    return reinterpret_cast<ArrayBlock*>(reinterpret_cast<char*>(psa) - offsetof(ArrayBlock, array));
}

ULONG ElementSize(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_R4: case VT_ERROR: case VT_INT: case VT_UINT: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_DATE: case VT_CY: return 8;
    case VT_BSTR: return sizeof(BSTR);
    case VT_UNKNOWN: case VT_DISPATCH: return sizeof(IUnknown*);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
    }
}

size_t Count(const SAFEARRAY* psa) {
    size_t n = 1;
    for (USHORT d = 0; d < psa->cDims; ++d) n *= psa->rgsabound[d].cElements;
    return n;
}

void* ElementAt(SAFEARRAY* psa, LONG* indices, HRESULT& hr) {
    // rgIndices[0] is the rightmost dimension, which is also the first of the stored bounds.
    size_t offset = 0;
    size_t stride = 1;
    for (USHORT d = 0; d < psa->cDims; ++d) {
        const SAFEARRAYBOUND& b = psa->rgsabound[d];
        LONG i = indices[d] - b.lLbound;
        if (i < 0 || static_cast<ULONG>(i) >= b.cElements) {
            hr = DISP_E_BADINDEX;
            return nullptr;
        }
        offset += static_cast<size_t>(i) * stride;
        stride *= b.cElements;
    }
    hr = S_OK;
    return static_cast<char*>(psa->pvData) + offset * psa->cbElements;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
    ULONG size = ElementSize(vt);
    if (!cDims || !rgsabound || !size) return nullptr;
    if (machine().faults.Hit("SafeArrayCreate", u"")) return nullptr;
    size_t header = sizeof(ArrayBlock) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
    auto* block = static_cast<ArrayBlock*>(std::calloc(1, header));
    if (!block) return nullptr;
    block->vt = vt;
    SAFEARRAY* psa = &block->array;
    psa->cDims = static_cast<USHORT>(cDims);
    psa->cbElements = size;
    // Bounds are kept in reverse order of the caller's, as oleaut32 keeps them.
    for (UINT d = 0; d < cDims; ++d) psa->rgsabound[d] = rgsabound[cDims - 1 - d];
    size_t count = Count(psa);
    if (count && count > (SIZE_MAX / size)) {
        std::free(block);
        return nullptr;
    }
    psa->pvData = std::calloc(count ? count : 1, size);
    if (!psa->pvData) {
        std::free(block);
        return nullptr;
    }
    ++machine().automation.liveArrays;
    return psa;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    SAFEARRAYBOUND bound{cElements, lLbound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
    if (!psa) return S_OK;
    if (psa->cLocks) return DISP_E_ARRAYISLOCKED;
    VARTYPE vt = BlockOf(psa)->vt;
    size_t count = Count(psa);
    for (size_t i = 0; i < count; ++i) {
        char* element = static_cast<char*>(psa->pvData) + i * psa->cbElements;
        if (vt == VT_BSTR) SysFreeString(*reinterpret_cast<BSTR*>(element));
        if (vt == VT_VARIANT) VariantClear(reinterpret_cast<VARIANT*>(element));
        if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && *reinterpret_cast<IUnknown**>(element))
            (*reinterpret_cast<IUnknown**>(element))->Release();
    }
    std::free(psa->pvData);
    std::free(BlockOf(psa));
    --machine().automation.liveArrays;
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
    if (!ppsaOut) return E_INVALIDARG;
    *ppsaOut = nullptr;
    if (!psa) return S_OK;
    VARTYPE vt = BlockOf(psa)->vt;
    std::vector<SAFEARRAYBOUND> bounds(psa->rgsabound, psa->rgsabound + psa->cDims);
    std::vector<SAFEARRAYBOUND> callerOrder(bounds.rbegin(), bounds.rend());
    SAFEARRAY* copy = SafeArrayCreate(vt, psa->cDims, callerOrder.data());
    if (!copy) return E_OUTOFMEMORY;
    size_t count = Count(psa);
    for (size_t i = 0; i < count; ++i) {
        char* from = static_cast<char*>(psa->pvData) + i * psa->cbElements;
        char* to = static_cast<char*>(copy->pvData) + i * copy->cbElements;
        if (vt == VT_BSTR) {
            BSTR s = *reinterpret_cast<BSTR*>(from);
            *reinterpret_cast<BSTR*>(to) = s ? SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s)) : nullptr;
        } else if (vt == VT_VARIANT) {
            VariantInit(reinterpret_cast<VARIANT*>(to));
            VariantCopy(reinterpret_cast<VARIANT*>(to), reinterpret_cast<VARIANT*>(from));
        } else {
            std::memcpy(to, from, psa->cbElements);
            if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && *reinterpret_cast<IUnknown**>(to))
                (*reinterpret_cast<IUnknown**>(to))->AddRef();
        }
    }
    *ppsaOut = copy;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }
UINT SafeArrayGetElemsize(SAFEARRAY* psa) { return psa ? psa->cbElements : 0; }

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (!psa || !pvt) return E_INVALIDARG;
    *pvt = BlockOf(psa)->vt;
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    if (!psa || !plLbound) return E_INVALIDARG;
    if (nDim < 1 || nDim > psa->cDims) return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    if (!psa || !plUbound) return E_INVALIDARG;
    if (nDim < 1 || nDim > psa->cDims) return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& b = psa->rgsabound[psa->cDims - nDim];
    *plUbound = b.lLbound + static_cast<LONG>(b.cElements) - 1;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (!psa || !ppvData) return E_INVALIDARG;
    ++psa->cLocks;
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
    if (!psa) return E_INVALIDARG;
    if (!psa->cLocks) return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (!psa || !rgIndices || !pv) return E_INVALIDARG;
    HRESULT hr;
    char* element = static_cast<char*>(ElementAt(psa, rgIndices, hr));
    if (!element) return hr;
    VARTYPE vt = BlockOf(psa)->vt;
    if (vt == VT_BSTR) {
        BSTR s = *reinterpret_cast<BSTR*>(element);
        *static_cast<BSTR*>(pv) = s ? SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s)) : nullptr;
    } else if (vt == VT_VARIANT) {
        VariantInit(static_cast<VARIANT*>(pv));
        return VariantCopy(static_cast<VARIANT*>(pv), reinterpret_cast<VARIANT*>(element));
    } else {
        std::memcpy(pv, element, psa->cbElements);
        if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && *static_cast<IUnknown**>(pv))
            (*static_cast<IUnknown**>(pv))->AddRef();
    }
    return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (!psa || !rgIndices) return E_INVALIDARG;
    HRESULT hr;
    char* element = static_cast<char*>(ElementAt(psa, rgIndices, hr));
    if (!element) return hr;
    VARTYPE vt = BlockOf(psa)->vt;
    if (vt == VT_BSTR) {
        BSTR& slot = *reinterpret_cast<BSTR*>(element);
        BSTR s = static_cast<BSTR>(pv);
        BSTR copy = s ? SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s)) : nullptr;
        if (s && !copy) return E_OUTOFMEMORY;
        SysFreeString(slot);
        slot = copy;
    } else if (vt == VT_VARIANT) {
        return VariantCopy(reinterpret_cast<VARIANT*>(element), static_cast<VARIANT*>(pv));
    } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        IUnknown*& slot = *reinterpret_cast<IUnknown**>(element);
        IUnknown* next = static_cast<IUnknown*>(pv);
        if (next) next->AddRef();
        if (slot) slot->Release();
        slot = next;
    } else {
        if (!pv) return E_INVALIDARG;
        std::memcpy(element, pv, psa->cbElements);
    }
    return S_OK;
}
