// Windows of the simulated machine: top-level windows in z-order, each with its class, title, text,
// client size and child windows.
#pragma once
#include <map>
#include <vector>
#include "text.h"

namespace sim {

struct Window {
    wstring className;
    wstring text;  // the title of a top-level window, the text of a control
    LONG width = 0;
    LONG height = 0;
    HWND parent = nullptr;
    std::vector<HWND> children;
};

class WindowSystem {
public:
    // Adds a window on top of the z-order (or as the last child of `parent`).
    HWND Add(wstring className, wstring text, LONG width, LONG height, HWND parent = nullptr);
    Window* Find(HWND hwnd);
    const std::vector<HWND>& TopLevel() const { return m_topLevel; }

private:
    std::map<HWND, Window> m_windows;
    std::vector<HWND> m_topLevel;  // first is topmost
    uintptr_t m_next = 0x10010;
};

}  // namespace sim
