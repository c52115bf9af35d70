#include "machine.h"
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace sim {

namespace {

std::unique_ptr<Machine>& Current() {
    static std::unique_ptr<Machine> current;
    return current;
}

// The drive folder that Reset made itself, removed at the next reset and at exit. Defined before
// the cleanup object, so it is destroyed after it.
std::string g_ownedFolder;

void RemoveOwnedFolder() {
    if (!g_ownedFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(g_ownedFolder, ignored);
        g_ownedFolder.clear();
    }
}

struct Cleanup {
    ~Cleanup() { RemoveOwnedFolder(); }
} g_cleanup;

}  // namespace

Machine& machine() {
    if (!Current()) Reset();
    return *Current();
}

void Reset(const std::string& hostFolder) {
    RemoveOwnedFolder();
    auto m = std::make_unique<Machine>();
    std::string folder = hostFolder;
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/nuvsim-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        g_ownedFolder = folder;
    }
    m->drive.MapOnto(folder);
    m->shellFolders = {
        {0x24, u"C:\\Windows"},        // CSIDL_WINDOWS
        {0x25, u"C:\\Windows\\system32"},  // CSIDL_SYSTEM
        {0x26, u"C:\\Program Files"},  // CSIDL_PROGRAM_FILES
    };
    for (const auto& [csidl, path] : m->shellFolders) m->drive.CreateFolder(path);
    m->clock.SetLocal(2012, 3, 1, 9, 0, 0, 0);
    Current() = std::move(m);
}

}  // namespace sim
