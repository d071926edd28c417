// A full-screen window of a known picture for the tests that look at what
// a menu makes of the screen beneath it, and a fast copy of screen pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace backdrop {

struct Bgr {
    int b, g, r;
    bool operator==(const Bgr&) const = default;
};
Bgr FromColorRef(COLORREF c);

// The pixels of a rectangle, row by row from the top.
struct Image {
    int width = 0, height = 0;
    std::vector<Bgr> pixels;
    Bgr At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    Bgr& At(int x, int y) { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};
// What the screen shows in the rectangle now.
Image Grab(const RECT& area);

// A window over the whole screen (not top-most) that shows pattern(x, y)
// at every screen point.
class Window {
public:
    using Pattern = std::function<Bgr(int x, int y)>;
    explicit Window(Pattern pattern);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND Handle() const { return FHandle; }
    // Waits until the screen shows the pattern in the rectangle.
    bool WaitShown(const RECT& area, int timeoutMs = 10000);

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    Pattern FPattern;
    std::vector<uint8_t> FBits;  // top-down 24-bit rows of the whole screen
    int FWidth = 0, FHeight = 0;
    HWND FHandle = nullptr;
};

// The picture processing of the menu background written out plainly: the
// in-place 5 x 5 box blur, every channel scaled to 100/256, and the bevel frame.
Image ReferenceBackground(const Image& capture);

}  // namespace backdrop
