// The exported commit custom action. It hands over to the installer object at once, and nothing
// thrown leaves it: a run that ends by an exception is logged where that is still possible and
// reported to Windows Installer as a failure.
#include "AdvInstaller.h"
#include "LogFile.h"

namespace {

void LogAbort(CAdvInstaller* installer) {
    if (!installer) return;
    try {
        WriteLog(installer, TEXT("ERROR: Default settings run aborted"));
    } catch (...) {
    }
}

}  // namespace

NUV_EXPORT UINT WINAPI nuvMSICommit(MSIHANDLE hInstall) {
    CAdvInstaller* installer = nullptr;
    try {
        static CAdvInstaller s_installer;
        installer = &s_installer;
        s_installer.m_hInstall = hInstall;
        return static_cast<UINT>(s_installer.Run());
    } catch (...) {
        LogAbort(installer);
        return ERROR_INSTALL_FAILURE;
    }
}
