// The installer object's life and its initialisation for a call: log path, machine identity,
// language and system folders.
#include "MSIInstaller.h"
#include "RegistryString.h"

namespace {

CString ReadFolder(int csidl) {
    WCHAR buffer[MAX_PATH] = {0};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_DEFAULT, buffer);
    return CString(buffer);
}

}  // namespace

void AppendBackslash(CString& text) {
    if (text.IsEmpty() || text[text.GetLength() - 1] != TEXT('\\')) text += TEXT('\\');
}

CMSIInstaller::CMSIInstaller() : m_bOleInitialized(OleInitialize(nullptr) == S_OK), m_hInstall(0) {}

CMSIInstaller::~CMSIInstaller() {
    if (m_bOleInitialized) OleUninitialize();
}

void CMSIInstaller::ReadMachineID() { m_strMachineID = ReadRegistryString(m_strRegistryKey, TEXT("MachineID")); }

LONG CMSIInstaller::Run() {
    SetLogFilePath();
    ReadMachineID();
    m_strVersion = ReadRegistryString(m_strRegistryKey, TEXT("Version"));

    WCHAR language[MAX_PATH] = {0};
    GetLocaleInfoW(GetUserDefaultLCID(), LOCALE_SABBREVLANGNAME, language, MAX_PATH);
    m_strLanguage = language;

    m_strWindowsFolder = ReadFolder(CSIDL_WINDOWS);
    AppendBackslash(m_strWindowsFolder);
    m_strSystemFolder = ReadFolder(CSIDL_SYSTEM);
    AppendBackslash(m_strSystemFolder);
    return 0;
}
