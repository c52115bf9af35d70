// The installer object: the product's identity and paths, the machine identity read from the
// product key, the log, and the services it offers to application objects.
#pragma once
#include "../framework/CString.h"

class CMSIInstaller {
public:
    CMSIInstaller();
    virtual BOOL RunCommand(LPWSTR commandLine, LPCWSTR logText);
    virtual LONG Run();
    virtual ~CMSIInstaller();
    virtual void SetProgressText(LPCWSTR text);

    CString GetMachineID() const { return m_strMachineID; }
    CString GetProductName() const { return m_strProductName; }
    CString GetVersion() const { return m_strVersion; }
    CString GetRegistryKey() const { return m_strRegistryKey; }
    CString GetProductFolder() const { return m_strProductFolder; }

    // Chooses m_strLogFilePath: C:\System.sav\ when that folder exists, otherwise the product folder.
    void SetLogFilePath();
    void ReadMachineID();

    bool m_bOleInitialized;
    MSIHANDLE m_hInstall;
    CString m_strSystemFolder;
    CString m_strWindowsFolder;
    CString m_strLanguage;
    CString m_strRegistryKey;
    CString m_strProductFolder;
    CString m_strProductName;
    CString m_strLogFileName;
    CString m_strMachineID;
    CString m_strLogFilePath;
    CString m_strVersion;
};

// Appends one backslash unless the text already ends in one (an empty text becomes "\").
void AppendBackslash(CString& text);
