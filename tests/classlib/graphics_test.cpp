#include <gtest/gtest.h>

#include "graphics.h"

#include <winternl.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Bgr {
    uint8_t b, g, r;
    bool operator==(const Bgr&) const = default;
};

size_t BytesPerPixel(TPixelFormat format) { return format == pf24bit ? 3 : 4; }

Bgr PixelAt(TBitmap& bitmap, int x, int y) {
    const auto* p = static_cast<const uint8_t*>(bitmap.ScanLine(y)) + static_cast<size_t>(x) * BytesPerPixel(bitmap.PixelFormat());
    return {p[0], p[1], p[2]};
}

void SetPixelAt(TBitmap& bitmap, int x, int y, Bgr c) {
    auto* p = static_cast<uint8_t*>(bitmap.ScanLine(y)) + static_cast<size_t>(x) * BytesPerPixel(bitmap.PixelFormat());
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
}

// A distinct colour for every pixel position.
Bgr PatternAt(int x, int y) { return {static_cast<uint8_t>(10 + x), static_cast<uint8_t>(100 + y), static_cast<uint8_t>(x * 7 + y * 3)}; }

void FillPattern(TBitmap& bitmap) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) SetPixelAt(bitmap, x, y, PatternAt(x, y));
}

void ExpectPattern(TBitmap& bitmap, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) ASSERT_EQ(PixelAt(bitmap, x, y), PatternAt(x, y)) << "at " << x << ", " << y;
}

void FillColor(TBitmap& bitmap, TColor color) {
    bitmap.Canvas()->Brush()->Color = color;
    bitmap.Canvas()->Brush()->Style = bsSolid;
    bitmap.Canvas()->FillRect(RECT{0, 0, bitmap.Width(), bitmap.Height()});
}

// The number of GDI objects the process holds. Wine answers GetGuiResources
// with 0; there the live entries of the process's GDI handle table (which the
// process environment block points to) are counted instead.
DWORD GdiObjects() {
    const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count > 0) return count;
    struct HandleEntry {
        uint64_t object;
        uint16_t processId, useCount, unique;
        uint8_t type, flags;
        uint64_t user;
    };
    static_assert(sizeof(HandleEntry) == 24);
    using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryProcess>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess"));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return 0;
    const auto* peb = reinterpret_cast<const uint8_t*>(info.PebBaseAddress);
    const auto* table = *reinterpret_cast<const HandleEntry* const*>(peb + 0xF8);  // GdiSharedHandleTable
    if (!table) return 0;
    DWORD live = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (table[i].type != 0) ++live;
    return live;
}

bool IsGdiObject(HGDIOBJ handle) { return handle && GetObjectType(handle) != 0; }

const Bgr kWhite{255, 255, 255};

}  // namespace

// --- colours -----------------------------------------------------------------

TEST(Colors, ColorToRgbResolvesSystemColoursOnly) {
    EXPECT_EQ(ColorToRGB(0x123456), 0x123456);
    EXPECT_EQ(ColorToRGB(clWhite), clWhite);
    for (int index : {COLOR_BTNFACE, COLOR_WINDOW, COLOR_HIGHLIGHT, COLOR_WINDOWTEXT}) {
        const TColor resolved = ColorToRGB(SystemColor(index));
        EXPECT_EQ(resolved, static_cast<TColor>(GetSysColor(index))) << index;
        EXPECT_EQ(static_cast<unsigned>(resolved) >> 24, 0u) << index;
    }
}

TEST(Colors, StringToColorTakesNamesAndNumbers) {
    const struct {
        const wchar_t* text;
        TColor color;
    } cases[] = {
        {L"clRed", clRed}, {L"CLRED", clRed},        {L"clBtnFace", clBtnFace},
        {L"clWhite", clWhite}, {L"255", 0xFF},       {L"$0000FF", 0xFF},
        {L"0xFF", 0xFF},     {L"$FF00000F", static_cast<TColor>(0xFF00000F)},
    };
    for (const auto& c : cases) EXPECT_EQ(StringToColor(c.text), c.color) << UnicodeToUtf8(c.text);
    for (const wchar_t* bad : {L"", L"clNoSuchColour", L"12abc", L"$"})
        EXPECT_THROW(StringToColor(bad), EConvertError) << UnicodeToUtf8(bad);
}

