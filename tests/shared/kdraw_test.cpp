#include <gtest/gtest.h>

#include "kdraw.h"

#include <cstdint>
#include <functional>

namespace {

struct Bgr {
    int b, g, r;
    bool operator==(const Bgr&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Bgr& c) {
    return os << "(r " << c.r << ", g " << c.g << ", b " << c.b << ")";
}

Bgr Grey(int v) { return {v, v, v}; }
Bgr FromColor(TColor color) {
    const auto c = static_cast<unsigned>(ColorToRGB(color));
    return {static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF)};
}

size_t BytesPerPixel(const TBitmap& b) { return b.PixelFormat() == pf24bit ? 3 : 4; }

Bgr PixelAt(TBitmap& bitmap, int x, int y) {
    const auto* p = static_cast<const uint8_t*>(bitmap.ScanLine(y)) + static_cast<size_t>(x) * BytesPerPixel(bitmap);
    return {p[0], p[1], p[2]};
}

void SetPixelAt(TBitmap& bitmap, int x, int y, Bgr c) {
    auto* p = static_cast<uint8_t*>(bitmap.ScanLine(y)) + static_cast<size_t>(x) * BytesPerPixel(bitmap);
    p[0] = static_cast<uint8_t>(c.b);
    p[1] = static_cast<uint8_t>(c.g);
    p[2] = static_cast<uint8_t>(c.r);
}

// A bitmap of the size and format with every pixel set by fill(x, y).
void Make(TBitmap& bitmap, int width, int height, const std::function<Bgr(int, int)>& fill,
          TPixelFormat format = pf24bit) {
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPixelAt(bitmap, x, y, fill(x, y));
}

void MakeUniform(TBitmap& bitmap, int width, int height, Bgr c, TPixelFormat format = pf24bit) {
    Make(bitmap, width, height, [c](int, int) { return c; }, format);
}

// Distinct values in every channel, the extremes 0 and 255 among them.
Bgr Pattern(int x, int y) { return {(x * 37 + y * 11) % 256, (x * 53 + y * 97 + 255) % 256, (x * 29 + y * 71 + 128) % 256}; }

// The arithmetic written out independently of the unit's helpers.
int Scale(int c, int k) { return static_cast<uint8_t>(c * k / 256); }
int Lighten(int c, int k) { return static_cast<uint8_t>(c + (255 - c) * k / 256); }

// Checks every pixel of bitmap against expected(x, y).
void ExpectPixels(TBitmap& bitmap, const std::function<Bgr(int, int)>& expected, const std::string& what) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const Bgr want = expected(x, y);
            const Bgr got = PixelAt(bitmap, x, y);
            if (got != want) {
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is " << got << ", expected " << want;
                return;
            }
        }
}

struct Factors {
    int light, dark, inner;
};
const Factors kContrast[] = {{255, 0, 128}, {192, 64, 160}, {160, 96, 192}, {128, 128, 208}, {96, 192, 216}};

// The bevel as the rules read: the first rule whose position matches wins.
Bgr BevelModel(Bgr c, int x, int y, int w, int h, bool pressed, int style, Factors f) {
    auto each = [&](auto op) { return Bgr{op(c.b), op(c.g), op(c.r)}; };
    if (x == w - 1 || y == h - 1)
        return pressed ? each([&](int v) { return Lighten(v, f.light); }) : each([&](int v) { return Scale(v, f.dark); });
    if (x == 0 || y == 0)
        return pressed ? each([&](int v) { return Scale(v, f.dark); }) : each([&](int v) { return Lighten(v, f.light); });
    if (x == w - 2 || y == h - 2)
        return style == 0 && !pressed ? each([&](int v) { return Scale(v, f.inner); }) : c;
    if (x == 1 || y == 1)
        return style == 0 && pressed ? each([&](int v) { return Scale(v, f.inner); }) : c;
    return c;
}

}  // namespace

// --- channel arithmetic ---------------------------------------------------------

