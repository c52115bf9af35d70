// The installer object's command runner and progress text, offered to application objects: a
// command line started hidden and awaited for up to 15 minutes, and a line of text shown in the
// installer dialog's progress-text control.
#include "AdvInstaller.h"
#include "LogFile.h"
#include "../framework/Handles.h"

namespace {

const DWORD kTimeLimitMs = 15 * 60 * 1000;

}  // namespace

BOOL CMSIInstaller::RunCommand(LPWSTR commandLine, LPCWSTR logText) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};

    WriteLog(this, logText);
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr,
                        &startup, &info)) {
        WriteLog(this, TEXT("ERROR: Unable to launch last command"));
        return FALSE;
    }
    CProcessHandles handles(info);
    // A command that overruns is not ended: it goes on running on its own.
    if (WaitForSingleObject(handles.Process(), kTimeLimitMs) != WAIT_OBJECT_0) WriteLog(this, TEXT("ERROR: Command timed out"));
    return TRUE;
}

void CMSIInstaller::SetProgressText(LPCWSTR) {}

BOOL CAdvInstaller::RunCommand(LPWSTR commandLine, LPCWSTR logText) {
    SetProgressText(logText);
    return CMSIInstaller::RunCommand(commandLine, logText);
}

void CAdvInstaller::SetProgressText(LPCWSTR text) {
    if (m_hwndProgress) SendMessageW(m_hwndProgress, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}