TEST(Colors, ColorToStringRoundTrips) {
    EXPECT_EQ(ColorToString(clRed), L"clRed");
    EXPECT_EQ(ColorToString(clBtnFace), L"clBtnFace");
    for (TColor color : {0x123456, 0x00E8E8E8, clRed, clBtnFace, static_cast<TColor>(0xFF000040)})
        EXPECT_EQ(StringToColor(ColorToString(color)), color) << color;
}

// --- fonts -------------------------------------------------------------------

TEST(Font, DefaultsAndSizeHeightConversion) {
    TFont font;
    EXPECT_EQ(font.Name(), L"Tahoma");
    EXPECT_EQ(font.Size(), 8);
    EXPECT_EQ(font.Color(), clBlack);
    EXPECT_EQ(font.Style(), 0u);
    HDC screen = GetDC(nullptr);
    const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(font.Height(), -MulDiv(8, ppi, 72));
    font.SetSize(12);
    EXPECT_EQ(font.Height(), -MulDiv(12, ppi, 72));
    EXPECT_EQ(font.Size(), 12);
    font.SetHeight(-11);
    EXPECT_EQ(font.Height(), -11);
}

// The faces that the programs and Wine's own window frames ask for are
// there under their own names (Wine's fonts, and the Japanese faces mapped
// to the installed IPA fonts), not stand-ins of other widths; a stand-in
// for Tahoma, such as a Japanese font, draws the backslash as a yen sign.
TEST(Font, TheFacesAskedForAreInstalled) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    for (const wchar_t* name : {L"Tahoma", L"Marlett", L"MS UI Gothic"}) {
        TFont font;
        font.SetName(name);
        HGDIOBJ old = ::SelectObject(dc, font.Handle());
        wchar_t face[LF_FACESIZE] = {};
        ::GetTextFaceW(dc, LF_FACESIZE, face);
        ::SelectObject(dc, old);
        EXPECT_STREQ(face, name);
    }
    ::DeleteDC(dc);
}

namespace {

// The pixels of one character drawn in black on white, 32 x 32.
std::vector<uint32_t> DrawnCharacter(HFONT font, wchar_t c) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP section = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = ::SelectObject(dc, section);
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    RECT all{0, 0, 32, 32};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::TextOutW(dc, 2, 2, &c, 1);
    ::GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + 32 * 32);
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(section);
    ::DeleteDC(dc);
    return pixels;
}

}  // namespace

// Japanese captions in Tahoma, the dialogs' font, and in its bold face, in
// which the title bars are drawn, come out as characters, not as the box of
// a missing one (Tahoma has no Japanese: the system links it to a Japanese
// font for them).
TEST(Font, JapaneseTextDrawsInTahomaAndItsBoldFace) {
    for (const bool bold : {false, true}) {
        TFont font;
        font.SetName(L"Tahoma");
        font.SetSize(9);
        if (bold) font.SetStyle(fsBold);
        const auto missing = DrawnCharacter(font.Handle(), L'\uE000');  // a private character: none has it
        for (const wchar_t c : {L'\u7DE8', L'\u30DC'}) {
            const auto drawn = DrawnCharacter(font.Handle(), c);
            const std::string what = (bold ? "bold U+" : "regular U+") + std::to_string(static_cast<int>(c));
            EXPECT_TRUE(drawn != missing) << what << " is drawn as a missing character";
            EXPECT_TRUE(drawn != std::vector<uint32_t>(32 * 32, 0xFFFFFFu)) << what << " is not drawn";
        }
    }
}

