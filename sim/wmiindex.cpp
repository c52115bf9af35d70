#include "wmiindex.h"
#include "wmi.h"

namespace sim {

namespace {

wstring Folded(wstring_view text) {
    wstring out(text);
    for (WCHAR& c : out) c = FoldCase(c);
    return out;
}

uint64_t Piece(const WCHAR* at) {
    return (static_cast<uint64_t>(at[0]) << 32) | (static_cast<uint64_t>(at[1]) << 16) | at[2];
}

}  // namespace

bool WmiNameIndex::Describes(const std::vector<WmiInstance>& instances) const {
    return m_data == instances.data() && m_size == instances.size();
}

void WmiNameIndex::Build(const std::vector<WmiInstance>& instances) {
    m_data = instances.data();
    m_size = instances.size();
    m_pieces.clear();
    m_names.clear();
    for (uint32_t i = 0; i < instances.size(); ++i) {
        const wstring* name = instances[i].InstanceNameText();
        if (!name) continue;
        wstring folded = Folded(*name);
        m_names.emplace(folded, i);
        for (size_t at = 0; at + 3 <= folded.size(); ++at) {
            std::vector<uint32_t>& holders = m_pieces[Piece(folded.data() + at)];
            if (holders.empty() || holders.back() != i) holders.push_back(i);
        }
    }
}

std::optional<std::vector<uint32_t>> WmiNameIndex::Candidates(const std::vector<wstring>& runs) const {
    const std::vector<uint32_t>* rarest = nullptr;
    static const std::vector<uint32_t> kNone;
    for (const wstring& run : runs) {
        for (size_t at = 0; at + 3 <= run.size(); ++at) {
            auto it = m_pieces.find(Piece(run.data() + at));
            const std::vector<uint32_t>* holders = it == m_pieces.end() ? &kNone : &it->second;
            if (!rarest || holders->size() < rarest->size()) rarest = holders;
        }
    }
    if (!rarest) return std::nullopt;
    return *rarest;
}

std::optional<uint32_t> WmiNameIndex::Find(wstring_view name) const {
    auto it = m_names.find(Folded(name));
    if (it == m_names.end()) return std::nullopt;
    return it->second;
}

}  // namespace sim
