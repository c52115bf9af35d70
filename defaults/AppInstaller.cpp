#include "AppInstaller.h"
#include "../host/LogFile.h"

CAppInstaller* g_pAppInstaller = nullptr;

CAppInstaller::CAppInstaller() : m_pInstaller(nullptr) {
    if (!g_pAppInstaller) g_pAppInstaller = this;
}

CAppInstaller::~CAppInstaller() {}

void CAppInstaller::Attach(CMSIInstaller* installer) { m_pInstaller = installer; }

BOOL CAppInstaller::Reserved1(DWORD) { return TRUE; }
BOOL CAppInstaller::Reserved2(DWORD) { return TRUE; }

LONG CAppInstaller::Execute() {
    WriteLog(m_pInstaller,
             TEXT("***** ") + m_pInstaller->GetProductName() + TEXT(" ") + m_pInstaller->GetVersion() + TEXT(" *****"));
    CString line;
    line.Format(TEXT("Machine ID = %s"), m_pInstaller->GetMachineID());
    WriteLog(m_pInstaller, line);
    return 0;
}
