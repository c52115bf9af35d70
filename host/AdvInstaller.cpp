// The commit sequence, and the search for the installer dialog's progress-text control.
#include "AdvInstaller.h"
#include "../defaults/AppInstaller.h"

CAdvInstaller::CAdvInstaller() : CMSIInstaller(), m_hwndProgress(nullptr) {}

CAdvInstaller::~CAdvInstaller() {}

LONG CAdvInstaller::Run() {
    g_pAppInstaller->Attach(this);
    if (CMSIInstaller::Run() != 0) return -1;
    FindProgressTextControl();
    return g_pAppInstaller->Execute();
}

BOOL CAdvInstaller::FindProgressTextControl() {
    m_hwndProgress = nullptr;
    CString title = GetProductName() + TEXT(" Setup");
    HWND dialog = FindWindowW(TEXT("MsiDialogCloseClass"), title);
    if (!dialog) dialog = FindWindowW(TEXT("MsiDialogCloseClass"), nullptr);
    if (dialog) EnumChildWindows(dialog, FindProgressTextProc, reinterpret_cast<LPARAM>(this));
    return m_hwndProgress != nullptr;
}

BOOL CALLBACK FindProgressTextProc(HWND hwnd, LPARAM lParam) {
    RECT rect = {0, 0, 0, 0};
    GetClientRect(hwnd, &rect);
    if (rect.left == 0 && rect.top == 0 && rect.right == 340 && rect.bottom == 13) {
        reinterpret_cast<CAdvInstaller*>(lParam)->m_hwndProgress = hwnd;
        return FALSE;
    }
    return TRUE;
}
