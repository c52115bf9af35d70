#include "handles.h"

namespace sim {

void* Handles::Add(HandleKind kind, std::shared_ptr<void> object) {
    uintptr_t value = m_next;
    m_next += 4;
    m_open.emplace(value, Entry{kind, std::move(object)});
    return reinterpret_cast<void*>(value);
}

HandleKind* Handles::KindOf(void* handle) {
    auto it = m_open.find(reinterpret_cast<uintptr_t>(handle));
    return it == m_open.end() ? nullptr : &it->second.kind;
}

bool Handles::Close(void* handle, HandleKind kind) {
    auto it = m_open.find(reinterpret_cast<uintptr_t>(handle));
    if (it == m_open.end() || it->second.kind != kind) return false;
    m_open.erase(it);
    return true;
}

bool Handles::Close(void* handle) { return m_open.erase(reinterpret_cast<uintptr_t>(handle)) > 0; }

size_t Handles::Open(HandleKind kind) const {
    size_t n = 0;
    for (const auto& [value, entry] : m_open)
        if (entry.kind == kind) ++n;
    return n;
}

}  // namespace sim
