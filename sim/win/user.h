// Windows and messages of the simulated machine (user32).
#pragma once
#include "types.h"

#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D

typedef BOOL (CALLBACK* WNDENUMPROC)(HWND, LPARAM);

HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);
BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam);
BOOL GetClientRect(HWND hWnd, LPRECT lpRect);
LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
