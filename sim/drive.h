// Drive C of the simulated machine, mapped onto a host folder, and the files that other programs
// hold open (no other opener gets them while they are held).
#pragma once
#include <set>
#include <string>
#include "text.h"

namespace sim {

class Drive {
public:
    // The host folder that stands for C:\. Created when missing.
    void MapOnto(const std::string& hostFolder);
    const std::string& HostRoot() const { return m_root; }

    // The host path of a Windows path on drive C ("C:\a\b"), each part matched to an existing entry
    // ignoring case; "." parts are dropped and ".." goes up, as Windows normalises a path. Empty
    // when the path is not on drive C.
    std::string HostPath(wstring_view windowsPath) const;

    // Convenience for tests and profiles.
    void CreateFolder(wstring_view windowsPath);
    void WriteFile(wstring_view windowsPath, const std::string& bytes);
    std::string ReadFile(wstring_view windowsPath) const;  // empty when missing
    bool Exists(wstring_view windowsPath) const;
    void Remove(wstring_view windowsPath);  // a file, or a folder with all it holds

    // Another program holds the file open without sharing, or with sharing while the opener asks
    // for none (as the C runtime's _wfopen_s does on Windows): either way the opener's open fails.
    // Held, the file exists: when it did not, the holder made it empty, where its folder exists.
    void Hold(wstring_view windowsPath);
    void Release(wstring_view windowsPath);
    bool IsHeld(const std::string& hostPath) const { return m_held.count(hostPath) > 0; }
    void HoldHost(const std::string& hostPath) { m_held.insert(hostPath); }
    void ReleaseHost(const std::string& hostPath) { m_held.erase(hostPath); }

private:
    std::string m_root;
    std::set<std::string> m_held;
};

}  // namespace sim
