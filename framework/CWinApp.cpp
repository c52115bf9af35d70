#include "CWinApp.h"

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName) { g_pApp = this; }

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

const AFX_MSGMAP* CWinApp::GetMessageMap() const { return GetThisMessageMap(); }
const AFX_MSGMAP* CWinApp::GetThisMessageMap() {
    static const AFX_MSGMAP messageMap = {nullptr};
    return &messageMap;
}

CWinApp* AfxGetApp() { return g_pApp; }
