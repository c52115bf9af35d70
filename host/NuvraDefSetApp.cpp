#include "NuvraDefSetApp.h"

BEGIN_MESSAGE_MAP(CNuvraDefSetApp, CWinApp)
END_MESSAGE_MAP()

CNuvraDefSetApp::CNuvraDefSetApp() : CWinApp(nullptr) {}

CNuvraDefSetApp::~CNuvraDefSetApp() {}

BOOL CNuvraDefSetApp::InitInstance() {
    CWinApp::InitInstance();
    return TRUE;
}

CNuvraDefSetApp theApp;
