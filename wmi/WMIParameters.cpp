#include "WMIParameters.h"
#include "../framework/VariantArchive.h"

IMPLEMENT_SERIAL(CWMIParameters, CObject, 1)

CWMIParameters::CWMIParameters() = default;

CWMIParameters::~CWMIParameters() = default;

void CWMIParameters::Serialize(CArchive& ar) {
    CObject::Serialize(ar);
    COleVariant* values[] = {&m_var1, &m_var2, &m_var3, &m_var4, &m_var5};
    if (ar.IsStoring()) {
        for (const COleVariant* pValue : values)
            if (!CanStoreVariantForm(*pValue)) AfxThrowArchiveException(CArchiveException::genericException);
        m_map1.CheckStorable();
        m_map2.CheckStorable();
        for (const COleVariant* pValue : values) ar << *pValue;
        ar << m_nValue;
    } else {
        for (COleVariant* pValue : values) ar >> *pValue;
        ar >> m_nValue;
    }
    m_map1.Serialize(ar);
    m_map2.Serialize(ar);
}
