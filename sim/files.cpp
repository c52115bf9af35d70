// Drive C on a host folder, PathFileExistsW, and the C runtime's wide file output with the
// encoding rules of "ccs=": a new or empty file gets the mark FF FE; FF FE or no mark means
// UTF-16LE; EF BB BF means UTF-8; FE FF makes the open fail. Text mode turns LF into CR LF.
// The runtime opens without sharing: while the file is open (here or by a holder) it cannot be
// opened again.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include "machine.h"
#include "win/files.h"

namespace sim {

namespace {

std::string MatchEntry(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return name;
    std::string found = name;
    wstring wanted = FromUtf8(name);
    while (dirent* entry = readdir(dir)) {
        if (EqualsNoCase(FromUtf8(entry->d_name), wanted)) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

void MakeFolders(const std::string& path) {
    std::string partial;
    std::stringstream parts(path);
    std::string part;
    if (!path.empty() && path[0] == '/') partial = "/";
    while (std::getline(parts, part, '/')) {
        if (part.empty()) continue;
        partial += part + "/";
        mkdir(partial.c_str(), 0755);
    }
}

}  // namespace

void Drive::MapOnto(const std::string& hostFolder) {
    m_root = hostFolder;
    while (m_root.size() > 1 && m_root.back() == '/') m_root.pop_back();
    MakeFolders(m_root);
    m_held.clear();
}

std::string Drive::HostPath(wstring_view windowsPath) const {
    if (windowsPath.size() < 2 || FoldCase(windowsPath[0]) != u'C' || windowsPath[1] != u':') return {};
    std::vector<wstring> parts;
    for (const wstring& part : SplitPath(windowsPath.substr(2))) {
        if (part == u".") continue;
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string path = m_root;
    for (const wstring& part : parts) path += "/" + MatchEntry(path, ToUtf8(part));
    return path;
}

void Drive::CreateFolder(wstring_view windowsPath) { MakeFolders(HostPath(windowsPath)); }

void Drive::WriteFile(wstring_view windowsPath, const std::string& bytes) {
    std::string path = HostPath(windowsPath);
    MakeFolders(path.substr(0, path.rfind('/')));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Drive::ReadFile(wstring_view windowsPath) const {
    std::ifstream in(HostPath(windowsPath), std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

bool Drive::Exists(wstring_view windowsPath) const {
    std::string path = HostPath(windowsPath);
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

void Drive::Remove(wstring_view windowsPath) {
    std::error_code ignored;
    std::filesystem::remove_all(HostPath(windowsPath), ignored);
}

void Drive::Hold(wstring_view windowsPath) {
    std::string path = HostPath(windowsPath);
    // The holder has the file open, so it exists: a holder that opened it where there was none
    // made it, empty (its folder must exist for that).
    struct stat folder;
    if (!Exists(windowsPath) && stat(path.substr(0, path.rfind('/')).c_str(), &folder) == 0)
        std::ofstream(path, std::ios::binary);
    m_held.insert(path);
}
void Drive::Release(wstring_view windowsPath) { m_held.erase(HostPath(windowsPath)); }

}  // namespace sim

using sim::machine;

BOOL PathFileExistsW(LPCWSTR pszPath) {
    sim::wstring path = sim::FromNullable(pszPath);
    machine().calls.Add("PathFileExistsW", path);
    if (auto fault = machine().faults.Hit("PathFileExistsW", path)) return static_cast<BOOL>(fault->result);
    return machine().drive.Exists(path) ? TRUE : FALSE;
}

namespace {

enum class Encoding { Utf16Le, Utf8 };

struct OpenFile {
    int fd = -1;
    std::string hostPath;
    Encoding encoding = Encoding::Utf16Le;
};

std::map<FILE*, OpenFile*>& OpenFiles() {
    static std::map<FILE*, OpenFile*> files;
    return files;
}

ssize_t WriteBytes(void* cookie, const char* data, size_t size) {
    auto* file = static_cast<OpenFile*>(cookie);
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(file->fd, data + done, size - done);
        if (n <= 0) return done ? static_cast<ssize_t>(done) : -1;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(size);
}

int CloseFile(void* cookie) {
    auto* file = static_cast<OpenFile*>(cookie);
    for (auto it = OpenFiles().begin(); it != OpenFiles().end(); ++it)
        if (it->second == file) {
            OpenFiles().erase(it);
            break;
        }
    machine().drive.ReleaseHost(file->hostPath);
    machine().calls.Add("fclose", sim::FromUtf8(file->hostPath));
    close(file->fd);
    delete file;
    return 0;
}

}  // namespace

errno_t _wfopen_s(FILE** pFile, LPCWSTR filename, LPCWSTR mode) {
    if (!pFile) return EINVAL;
    *pFile = nullptr;
    if (!filename || !mode) return EINVAL;
    sim::wstring name(filename);
    sim::wstring modeText(mode);
    machine().calls.Add("_wfopen_s", name + u" | " + modeText);
    if (auto fault = machine().faults.Hit("_wfopen_s", name)) return static_cast<errno_t>(fault->result);

    // Only the append modes with an optional coded character set are modelled.
    bool append = !modeText.empty() && modeText[0] == u'a';
    bool unicode = modeText.find(u"ccs=UTF-16LE") != sim::wstring::npos ||
                   modeText.find(u"ccs=UNICODE") != sim::wstring::npos;
    bool utf8 = modeText.find(u"ccs=UTF-8") != sim::wstring::npos;
    if (!append) return EINVAL;

    std::string hostPath = machine().drive.HostPath(name);
    if (hostPath.empty()) return ENOENT;
    if (machine().drive.IsHeld(hostPath)) return EACCES;
    int fd = open(hostPath.c_str(), O_RDWR | O_CREAT | O_APPEND, 0644);
    if (fd < 0) return errno;

    unsigned char mark[3] = {0, 0, 0};
    ssize_t got = pread(fd, mark, 3, 0);
    auto* file = new OpenFile{fd, hostPath, utf8 || !unicode ? Encoding::Utf8 : Encoding::Utf16Le};
    if (got <= 0) {
        if (unicode) {
            static const char bom[2] = {'\xFF', '\xFE'};
            WriteBytes(file, bom, 2);
        } else if (utf8) {
            static const char bom[3] = {'\xEF', '\xBB', '\xBF'};
            WriteBytes(file, bom, 3);
        }
    } else if (unicode || utf8) {
        if (got >= 2 && mark[0] == 0xFE && mark[1] == 0xFF) {
            close(fd);
            delete file;
            return EINVAL;
        }
        if (got >= 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF)
            file->encoding = Encoding::Utf8;
        else if (got >= 2 && mark[0] == 0xFF && mark[1] == 0xFE)
            file->encoding = Encoding::Utf16Le;
    }

    cookie_io_functions_t io{};
    io.write = WriteBytes;
    io.close = CloseFile;
    FILE* stream = fopencookie(file, "a", io);
    if (!stream) {
        close(fd);
        delete file;
        return ENOMEM;
    }
    setvbuf(stream, nullptr, _IOFBF, 1 << 14);
    OpenFiles()[stream] = file;
    machine().drive.HoldHost(hostPath);
    *pFile = stream;
    return 0;
}

int fputws(LPCWSTR str, FILE* stream) {
    auto it = OpenFiles().find(stream);
    if (!str || it == OpenFiles().end()) return -1;
    sim::wstring text;
    for (const WCHAR* p = str; *p; ++p) {
        if (*p == u'\n') text += u'\r';
        text += *p;
    }
    std::string bytes;
    if (it->second->encoding == Encoding::Utf8) {
        bytes = sim::ToUtf8(text);
    } else {
        bytes.resize(text.size() * 2);
        for (size_t i = 0; i < text.size(); ++i) {
            bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
        }
    }
    return fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() ? 0 : -1;
}
