// CPowerScheme: the commands of the system's power configuration tool, powercfg.exe, for one power
// scheme. It forms each command's argument text, runs the tool hidden with a limit of 60 seconds,
// and names its scheme as the preferred plan of the Control Panel's Power Options.
#pragma once
#include "../framework/CString.h"

class CMSIInstaller;

class CPowerScheme {
public:
    // `schemeGuid`: the scheme's GUID text, lower case, without braces; NULL gives an empty text.
    CPowerScheme(LPCWSTR schemeGuid, CMSIInstaller* installer);
    CPowerScheme(const CPowerScheme&) = delete;
    CPowerScheme& operator=(const CPowerScheme&) = delete;
    virtual ~CPowerScheme();

    // Logs the argument text, then runs the tool with it. True when the tool started and ended
    // within 60 seconds; its exit code is not read.
    bool Run(LPCWSTR arguments);

    // The argument text that sets one setting's value index for AC power (`ac` true) or for battery.
    CString SetValueIndex(bool ac, LPCWSTR subgroupGuid, LPCWSTR settingGuid, LPCWSTR value);
    CString SetValueIndex(bool ac, LPCWSTR subgroupGuid, LPCWSTR settingGuid, int value);
    CString SetValueIndex(bool ac, LPCWSTR subgroupGuid, LPCWSTR settingGuid, bool value);

    // Names the scheme "Nuvra Optimized (recommended)"; the description is left out when NULL.
    bool ChangeName(LPCWSTR description);
    // Sets the hibernation file size to 100 percent.
    bool SetHibernateSize();
    // Writes the scheme's GUID as the PreferredPlan of Power Options and logs the outcome.
    bool SetPreferredPlan();

private:
    // False when the shell gave no system folder, so that the path holds no folder.
    bool HasSystemFolder() const;

    CMSIInstaller* m_pInstaller;
    CString m_strPowerCfgPath;
    CString m_strSchemeGuid;
};
