// CWMIPropertyMap: WMI property names mapped to variant values, with an archive form of its own
// that, unlike the framework's variant form, also carries one-dimensional arrays.
//
// The map form: the number of associations in the count form; then for each association, in the
// map's iteration order, the key in the wide-string form and the value:
//   - an array (VT_ARRAY set): the type word, the lower and the upper bound of its dimension
//     (32 bits each), then the elements from the lower to the upper bound in their element form;
//   - any other value: the framework's variant form.
// An array loads with lower bound 0, whatever bound it was stored with.
//
// Storing refuses, with genericException and before anything is written, every value that could
// not be loaded back as it was: a reference (VT_BYREF), an object (VT_DISPATCH, VT_UNKNOWN), an
// array of more than one dimension, and any type without an element form. Loading checks every
// length and bound against the data that is left before it allocates (endOfFile otherwise) and
// refuses a type word without a form (badIndex).
#pragma once
#include "../framework/CArchive.h"
#include "../framework/CMap.h"
#include "../framework/COleVariant.h"
#include "../framework/CString.h"

class CWMIPropertyMap : public CMap<CString, LPCWSTR, COleVariant, COleVariant> {
public:
    CWMIPropertyMap();
    ~CWMIPropertyMap() override;
    void Serialize(CArchive& ar) override;

    // Raises genericException unless every value can be stored in the map form.
    void CheckStorable() const;
    static bool CanStoreValue(const VARIANT& var);
};