TEST(KDrawChannels, ScaleAndLightenTruncateAndKeepTheLowByte) {
    const struct {
        int c, k, scaled, lightened;
    } cases[] = {
        {232, 64, 58, 237},   {232, 160, 145, 246}, {232, 192, 174, 249}, {232, 255, 231, 254},
        {255, 255, 254, 255}, {0, 256, 0, 255},     {255, 256, 255, 255}, {77, 0, 0, 77},
        {128, 100, 50, 177},  {1, 255, 0, 254},     {200, 512, 144, 54},  // out of range: low 8 bits
        {100, -3, 255, 99},  // -300 / 256 truncates to -1, whose low byte is 255
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KDrawScaleChannel(c.c, c.k), c.scaled) << c.c << " * " << c.k;
        EXPECT_EQ(KDrawLightenChannel(c.c, c.k), c.lightened) << c.c << " + " << c.k;
    }
    for (int c = 0; c < 256; ++c) {
        ASSERT_EQ(KDrawScaleChannel(c, 256), c);
        ASSERT_EQ(KDrawScaleChannel(c, 0), 0);
        ASSERT_EQ(KDrawLightenChannel(c, 0), c);
        ASSERT_EQ(KDrawLightenChannel(c, 256), 255);
    }
}

// --- KDrawBevel -----------------------------------------------------------------

TEST(KDrawBevel, RaisedNormalFaceOfE8E8E8) {
    TBitmap face;
    MakeUniform(face, 8, 6, Grey(232));
    KDrawBevel(&face, 0, 0, kcNormal);
    const int W = 8, H = 6;
    const struct {
        int x, y, value;
    } cases[] = {
        {0, 0, 249},         {3, 0, 249},         {W - 2, 0, 249},  // top row
        {0, 2, 249},         {0, H - 2, 249},                       // left column
        {W - 1, 0, 58},      {0, H - 1, 58},      {3, H - 1, 58},  {W - 1, 3, 58}, {W - 1, H - 1, 58},
        {W - 2, 2, 145},     {3, H - 2, 145},     {W - 2, H - 2, 145},
        {1, 1, 232},         {3, 2, 232},         {1, 3, 232},     {4, 1, 232},
    };
    for (const auto& c : cases) EXPECT_EQ(PixelAt(face, c.x, c.y), Grey(c.value)) << c.x << ", " << c.y;
}

TEST(KDrawBevel, ClearContrastRaised) {
    TBitmap face;
    MakeUniform(face, 5, 4, Bgr{232, 232, 255});  // red already 255
    KDrawBevel(&face, 0, 0, kcClear);
    EXPECT_EQ(PixelAt(face, 0, 0), (Bgr{254, 254, 255}));
    EXPECT_EQ(PixelAt(face, 3, 0), (Bgr{254, 254, 255}));
    EXPECT_EQ(PixelAt(face, 0, 2), (Bgr{254, 254, 255}));
    EXPECT_EQ(PixelAt(face, 4, 0), Grey(0));
    EXPECT_EQ(PixelAt(face, 0, 3), Grey(0));
    EXPECT_EQ(PixelAt(face, 2, 3), Grey(0));
    EXPECT_EQ(PixelAt(face, 4, 2), Grey(0));
    EXPECT_EQ(PixelAt(face, 3, 2), (Bgr{116, 116, 127}));  // inner shadow: scaled by 128
}

TEST(KDrawBevel, PressedTwoPixelFaceKeepsTheCrossingPixels) {
    TBitmap face;
    MakeUniform(face, 7, 6, Grey(232));
    KDrawBevel(&face, 1, 0, kcNormal);
    const int W = 7, H = 6;
    EXPECT_EQ(PixelAt(face, 1, H - 2), Grey(232));  // rule 3 comes before rule 4
    EXPECT_EQ(PixelAt(face, W - 2, 1), Grey(232));
    EXPECT_EQ(PixelAt(face, 1, 1), Grey(145));      // the inner shadow on row 1 and column 1
    EXPECT_EQ(PixelAt(face, 3, 1), Grey(145));
    EXPECT_EQ(PixelAt(face, 1, 3), Grey(145));
    EXPECT_EQ(PixelAt(face, 0, 0), Grey(58));       // first row and column dark
    EXPECT_EQ(PixelAt(face, 0, 3), Grey(58));
    EXPECT_EQ(PixelAt(face, W - 1, 0), Grey(249));  // last column and row light
    EXPECT_EQ(PixelAt(face, 0, H - 1), Grey(249));
    EXPECT_EQ(PixelAt(face, 3, H - 1), Grey(249));
    EXPECT_EQ(PixelAt(face, 3, 3), Grey(232));
}

