// An owning pointer to one WMI object.
#pragma once
#include "../framework/CComPtr.h"

class CWMIObjectPtr : public CComPtr<IWbemClassObject> {
public:
    CWMIObjectPtr() = default;
    CWMIObjectPtr(const CWMIObjectPtr&) = delete;
    CWMIObjectPtr& operator=(const CWMIObjectPtr&) = delete;
    virtual ~CWMIObjectPtr() { Release(); }
};
