#include "Options.h"
#include <cstring>
#include "InputError.h"

namespace simtool {

const char kUsage[] =
    "usage: nuvdefset-sim [--profile FILE] [--runs N] [--json] [--out DIR]\n"
    "\n"
    "Runs nuvMSICommit of NuvraDefSet.so on a simulated notebook, prints the log lines that each\n"
    "commit writes, then a report of what the commits changed.\n"
    "\n"
    "  --profile FILE  the notebook (profiles/FORMAT.md); without it, the built-in default\n"
    "  --runs N        N commits of the loaded module, one after another (1 to 1000; default 1)\n"
    "  --json          print the log lines and the report as one JSON document instead\n"
    "  --out DIR       after the run, write drive C to DIR/C, the registry to DIR/registry.reg\n"
    "                  and the command lines started to DIR/commands.txt; DIR is new, empty,\n"
    "                  or holds an earlier output, which is replaced\n"
    "\n"
    "Exit status: 0 when the run completed, 1 when it could not run or its output could not be\n"
    "written, 2 for a bad command line or profile (nothing is run then).\n";

namespace {

[[noreturn]] void Fail(const std::string& message) { throw InputError{std::string(), 0, message}; }

}  // namespace

Options ParseOptions(int argc, char** argv) {
    Options o;
    bool seenProfile = false, seenRuns = false, seenOut = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg = arg.substr(0, arg.find('='));
            inlineValue = true;
        }
        auto take = [&](const char* name) {
            if (inlineValue) return value;
            if (i + 1 >= argc) Fail(std::string(name) + " needs a value");
            return std::string(argv[++i]);
        };
        auto once = [&](bool& seen, const char* name) {
            if (seen) Fail(std::string(name) + " is given twice");
            seen = true;
        };
        if (arg == "--profile") {
            once(seenProfile, "--profile");
            o.profile = take("--profile");
            if (o.profile.empty()) Fail("--profile needs a file name");
        } else if (arg == "--runs") {
            once(seenRuns, "--runs");
            std::string n = take("--runs");
            bool digits = !n.empty() && n.size() <= 4 && n.find_first_not_of("0123456789") == std::string::npos;
            o.runs = digits ? std::stoi(n) : 0;
            if (o.runs < 1 || o.runs > 1000) Fail("--runs takes a number from 1 to 1000, not \"" + n + "\"");
        } else if (arg == "--out") {
            once(seenOut, "--out");
            o.out = take("--out");
            if (o.out.empty()) Fail("--out needs a folder");
        } else if (arg == "--json" && !inlineValue) {
            o.json = true;
        } else if ((arg == "--help" || arg == "-h") && !inlineValue) {
            o.help = true;
        } else {
            Fail("unknown option \"" + std::string(argv[i]) + "\"");
        }
    }
    return o;
}

}  // namespace simtool