TEST(KDrawBevel, NarrowFaces) {
    const struct {
        int width;
        int pressed;
        std::function<int(int x, int y)> expected;  // on a 5-pixel-high grey 232 face, kcNormal, style 0
    } cases[] = {
        // One column: the last column, over the whole height.
        {1, 0, [](int, int) { return 58; }},
        {1, 1, [](int, int) { return 249; }},
        // Column 0 by rule 2 (the last row by rule 1), column 1 by rule 1.
        {2, 0, [](int x, int y) { return x == 1 || y == 4 ? 58 : 249; }},
        // Column 1 is column W - 2: the inner shadow, except on the first and last rows.
        {3, 0, [](int x, int y) { return x == 2 || y == 4 ? 58 : (x == 0 || y == 0) ? 249 : 145; }},
        {3, 1, [](int x, int y) { return x == 2 || y == 4 ? 249 : (x == 0 || y == 0) ? 58 : 232; }},
    };
    for (const auto& c : cases) {
        TBitmap face;
        MakeUniform(face, c.width, 5, Grey(232));
        KDrawBevel(&face, c.pressed, 0, kcNormal);
        ExpectPixels(face, [&](int x, int y) { return Grey(c.expected(x, y)); },
                     "width " + std::to_string(c.width) + " pressed " + std::to_string(c.pressed));
    }
}

TEST(KDrawBevel, EmptyFacesOnlyChangeFormat) {
    const struct {
        int width, height;
    } sizes[] = {{0, 0}, {0, 4}, {4, 0}};
    for (const auto& s : sizes) {
        TBitmap face;
        face.SetSize(s.width, s.height);
        KDrawBevel(&face, 0, 0, kcNormal);
        EXPECT_EQ(face.PixelFormat(), pf24bit);
        EXPECT_EQ(face.Width(), s.width);
        EXPECT_EQ(face.Height(), s.height);
    }
}

TEST(KDrawBevel, EveryContrastPressedStateStyleAndSizeFollowsTheRules) {
    const struct {
        int width, height;
    } sizes[] = {{1, 1}, {2, 2}, {3, 3}, {1, 4}, {4, 1}, {4, 6}, {7, 5}, {100, 22}};
    for (int contrast = kcClear; contrast <= kcSoft3; ++contrast)
        for (int pressed = 0; pressed <= 1; ++pressed)
            for (int style = 0; style <= 1; ++style)
                for (const auto& s : sizes) {
                    TBitmap face;
                    Make(face, s.width, s.height, Pattern);
                    KDrawBevel(&face, pressed, style, static_cast<TKButtonContrast>(contrast));
                    ExpectPixels(face,
                                 [&](int x, int y) {
                                     return BevelModel(Pattern(x, y), x, y, s.width, s.height, pressed != 0, style,
                                                       kContrast[contrast]);
                                 },
                                 "contrast " + std::to_string(contrast) + " pressed " + std::to_string(pressed) +
                                     " style " + std::to_string(style) + " size " + std::to_string(s.width) + "x" +
                                     std::to_string(s.height));
                }
}

TEST(KDrawBevel, ConvertsADeviceFaceKeepingItsImage) {
    TBitmap face;
    Make(face, 6, 5, Pattern, pfDevice);
    KDrawBevel(&face, 0, 1, kcSoft2);
    EXPECT_EQ(face.PixelFormat(), pf24bit);
    ExpectPixels(face, [](int x, int y) { return BevelModel(Pattern(x, y), x, y, 6, 5, false, 1, kContrast[kcSoft2]); },
                 "device face");
}

