// The yardstick of the menu's start-up bench: a bare Win32 program that
// shows one top-most popup window of a menu's size and place, painted in one
// colour, and runs a message loop until it is ended.
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
    wc.hbrBackground = ::CreateSolidBrush(RGB(0x20, 0x40, 0x60));
    wc.lpszClassName = L"BarePopup";
    if (!::RegisterClassW(&wc)) return 1;
    HWND hwnd = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"BarePopup", L"Bare", WS_POPUP, 100, 200, 150, 23,
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
