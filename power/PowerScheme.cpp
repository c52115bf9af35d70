// The power-plan command wrapper: argument texts, the hidden run of powercfg.exe, and the
// preferred-plan value.
#include "PowerScheme.h"
#include <vector>
#include "../framework/Handles.h"
#include "../host/LogFile.h"

namespace {

const WCHAR kPowerCfgName[] = TEXT("\\powercfg.exe");
const DWORD kTimeLimitMs = 60000;
const WCHAR kPlanName[] = TEXT("Nuvra Optimized (recommended)");
const WCHAR kPowerOptionsKey[] =
    TEXT("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\ControlPanel\\NameSpace\\")
    TEXT("{025A5937-A6BE-4686-A844-36FE4BEC8B6D}");

// Creates the Power Options key in the 64-bit view (also from a 32-bit process on 64-bit Windows)
// and writes the value; the key is closed again whatever the write returned.
bool WritePreferredPlan(const CString& schemeGuid) {
    CRegKeyHandle key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPowerOptionsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        return false;
    // The terminating NUL is part of the data, as the registry expects of string values.
    DWORD bytes = static_cast<DWORD>((schemeGuid.GetLength() + 1) * sizeof(WCHAR));
    return RegSetValueExW(key.Get(), TEXT("PreferredPlan"), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(schemeGuid.GetString()), bytes) == ERROR_SUCCESS;
}

}  // namespace

CPowerScheme::CPowerScheme(LPCWSTR schemeGuid, CMSIInstaller* installer) {
    WCHAR folder[MAX_PATH + 1] = {0};
    SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, SHGFP_TYPE_DEFAULT, folder);
    m_pInstaller = installer;
    m_strPowerCfgPath = CString(folder) + kPowerCfgName;
    m_strSchemeGuid = schemeGuid;
}

CPowerScheme::~CPowerScheme() {}

bool CPowerScheme::Run(LPCWSTR arguments) {
    CString commandLine = m_strPowerCfgPath + TEXT(" ") + arguments;
    WriteLog(m_pInstaller, arguments);
    // Without the system folder the path would be "\powercfg.exe", resolved against whatever
    // drive is current: nothing is started then.
    if (!HasSystemFolder()) return false;

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<WCHAR> buffer(commandLine.GetString(), commandLine.GetString() + commandLine.GetLength() + 1);
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CProcessHandles handles(info);
    if (WaitForSingleObject(handles.Process(), kTimeLimitMs) != WAIT_OBJECT_0) {
        WriteLog(m_pInstaller, TEXT("ERROR: Command timed out"));
        return false;
    }
    return true;
}

CString CPowerScheme::SetValueIndex(bool ac, LPCWSTR subgroupGuid, LPCWSTR settingGuid, LPCWSTR value) {
    CString text = ac ? TEXT("-setacvalueindex ") : TEXT("-setdcvalueindex ");
    text += TEXT(" ");
    text += m_strSchemeGuid;
    text += TEXT(" ");
    text += subgroupGuid;
    text += TEXT(" ");
    text += settingGuid;
    text += TEXT(" ");
    text += value;
    return text;
}

CString CPowerScheme::SetValueIndex(bool ac, LPCWSTR subgroupGuid, LPCWSTR settingGuid, int value) {
    CString text;
    text.Format(TEXT("%d"), value);
    return SetValueIndex(ac, subgroupGuid, settingGuid, static_cast<LPCWSTR>(text));
}

CString CPowerScheme::SetValueIndex(bool ac, LPCWSTR subgroupGuid, LPCWSTR settingGuid, bool value) {
    return SetValueIndex(ac, subgroupGuid, settingGuid, value ? TEXT("1") : TEXT("0"));
}

bool CPowerScheme::ChangeName(LPCWSTR description) {
    CString text = TEXT("-changename ") + m_strSchemeGuid + TEXT(" \"") + kPlanName + TEXT("\"");
    if (description) text += TEXT(" \"") + CString(description) + TEXT("\"");
    return Run(text);
}

bool CPowerScheme::SetHibernateSize() {
    CString text;
    text.Format(TEXT("/HIBERNATE /SIZE %d"), 100);
    return Run(text);
}

bool CPowerScheme::HasSystemFolder() const {
    return m_strPowerCfgPath.GetLength() > static_cast<int>(sizeof kPowerCfgName / sizeof(WCHAR)) - 1;
}

bool CPowerScheme::SetPreferredPlan() {
    bool written = WritePreferredPlan(m_strSchemeGuid);
    WriteLog(m_pInstaller, written ? TEXT("Successfully set as preferred plan") : TEXT("ERROR: Unable to set as preferred plan"));
    return written;
}