TEST(KDrawBevel, ContrastOutsideTheTableTakesTheNearestEntry) {
    const struct {
        int contrast, like;
    } cases[] = {{-1, kcClear}, {5, kcSoft3}, {99, kcSoft3}};
    for (const auto& c : cases) {
        TBitmap face;
        Make(face, 5, 5, Pattern);
        KDrawBevel(&face, 0, 0, static_cast<TKButtonContrast>(c.contrast));
        ExpectPixels(face, [&](int x, int y) { return BevelModel(Pattern(x, y), x, y, 5, 5, false, 0, kContrast[c.like]); },
                     "contrast " + std::to_string(c.contrast));
    }
}

// --- KDrawFrame -------------------------------------------------------------------

TEST(KDrawFrame, OnePixelFrameAlongAllEdges) {
    const struct {
        TColor color;
        TPixelFormat format;
        int width, height;
    } cases[] = {
        {0x00336699, pfDevice, 6, 4}, {clBtnShadow, pf24bit, 5, 5}, {clRed, pf32bit, 1, 3}, {0x0, pf24bit, 2, 2},
    };
    for (const auto& c : cases) {
        TBitmap face;
        MakeUniform(face, c.width, c.height, Grey(200), c.format);
        face.Canvas()->Brush()->Style = bsClear;  // a clear brush left by caption drawing
        KDrawFrame(&face, c.color);
        EXPECT_EQ(face.PixelFormat(), pf24bit);
        ExpectPixels(face,
                     [&](int x, int y) {
                         const bool edge = x == 0 || y == 0 || x == c.width - 1 || y == c.height - 1;
                         return edge ? FromColor(c.color) : Grey(200);
                     },
                     "frame " + std::to_string(c.color));
    }
    TBitmap empty;
    KDrawFrame(&empty, clRed);
    EXPECT_EQ(empty.PixelFormat(), pf24bit);
    EXPECT_TRUE(empty.Empty());
}

// --- KDrawPanel -------------------------------------------------------------------

TEST(KDrawPanel, LightTopLeftDarkBottomRightColourInside) {
    const struct {
        TColor color;
        int width, height;
    } cases[] = {{0x00C08040, 6, 5}, {clBtnFace, 9, 4}, {0x00E8E8E8, 3, 3}, {clWhite, 2, 7}};
    for (const auto& c : cases) {
        const Bgr base = FromColor(c.color);
        const Bgr dark{Scale(base.b, 96), Scale(base.g, 96), Scale(base.r, 96)};
        const Bgr light{Lighten(base.b, 160), Lighten(base.g, 160), Lighten(base.r, 160)};
        TBitmap bitmap;
        MakeUniform(bitmap, c.width + 2, c.height + 2, Bgr{1, 2, 3});  // the panel covers the top-left part
        KDrawPanel(bitmap.Canvas(), c.width, c.height, c.color);
        const int w = c.width, h = c.height;
        ExpectPixels(bitmap,
                     [&](int x, int y) {
                         if (x >= w || y >= h) return Bgr{1, 2, 3};
                         if (x == w - 1 || y == h - 1) return dark;
                         if (x == 0 || y == 0) return light;
                         return base;
                     },
                     "panel " + std::to_string(c.color));
        EXPECT_EQ(PixelAt(bitmap, w - 1, 0), dark);
        EXPECT_EQ(PixelAt(bitmap, 0, h - 1), dark);
        EXPECT_EQ(PixelAt(bitmap, w - 2, 0), light);
        EXPECT_EQ(PixelAt(bitmap, 0, h - 2), light);
    }
    // The numbers of one colour: red 0x40, green 0x80, blue 0xC0.
    TBitmap bitmap;
    MakeUniform(bitmap, 4, 4, Grey(0));
    KDrawPanel(bitmap.Canvas(), 4, 4, 0x00C08040);
    EXPECT_EQ(PixelAt(bitmap, 3, 3), (Bgr{72, 48, 24}));
    EXPECT_EQ(PixelAt(bitmap, 0, 0), (Bgr{231, 207, 183}));
    EXPECT_EQ(PixelAt(bitmap, 1, 1), (Bgr{0xC0, 0x80, 0x40}));
}

// --- KDrawDarken and KDrawLighten -------------------------------------------------------

