// Bitmaps on DIB sections, pictures, and the canvas operations that draw
// bitmaps.
//
// A bitmap of width or height 0 has no section: Handle() is null, ScanLine
// raises EInvalidGraphicOperation, drawing it does nothing, and its canvas
// draws into the memory DC's default one-pixel bitmap, which nobody sees.
// The memory DC and the canvas live as long as the bitmap, so a canvas
// pointer stays valid across size and format changes; the new section is
// selected into the same DC.
//
// A bitmap that is still white everywhere, and whose canvas was never asked
// for, has no section yet: it is made when the image is first asked for
// (Handle, ScanLine, Canvas, ReleaseHandle, a copy into a bitmap that has a
// canvas). Sizes and formats set one after another before anything is drawn
// then make one section instead of one each.

#include "graphics.h"
#include "probe.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

int BitsPerPixel(TPixelFormat format) { return format == pf24bit ? 24 : 32; }
size_t BytesPerPixel(TPixelFormat format) { return format == pf24bit ? 3 : 4; }

// Bytes of one scan line: DIB rows are padded to a multiple of 4 bytes.
size_t RowBytes(int width, TPixelFormat format) {
    return (static_cast<size_t>(width) * static_cast<size_t>(BitsPerPixel(format)) + 31) / 32 * 4;
}

// Fills a section with white. The unused fourth byte of a 32-bit pixel is 0,
// as GDI leaves it when it draws.
void FillWhite(void* bits, int width, int height, TPixelFormat format) {
    const size_t row = RowBytes(width, format);
    if (format == pf24bit) {
        std::memset(bits, 0xFF, row * static_cast<size_t>(height));
        return;
    }
    auto* p = static_cast<uint32_t*>(bits);
    std::fill(p, p + static_cast<size_t>(width) * static_cast<size_t>(height), 0x00FFFFFFu);
}

// A new white top-down section; raises EOSError when the system cannot make it.
HBITMAP CreateSection(int width, int height, TPixelFormat format, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(BitsPerPixel(format));
    info.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    HBITMAP section = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    KPROBE_COUNT(kcSections);
    if (!section || !p) {
        if (section) ::DeleteObject(section);
        throw EOSError(L"Cannot create a bitmap of " + IntToStr(width) + L" x " + IntToStr(height) + L" pixels");
    }
    FillWhite(p, width, height, format);
    *bits = p;
    return section;
}

// Copies the overlapping top-left part of one image into another, converting
// between 24 and 32 bits per pixel.
void CopyPixels(const void* source, int sw, int sh, TPixelFormat sf, void* dest, int dw, int dh, TPixelFormat df) {
    const int w = std::min(sw, dw), h = std::min(sh, dh);
    const size_t srow = RowBytes(sw, sf), drow = RowBytes(dw, df);
    const size_t sbpp = BytesPerPixel(sf), dbpp = BytesPerPixel(df);
    for (int y = 0; y < h; ++y) {
        const auto* s = static_cast<const uint8_t*>(source) + static_cast<size_t>(y) * srow;
        auto* d = static_cast<uint8_t*>(dest) + static_cast<size_t>(y) * drow;
        if (sbpp == dbpp) {
            std::memcpy(d, s, static_cast<size_t>(w) * sbpp);
            continue;
        }
        for (int x = 0; x < w; ++x, s += sbpp, d += dbpp) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            if (dbpp == 4) d[3] = 0;
        }
    }
}

}  // namespace

// --- TBitmap ---------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    delete FCanvas;
    if (FDC) {
        ::SelectObject(FDC, FOldBitmap);
        ::DeleteDC(FDC);
    }
    if (FBitmap) ::DeleteObject(FBitmap);
}

void TBitmap::SetWidth(int width) { SetSize(width, FHeight); }

void TBitmap::SetHeight(int height) { SetSize(FWidth, height); }

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == FWidth && height == FHeight) return;
    Recreate(width, height, FPixelFormat);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == FPixelFormat) return;
    Recreate(FWidth, FHeight, format);
    Changed();
}

void* TBitmap::ScanLine(int y) {
    NeedSection();
    if (!FBits || y < 0 || y >= FHeight)
        throw EInvalidGraphicOperation(L"Scan line index " + IntToStr(y) + L" out of range");
    ::GdiFlush();  // drawing through the canvas may still be queued
    return static_cast<uint8_t*>(FBits) + static_cast<size_t>(y) * RowBytes(FWidth, FPixelFormat);
}

void TBitmap::Assign(const TBitmap* source) {
    if (source == this) return;
    if (!source) {
        Install(nullptr, nullptr, 0, 0, FPixelFormat);
        Changed();
        return;
    }
    HBITMAP section = nullptr;
    void* bits = nullptr;
    if (source->FBits) {
        section = CreateSection(source->FWidth, source->FHeight, source->FPixelFormat, &bits);
        ::GdiFlush();
        std::memcpy(bits, source->FBits,
                    RowBytes(source->FWidth, source->FPixelFormat) * static_cast<size_t>(source->FHeight));
    } else if (FDC && !source->Empty()) {
        // A white source without its section yet; the canvas needs one now.
        section = CreateSection(source->FWidth, source->FHeight, source->FPixelFormat, &bits);
    }
    Install(section, bits, source->FWidth, source->FHeight, source->FPixelFormat);
    FTransparent = source->FTransparent;
    FTransparentMode = source->FTransparentMode;
    FTransparentColor = source->FTransparentColor;
    Changed();
}

