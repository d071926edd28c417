// The yardstick of the bar's start-up bench: a bare Win32 program that shows
// one top-most popup window of the bar's size, place and colour, and runs a
// message loop until it is closed.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = ::CreateSolidBrush(RGB(0x00, 0x4E, 0x98));  // the bar's colour
    wc.lpszClassName = L"BareWindow";
    if (!::RegisterClassW(&wc)) return 1;
    HWND hwnd = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"BareWindow", L"Bare", WS_POPUP, 0, 0, 33, 22,
                                  nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