TEST(Font, EveryChangeFiresOnChangeAndRenewsTheHandle) {
    TFont font;
    int changes = 0;
    font.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &font);
        ++changes;
    };
    HFONT first = font.Handle();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(font.Handle(), first);  // kept while nothing changes

    font.SetName(L"Arial");
    font.SetHeight(-20);
    font.SetColor(clRed);
    font.SetStyle(fsBold | fsItalic);
    EXPECT_EQ(changes, 4);
    font.SetName(L"Arial");  // no change, no event
    font.SetColor(clRed);
    EXPECT_EQ(changes, 4);

    LOGFONTW lf{};
    ASSERT_NE(GetObjectW(font.Handle(), sizeof lf, &lf), 0);
    EXPECT_STREQ(lf.lfFaceName, L"Arial");
    EXPECT_EQ(lf.lfHeight, -20);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfItalic);

    TFont copy;
    int copyChanges = 0;
    copy.OnChange = [&](TObject*) { ++copyChanges; };
    copy.Assign(font);
    EXPECT_EQ(copyChanges, 1);
    EXPECT_EQ(copy.Name(), L"Arial");
    EXPECT_EQ(copy.Height(), -20);
    EXPECT_EQ(copy.Color(), clRed);
    EXPECT_EQ(copy.Style(), fsBold | fsItalic);
}

// --- bitmaps: layout -----------------------------------------------------------

TEST(Bitmap, NewBitmapIsEmptyAndASizedOneIsWhite) {
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_EQ(bitmap.PixelFormat(), pfDevice);
    EXPECT_EQ(bitmap.Handle(), nullptr);

    for (TPixelFormat format : {pfDevice, pf24bit, pf32bit}) {
        TBitmap b;
        b.SetPixelFormat(format);
        b.SetSize(5, 3);
        ASSERT_NE(b.Handle(), nullptr);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(b, x, y), kWhite) << format;
        EXPECT_EQ(b.Canvas()->Pixel(4, 2), clWhite) << format;
    }
}

TEST(Bitmap, ScanLinesArePaddedRowsOfTheFormat) {
    const struct {
        TPixelFormat format;
        int width;
        ptrdiff_t stride;
        int bitCount;
    } cases[] = {
        {pf24bit, 1, 4, 24},  {pf24bit, 2, 8, 24},  {pf24bit, 3, 12, 24}, {pf24bit, 5, 16, 24},
        {pf24bit, 7, 24, 24}, {pf24bit, 4, 12, 24}, {pf32bit, 3, 12, 32}, {pfDevice, 5, 20, 32},
    };
    for (const auto& c : cases) {
        TBitmap b;
        b.SetPixelFormat(c.format);
        b.SetSize(c.width, 4);
        auto* row0 = static_cast<uint8_t*>(b.ScanLine(0));
        for (int y = 1; y < 4; ++y)
            EXPECT_EQ(static_cast<uint8_t*>(b.ScanLine(y)) - row0, c.stride * y) << c.format << " width " << c.width;
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(b.Handle(), sizeof dib, &dib), static_cast<int>(sizeof dib));
        EXPECT_EQ(dib.dsBm.bmBitsPixel, c.bitCount);
        EXPECT_EQ(dib.dsBm.bmWidthBytes, c.stride);
        EXPECT_EQ(dib.dsBm.bmBits, row0);  // scan line 0 is the start: a top-down section
    }
}

TEST(Bitmap, ScanLineZeroIsTheTopRowAndPixelsAreBlueGreenRed) {
    for (TPixelFormat format : {pf24bit, pf32bit, pfDevice}) {
        TBitmap b;
        b.SetPixelFormat(format);
        b.SetSize(3, 5);
        b.Canvas()->SetPixel(0, 0, 0x00332211);        // red 0x11, green 0x22, blue 0x33
        b.Canvas()->SetPixel(2, 4, clRed);             // bottom-right
        EXPECT_EQ(PixelAt(b, 0, 0), (Bgr{0x33, 0x22, 0x11})) << format;
        EXPECT_EQ(PixelAt(b, 2, 4), (Bgr{0, 0, 255})) << format;
        EXPECT_EQ(PixelAt(b, 2, 0), kWhite) << format;
        // And the other way: a byte written through the scan line is seen by GDI there.
        SetPixelAt(b, 1, 3, Bgr{0xC0, 0x80, 0x40});
        EXPECT_EQ(b.Canvas()->Pixel(1, 3), 0x00C08040) << format;
    }
}

