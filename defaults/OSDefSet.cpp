#include "OSDefSet.h"
#include "../host/MSIInstaller.h"

COSDefSet theOSDefSet;

void COSDefSet::Attach(CMSIInstaller* installer) {
    CAppInstaller::Attach(installer);
    installer->m_strProductName = TEXT("Nuvra System Default Settings");
    installer->m_strLogFileName = TEXT("defSet.log");

    WCHAR programFiles[MAX_PATH] = {0};
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_DEFAULT, programFiles);
    installer->m_strProductFolder =
        CString(programFiles) + TEXT("\\Arvenco\\") + installer->m_strProductName + TEXT("\\");
    installer->m_strRegistryKey = TEXT("Software\\Arvenco\\") + installer->m_strProductName;
}

LONG COSDefSet::Execute() {
    LONG result = CAppInstaller::Execute();
    CreateOptimizedScheme();
    UpdateBalancedScheme();
    SetNICPowerManagement();
    return result;
}
