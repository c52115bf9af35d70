// Windows and messages (user32): FindWindowW, EnumChildWindows, GetClientRect, SendMessageW.
#include "windows.h"
#include "machine.h"
#include "win/kernel.h"
#include "win/user.h"

namespace sim {

HWND WindowSystem::Add(wstring className, wstring text, LONG width, LONG height, HWND parent) {
    HWND hwnd = reinterpret_cast<HWND>(m_next);
    m_next += 0x10;
    m_windows[hwnd] = Window{std::move(className), std::move(text), width, height, parent, {}};
    if (parent)
        m_windows[parent].children.push_back(hwnd);
    else
        m_topLevel.insert(m_topLevel.begin(), hwnd);
    return hwnd;
}

Window* WindowSystem::Find(HWND hwnd) {
    auto it = m_windows.find(hwnd);
    return it == m_windows.end() ? nullptr : &it->second;
}

}  // namespace sim

using sim::machine;

HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName) {
    machine().calls.Add("FindWindowW", sim::FromNullable(lpClassName) + u" | " + sim::FromNullable(lpWindowName));
    for (HWND hwnd : machine().windows.TopLevel()) {
        const sim::Window* w = machine().windows.Find(hwnd);
        if (lpClassName && !sim::EqualsNoCase(w->className, lpClassName)) continue;
        if (lpWindowName && w->text != lpWindowName) continue;
        return hwnd;
    }
    return nullptr;
}

namespace {

// Visits every descendant, parents before their children; false when the callback ended it.
bool VisitDescendants(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
    const sim::Window* w = machine().windows.Find(parent);
    if (!w) return true;
    std::vector<HWND> children = w->children;
    for (HWND child : children) {
        if (!proc(child, lParam)) return false;
        if (!VisitDescendants(child, proc, lParam)) return false;
    }
    return true;
}

}  // namespace

BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    machine().calls.Add("EnumChildWindows", u"");
    if (!lpEnumFunc) return FALSE;
    VisitDescendants(hWndParent, lpEnumFunc, lParam);
    return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    const sim::Window* w = machine().windows.Find(hWnd);
    if (!w || !lpRect) {
        SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
        return FALSE;
    }
    *lpRect = RECT{0, 0, w->width, w->height};
    return TRUE;
}

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    sim::Window* w = machine().windows.Find(hWnd);
    machine().calls.Add("SendMessageW", sim::FromUtf8(std::to_string(Msg)));
    if (!w) {
        SetLastError(1400);
        return 0;
    }
    if (Msg == WM_SETTEXT) {
        w->text = sim::FromNullable(reinterpret_cast<LPCWSTR>(lParam));
        return TRUE;
    }
    if (Msg == WM_GETTEXT) {
        auto* out = reinterpret_cast<LPWSTR>(lParam);
        if (!out || wParam == 0) return 0;
        size_t n = w->text.size() < wParam - 1 ? w->text.size() : wParam - 1;
        w->text.copy(out, n);
        out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    return 0;
}
