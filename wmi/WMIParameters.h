// CWMIParameters: a serialisable record of five variant values, one integer and two property maps,
// registered as "CWMIParameters" with schema 1 so that it can be created by class name.
//
// Archive layout, both directions: the five values in the framework's variant form, the integer
// (32 bits), then the two maps in the map form. Storing checks every value first and writes
// nothing when one of them cannot be stored (genericException).
#pragma once
#include "../framework/CObject.h"
#include "../framework/COleVariant.h"
#include "WMIPropertyMap.h"

class CWMIParameters : public CObject {
    DECLARE_SERIAL(CWMIParameters)
public:
    CWMIParameters();
    // Members go in reverse order of declaration: the second map, the first, then the values from
    // the fifth to the first.
    ~CWMIParameters() override;
    void Serialize(CArchive& ar) override;

    COleVariant m_var1;
    COleVariant m_var2;
    COleVariant m_var3;
    COleVariant m_var4;
    COleVariant m_var5;
    LONG m_nValue = 0;
    CWMIPropertyMap m_map1;
    CWMIPropertyMap m_map2;
};
