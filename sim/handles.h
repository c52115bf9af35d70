// The handle table of the simulated machine. Every handle that a simulated call gives out is
// counted until it is closed, so tests can assert that nothing leaks.
#pragma once
#include <cstdint>
#include <map>
#include <memory>

namespace sim {

enum class HandleKind { RegistryKey, Process, Thread, DeviceInfoSet, Resource, Other };

class Handles {
public:
    void* Add(HandleKind kind, std::shared_ptr<void> object);
    template <class T>
    T* Get(void* handle, HandleKind kind) {
        auto it = m_open.find(reinterpret_cast<uintptr_t>(handle));
        if (it == m_open.end() || it->second.kind != kind) return nullptr;
        return static_cast<T*>(it->second.object.get());
    }
    HandleKind* KindOf(void* handle);
    bool Close(void* handle, HandleKind kind);
    bool Close(void* handle);  // any kind
    size_t Open() const { return m_open.size(); }
    size_t Open(HandleKind kind) const;

private:
    struct Entry {
        HandleKind kind;
        std::shared_ptr<void> object;
    };
    std::map<uintptr_t, Entry> m_open;
    uintptr_t m_next = 0x1000;
};

}  // namespace sim