TEST(Bitmap, ScanLineOutsideTheImageRaises) {
    TBitmap b;
    EXPECT_THROW(b.ScanLine(0), EInvalidGraphicOperation);
    b.SetSize(4, 2);
    EXPECT_NO_THROW(b.ScanLine(1));
    EXPECT_THROW(b.ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
}

// --- bitmaps: changes keep the image ---------------------------------------------

TEST(Bitmap, ChangingThePixelFormatKeepsTheImage) {
    const TPixelFormat formats[] = {pfDevice, pf24bit, pf32bit};
    for (TPixelFormat from : formats) {
        for (TPixelFormat to : formats) {
            if (from == to) continue;
            TBitmap b;
            b.SetPixelFormat(from);
            b.SetSize(7, 5);  // odd width: 24-bit rows carry padding
            FillPattern(b);
            HBITMAP before = b.Handle();
            b.SetPixelFormat(to);
            EXPECT_EQ(b.PixelFormat(), to);
            EXPECT_NE(b.Handle(), before);
            EXPECT_EQ(b.Width(), 7);
            EXPECT_EQ(b.Height(), 5);
            ExpectPattern(b, 7, 5);
            EXPECT_EQ(b.Canvas()->Pixel(6, 4), static_cast<TColor>(RGB(PatternAt(6, 4).r, PatternAt(6, 4).g, PatternAt(6, 4).b)));
        }
    }
}

TEST(Bitmap, ChangingTheSizeKeepsTheImageWhereItFitsAndAddsWhite) {
    const struct {
        int width, height;
    } sizes[] = {{9, 6}, {3, 2}, {9, 2}, {3, 6}, {6, 4}};
    for (TPixelFormat format : {pf24bit, pfDevice}) {
        for (const auto& s : sizes) {
            TBitmap b;
            b.SetPixelFormat(format);
            b.SetSize(6, 4);
            FillPattern(b);
            b.SetSize(s.width, s.height);
            ASSERT_EQ(b.Width(), s.width);
            ASSERT_EQ(b.Height(), s.height);
            for (int y = 0; y < s.height; ++y)
                for (int x = 0; x < s.width; ++x)
                    ASSERT_EQ(PixelAt(b, x, y), (x < 6 && y < 4) ? PatternAt(x, y) : kWhite)
                        << format << " " << s.width << "x" << s.height << " at " << x << "," << y;
        }
    }
    TBitmap b;
    b.SetSize(4, 4);
    FillPattern(b);
    b.SetWidth(5);
    b.SetHeight(3);
    EXPECT_EQ(PixelAt(b, 3, 2), PatternAt(3, 2));
    EXPECT_EQ(PixelAt(b, 4, 0), kWhite);
}

TEST(Bitmap, TheCanvasStaysValidAndDrawsIntoTheNewSection) {
    TBitmap b;
    TCanvas* canvas = b.Canvas();  // taken while still empty
    b.SetSize(4, 4);
    EXPECT_EQ(b.Canvas(), canvas);
    FillColor(b, clRed);
    EXPECT_EQ(PixelAt(b, 3, 3), (Bgr{0, 0, 255}));
    b.SetPixelFormat(pf24bit);
    b.SetSize(6, 6);
    EXPECT_EQ(b.Canvas(), canvas);
    canvas->SetPixel(5, 5, clBlue);
    EXPECT_EQ(PixelAt(b, 5, 5), (Bgr{255, 0, 0}));
    EXPECT_EQ(PixelAt(b, 0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(b, 5, 0), kWhite);
}

TEST(Bitmap, AssignCopiesSizeFormatImageAndTransparency) {
    TBitmap source;
    source.SetPixelFormat(pf24bit);
    source.SetSize(5, 3);
    FillPattern(source);
    source.SetTransparentColor(clLime);
    source.SetTransparent(true);

    TBitmap copy;
    copy.SetSize(10, 10);
    int changes = 0;
    copy.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &copy);
        ++changes;
    };
    copy.Assign(&source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.Width(), 5);
    EXPECT_EQ(copy.Height(), 3);
    EXPECT_EQ(copy.PixelFormat(), pf24bit);
    EXPECT_TRUE(copy.Transparent());
    EXPECT_EQ(copy.TransparentMode(), tmFixed);
    EXPECT_EQ(copy.TransparentColor(), clLime);
    ExpectPattern(copy, 5, 3);
    EXPECT_NE(copy.Handle(), source.Handle());

    SetPixelAt(copy, 0, 0, Bgr{1, 2, 3});  // the copy has its own pixels
    EXPECT_EQ(PixelAt(source, 0, 0), PatternAt(0, 0));

    copy.Assign(&copy);  // assigning itself changes nothing
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(PixelAt(copy, 0, 0), (Bgr{1, 2, 3}));

    TBitmap empty;
    copy.Assign(&empty);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copy.Handle(), nullptr);
    copy.Assign(&source);
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(changes, 4);
}

