// The installer object of this library: the commit sequence, and the installer dialog's
// progress-text control.
#pragma once
#include "MSIInstaller.h"

class CAdvInstaller : public CMSIInstaller {
public:
    CAdvInstaller();
    BOOL RunCommand(LPWSTR commandLine, LPCWSTR logText) override;
    LONG Run() override;
    ~CAdvInstaller() override;
    void SetProgressText(LPCWSTR text) override;

    BOOL FindProgressTextControl();

    HWND m_hwndProgress;
};

// EnumChildWindows callback: takes the first control whose client rectangle is exactly 340 by 13.
BOOL CALLBACK FindProgressTextProc(HWND hwnd, LPARAM lParam);
