#include "kdrawmenu.h"

#include "fmenu.h"

#include <algorithm>
#include <cstdint>
#include <vector>

void KDrawCaptureScreenAt(int left, int top, TBitmap* bitmap) {
    if (!bitmap || bitmap->Empty()) return;
    const int w = bitmap->Width(), h = bitmap->Height();
    // Only the part on the screen is copied (a copy that reaches past the
    // screen can fail whole); what lies off the screen is black.
    const RECT screen{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                      ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    // Worked out in 64 bits: a rectangle near the end of the int range must
    // not wrap round onto the screen.
    const long long wantedRight = static_cast<long long>(left) + w, wantedBottom = static_cast<long long>(top) + h;
    const long long partLeft = std::max<long long>(left, screen.left), partTop = std::max<long long>(top, screen.top);
    const long long partRight = std::min<long long>(wantedRight, screen.right);
    const long long partBottom = std::min<long long>(wantedBottom, screen.bottom);
    const bool any = partLeft < partRight && partTop < partBottom;
    const bool whole = any && partLeft == left && partTop == top && partRight == wantedRight && partBottom == wantedBottom;
    HDC dc = bitmap->Canvas()->Handle();
    if (!whole) ::PatBlt(dc, 0, 0, w, h, BLACKNESS);
    if (!any) return;
    // Inside the screen now, so every value fits in an int.
    const RECT part{static_cast<LONG>(partLeft), static_cast<LONG>(partTop), static_cast<LONG>(partRight),
                    static_cast<LONG>(partBottom)};
    HDC source = ::GetDC(nullptr);
    ::BitBlt(dc, part.left - left, part.top - top, part.right - part.left, part.bottom - part.top, source, part.left,
             part.top, SRCCOPY);
    ::ReleaseDC(nullptr, source);
}

void KDrawCaptureScreen(TKMenu* menu, TBitmap* bitmap) {
    if (!menu) return;
    KDrawCaptureScreenAt(menu->Left(), menu->Top(), bitmap);
}

void KDrawBlur(TBitmap* bitmap) {
    if (!bitmap) return;
    bitmap->SetPixelFormat(pf24bit);
    const int w = bitmap->Width(), h = bitmap->Height();
    if (w < 5 || h < 5) return;
    const size_t units = static_cast<size_t>(w) * 3;
    std::vector<uint8_t*> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) rows[static_cast<size_t>(y)] = static_cast<uint8_t*>(bitmap->ScanLine(y));

    // While row y is filtered, the four other rows of its windows do not
    // change: the two above hold their filtered values, the two below their
    // original ones. Their column sums are taken once per row; the centre
    // row is read as it stands, which gives the filtered values left of the
    // pixel and the original ones from it on.
    std::vector<int> columns(units);
    for (int y = 2; y < h - 2; ++y) {
        const uint8_t* a = rows[static_cast<size_t>(y - 2)];
        const uint8_t* b = rows[static_cast<size_t>(y - 1)];
        const uint8_t* d = rows[static_cast<size_t>(y + 1)];
        const uint8_t* e = rows[static_cast<size_t>(y + 2)];
        for (size_t k = 0; k < units; ++k) columns[k] = a[k] + b[k] + d[k] + e[k];
        uint8_t* row = rows[static_cast<size_t>(y)];
        for (int c = 0; c < 3; ++c) {
            // Sum of the four other rows over columns x - 2 .. x + 2, slid along the row.
            int others = 0;
            for (int x = 0; x < 5; ++x) others += columns[static_cast<size_t>(x) * 3 + static_cast<size_t>(c)];
            for (int x = 2; x < w - 2; ++x) {
                if (x > 2) {
                    others += columns[static_cast<size_t>(x + 2) * 3 + static_cast<size_t>(c)] -
                              columns[static_cast<size_t>(x - 3) * 3 + static_cast<size_t>(c)];
                }
                uint8_t* p = row + static_cast<size_t>(x) * 3 + static_cast<size_t>(c);
                const int centre = p[-6] + p[-3] + p[0] + p[3] + p[6];
                *p = static_cast<uint8_t>((others + centre) / 25);
            }
        }
    }
}

void KDrawMenuFrame(TBitmap* bitmap) {
    if (!bitmap) return;
    bitmap->SetPixelFormat(pf24bit);
    const int w = bitmap->Width(), h = bitmap->Height();
    if (w == 0 || h == 0) return;
    auto dark = [](uint8_t* p) {
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] * 96 / 256);
    };
    auto light = [](uint8_t* p) {
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] + (255 - p[c]) * 160 / 256);
    };
    auto shadow = [](uint8_t* p) {
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] * 128 / 256);
    };
    for (int y = 0; y < h; ++y) {
        auto* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
        for (int x = 0; x < w; ++x) {
            uint8_t* p = row + static_cast<size_t>(x) * 3;
            if (x == w - 1 || y == h - 1)
                dark(p);
            else if (x == 0 || y == 0)
                light(p);
            else if (x == w - 2 || y == h - 2)
                shadow(p);
        }
    }
}