TEST(KDrawDarkenLighten, WholeBitmapChannelByChannel) {
    const struct {
        const char* what;
        std::function<void(TBitmap*)> apply;
        std::function<Bgr(Bgr)> expected;
    } cases[] = {
        {"darken 256", [](TBitmap* b) { KDrawDarken(b, 256, 256, 256); }, [](Bgr c) { return c; }},
        {"darken 0", [](TBitmap* b) { KDrawDarken(b, 0, 0, 0); }, [](Bgr) { return Grey(0); }},
        {"darken 100", [](TBitmap* b) { KDrawDarken(b, 100, 100, 100); },
         [](Bgr c) { return Bgr{Scale(c.b, 100), Scale(c.g, 100), Scale(c.r, 100)}; }},
        {"darken red 64 green 128 blue 192", [](TBitmap* b) { KDrawDarken(b, 64, 128, 192); },
         [](Bgr c) { return Bgr{Scale(c.b, 192), Scale(c.g, 128), Scale(c.r, 64)}; }},
        {"lighten 0", [](TBitmap* b) { KDrawLighten(b, 0); }, [](Bgr c) { return c; }},
        {"lighten 256", [](TBitmap* b) { KDrawLighten(b, 256); }, [](Bgr) { return Grey(255); }},
        {"lighten 192", [](TBitmap* b) { KDrawLighten(b, 192); },
         [](Bgr c) { return Bgr{Lighten(c.b, 192), Lighten(c.g, 192), Lighten(c.r, 192)}; }},
    };
    for (const auto& c : cases) {
        for (TPixelFormat format : {pf24bit, pfDevice}) {
            TBitmap bitmap;
            Make(bitmap, 9, 7, Pattern, format);  // odd width: padded rows
            c.apply(&bitmap);
            EXPECT_EQ(bitmap.PixelFormat(), pf24bit) << c.what;
            EXPECT_EQ(bitmap.Width(), 9);
            EXPECT_EQ(bitmap.Height(), 7);
            ExpectPixels(bitmap, [&](int x, int y) { return c.expected(Pattern(x, y)); }, c.what);
        }
        TBitmap empty;
        empty.SetSize(0, 3);
        c.apply(&empty);
        EXPECT_EQ(empty.PixelFormat(), pf24bit) << c.what;
        EXPECT_EQ(empty.Width(), 0);
        EXPECT_EQ(empty.Height(), 3);
    }
    // The numbers: grey 128 darkened to 100/256, grey 100 lightened by 128.
    TBitmap grey;
    MakeUniform(grey, 2, 2, Grey(128));
    KDrawDarken(&grey, 100, 100, 100);
    EXPECT_EQ(PixelAt(grey, 1, 1), Grey(50));
    MakeUniform(grey, 2, 2, Grey(100));
    KDrawLighten(&grey, 128);
    EXPECT_EQ(PixelAt(grey, 1, 1), Grey(177));
}

// --- KDrawScaleColor --------------------------------------------------------------------

TEST(KDrawScaleColor, ResolvesThenScalesEachByte) {
    const TColor btnFace = static_cast<TColor>(GetSysColor(COLOR_BTNFACE));
    const struct {
        TColor color;
        int fB, fG, fR;
        TColor expected;
    } cases[] = {
        {0x00E8E8E8, 64, 64, 64, 0x003A3A3A},
        {0x003264C8, 128, 256, 0, 0x00196400},  // red 200 -> 0, green 100 stays, blue 50 -> 25
        {0x00FFFFFF, 256, 256, 256, 0x00FFFFFF},
        {0x00FFFFFF, 0, 0, 0, 0},
        {clBtnFace, 256, 256, 256, btnFace},
        {clBtnFace, 0, 0, 0, clBlack},
        {clBtnFace, 128, 128, 128,
         static_cast<TColor>(RGB(Scale(GetRValue(btnFace), 128), Scale(GetGValue(btnFace), 128),
                                 Scale(GetBValue(btnFace), 128)))},
    };
    for (const auto& c : cases) {
        const TColor got = KDrawScaleColor(c.color, c.fB, c.fG, c.fR);
        EXPECT_EQ(got, c.expected) << std::hex << c.color;
        EXPECT_EQ(static_cast<unsigned>(got) >> 24, 0u) << std::hex << c.color;
    }
}

