// CWinApp: the framework's application object of a module, and an empty message map.
#pragma once
#include "../platform/Platform.h"

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
};

#define DECLARE_MESSAGE_MAP()                       \
protected:                                          \
    static const AFX_MSGMAP* GetThisMessageMap();   \
    virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                              \
        static const AFX_MSGMAP messageMap = {&baseClass::GetThisMessageMap};

#define END_MESSAGE_MAP() \
    return &messageMap;   \
    }

class CWinApp {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    virtual ~CWinApp();
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    LPCWSTR m_pszAppName;

    DECLARE_MESSAGE_MAP()
};

// The module's application object (the last CWinApp constructed), or NULL.
CWinApp* AfxGetApp();
