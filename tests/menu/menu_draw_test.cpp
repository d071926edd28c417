// The menu's own picture routines: the 5 x 5 box blur in place and the
// bevel frame, pixel by pixel against the arithmetic written out here.
#include <gtest/gtest.h>

#include "kdrawmenu.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace {

struct Bgr {
    int b, g, r;
    bool operator==(const Bgr&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Bgr& c) {
    return os << "(r " << c.r << ", g " << c.g << ", b " << c.b << ")";
}

Bgr Grey(int v) { return {v, v, v}; }

Bgr PixelAt(TBitmap& bitmap, int x, int y) {
    const auto* p = static_cast<const uint8_t*>(bitmap.ScanLine(y)) + static_cast<size_t>(x) * 3;
    return {p[0], p[1], p[2]};
}

void Make(TBitmap& bitmap, int width, int height, const std::function<Bgr(int, int)>& fill) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto* p = static_cast<uint8_t*>(bitmap.ScanLine(y)) + static_cast<size_t>(x) * 3;
            const Bgr c = fill(x, y);
            p[0] = static_cast<uint8_t>(c.b);
            p[1] = static_cast<uint8_t>(c.g);
            p[2] = static_cast<uint8_t>(c.r);
        }
    }
}

// An image as a plain grid of pixels, for the reference computations.
using Grid = std::vector<std::vector<Bgr>>;

Grid GridOf(int width, int height, const std::function<Bgr(int, int)>& fill) {
    Grid g(static_cast<size_t>(height), std::vector<Bgr>(static_cast<size_t>(width)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) g[static_cast<size_t>(y)][static_cast<size_t>(x)] = fill(x, y);
    return g;
}

// The filter as it is defined, cell by cell in place: rows from the third to
// the third last, top down, each left to right, every channel the
// rounded-down mean of the 25 values that stand in the grid at that moment.
void ReferenceBlur(Grid& g) {
    const int h = static_cast<int>(g.size()), w = h ? static_cast<int>(g[0].size()) : 0;
    if (w < 5 || h < 5) return;
    for (int y = 2; y <= h - 3; ++y) {
        for (int x = 2; x <= w - 3; ++x) {
            int sb = 0, sg = 0, sr = 0;
            for (int dy = -2; dy <= 2; ++dy) {
                for (int dx = -2; dx <= 2; ++dx) {
                    const Bgr& c = g[static_cast<size_t>(y + dy)][static_cast<size_t>(x + dx)];
                    sb += c.b;
                    sg += c.g;
                    sr += c.r;
                }
            }
            g[static_cast<size_t>(y)][static_cast<size_t>(x)] = {sb / 25, sg / 25, sr / 25};
        }
    }
}

void ExpectGrid(TBitmap& bitmap, const Grid& expected) {
    ASSERT_EQ(bitmap.Height(), static_cast<int>(expected.size()));
    int wrong = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const Bgr want = expected[static_cast<size_t>(y)][static_cast<size_t>(x)];
            const Bgr got = PixelAt(bitmap, x, y);
            if (got != want && ++wrong <= 10) ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << got << ", want " << want;
        }
    }
    EXPECT_EQ(wrong, 0);
}

// Distinct values in every channel, the extremes 0 and 255 among them.
Bgr Pattern(int x, int y) { return {(x * 37 + y * 11) % 256, (x * 53 + y * 97 + 255) % 256, (x * 29 + y * 71 + 128) % 256}; }

}  // namespace

TEST(KDrawBlur, BitmapsNarrowerOrLowerThanTheWindowPassUnchanged) {
    for (auto [w, h] : {std::pair{20, 4}, std::pair{4, 20}, std::pair{1, 1}, std::pair{4, 4}}) {
        TBitmap bitmap;
        Make(bitmap, w, h, Pattern);
        KDrawBlur(&bitmap);
        ExpectGrid(bitmap, GridOf(w, h, Pattern));
    }
    TBitmap empty;
    KDrawBlur(&empty);  // nothing to do, nothing raised
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.PixelFormat(), pf24bit);
    KDrawBlur(nullptr);
}

TEST(KDrawBlur, FiveByFiveChangesOnlyTheCentreToTheRoundedDownMean) {
    TBitmap bitmap;
    Make(bitmap, 5, 5, Pattern);
    KDrawBlur(&bitmap);
    int sb = 0, sg = 0, sr = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            sb += Pattern(x, y).b;
            sg += Pattern(x, y).g;
            sr += Pattern(x, y).r;
        }
    Grid expected = GridOf(5, 5, Pattern);
    expected[2][2] = {sb / 25, sg / 25, sr / 25};
    ExpectGrid(bitmap, expected);
    // The mean is rounded down: 24 zeros and one 24 give 0, not 1.
    Make(bitmap, 5, 5, [](int x, int y) { return x == 0 && y == 0 ? Bgr{24, 49, 255} : Grey(0); });
    KDrawBlur(&bitmap);
    EXPECT_EQ(PixelAt(bitmap, 2, 2), (Bgr{0, 1, 10}));
}

