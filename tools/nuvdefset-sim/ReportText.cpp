// The report for people: plain text, UTF-8, one block per subject.
#include <cstdio>
#include <sstream>
#include "Report.h"

namespace simtool {

namespace {

std::string Or(const std::optional<std::string>& text, const char* missing) { return text ? *text : missing; }

std::string Value(const std::optional<uint32_t>& v) { return v ? std::to_string(*v) : "-"; }

std::string Pad(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string PadLeft(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string YesNo(bool b) { return b ? "yes" : "no"; }

void Plan(std::ostream& out, const PlanState& p) {
    out << "Optimised plan " << p.guid << (p.present ? "" : ": not in the power store") << "\n";
    out << "  name          " << Or(p.name, "-") << "\n";
    out << "  description   " << Or(p.description, "-") << "\n";
    out << "  active        " << YesNo(p.active);
    if (!p.active) out << " (the active scheme is " << Or(p.activeScheme, "not set") << ")";
    out << "\n";
    out << "  preferred     " << YesNo(p.preferred);
    if (!p.preferred) out << " (PreferredPlan is " << Or(p.preferredPlan, "not set") << ")";
    out << "\n";
    out << "  hibernation file size  " << (p.hibernateFileSize ? std::to_string(*p.hibernateFileSize) + " percent" : "-")
        << "\n";
    if (!p.present) {
        out << "  settings      none: the plan is not in the power store\n";
        return;
    }
    out << "  settings\n";
    out << "    " << Pad("subgroup", 37) << Pad("setting", 37) << PadLeft("AC", 6) << PadLeft("DC", 7) << "  name\n";
    for (const SettingState& s : p.settings)
        out << "    " << Pad(s.subgroup, 37) << Pad(s.setting, 37) << PadLeft(Value(s.ac), 6) << PadLeft(Value(s.dc), 7)
            << "  " << s.name << "\n";
}

void Balanced(std::ostream& out, const BalancedState& b) {
    out << "Balanced plan " << b.guid << (b.present ? "" : ": not in the power store") << "\n";
    out << "  " << b.ahci.name << " (" << b.ahci.subgroup << " " << b.ahci.setting << "): AC " << Value(b.ahci.ac)
        << ", DC " << Value(b.ahci.dc) << "\n";
}

void Visit(std::ostream& out, const AdapterVisit& v, bool numbered) {
    std::string indent = "    ";
    if (numbered) out << indent << "commit " << v.commit << ":\n", indent += "  ";
    if (!v.handled) {
        out << indent << "skipped: " << v.skipReason << "\n";
        return;
    }
    out << indent << "handled: "
        << (v.fallback ? "WMI failed after " + std::to_string(v.wmiWrites.size()) + " of 3 writes; registry fallback"
                       : "through WMI")
        << "\n";
    for (const std::string& w : v.wmiWrites) out << indent << "  WMI write " << w << "\n";
    for (const FallbackKey& k : v.fallbackKeys)
        out << indent << "  "
            << (k.written ? "PnPCapabilities = 0x120 written in " : k.opened ? "not written, though opened: " : "not opened: ")
            << "HKLM\\" << k.key << "\n";
}

void Adapters(std::ostream& out, const Report& r) {
    out << "Network adapters\n";
    for (int commit : r.enumerationFailed)
        out << "  commit " << commit << ": the network devices could not be listed; no adapter was visited\n";
    if (r.adapters.empty() && r.enumerationFailed.empty()) out << "  no network device was visited\n";
    bool numbered = r.commits.size() > 1;
    for (const AdapterState& a : r.adapters) {
        out << "  " << a.description << "\n";
        out << "    " << a.instance << ", " << (a.driverKey.empty() ? std::string("no driver") : "driver " + a.driverKey)
            << (a.present ? "" : ", not present") << "\n";
        for (const AdapterVisit& v : a.visits) Visit(out, v, numbered);
    }
}

}  // namespace

std::string CommitText(const Commit& c, int runs) {
    std::ostringstream out;
    out << "Commit " << c.number << " of " << runs << "\n";
    std::string file;
    for (const LogLine& line : c.lines) {
        if (line.file != file) out << "  log " << line.file << "\n";
        file = line.file;
        out << "    " << line.text << "\n";
    }
    if (c.lines.empty()) out << "  no line reached a log file\n";
    out << "  nuvMSICommit returned " << c.result << "\n\n";
    return out.str();
}

std::string ReportText(const Report& r) {
    std::ostringstream out;
    Plan(out, r.plan);
    out << "\n";
    Balanced(out, r.balanced);
    out << "\n";
    Adapters(out, r);
    out << "\n";
    out << "Errors in the log\n";
    for (const ErrorLine& e : r.errors)
        out << "  " << (r.commits.size() > 1 ? "commit " + std::to_string(e.commit) + ": " : std::string()) << e.line.text
            << "\n";
    if (r.errors.empty()) out << "  none\n";
    out << "\n";
    out << "Result\n";
    for (const Commit& c : r.commits)
        out << "  " << (r.commits.size() > 1 ? "commit " + std::to_string(c.number) + ": " : std::string())
            << "nuvMSICommit returned " << c.result << "\n";
    return out.str();
}

}  // namespace simtool
