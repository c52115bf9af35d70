#include "CObject.h"
#include <cstring>

namespace {
const CRuntimeClass* g_pFirstClass = nullptr;
}

CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr, nullptr};

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* newClass) {
    newClass->m_pNextClass = g_pFirstClass;
    g_pFirstClass = newClass;
}

CObject* CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base) return true;
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* className) {
    if (!className) return nullptr;
    if (std::strcmp(className, CObject::classCObject.m_lpszClassName) == 0) return &CObject::classCObject;
    for (const CRuntimeClass* c = g_pFirstClass; c; c = c->m_pNextClass)
        if (std::strcmp(className, c->m_lpszClassName) == 0) return c;
    return nullptr;
}

CObject* CRuntimeClass::CreateObject(const char* className) {
    const CRuntimeClass* c = FromName(className);
    return c ? c->CreateObject() : nullptr;
}

CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* runtimeClass) const { return GetRuntimeClass()->IsDerivedFrom(runtimeClass); }

bool CObject::IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }
