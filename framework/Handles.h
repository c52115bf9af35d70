// Owning handle types: one small type per kind of handle, closed by its destructor on every path.
#pragma once
#include "../platform/Platform.h"

template <class T, class Close, T Invalid>
class CUniqueHandle {
public:
    CUniqueHandle() = default;
    explicit CUniqueHandle(T value) : m_value(value) {}
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    ~CUniqueHandle() { Reset(); }

    T Get() const { return m_value; }
    bool IsValid() const { return m_value != Invalid; }
    // The address to receive a new value; the old one is closed first.
    T* Put() {
        Reset();
        return &m_value;
    }
    void Reset(T value = Invalid) {
        if (m_value != Invalid) Close()(m_value);
        m_value = value;
    }

private:
    T m_value = Invalid;
};

struct CCloseRegKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
struct CCloseKernelHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct CFreeLocal {
    void operator()(HLOCAL memory) const { LocalFree(memory); }
};

using CRegKeyHandle = CUniqueHandle<HKEY, CCloseRegKey, nullptr>;
using CKernelHandle = CUniqueHandle<HANDLE, CCloseKernelHandle, nullptr>;
using CLocalBuffer = CUniqueHandle<HLOCAL, CFreeLocal, nullptr>;

// The process and thread handles that a successful CreateProcessW gives: the process handle is
// closed first, then the thread handle. The process itself goes on running.
class CProcessHandles {
public:
    explicit CProcessHandles(const PROCESS_INFORMATION& info) : m_process(info.hProcess), m_thread(info.hThread) {}
    ~CProcessHandles() {
        m_process.Reset();
        m_thread.Reset();
    }
    HANDLE Process() const { return m_process.Get(); }

private:
    CKernelHandle m_process;
    CKernelHandle m_thread;
};

// A SetupAPI device information set, destroyed with its list; INVALID_HANDLE_VALUE when none was made.
class CDeviceInfoList {
public:
    explicit CDeviceInfoList(HDEVINFO set) : m_set(set) {}
    CDeviceInfoList(const CDeviceInfoList&) = delete;
    CDeviceInfoList& operator=(const CDeviceInfoList&) = delete;
    ~CDeviceInfoList() {
        if (IsValid()) SetupDiDestroyDeviceInfoList(m_set);
    }

    HDEVINFO Get() const { return m_set; }
    bool IsValid() const { return m_set != INVALID_HANDLE_VALUE; }

private:
    HDEVINFO m_set;
};
