#include "Run.h"
#include <dlfcn.h>
#include <unistd.h>
#include <climits>
#include <map>
#include <stdexcept>
#include "sim/machine.h"
#include "sim/text.h"

namespace simtool {

namespace {

const MSIHANDLE kInstallHandle = 1;

std::string ModulePath() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string("./nuvdefset-sim");
    return path.substr(0, path.rfind('/') + 1) + "NuvraDefSet.so";
}

class Module {
public:
    Module() {
        std::string path = ModulePath();
        m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) throw std::runtime_error("cannot load " + path + ": " + dlerror());
        m_commit = reinterpret_cast<UINT (*)(MSIHANDLE)>(dlsym(m_handle, "nuvMSICommit"));
        if (!m_commit) {
            dlclose(m_handle);
            throw std::runtime_error(path + " has no nuvMSICommit");
        }
    }
    ~Module() { dlclose(m_handle); }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    UINT Commit() { return m_commit(kInstallHandle); }

private:
    void* m_handle = nullptr;
    UINT (*m_commit)(MSIHANDLE) = nullptr;
};

// The log files that the commits opened, found in the call record, and how many of their lines
// have been shown. A profile cannot put a file on the drive, so every log starts empty.
class LogWatch {
public:
    std::vector<LogLine> NewLines(size_t firstCall, size_t endCall) {
        const auto& calls = sim::machine().calls.All();
        std::vector<LogLine> lines;
        std::vector<std::u16string> opened;
        for (size_t i = firstCall; i < endCall && i < calls.size(); ++i) {
            if (calls[i].api != "_wfopen_s") continue;
            std::u16string path = calls[i].detail.substr(0, calls[i].detail.rfind(u" | "));
            bool known = false;
            for (const auto& p : opened) known = known || sim::EqualsNoCase(p, path);
            if (!known) opened.push_back(path);
        }
        for (const std::u16string& path : opened) {
            std::vector<std::string> all = sim::TextFileLines(sim::machine().drive.ReadFile(path));
            size_t& seen = m_seen[sim::ToUtf8(path)];
            for (size_t i = seen; i < all.size(); ++i) lines.push_back(LogLine{sim::ToUtf8(path), all[i]});
            if (all.size() > seen) seen = all.size();
        }
        return lines;
    }

private:
    std::map<std::string, size_t> m_seen;
};

}  // namespace

std::string LogLine::Message() const {
    return text.size() >= 13 && text[12] == '\t' && text[2] == ':' ? text.substr(13) : text;
}

std::string LogLine::Stamp() const {
    return text.size() >= 13 && text[12] == '\t' && text[2] == ':' ? text.substr(0, 12) : std::string();
}

std::vector<Commit> RunCommits(int runs, const std::function<void(const Commit&)>& done) {
    std::vector<Commit> commits;
    LogWatch log;
    Module module;
    for (int run = 1; run <= runs; ++run) {
        Commit c;
        c.number = run;
        c.firstCall = sim::machine().calls.All().size();
        c.result = module.Commit();
        c.endCall = sim::machine().calls.All().size();
        c.lines = log.NewLines(c.firstCall, c.endCall);
        done(c);
        commits.push_back(std::move(c));
    }
    return commits;
}

}  // namespace simtool
