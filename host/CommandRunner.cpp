// The installer object's command runner and progress text, offered to application objects.
#include "AdvInstaller.h"
#include "LogFile.h"

BOOL CMSIInstaller::RunCommand(LPWSTR, LPCWSTR logText) {
    WriteLog(this, logText);
    WriteLog(this, TEXT("ERROR: Unable to launch last command"));
    return FALSE;
}

void CMSIInstaller::SetProgressText(LPCWSTR) {}

BOOL CAdvInstaller::RunCommand(LPWSTR commandLine, LPCWSTR logText) {
    SetProgressText(logText);
    return CMSIInstaller::RunCommand(commandLine, logText);
}

void CAdvInstaller::SetProgressText(LPCWSTR text) {
    if (m_hwndProgress) SendMessageW(m_hwndProgress, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}
