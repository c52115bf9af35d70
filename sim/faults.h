// Staged faults and the record of calls. A fault names an API function, optionally a text that the
// call's subject must contain (a key path, a file name, a command line; case ignored), and which
// matching call fails: the nth (1-based) or every one (0). The API function then returns `result`
// and sets `lastError` where the function reports through GetLastError. A fault marked `whole`
// matches only a call whose subject is its subject entire (case ignored), not one that contains it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "text.h"

namespace sim {

struct Fault {
    std::string api;
    wstring subject;      // empty: any call of the function
    int nth = 0;          // 0: every matching call
    int64_t result = 0;   // the function's result (a status, HRESULT, or FALSE)
    uint32_t lastError = 0;
    int seen = 0;         // matching calls so far
    bool whole = false;   // the subject must be the call's whole subject
};

class Faults {
public:
    void Add(Fault fault) { m_faults.push_back(std::move(fault)); }
    void Clear() { m_faults.clear(); }
    // Counts the call against every fault of `api` whose subject matches and returns the one that fires.
    std::optional<Fault> Hit(const char* api, wstring_view subject);

private:
    std::vector<Fault> m_faults;
};

struct Call {
    std::string api;
    wstring detail;
};

class CallRecord {
public:
    void Add(const char* api, wstring detail) { m_calls.push_back({api, std::move(detail)}); }
    const std::vector<Call>& All() const { return m_calls; }
    std::vector<Call> Of(const std::string& api) const;
    size_t Count(const std::string& api) const;
    void Clear() { m_calls.clear(); }

private:
    std::vector<Call> m_calls;
};

}  // namespace sim
