// Registry files in the Windows registry export format, "Windows Registry Editor Version 5.00", as
// regedit /E writes them: UTF-16LE with the mark FF FE and CR LF line ends, one [key] line per key
// and its values below it, strings in quotes, dword:xxxxxxxx, and hex(type):bytes for every other
// value, wrapped with a trailing backslash. Reading also takes UTF-8 files and LF line ends.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "sim/registry.h"

namespace simtool {

struct RegOperation {
    enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
    Kind kind = Kind::CreateKey;
    std::u16string key;   // below HKEY_LOCAL_MACHINE; empty for HKEY_LOCAL_MACHINE itself
    std::u16string name;  // of a value; empty for the default value (@)
    uint32_t type = 0;
    std::vector<uint8_t> data;
    int line = 0;
};

struct RegFile {
    std::vector<RegOperation> operations;
};

// Reads a registry file's bytes; a line that does not fit the format throws InputError naming
// `file` and the line.
RegFile ParseRegFile(const std::string& bytes, const std::string& file);

// Carries out the file's operations in order on the registry, as regedit imports a file.
void ApplyRegFile(const RegFile& file, sim::Registry& registry);

// The whole of HKEY_LOCAL_MACHINE as a registry file: UTF-16LE bytes with FF FE. Keys in the order
// regedit lists them (by name, case ignored), values in the order they were first set.
std::string ExportRegistry(sim::Registry& registry);

}  // namespace simtool