TEST(KDrawBlur, WorksInPlaceInRowOrder) {
    // A curved ramp: reading filtered or unfiltered neighbours gives
    // different results (a straight ramp would be its own mean).
    auto ramp = [](int x, int y) { return Bgr{x * x * 5, y * y * 6, x * y * 6}; };
    TBitmap bitmap;
    Make(bitmap, 7, 7, ramp);
    KDrawBlur(&bitmap);
    Grid expected = GridOf(7, 7, ramp);
    ReferenceBlur(expected);
    ExpectGrid(bitmap, expected);

    // The same filter computed from an unchanged copy gives other values.
    const Grid source = GridOf(7, 7, ramp);
    int differing = 0;
    for (int y = 2; y <= 4; ++y)
        for (int x = 2; x <= 4; ++x) {
            int sb = 0, sg = 0, sr = 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const Bgr& c = source[static_cast<size_t>(y + dy)][static_cast<size_t>(x + dx)];
                    sb += c.b;
                    sg += c.g;
                    sr += c.r;
                }
            if (PixelAt(bitmap, x, y) != Bgr{sb / 25, sg / 25, sr / 25}) ++differing;
        }
    EXPECT_GE(differing, 6);
    // The first pixel filtered reads only unfiltered values.
    int s = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) s += ramp(x, y).b;
    EXPECT_EQ(PixelAt(bitmap, 2, 2).b, s / 25);
}

TEST(KDrawBlur, LargerImagesMatchTheReferenceAndKeepTheirBorder) {
    for (auto [w, h] : {std::pair{5, 9}, std::pair{13, 5}, std::pair{37, 23}, std::pair{150, 42}}) {
        TBitmap bitmap;
        Make(bitmap, w, h, Pattern);
        KDrawBlur(&bitmap);
        Grid expected = GridOf(w, h, Pattern);
        ReferenceBlur(expected);
        ExpectGrid(bitmap, expected);
        for (int x = 0; x < w; ++x) {
            for (int y : {0, 1, h - 2, h - 1}) EXPECT_EQ(PixelAt(bitmap, x, y), Pattern(x, y));
        }
    }
}

TEST(KDrawBlur, ConvertsToTwentyFourBits) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(6, 6);
    bitmap.Canvas()->Brush()->Color = 0x204060;
    bitmap.Canvas()->FillRect(RECT{0, 0, 6, 6});
    KDrawBlur(&bitmap);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    EXPECT_EQ(PixelAt(bitmap, 3, 3), (Bgr{0x20, 0x40, 0x60}));
}

TEST(KDrawMenuFrame, UniformGreyGivesTheFourEdgeValues) {
    const int w = 9, h = 7;
    TBitmap bitmap;
    Make(bitmap, w, h, [](int, int) { return Grey(128); });
    KDrawMenuFrame(&bitmap);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int want = 128;
            if (x == w - 1 || y == h - 1)
                want = 48;  // 128 * 96 / 256
            else if (x == 0 || y == 0)
                want = 207;  // 128 + 127 * 160 / 256
            else if (x == w - 2 || y == h - 2)
                want = 64;  // 128 * 128 / 256
            EXPECT_EQ(PixelAt(bitmap, x, y), Grey(want)) << "pixel (" << x << ", " << y << ")";
        }
    }
    // The corners: top-right and bottom-left dark, top-left light, and the
    // inner shadow only along the right and bottom edges.
    EXPECT_EQ(PixelAt(bitmap, w - 1, 0), Grey(48));
    EXPECT_EQ(PixelAt(bitmap, 0, h - 1), Grey(48));
    EXPECT_EQ(PixelAt(bitmap, 0, 0), Grey(207));
    EXPECT_EQ(PixelAt(bitmap, w - 1, h - 1), Grey(48));
    EXPECT_EQ(PixelAt(bitmap, 0, h - 2), Grey(207));
    EXPECT_EQ(PixelAt(bitmap, w - 2, 0), Grey(207));
    EXPECT_EQ(PixelAt(bitmap, 1, 1), Grey(128));
    EXPECT_EQ(PixelAt(bitmap, w - 2, h - 2), Grey(64));
}

TEST(KDrawMenuFrame, EachChannelOnItsOwnAndTinyBitmaps) {
    // Channels 0, 255 and 100 at once; every size from 1 x 1 up to 4 x 3.
    const Bgr c{0, 255, 100};
    auto dark = [](int v) { return v * 96 / 256; };
    auto light = [](int v) { return v + (255 - v) * 160 / 256; };
    auto half = [](int v) { return v * 128 / 256; };
    for (int w = 1; w <= 4; ++w) {
        for (int h = 1; h <= 3; ++h) {
            TBitmap bitmap;
            Make(bitmap, w, h, [c](int, int) { return c; });
            KDrawMenuFrame(&bitmap);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    std::function<int(int)> f = [](int v) { return v; };
                    if (x == w - 1 || y == h - 1)
                        f = dark;
                    else if (x == 0 || y == 0)
                        f = light;
                    else if (x == w - 2 || y == h - 2)
                        f = half;
                    EXPECT_EQ(PixelAt(bitmap, x, y), (Bgr{f(c.b), f(c.g), f(c.r)}))
                        << w << " x " << h << " pixel (" << x << ", " << y << ")";
                }
        }
    }
    TBitmap empty;
    KDrawMenuFrame(&empty);
    KDrawMenuFrame(nullptr);
    EXPECT_EQ(empty.PixelFormat(), pf24bit);
}
