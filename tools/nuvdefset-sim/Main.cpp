// nuvdefset-sim: the library's commit on a simulated notebook. Reads the profile (or takes the
// built-in default), builds the machine, loads NuvraDefSet.so from beside this program as Windows
// Installer loads the DLL, commits once or --runs times, prints each commit's log lines as it
// returns, and then reports what the commits changed; --json prints it all as one document and
// --out writes drive C and the registry afterwards.
#include <cstdio>
#include <exception>
#include <string>
#include "InputError.h"
#include "Notebook.h"
#include "Options.h"
#include "Output.h"
#include "Profile.h"
#include "Report.h"
#include "Run.h"

namespace {

const char kTool[] = "nuvdefset-sim";

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

int Main(int argc, char** argv) {
    simtool::Options options;
    simtool::Profile profile;
    try {
        options = simtool::ParseOptions(argc, argv);
        if (options.help) {
            Print(simtool::kUsage);
            return 0;
        }
        profile = options.profile.empty() ? simtool::DefaultProfile() : simtool::ReadProfileFile(options.profile);
        if (!options.out.empty()) simtool::CheckOutput(options.out);
    } catch (const simtool::InputError& e) {
        std::fprintf(stderr, "%s: %s\n", kTool, e.Text().c_str());
        if (e.file.empty()) std::fprintf(stderr, "%s", simtool::kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", kTool, e.what());
        return 2;
    }

    simtool::BuildNotebook(profile);
    if (!options.json)
        Print("Profile: " + profile.source + "\n" + (profile.description.empty() ? "" : "  " + profile.description + "\n") +
              "\n");
    std::vector<simtool::Commit> commits;
    try {
        commits = simtool::RunCommits(options.runs, [&](const simtool::Commit& c) {
            if (!options.json) Print(simtool::CommitText(c, options.runs));
        });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", kTool, e.what());
        return 1;
    }
    simtool::Report report = simtool::GatherReport(profile, std::move(commits));
    Print(options.json ? simtool::ReportJson(report) : simtool::ReportText(report));

    if (!options.out.empty()) {
        try {
            simtool::WriteOutput(options.out);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", kTool, e.what());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return Main(argc, argv); }
