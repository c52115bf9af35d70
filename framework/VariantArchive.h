// The framework's archive forms of variant values.
//
// The element form of a base type (a type word without VT_ARRAY):
//   VT_I1, VT_UI1                    8 bits
//   VT_I2, VT_BOOL, VT_UI2           16 bits
//   VT_I4, VT_ERROR, VT_UI4, VT_R4   32 bits (VT_R4 as an IEEE float)
//   VT_I8, VT_UI8, VT_R8, VT_DATE    64 bits (VT_R8 and VT_DATE as IEEE doubles)
//   VT_CY                            the low 32 bits, then the high 32 bits
//   VT_BSTR                          a 32-bit byte length, then that many bytes of the string;
//                                    a length of 0 loads as a NULL string
// No other type has an element form.
//
// The variant form of a single value: the 16-bit type word, then the value in its element form;
// VT_EMPTY and VT_NULL are the type word alone. Storing any other value (an array, a reference,
// an object, a type without an element form) raises genericException before anything is written,
// because it could not be loaded back; loading a type word without a form raises badIndex.
#pragma once
#include "CArchive.h"
#include "COleVariant.h"

// True when `vtBase` has an element form.
bool HasElementForm(VARTYPE vtBase);
// The fewest bytes that the element form of `vtBase` takes (a string: its length word), 0 when
// there is no element form.
UINT ElementFormMinSize(VARTYPE vtBase);
// The size in memory of one element of `vtBase`: as in a VARIANT or a SAFEARRAY.
UINT ElementMemorySize(VARTYPE vtBase);

// One element in its element form. `pElement` points at a value of type `vtBase` as a VARIANT or a
// SAFEARRAY holds it. When loading it must hold zeros (for a string: NULL); a string allocated
// there belongs to the caller even when loading raises an exception afterwards.
void StoreElement(CArchive& ar, VARTYPE vtBase, const void* pElement);
void LoadElement(CArchive& ar, VARTYPE vtBase, void* pElement);

// True when the variant form carries `var` as it is.
bool CanStoreVariantForm(const VARIANT& var);

// The variant form after its type word: a value of type `vt` into `var`, which must be VT_EMPTY
// (and is after an exception).
void LoadVariantValue(CArchive& ar, VARTYPE vt, COleVariant& var);

// The variant form. Loading clears the target first; after an exception it is VT_EMPTY.
CArchive& operator<<(CArchive& ar, const COleVariant& var);
CArchive& operator>>(CArchive& ar, COleVariant& var);
