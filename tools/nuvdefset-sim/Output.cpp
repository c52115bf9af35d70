#include "Output.h"
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include "RegFile.h"
#include "sim/machine.h"

namespace simtool {

namespace fs = std::filesystem;

namespace {

const char kDriveFolder[] = "C";
const char kRegistryFile[] = "registry.reg";
const char kCommandsFile[] = "commands.txt";

void WriteFile(const fs::path& file, const std::string& bytes) {
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream) throw std::runtime_error("cannot write " + file.string());
}

void Check(const std::error_code& error, const std::string& what) {
    if (error) throw std::runtime_error(what + ": " + error.message());
}

}  // namespace

void CheckOutput(const std::string& dir) {
    std::error_code error;
    fs::path out(dir);
    if (!fs::exists(out, error)) return;
    if (!fs::is_directory(out, error)) throw std::runtime_error("--out " + dir + " is not a folder");
    for (const fs::directory_entry& entry : fs::directory_iterator(out, error)) {
        std::string name = entry.path().filename().string();
        if (name != kDriveFolder && name != kRegistryFile && name != kCommandsFile)
            throw std::runtime_error("--out " + dir + " holds " + name +
                                     ", which is not an earlier output: give a new or empty folder");
    }
    Check(error, "cannot list " + dir);
}

void WriteOutput(const std::string& dir) {
    CheckOutput(dir);
    std::error_code error;
    fs::path out(dir);
    if (fs::exists(out, error)) {
        fs::remove_all(out / kDriveFolder, error);
        Check(error, "cannot remove the earlier " + (out / kDriveFolder).string());
    } else {
        fs::create_directories(out, error);
        Check(error, "cannot create " + dir);
    }

    fs::copy(sim::machine().drive.HostRoot(), out / kDriveFolder,
             fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    Check(error, "cannot copy drive C to " + (out / kDriveFolder).string());

    WriteFile(out / kRegistryFile, ExportRegistry(sim::machine().registry));
    std::string commands;
    for (const sim::ProcessStart& start : sim::machine().processes.Starts())
        if (start.process) commands += sim::ToUtf8(start.commandLine) + "\n";
    WriteFile(out / kCommandsFile, commands);
}

}  // namespace simtool
