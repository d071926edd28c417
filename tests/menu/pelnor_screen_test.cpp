// What pelnor.exe shows over a known picture: in the translucent mode the
// blurred, darkened and framed copy of the screen beneath it, in the solid
// mode item buttons in the button colour inside the same frame. Each test
// saves a screenshot of the menu and its surroundings.
#include <gtest/gtest.h>

#include "backdrop.h"
#include "pelnor_harness.h"

#include <sstream>

using backdrop::Bgr;
using backdrop::Image;
using namespace pelnor;

namespace {

std::ostream& operator<<(std::ostream& os, const Bgr& c) {
    return os << "(r " << c.r << ", g " << c.g << ", b " << c.b << ")";
}

// Black and white cells of 5 x 3 pixels: the highest contrast, and a blur
// that mixes them differently at every position.
Bgr Checker(int x, int y) { return ((x / 5 + y / 3) & 1) ? Bgr{255, 255, 255} : Bgr{0, 0, 0}; }

Image PatternOf(const RECT& r) {
    Image image;
    image.width = r.right - r.left;
    image.height = r.bottom - r.top;
    image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) image.At(x, y) = Checker(r.left + x, r.top + y);
    return image;
}

// The points of the menu that show only its background or a button face:
// the one-pixel ring, and every row from x 60 on, right of the glyph and
// the short captions.
bool Plain(int x, int y, int w, int h) { return x == 0 || y == 0 || y == h - 1 || x == w - 1 || x >= 60; }

// Counts the plain points where the screen differs from expected(x, y); the
// first few go to *report.
int Mismatches(const Image& shown, const std::function<Bgr(int, int)>& expected, std::string* report) {
    int wrong = 0;
    std::ostringstream out;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            if (!Plain(x, y, shown.width, shown.height)) continue;
            if (shown.At(x, y) != expected(x, y) && ++wrong <= 8)
                out << "(" << x << ", " << y << ") " << shown.At(x, y) << " want " << expected(x, y) << "; ";
        }
    if (report) *report = out.str();
    return wrong;
}

class PelnorScreen : public ::testing::Test {
protected:
    void SetUp() override {
        CleanMenuDir();
        rowHeight = RowHeight();
        testdesk::MoveMouse(::GetSystemMetrics(SM_CXSCREEN) - 20, 20);
    }
    void TearDown() override { CleanMenuDir(); }

    // Runs the menu over the checkerboard and checks its plain points
    // against expected (in menu coordinates, given the reference background).
    void Check(const Lines& file, const std::wstring& shot,
               const std::function<Bgr(const Image& reference, int x, int y)>& expected) {
        backdrop::Window back(Checker);
        const RECT area{60, 160, 420, 420};
        ASSERT_TRUE(back.WaitShown(area));
        ASSERT_TRUE(WriteMenu(L"s.ini", file));
        MenuRun run(L"s -x 100 -y 200");
        HWND menu = WaitMenu(run.process.pid);
        ASSERT_NE(menu, nullptr);
        const RECT r = testdesk::ScreenRect(menu);
        const int w = r.right - r.left, h = r.bottom - r.top;
        ASSERT_EQ(w, 150);
        ASSERT_EQ(h, 3 * rowHeight + 2);
        const Image reference = backdrop::ReferenceBackground(PatternOf(r));
        auto want = [&](int x, int y) { return expected(reference, x, y); };
        std::string report;
        const bool same = testdesk::WaitUntil([&] { return Mismatches(backdrop::Grab(r), want, nullptr) == 0; });
        testdesk::SaveScreenshot(shot, &area);
        EXPECT_TRUE(same) << Mismatches(backdrop::Grab(r), want, &report) << " points differ: " << report;
        // The picture is darkened to 100/256: no channel above 99 inside the frame.
        const Image shown = backdrop::Grab(r);
        int brightest = 0;
        for (int y = 2; y < h - 2; ++y)
            for (int x = 60; x < w - 2; ++x) brightest = std::max({brightest, shown.At(x, y).r, shown.At(x, y).g});
        lastBrightest = brightest;
        EXPECT_EQ(run.CloseByDeactivation(), 0);
    }

    int rowHeight = 0;
    int lastBrightest = 0;
};

const Lines kItems = {L"B0=" + Item(L"A", L""), L"B1=" + Item(L"B", L""), L"B2=" + Item(L"C", L"")};

}  // namespace

TEST_F(PelnorScreen, TranslucentShowsTheBlurredDarkenedFramedScreen) {
    Check(kItems, L"pelnor_translucent.bmp",
          [](const Image& reference, int x, int y) { return reference.At(x, y); });
    EXPECT_LE(lastBrightest, 99);
    EXPECT_GT(lastBrightest, 0);

    // Spot checks written out: the top-left corner is lightened by 160/256,
    // the bottom row and right column are dark, and a pixel inside is the
    // 5 x 5 mean of the checkerboard scaled to 100/256 (the in-place order
    // changes it by little on this pattern).
    const Image reference = backdrop::ReferenceBackground(PatternOf(RECT{100, 200, 250, 200 + 3 * rowHeight + 2}));
    const Bgr inside = reference.At(80, 10);
    int mean = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) mean += Checker(180 + dx, 210 + dy).r;
    EXPECT_NEAR(inside.r, mean / 25 * 100 / 256, 12);
}

TEST_F(PelnorScreen, SolidModeFillsTheButtonsWithTheButtonColour) {
    Lines file = kItems;
    file.insert(file.end(), {L"ColorMode=2", L"ButtonColor=" + std::to_wstring(0x3080C0), L"TextColor=16777215"});
    Check(file, L"pelnor_solid.bmp", [](const Image& reference, int x, int y) {
        const int w = reference.width, h = reference.height;
        if (x == 0 || y == 0 || x == w - 1 || y == h - 1) return reference.At(x, y);
        return Bgr{0x30, 0x80, 0xC0};
    });
}
