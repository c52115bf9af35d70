// The application-object interface that the installer object drives, and its registration.
#pragma once
#include "../platform/Platform.h"

class CMSIInstaller;

class CAppInstaller {
public:
    CAppInstaller();
    virtual ~CAppInstaller();
    virtual void Attach(CMSIInstaller* installer);
    virtual BOOL Reserved1(DWORD value);
    virtual BOOL Reserved2(DWORD value);
    // Writes the banner to the log; returns 0.
    virtual LONG Execute();

    CMSIInstaller* m_pInstaller;
};

// The first application object constructed in the process; later ones do not replace it.
extern CAppInstaller* g_pAppInstaller;
