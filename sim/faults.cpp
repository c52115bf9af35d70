#include "faults.h"

namespace sim {

std::optional<Fault> Faults::Hit(const char* api, wstring_view subject) {
    std::optional<Fault> fired;
    for (Fault& fault : m_faults) {
        if (fault.api != api) continue;
        if (fault.whole ? !EqualsNoCase(subject, fault.subject)
                        : !fault.subject.empty() && !ContainsNoCase(subject, fault.subject))
            continue;
        ++fault.seen;
        if (!fired && (fault.nth == 0 || fault.nth == fault.seen)) fired = fault;
    }
    return fired;
}

std::vector<Call> CallRecord::Of(const std::string& api) const {
    std::vector<Call> out;
    for (const Call& call : m_calls)
        if (call.api == api) out.push_back(call);
    return out;
}

size_t CallRecord::Count(const std::string& api) const {
    size_t n = 0;
    for (const Call& call : m_calls)
        if (call.api == api) ++n;
    return n;
}

}  // namespace sim