// --- KDrawFillFace ----------------------------------------------------------------------

TEST(KDrawFillFace, OpaqueFillsWithTheColourAndKeepsTheFormat) {
    const struct {
        TColor color;
        TPixelFormat format;
    } cases[] = {{0x00123456, pfDevice}, {0x00E8E8E8, pf24bit}, {clBtnFace, pf24bit}, {clHighlight, pf32bit}};
    for (const auto& c : cases) {
        TBitmap face;
        Make(face, 5, 3, Pattern, c.format);
        face.Canvas()->Brush()->Style = bsClear;  // as caption drawing leaves it
        TBitmap background;
        MakeUniform(background, 9, 9, Grey(7));
        KDrawFillFace(&face, 0, c.color, &background);
        EXPECT_EQ(face.PixelFormat(), c.format);
        EXPECT_EQ(face.Width(), 5);
        EXPECT_EQ(face.Height(), 3);
        ExpectPixels(face, [&](int, int) { return FromColor(c.color); }, "fill " + std::to_string(c.color));
    }
}

TEST(KDrawFillFace, TransparentCopiesTheBackground) {
    TBitmap face;
    MakeUniform(face, 10, 10, Grey(9), pfDevice);
    TBitmap background;
    Make(background, 4, 3, Pattern, pf24bit);
    KDrawFillFace(&face, 1, clRed, &background);
    EXPECT_EQ(face.Width(), 4);
    EXPECT_EQ(face.Height(), 3);
    EXPECT_EQ(face.PixelFormat(), pf24bit);
    ExpectPixels(face, Pattern, "transparent face");
    EXPECT_NE(face.Handle(), background.Handle());

    // Without a background to copy, the face stays as it is.
    KDrawFillFace(&face, 1, clRed, nullptr);
    EXPECT_EQ(face.Width(), 4);
    ExpectPixels(face, Pattern, "no background");
}

// --- KDrawBackground --------------------------------------------------------------------

TEST(KDrawBackground, CopiesTheButtonsBoundsFromTheUnderImage) {
    TBitmap under;
    Make(under, 40, 20, Pattern, pfDevice);
    const struct {
        RECT bounds;
    } cases[] = {{{5, 2, 13, 8}}, {{0, 0, 40, 20}}, {{30, 15, 40, 20}}, {{1, 1, 2, 2}}};
    for (const auto& c : cases) {
        TBitmap background;
        MakeUniform(background, 3, 30, Grey(1));  // any earlier size
        KDrawBackground(c.bounds, clRed, &under, &background);
        const int w = c.bounds.right - c.bounds.left, h = c.bounds.bottom - c.bounds.top;
        ASSERT_EQ(background.Width(), w);
        ASSERT_EQ(background.Height(), h);
        ExpectPixels(background, [&](int x, int y) { return Pattern(x + c.bounds.left, y + c.bounds.top); },
                     "under image at " + std::to_string(c.bounds.left) + ", " + std::to_string(c.bounds.top));
    }
}

TEST(KDrawBackground, FillsWithTheParentColourWithoutAnUnderImage) {
    const struct {
        TColor color;
    } cases[] = {{0x00336699}, {clBtnFace}, {clWindow}};
    for (const auto& c : cases) {
        TBitmap background;
        KDrawBackground(RECT{10, 20, 110, 42}, c.color, nullptr, &background);
        ASSERT_EQ(background.Width(), 100);
        ASSERT_EQ(background.Height(), 22);
        ExpectPixels(background, [&](int, int) { return FromColor(c.color); }, "parent colour " + std::to_string(c.color));
    }
    TBitmap background;
    background.SetSize(5, 5);
    KDrawBackground(RECT{3, 3, 3, 9}, clRed, nullptr, &background);  // no width
    EXPECT_EQ(background.Width(), 0);
    EXPECT_EQ(background.Height(), 6);
    EXPECT_TRUE(background.Empty());
    KDrawBackground(static_cast<TControl*>(nullptr), nullptr, &background);  // no button: nothing
    KDrawBackground(RECT{0, 0, 4, 4}, clRed, nullptr, nullptr);              // no bitmap: nothing
}