TEST(Bitmap, OnChangeFiresOnEveryChangeAndOnlyThen) {
    TBitmap b;
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    const struct {
        const char* what;
        std::function<void()> action;
        int events;
    } steps[] = {
        {"size", [&] { b.SetSize(4, 3); }, 1},
        {"same size", [&] { b.SetSize(4, 3); }, 0},
        {"width", [&] { b.SetWidth(5); }, 1},
        {"same width", [&] { b.SetWidth(5); }, 0},
        {"height", [&] { b.SetHeight(2); }, 1},
        {"format", [&] { b.SetPixelFormat(pf24bit); }, 1},
        {"same format", [&] { b.SetPixelFormat(pf24bit); }, 0},
        {"transparent", [&] { b.SetTransparent(true); }, 1},
        {"same transparent", [&] { b.SetTransparent(true); }, 0},
        {"transparent colour", [&] { b.SetTransparentColor(clRed); }, 1},
        {"same transparent colour", [&] { b.SetTransparentColor(clRed); }, 0},
        {"transparent mode", [&] { b.SetTransparentMode(tmAuto); }, 1},
        {"release", [&] { DeleteObject(b.ReleaseHandle()); }, 1},
        {"release when empty", [&] { EXPECT_EQ(b.ReleaseHandle(), nullptr); }, 0},
        {"size again", [&] { b.SetSize(2, 2); }, 1},
        {"free", [&] { b.FreeImage(); }, 1},
        {"free when empty", [&] { b.FreeImage(); }, 0},
    };
    for (const auto& step : steps) {
        changes = 0;
        step.action();
        EXPECT_EQ(changes, step.events) << step.what;
    }
}

TEST(Bitmap, ReleaseHandleGivesTheSectionAwayAndFreeImageEmpties) {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(6, 2);
    FillColor(b, clRed);
    HBITMAP section = b.ReleaseHandle();
    ASSERT_NE(section, nullptr);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Handle(), nullptr);
    EXPECT_THROW(b.ScanLine(0), EInvalidGraphicOperation);

    // The caller owns a whole, usable section with the image in it.
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(section, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 6);
    EXPECT_EQ(dib.dsBm.bmHeight, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    EXPECT_NE(old, nullptr);  // it is not selected anywhere else any more
    EXPECT_EQ(GetPixel(dc, 5, 1), static_cast<COLORREF>(clRed));
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(section));

    // The bitmap is still usable afterwards, on the same canvas.
    b.SetSize(2, 2);
    EXPECT_EQ(PixelAt(b, 1, 1), kWhite);
    b.FreeImage();
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 0);
    EXPECT_EQ(b.Handle(), nullptr);
}

