// Test support: the system module loaded as Windows loads a DLL, the log read back, and allocation
// failures on demand.
#pragma once
#include <string>
#include <vector>
#include "sim/machine.h"

// dlopen of the built module; dlclose on destruction (or Unload), which runs its static destructors.
class LoadedModule {
public:
    LoadedModule();
    ~LoadedModule();
    UINT Commit(MSIHANDLE install = 42);
    void Unload();

private:
    void* m_handle = nullptr;
    UINT (*m_commit)(MSIHANDLE) = nullptr;
};

// A fresh default machine with the product key, C:\System.sav and the product folder as a notebook
// straight from the factory has them.
void ResetNotebook();

// The product's registry key path below HKEY_LOCAL_MACHINE.
extern const char16_t kProductKey[];

// The log's bytes, and its lines decoded from UTF-16LE (after the mark) into UTF-8, without CR LF.
std::string LogBytes(const std::u16string& path = u"C:\\System.sav\\defSet.log");
std::vector<std::string> LogLines(const std::u16string& path = u"C:\\System.sav\\defSet.log");
// The messages of the log lines, time stamps and TAB removed.
std::vector<std::string> LogMessages(const std::u16string& path = u"C:\\System.sav\\defSet.log");
// The messages of the runs' two-line banners alone, in order.
std::vector<std::string> BannerMessages(const std::u16string& path = u"C:\\System.sav\\defSet.log");

std::string Utf8(const std::u16string& text);

// Makes the nth operator new from now on fail with std::bad_alloc (0 disarms).
void FailAllocationAfter(long n);
