#include "backdrop.h"

#include "desktop.h"

namespace backdrop {

Bgr FromColorRef(COLORREF c) {
    return Bgr{static_cast<int>(GetBValue(c)), static_cast<int>(GetGValue(c)), static_cast<int>(GetRValue(c))};
}

Image Grab(const RECT& area) {
    Image image;
    image.width = area.right - area.left;
    image.height = area.bottom - area.top;
    if (image.width <= 0 || image.height <= 0) return image;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP section = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, section);
    ::BitBlt(memory, 0, 0, image.width, image.height, screen, area.left, area.top, SRCCOPY);
    ::GdiFlush();
    const size_t row = (static_cast<size_t>(image.width) * 3 + 3) / 4 * 4;
    image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        const auto* p = static_cast<const uint8_t*>(bits) + row * static_cast<size_t>(y);
        for (int x = 0; x < image.width; ++x, p += 3) image.At(x, y) = Bgr{p[0], p[1], p[2]};
    }
    ::SelectObject(memory, old);
    ::DeleteObject(section);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return image;
}

Window::Window(Pattern pattern) : FPattern(std::move(pattern)) {
    FWidth = ::GetSystemMetrics(SM_CXSCREEN);
    FHeight = ::GetSystemMetrics(SM_CYSCREEN);
    const size_t row = (static_cast<size_t>(FWidth) * 3 + 3) / 4 * 4;
    FBits.resize(row * static_cast<size_t>(FHeight));
    for (int y = 0; y < FHeight; ++y) {
        uint8_t* p = FBits.data() + row * static_cast<size_t>(y);
        for (int x = 0; x < FWidth; ++x, p += 3) {
            const Bgr c = FPattern(x, y);
            p[0] = static_cast<uint8_t>(c.b);
            p[1] = static_cast<uint8_t>(c.g);
            p[2] = static_cast<uint8_t>(c.r);
        }
    }
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Window::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = L"KestovarTestBackdrop";
        ::RegisterClassW(&wc);
        registered = true;
    }
    FHandle = ::CreateWindowExW(0, L"KestovarTestBackdrop", L"Backdrop", WS_POPUP, 0, 0, FWidth, FHeight, nullptr,
                                nullptr, ::GetModuleHandleW(nullptr), this);
    ::ShowWindow(FHandle, SW_SHOW);
    ::UpdateWindow(FHandle);
}

Window::~Window() {
    if (FHandle) ::DestroyWindow(FHandle);
    testdesk::PumpMessages();
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd, &ps);
            if (self) {
                BITMAPINFO info{};
                info.bmiHeader.biSize = sizeof info.bmiHeader;
                info.bmiHeader.biWidth = self->FWidth;
                info.bmiHeader.biHeight = -self->FHeight;
                info.bmiHeader.biPlanes = 1;
                info.bmiHeader.biBitCount = 24;
                ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(self->FWidth), static_cast<DWORD>(self->FHeight), 0,
                                    0, 0, static_cast<UINT>(self->FHeight), self->FBits.data(), &info, DIB_RGB_COLORS);
            }
            ::EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

bool Window::WaitShown(const RECT& area, int timeoutMs) {
    return testdesk::WaitUntil(
        [&] {
            const Image shown = Grab(area);
            for (int y = 0; y < shown.height; ++y)
                for (int x = 0; x < shown.width; ++x)
                    if (shown.At(x, y) != FPattern(area.left + x, area.top + y)) return false;
            return true;
        },
        timeoutMs);
}

Image ReferenceBackground(const Image& capture) {
    Image g = capture;
    const int w = g.width, h = g.height;
    if (w >= 5 && h >= 5) {
        for (int y = 2; y <= h - 3; ++y)
            for (int x = 2; x <= w - 3; ++x) {
                int sb = 0, sg = 0, sr = 0;
                for (int dy = -2; dy <= 2; ++dy)
                    for (int dx = -2; dx <= 2; ++dx) {
                        const Bgr c = g.At(x + dx, y + dy);
                        sb += c.b;
                        sg += c.g;
                        sr += c.r;
                    }
                g.At(x, y) = Bgr{sb / 25, sg / 25, sr / 25};
            }
    }
    for (Bgr& c : g.pixels) c = Bgr{c.b * 100 / 256, c.g * 100 / 256, c.r * 100 / 256};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Bgr& c = g.At(x, y);
            auto apply = [&c](int (*f)(int)) { c = Bgr{f(c.b), f(c.g), f(c.r)}; };
            if (x == w - 1 || y == h - 1)
                apply([](int v) { return v * 96 / 256; });
            else if (x == 0 || y == 0)
                apply([](int v) { return v + (255 - v) * 160 / 256; });
            else if (x == w - 2 || y == h - 2)
                apply([](int v) { return v * 128 / 256; });
        }
    return g;
}

}  // namespace backdrop