TEST(Bitmap, ZeroSizesAreSafeEverywhere) {
    const struct {
        int width, height;
    } sizes[] = {{0, 0}, {0, 5}, {5, 0}};
    for (const auto& s : sizes) {
        TBitmap b;
        b.SetSize(s.width, s.height);
        EXPECT_EQ(b.Width(), s.width);
        EXPECT_EQ(b.Height(), s.height);
        EXPECT_TRUE(b.Empty());
        EXPECT_EQ(b.Handle(), nullptr);
        EXPECT_THROW(b.ScanLine(0), EInvalidGraphicOperation);
        b.SetPixelFormat(pf24bit);
        EXPECT_EQ(b.PixelFormat(), pf24bit);
        FillColor(b, clRed);  // draws into nothing visible
        b.Canvas()->FrameRect(RECT{0, 0, s.width, s.height});
        b.SetTransparent(true);
        EXPECT_EQ(b.TransparentColor(), clDefault);

        TBitmap target;
        target.SetSize(3, 3);
        target.Canvas()->Draw(0, 0, &b);
        target.Canvas()->StretchDraw(RECT{0, 0, 3, 3}, &b);
        EXPECT_EQ(PixelAt(target, 1, 1), kWhite);

        TBitmap copy;
        copy.SetSize(2, 2);
        copy.Assign(&b);
        EXPECT_EQ(copy.Width(), s.width);
        EXPECT_EQ(copy.Height(), s.height);
        EXPECT_EQ(copy.Handle(), nullptr);
        EXPECT_EQ(b.ReleaseHandle(), nullptr);
        b.FreeImage();
    }
    TBitmap negative;
    negative.SetSize(-3, 4);
    EXPECT_EQ(negative.Width(), 0);
    EXPECT_TRUE(negative.Empty());
    // Growing from a zero side gives a white image.
    TBitmap grow;
    grow.SetWidth(3);
    grow.SetHeight(2);
    EXPECT_EQ(PixelAt(grow, 2, 1), kWhite);
}

// --- bitmaps: drawing --------------------------------------------------------------

TEST(Bitmap, DrawCopiesTheWholeImageAtThePoint) {
    TBitmap source;
    source.SetPixelFormat(pf24bit);
    source.SetSize(3, 2);
    FillPattern(source);
    TBitmap target;
    target.SetSize(6, 5);
    FillColor(target, clBlue);
    target.Canvas()->Draw(2, 1, &source);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_EQ(PixelAt(target, x, y), inside ? PatternAt(x - 2, y - 1) : (Bgr{255, 0, 0})) << x << "," << y;
        }
    target.Canvas()->Draw(0, 0, nullptr);  // nothing to draw
}

TEST(Bitmap, TransparentDrawLeavesTheTransparentColourOut) {
    const Bgr kKey{0, 255, 0};   // clLime
    const Bgr kInk{0, 0, 128};   // clMaroon
    const Bgr kBack{255, 0, 0};  // clBlue
    const struct {
        const char* what;
        TPixelFormat format;
        bool autoMode;
    } cases[] = {
        {"24-bit fixed", pf24bit, false}, {"32-bit fixed", pf32bit, false},
        {"device fixed", pfDevice, false}, {"24-bit auto", pf24bit, true},
        {"device auto", pfDevice, true},
    };
    for (const auto& c : cases) {
        TBitmap glyph;
        glyph.SetPixelFormat(c.format);
        glyph.SetSize(4, 4);
        // A key-coloured ring around ink, the bottom-left pixel key-coloured.
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                SetPixelAt(glyph, x, y, (x == 0 || y == 0 || x == 3 || y == 3) ? kKey : kInk);
        if (c.autoMode) {
            glyph.SetTransparentMode(tmAuto);
            EXPECT_EQ(glyph.TransparentColor(), clLime) << c.what;
        } else {
            glyph.SetTransparentColor(clLime);
            EXPECT_EQ(glyph.TransparentMode(), tmFixed);
        }
        glyph.SetTransparent(true);

        TBitmap target;
        target.SetPixelFormat(pf24bit);
        target.SetSize(6, 6);
        FillColor(target, clBlue);
        target.Canvas()->Draw(1, 1, &glyph);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool ink = x >= 2 && x <= 3 && y >= 2 && y <= 3;
                EXPECT_EQ(PixelAt(target, x, y), ink ? kInk : kBack) << c.what << " at " << x << "," << y;
            }

        // Stretched twice as large: the ink covers 4 x 4 pixels.
        TBitmap big;
        big.SetPixelFormat(pf24bit);
        big.SetSize(8, 8);
        FillColor(big, clBlue);
        big.Canvas()->StretchDraw(RECT{0, 0, 8, 8}, &glyph);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool ink = x >= 2 && x <= 5 && y >= 2 && y <= 5;
                EXPECT_EQ(PixelAt(big, x, y), ink ? kInk : kBack) << c.what << " stretched at " << x << "," << y;
            }
    }
}

