// nuvregexport OUTFILE KEY...: writes the keys below HKEY_LOCAL_MACHINE (KEY as
// "HKEY_LOCAL_MACHINE\path"), with all their subkeys, to OUTFILE in the Windows registry export
// format, UTF-16LE with FF FE. Keys are read in the 64-bit view. A key that does not exist is left out.
//
// The export keeps each value's type and byte size exactly: a REG_SZ is written as "text" only when
// its data ends with its one terminating NUL, a REG_DWORD as dword: only when it has 4 bytes; any
// other value, a string without its terminator included, as hex(type): with its bytes as stored.
#include <windows.h>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

const wchar_t kRoot[] = L"HKEY_LOCAL_MACHINE\\";

class CKey {
public:
    CKey() = default;
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;
    ~CKey() {
        if (m_hKey) RegCloseKey(m_hKey);
    }
    HKEY* Put() { return &m_hKey; }
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

std::wstring Hex(DWORD type, const std::vector<BYTE>& data) {
    wchar_t prefix[16];
    swprintf(prefix, 16, type == REG_BINARY ? L"hex:" : L"hex(%lx):", type);
    std::wstring text = prefix;
    for (size_t i = 0; i < data.size(); ++i) {
        wchar_t byte[4];
        swprintf(byte, 4, L"%02x", data[i]);
        if (i) text += L',';
        text += byte;
    }
    return text;
}

std::wstring Quoted(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"') out += L'\\';
        out += c;
    }
    return out + L"\"";
}

std::wstring Data(DWORD type, const std::vector<BYTE>& data) {
    size_t chars = data.size() / sizeof(wchar_t);
    const wchar_t* text = reinterpret_cast<const wchar_t*>(data.data());
    if (type == REG_SZ && data.size() % 2 == 0 && chars > 0 && text[chars - 1] == L'\0' &&
        std::wstring(text, chars - 1).find(L'\0') == std::wstring::npos)
        return Quoted(std::wstring(text, chars - 1));
    if (type == REG_DWORD && data.size() == 4) {
        DWORD value;
        memcpy(&value, data.data(), 4);
        wchar_t dword[16];
        swprintf(dword, 16, L"dword:%08lx", value);
        return dword;
    }
    return Hex(type, data);
}

void Export(const std::wstring& path, std::wstring& out) {
    CKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Put()) != ERROR_SUCCESS)
        return;
    out += L"\r\n[" + std::wstring(kRoot) + path + L"]\r\n";
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size);
        nameLength = 16384;
        if (RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        data.resize(size);
        out += (nameLength ? Quoted(name) : std::wstring(L"@")) + L"=" + Data(type, data) + L"\r\n";
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key.Get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        Export(path + L"\\" + name, out);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: nuvregexport OUTFILE HKEY_LOCAL_MACHINE\\KEY...\n");
        return 2;
    }
    std::wstring out = L"\xFEFFWindows Registry Editor Version 5.00\r\n";
    const size_t rootLength = wcslen(kRoot);
    for (int i = 2; i < argc; ++i) {
        std::wstring key = argv[i];
        if (_wcsnicmp(key.c_str(), kRoot, rootLength) != 0) {
            fwprintf(stderr, L"nuvregexport: %ls is not below %ls\n", argv[i], kRoot);
            return 2;
        }
        Export(key.substr(rootLength), out);
    }
    FILE* file = _wfopen(argv[1], L"wb");
    if (!file) {
        fwprintf(stderr, L"nuvregexport: cannot write %ls\n", argv[1]);
        return 1;
    }
    fwrite(out.data(), sizeof(wchar_t), out.size(), file);
    fclose(file);
    return 0;
}
