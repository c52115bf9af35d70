// The log file: where it lies, and how a line is written. The C runtime's UTF-16LE text mode gives
// a new file its byte-order mark and turns every LF into CR LF.
#include "LogFile.h"

void CMSIInstaller::SetLogFilePath() {
    m_strLogFilePath = TEXT("C:\\System.sav\\");
    if (PathFileExistsW(m_strLogFilePath + TEXT(".")))
        m_strLogFilePath += m_strLogFileName;
    else
        m_strLogFilePath = GetProductFolder() + m_strLogFileName;
}

void WriteLog(CMSIInstaller* installer, LPCWSTR text) {
    FILE* file = nullptr;
    if (_wfopen_s(&file, installer->m_strLogFilePath, TEXT("a+, ccs=UTF-16LE")) != 0 || !file) return;

    WCHAR timeOfDay[MAX_PATH] = {0};
    _wstrtime_s(timeOfDay, MAX_PATH);
    SYSTEMTIME now;
    GetSystemTime(&now);

    CString stamp;
    stamp.Format(TEXT("%s:%03u"), static_cast<LPCWSTR>(timeOfDay), static_cast<unsigned>(now.wMilliseconds));
    CString line;
    line.Format(TEXT("%s\t%s\n"), stamp, text);
    fputws(line, file);
    fclose(file);
}