TEST(Bitmap, TransparentColourFollowsTheMode) {
    TBitmap b;
    b.SetSize(3, 3);
    SetPixelAt(b, 0, 2, Bgr{0x30, 0x20, 0x10});  // bottom-left
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), 0x00302010);
    b.SetTransparentColor(clRed);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clRed);
    b.SetTransparentMode(tmAuto);
    EXPECT_EQ(b.TransparentColor(), 0x00302010);
    b.SetTransparentMode(tmFixed);
    EXPECT_EQ(b.TransparentColor(), clRed);
    b.SetTransparentColor(clDefault);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), 0x00302010);
}

TEST(Bitmap, StretchDrawScalesAnOpaqueImage) {
    TBitmap source;
    source.SetPixelFormat(pf24bit);
    source.SetSize(2, 2);
    FillPattern(source);
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(4, 6);
    target.Canvas()->StretchDraw(RECT{0, 0, 4, 6}, &source);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(target, x, y), PatternAt(x / 2, y / 3)) << x << "," << y;
}

// --- pictures and resources ---------------------------------------------------------

TEST(Picture, ForwardsTheBitmapsChanges) {
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &picture);
        ++changes;
    };
    ASSERT_NE(picture.Bitmap(), nullptr);
    picture.Bitmap()->SetSize(3, 3);
    picture.Bitmap()->SetPixelFormat(pf24bit);
    EXPECT_EQ(changes, 2);
}

