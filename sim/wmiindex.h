// An index of the instance names of one WMI class, so that a query over a class with thousands of
// instances (a notebook with a thousand adapters) looks only at the few whose names can match,
// as a provider's own lookup by key would, instead of at every instance for every query.
//
// Names are indexed folded, by every three-character piece they contain. A LIKE pattern's literal
// runs must all stand in a matching name, so the instances holding the rarest piece of them are
// the only candidates; the caller still matches each candidate against the whole pattern.
//
// The index describes the instances vector it was built from, recognised by its address and
// size: adding or removing instances is seen, and the index is rebuilt. An instance's
// InstanceName is its key and does not change in place, except in case (PutInstance).
#pragma once
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>
#include "text.h"

namespace sim {

struct WmiInstance;

class WmiNameIndex {
public:
    bool Describes(const std::vector<WmiInstance>& instances) const;
    void Build(const std::vector<WmiInstance>& instances);

    // Positions, in order, of the instances whose names hold every piece of `runs` (folded literal
    // runs of a pattern); nullopt when no run is three characters long, so that all must be tried.
    std::optional<std::vector<uint32_t>> Candidates(const std::vector<wstring>& runs) const;
    // The position of the first instance of that name, case ignored.
    std::optional<uint32_t> Find(wstring_view name) const;

private:
    const WmiInstance* m_data = nullptr;
    size_t m_size = 0;
    std::unordered_map<uint64_t, std::vector<uint32_t>> m_pieces;
    std::unordered_map<wstring, uint32_t> m_names;  // folded name: first position
};

}  // namespace sim
