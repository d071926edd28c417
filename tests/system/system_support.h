// Helpers of the whole-system test and benchmark: the bar's windows, the
// menu program's run that the bar started, and the expected place of a menu
// opened under a bar button.
#pragma once

#include <windows.h>

#include <string>

#include "bar_test_support.h"
#include "desktop.h"
#include "pelnor_harness.h"

namespace systest {

// The process that owns a window, opened so that its end, its exit code and
// its program file can be read (and it can be ended after a failure).
inline testdesk::Process ProcessOf(HWND hwnd) {
    testdesk::Process p;
    ::GetWindowThreadProcessId(hwnd, &p.pid);
    p.handle = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, p.pid);
    return p;
}

// The full path of the program file of a process, empty when unknown.
inline std::wstring ImagePath(const testdesk::Process& p) {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!p.handle || !::QueryFullProcessImageNameW(p.handle, 0, path, &size)) return L"";
    return std::wstring(path, size);
}

inline bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Waits for a visible menu window (class TKMenu) of a menu program that
// runs now; null on time-out.
inline HWND WaitAnyMenu(int timeoutMs = 15000) { return pelnor::WaitMenu(0, 1, timeoutMs); }

// Waits until the bar has handled everything queued before (a click's launch
// holds it for a while).
inline bool BarIdle(HWND bar, int timeoutMs = 15000) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(bar, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeoutMs), &result) != 0;
}

// The visible button i of the bar on the screen; empty when there is none.
inline RECT ButtonOnScreen(HWND bar, size_t i) {
    const auto rects = bartest::VisibleButtons(bar);
    if (i >= rects.size()) return RECT{};
    RECT r = rects[i];
    ::MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The top-left corner at which a menu opened by button i must stand: the
// bar's left plus the button's left, and the bar's bottom.
inline POINT PointUnder(HWND bar, size_t i) {
    const auto rects = bartest::VisibleButtons(bar);
    const RECT b = testdesk::ScreenRect(bar);
    if (i >= rects.size()) return POINT{-1, -1};
    return POINT{b.left + rects[i].left, b.top + (b.bottom - b.top)};
}

}  // namespace systest