// Sizes and formats set before anything is drawn make no section each: the
// one section is made when the image is first asked for, white as ever.
TEST(Bitmap, ASectionIsMadeOnceWhenTheImageIsFirstAskedFor) {
    {
        TBitmap warm;
        warm.SetSize(2, 2);
        warm.Canvas();
    }
    const DWORD start = GdiObjects();
    ASSERT_GT(start, 0u) << "GDI object count not available";
    // What is asked for, and the objects it leaves: the section, and the
    // memory DC of the bitmap's canvas when that is made.
    struct Case {
        const char* what;
        std::function<void(TBitmap&)> ask;
        DWORD objects;
    };
    const Case cases[] = {
        {"handle", [](TBitmap& b) { EXPECT_TRUE(IsGdiObject(b.Handle())); }, 1},
        {"scan line", [](TBitmap& b) { EXPECT_EQ(PixelAt(b, 6, 4), kWhite); }, 1},
        {"canvas", [](TBitmap& b) { EXPECT_EQ(b.Canvas()->Pixel(6, 4), clWhite); }, 2},
        {"copy drawn", [](TBitmap& b) {
             TBitmap target;
             target.SetPixelFormat(pf24bit);
             target.SetSize(7, 5);
             FillColor(target, clRed);
             target.Canvas()->Draw(0, 0, &b);
             EXPECT_EQ(PixelAt(target, 6, 4), kWhite);
         }, 2},
    };
    for (const Case& c : cases) {
        TBitmap b;
        b.SetPixelFormat(pf24bit);
        b.SetSize(100, 22);
        b.SetSize(7, 5);
        b.SetPixelFormat(pf32bit);
        EXPECT_EQ(GdiObjects(), start) << c.what;
        EXPECT_EQ(b.Width(), 7);
        EXPECT_EQ(b.Height(), 5);
        EXPECT_FALSE(b.Empty());
        EXPECT_EQ(b.TransparentColor(), clWhite) << c.what;
        // A copy of the white image is white, and has no section of its own yet either.
        TBitmap copy;
        copy.Assign(&b);
        EXPECT_EQ(GdiObjects(), start) << c.what;
        EXPECT_EQ(copy.Width(), 7);
        EXPECT_EQ(copy.PixelFormat(), pf32bit);
        EXPECT_EQ(PixelAt(copy, 6, 4), kWhite) << c.what;
        EXPECT_EQ(GdiObjects(), start + 1) << c.what;
        c.ask(b);
        EXPECT_EQ(GdiObjects(), start + 1 + c.objects) << c.what;
        // Drawn on, it keeps what is drawn across later changes as before.
        SetPixelAt(b, 1, 1, Bgr{1, 2, 3});
        b.SetSize(8, 6);
        EXPECT_EQ(PixelAt(b, 1, 1), (Bgr{1, 2, 3})) << c.what;
        EXPECT_EQ(PixelAt(b, 7, 5), kWhite) << c.what;
    }
    // A bitmap whose canvas exists keeps a section for every size.
    TBitmap drawn;
    drawn.SetSize(3, 3);
    TCanvas* canvas = drawn.Canvas();
    drawn.SetSize(0, 0);
    drawn.SetSize(4, 4);
    EXPECT_EQ(canvas->Pixel(3, 3), clWhite);
    TBitmap source;
    source.SetSize(5, 5);
    drawn.Assign(&source);
    EXPECT_EQ(canvas->Pixel(4, 4), clWhite);
    EXPECT_NE(GetCurrentObject(canvas->Handle(), OBJ_BITMAP), nullptr);
    EXPECT_EQ(GetCurrentObject(canvas->Handle(), OBJ_BITMAP), drawn.Handle());
}

TEST(Bitmap, ReleasesEveryGdiObject) {
    // Warm up whatever the system creates once (stock objects, caches).
    {
        TBitmap warm;
        warm.SetSize(2, 2);
        warm.Canvas()->Font()->Handle();
        warm.Canvas()->TextOut(0, 0, L"x");
    }
    // The section and the DC of a bitmap are gone once it is deleted; a
    // replaced section is gone at once.
    HBITMAP first = nullptr, second = nullptr;
    HDC dc = nullptr;
    {
        TBitmap b;
        b.SetSize(4, 4);
        first = b.Handle();
        dc = b.Canvas()->Handle();
        b.SetPixelFormat(pf24bit);
        second = b.Handle();
        EXPECT_FALSE(IsGdiObject(first));
        EXPECT_TRUE(IsGdiObject(second));
        EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_FALSE(IsGdiObject(second));
    EXPECT_FALSE(IsGdiObject(dc));

    const DWORD start = GdiObjects();
    ASSERT_GT(start, 0u) << "GDI object count not available";
    for (int i = 0; i < 200; ++i) {
        TBitmap a;
        a.SetSize(10 + i % 7, 8);
        FillColor(a, clRed);
        a.Canvas()->TextOut(0, 0, L"ab");
        a.SetPixelFormat(pf24bit);
        a.SetSize(5, 20);
        a.SetTransparent(true);
        TBitmap b;
        b.Assign(&a);
        b.Canvas()->Draw(0, 0, &a);
        b.SetTransparent(false);
        a.Canvas()->StretchDraw(RECT{0, 0, 3, 3}, &b);
        TBitmap c;
        c.SetSize(4, 4);
        DeleteObject(c.ReleaseHandle());
        c.SetSize(3, 3);
        c.Canvas();
        c.FreeImage();
        TPicture picture;
        picture.Bitmap()->Assign(&b);
    }
    EXPECT_EQ(GdiObjects(), start);
}
