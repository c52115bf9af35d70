// The report as one JSON document: the same content as the text, with absent values as null.
#include <nlohmann/json.hpp>
#include "Report.h"

namespace simtool {

namespace {

using Json = nlohmann::ordered_json;

Json Optional(const std::optional<std::string>& v) { return v ? Json(*v) : Json(nullptr); }
Json Optional(const std::optional<uint32_t>& v) { return v ? Json(*v) : Json(nullptr); }

Json Setting(const SettingState& s) {
    return Json{{"name", s.name}, {"subgroup", s.subgroup}, {"setting", s.setting}, {"ac", Optional(s.ac)},
                {"dc", Optional(s.dc)}};
}

Json Line(const LogLine& line) {
    return Json{{"file", line.file}, {"stamp", line.Stamp()}, {"message", line.Message()}};
}

Json Visit(const AdapterVisit& v) {
    Json keys = Json::array();
    for (const FallbackKey& k : v.fallbackKeys) keys.push_back(Json{{"key", "HKLM\\" + k.key}, {"opened", k.opened}, {"written", k.written}});
    Json j{{"commit", v.commit}, {"outcome", v.handled ? "handled" : "skipped"}};
    j["skipReason"] = v.handled ? Json(nullptr) : Json(v.skipReason);
    j["wmiWrites"] = v.wmiWrites;
    j["registryFallback"] = v.fallback;
    j["fallbackKeys"] = keys;
    return j;
}

}  // namespace

std::string ReportJson(const Report& r) {
    Json commits = Json::array();
    for (const Commit& c : r.commits) {
        Json log = Json::array();
        for (const LogLine& line : c.lines) log.push_back(Line(line));
        commits.push_back(Json{{"commit", c.number}, {"result", c.result}, {"log", log}});
    }
    Json settings = Json::array();
    for (const SettingState& s : r.plan.settings) settings.push_back(Setting(s));
    Json adapters = Json::array();
    for (const AdapterState& a : r.adapters) {
        Json visits = Json::array();
        for (const AdapterVisit& v : a.visits) visits.push_back(Visit(v));
        adapters.push_back(Json{{"description", a.description},
                                {"instance", a.instance},
                                {"enumerator", a.enumerator},
                                {"driverKey", a.driverKey.empty() ? Json(nullptr) : Json(a.driverKey)},
                                {"present", a.present},
                                {"visits", visits}});
    }
    Json errors = Json::array();
    for (const ErrorLine& e : r.errors) {
        Json line = Line(e.line);
        line["commit"] = e.commit;
        errors.push_back(line);
    }
    Json results = Json::array();
    for (const Commit& c : r.commits) results.push_back(c.result);

    Json doc{
        {"profile", r.profile},
        {"description", r.description},
        {"commits", commits},
        {"optimizedPlan",
         {{"guid", r.plan.guid},
          {"present", r.plan.present},
          {"name", Optional(r.plan.name)},
          {"description", Optional(r.plan.description)},
          {"active", r.plan.active},
          {"activeScheme", Optional(r.plan.activeScheme)},
          {"preferred", r.plan.preferred},
          {"preferredPlan", Optional(r.plan.preferredPlan)},
          {"hibernateFileSize", Optional(r.plan.hibernateFileSize)},
          {"settings", settings}}},
        {"balancedPlan", {{"guid", r.balanced.guid}, {"present", r.balanced.present}, {"ahci", Setting(r.balanced.ahci)}}},
        {"adapters", adapters},
        {"enumerationFailed", r.enumerationFailed},
        {"errors", errors},
        {"results", results},
    };
    return doc.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace simtool
