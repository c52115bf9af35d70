#include "Support.h"
#include <dlfcn.h>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include "sim/text.h"

const char16_t kProductKey[] = u"Software\\Arvenco\\Nuvra System Default Settings";

LoadedModule::LoadedModule() {
    m_handle = dlopen(NUV_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) throw std::runtime_error(dlerror());
    m_commit = reinterpret_cast<UINT (*)(MSIHANDLE)>(dlsym(m_handle, "nuvMSICommit"));
    if (!m_commit) throw std::runtime_error("no nuvMSICommit");
}

LoadedModule::~LoadedModule() { Unload(); }

UINT LoadedModule::Commit(MSIHANDLE install) { return m_commit(install); }

void LoadedModule::Unload() {
    if (m_handle) dlclose(m_handle);
    m_handle = nullptr;
    m_commit = nullptr;
}

void ResetNotebook() {
    sim::Reset();
    auto& m = sim::machine();
    m.registry.SetString(kProductKey, u"MachineID", u"NB-4711");
    m.registry.SetString(kProductKey, u"Version", u"2.0.1");
    m.registry.SetString(kProductKey, u"Accelerometer", u"1");
    m.drive.CreateFolder(u"C:\\System.sav");
    m.drive.CreateFolder(u"C:\\Program Files\\Arvenco\\Nuvra System Default Settings");
}

std::string LogBytes(const std::u16string& path) { return sim::machine().drive.ReadFile(path); }

std::vector<std::string> LogLines(const std::u16string& path) { return sim::TextFileLines(LogBytes(path)); }

std::vector<std::string> LogMessages(const std::u16string& path) {
    std::vector<std::string> messages;
    for (const std::string& line : LogLines(path)) {
        size_t tab = line.find('\t');
        messages.push_back(tab == 12 ? line.substr(13) : line);
    }
    return messages;
}

std::vector<std::string> BannerMessages(const std::u16string& path) {
    std::vector<std::string> banner;
    for (const std::string& message : LogMessages(path))
        if (message.rfind("***** ", 0) == 0 || message.rfind("Machine ID = ", 0) == 0) banner.push_back(message);
    return banner;
}

std::string Utf8(const std::u16string& text) { return sim::ToUtf8(text); }

namespace {
long g_failAfter = 0;
}

void FailAllocationAfter(long n) { g_failAfter = n; }

void* operator new(std::size_t size) {
    if (g_failAfter > 0 && --g_failAfter == 0) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
// The nothrow form fails the same way, returning NULL instead of throwing.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}