void TBitmap::SetTransparent(bool transparent) {
    if (transparent == FTransparent) return;
    FTransparent = transparent;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
    if (mode == FTransparentMode) return;
    FTransparentMode = mode;
    Changed();
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
    if (!FBits) return Empty() ? clDefault : clWhite;  // no section yet: white everywhere
    ::GdiFlush();
    const auto* p = static_cast<const uint8_t*>(FBits) +
                    static_cast<size_t>(FHeight - 1) * RowBytes(FWidth, FPixelFormat);  // (0, Height - 1)
    return static_cast<TColor>(RGB(p[2], p[1], p[0]));
}

void TBitmap::SetTransparentColor(TColor color) {
    const TTransparentMode mode = color == clDefault ? tmAuto : tmFixed;
    if (color == FTransparentColor && mode == FTransparentMode) return;
    FTransparentColor = color;
    FTransparentMode = mode;
    Changed();
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) {
        if (!FDC) {
            NeedSection();
            FDC = ::CreateCompatibleDC(nullptr);
            if (!FDC) throw EOSError(L"Cannot create a device context for a bitmap");
            FOldBitmap = ::GetCurrentObject(FDC, OBJ_BITMAP);
            if (FBitmap) ::SelectObject(FDC, FBitmap);
        }
        FCanvas = new TCanvas;
        FCanvas->SetHandle(FDC);
    }
    return FCanvas;
}

HBITMAP TBitmap::Handle() {
    NeedSection();
    return FBitmap;
}

HBITMAP TBitmap::ReleaseHandle() {
    NeedSection();
    HBITMAP section = FBitmap;
    if (FDC && FBitmap) ::SelectObject(FDC, FOldBitmap);
    if (section) ::GdiFlush();
    const bool changed = FWidth != 0 || FHeight != 0;
    FBitmap = nullptr;
    FBits = nullptr;
    FWidth = 0;
    FHeight = 0;
    if (changed) Changed();
    return section;
}

void TBitmap::FreeImage() {
    if (FWidth == 0 && FHeight == 0 && !FBitmap) return;
    Install(nullptr, nullptr, 0, 0, FPixelFormat);
    Changed();
}

void TBitmap::Recreate(int width, int height, TPixelFormat format) {
    HBITMAP section = nullptr;
    void* bits = nullptr;
    // Still white and without a canvas: the section waits until it is needed.
    const bool deferred = !FBits && !FDC;
    if (width > 0 && height > 0 && !deferred) {
        section = CreateSection(width, height, format, &bits);
        if (FBits) {
            ::GdiFlush();
            CopyPixels(FBits, FWidth, FHeight, FPixelFormat, bits, width, height, format);
        }
    }
    Install(section, bits, width, height, format);
}

void TBitmap::NeedSection() {
    if (FBitmap || FWidth == 0 || FHeight == 0) return;
    void* bits = nullptr;
    HBITMAP section = CreateSection(FWidth, FHeight, FPixelFormat, &bits);
    Install(section, bits, FWidth, FHeight, FPixelFormat);
}

void TBitmap::Install(HBITMAP section, void* bits, int width, int height, TPixelFormat format) {
    HBITMAP old = FBitmap;
    FBitmap = section;
    FBits = bits;
    FWidth = width;
    FHeight = height;
    FPixelFormat = format;
    // The old section must leave the DC before it can be deleted.
    if (FDC) ::SelectObject(FDC, FBitmap ? static_cast<HGDIOBJ>(FBitmap) : FOldBitmap);
    if (old) ::DeleteObject(old);
}

void TBitmap::Changed() {
    if (OnChange) OnChange(this);
}

// --- TPicture --------------------------------------------------------------

TPicture::TPicture() : FBitmap(new TBitmap) {
    FBitmap->OnChange = [this](TObject*) {
        if (OnChange) OnChange(this);
    };
}

TPicture::~TPicture() { delete FBitmap; }

// --- drawing bitmaps on a canvas -------------------------------------------

void TCanvas::Draw(int x, int y, TBitmap* bitmap) {
    if (!bitmap || bitmap->Empty()) return;
    StretchDraw(RECT{x, y, x + bitmap->Width(), y + bitmap->Height()}, bitmap);
}

void TCanvas::StretchDraw(const RECT& dest, TBitmap* bitmap) {
    HDC dc = Handle();
    if (!dc || !bitmap || bitmap->Empty()) return;
    const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    const int sw = bitmap->Width(), sh = bitmap->Height();
    if (dw == 0 || dh == 0) return;
    HDC source = bitmap->Canvas()->Handle();
    if (bitmap->Transparent()) {
        // Pixels of the transparent colour are left out; the rest is copied.
        if (dw < 0 || dh < 0) return;  // no mirrored transparent copies
        const COLORREF key = static_cast<COLORREF>(ColorToRGB(bitmap->TransparentColor())) & 0xFFFFFFu;
        ::TransparentBlt(dc, dest.left, dest.top, dw, dh, source, 0, 0, sw, sh, key);
    } else if (dw == sw && dh == sh) {
        ::BitBlt(dc, dest.left, dest.top, dw, dh, source, 0, 0, SRCCOPY);
    } else {
        const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, dest.left, dest.top, dw, dh, source, 0, 0, sw, sh, SRCCOPY);
        ::SetStretchBltMode(dc, oldMode);
    }
}
