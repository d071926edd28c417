// The Win32 floor of the start-up benches: the least a plain Win32 program
// must do to show what the bar or the menu shows, so that the benches can
// tell the system's cost from the programs' own. It shows one top-most popup
// holding a row or a column of child windows, one window per button, each
// painting itself: a fill, the icon of one target asked of the shell once
// (SHGetFileInfoW, as the programs ask once per target) and a caption in one
// shared font. It runs a message loop until it is ended.
//
//   bare_rows.exe COUNT across|down X Y WIDTH HEIGHT [TARGET]
//
// COUNT children of WIDTH x HEIGHT, side by side (across) or one below the
// other (down), inside a one-pixel ring of the popup placed at X, Y; TARGET,
// when given, is the file whose small icon every child draws.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

constexpr COLORREF kRing = RGB(0x20, 0x40, 0x60);
constexpr COLORREF kFace = RGB(0x60, 0x40, 0x20);

HICON g_icon = nullptr;
HFONT g_font = nullptr;
HBRUSH g_face = nullptr;

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ChildProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        RECT r;
        ::GetClientRect(hwnd, &r);
        ::FillRect(dc, &r, g_face);
        if (g_icon) ::DrawIconEx(dc, 2, (r.bottom - 16) / 2, g_icon, 16, 16, 0, nullptr, DI_NORMAL);
        wchar_t caption[32];
        const int n = ::GetWindowTextW(hwnd, caption, 32);
        HGDIOBJ old = ::SelectObject(dc, g_font);
        ::SetBkMode(dc, TRANSPARENT);
        ::TextOutW(dc, 24, 3, caption, n);
        ::SelectObject(dc, old);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 7) return 2;
    const int count = _wtoi(argv[1]);
    const bool across = std::wcscmp(argv[2], L"across") == 0;
    const int x = _wtoi(argv[3]), y = _wtoi(argv[4]), w = _wtoi(argv[5]), h = _wtoi(argv[6]);
    if (argc > 7) {
        SHFILEINFOW info{};
        if (::SHGetFileInfoW(argv[7], FILE_ATTRIBUTE_ARCHIVE, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON))
            g_icon = info.hIcon;
    }
    g_font = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    g_face = ::CreateSolidBrush(kFace);

    WNDCLASSW wc{};
    wc.lpfnWndProc = PopupProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = ::CreateSolidBrush(kRing);
    wc.lpszClassName = L"BareRows";
    if (!::RegisterClassW(&wc)) return 1;
    wc.lpfnWndProc = ChildProc;
    wc.hbrBackground = nullptr;
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = L"BareRow";
    if (!::RegisterClassW(&wc)) return 1;

    const int width = across ? count * w + 2 : w + 2, height = across ? h + 2 : count * h + 2;
    HWND popup = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"BareRows", L"Bare", WS_POPUP | WS_CLIPCHILDREN,
                                   x, y, width, height, nullptr, nullptr, instance, nullptr);
    if (!popup) return 1;
    for (int i = 0; i < count; ++i) {
        const std::wstring caption = L"Item " + std::to_wstring(i);
        if (!::CreateWindowExW(0, L"BareRow", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                               across ? 1 + i * w : 1, across ? 1 : 1 + i * h, w, h, popup,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), instance, nullptr))
            return 1;
    }
    ::ShowWindow(popup, SW_SHOW);
    ::UpdateWindow(popup);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
