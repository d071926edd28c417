// The menu window in this process: its arrangement on the screen, its
// background copy kept free of its own image, its buttons and their look,
// the hit test of its ring and its modal showing.
#include <gtest/gtest.h>

#include "backdrop.h"
#include "desktop.h"
#include "fmenu.h"
#include "g01.h"
#include "kbutton.h"
#include "kdrawmenu.h"
#include "qbtn.h"
#include "qini.h"
#include "s01.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

using backdrop::Bgr;

namespace {

Bgr Checker(int x, int y) { return ((x / 4 + y / 2) & 1) ? Bgr{250, 240, 230} : Bgr{10, 40, 20}; }

Bgr PixelOf(TBitmap* bitmap, int x, int y) {
    const auto* p = static_cast<const uint8_t*>(bitmap->ScanLine(y)) + static_cast<size_t>(x) * 3;
    return Bgr{p[0], p[1], p[2]};
}

bool SameImage(TBitmap* a, TBitmap* b) {
    if (a->Width() != b->Width() || a->Height() != b->Height()) return false;
    for (int y = 0; y < a->Height(); ++y)
        for (int x = 0; x < a->Width(); ++x)
            if (!(PixelOf(a, x, y) == PixelOf(b, x, y))) return false;
    return true;
}

// Runs an action once from the message loop of the first modal showing of
// a menu: a thread timer looks every few milliseconds whether it runs yet.
struct WhenModal {
    static inline TKMenu* menu = nullptr;
    static inline std::function<void()> action;
    static inline UINT_PTR timer = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (!menu || !menu->Modal()) return;
        ::KillTimer(nullptr, timer);
        timer = 0;
        menu = nullptr;
        auto run = std::move(action);
        run();
    }
    static void Arm(TKMenu* m, std::function<void()> a) {
        menu = m;
        action = std::move(a);
        timer = ::SetTimer(nullptr, 0, 10, &WhenModal::Tick);
    }
};

std::string Show(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) +
           " x " + std::to_string(r.bottom - r.top);
}

class MenuWindow : public ::testing::Test {
protected:
    void SetUp() override {
        MenuSettings = new TMenuSettings();
        MenuSettings->ItemHeight = MenuItemHeight(MenuSettings->FontName, MenuSettings->FontSize);
        rowHeight = MenuSettings->ItemHeight;
        menu = std::make_unique<TKMenu>(nullptr);
        testdesk::MoveMouse(::GetSystemMetrics(SM_CXSCREEN) - 5, ::GetSystemMetrics(SM_CYSCREEN) - 5);
    }
    void TearDown() override {
        menu.reset();
        delete MenuSettings;
        MenuSettings = nullptr;
        testdesk::PumpMessages();
    }
    void Items(int n) {
        for (int i = 0; i < n; ++i) menu->AddItem((L"Item " + std::to_wstring(i)).c_str(), L"");
    }
    RECT Bounds() { return menu->BoundsRect(); }

    int rowHeight = 0;
    std::unique_ptr<TKMenu> menu;
};

}  // namespace

TEST_F(MenuWindow, IsABorderlessTopMostWindowOfItsOwnClass) {
    Items(2);
    menu->SetLeft(100);
    menu->SetTop(120);
    menu->ArrangeWindow();
    menu->DrawItems();
    menu->Show();
    HWND hwnd = menu->Handle();
    EXPECT_EQ(testdesk::ClassOf(hwnd), L"TKMenu");
    EXPECT_EQ(testdesk::TextOf(hwnd), L"KMenu");
    const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE), ex = ::GetWindowLongW(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_BORDER | WS_DLGFRAME));
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 150);
    EXPECT_EQ(client.bottom, 2 * rowHeight + 2);
    EXPECT_EQ(Show(testdesk::ScreenRect(hwnd)), Show(RECT{100, 120, 250, 120 + 2 * rowHeight + 2}));
    menu->Hide();
}

TEST_F(MenuWindow, ArrangingSizesThePictureAndKeepsTheMenuOnTheScreen) {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    // No items: one row.
    menu->SetLeft(10);
    menu->SetTop(20);
    menu->ArrangeWindow();
    EXPECT_EQ(Show(Bounds()), Show(RECT{10, 20, 160, 20 + rowHeight + 2}));
    EXPECT_EQ(menu->Back->Width(), 150);
    EXPECT_EQ(menu->Back->Height(), rowHeight + 2);
    EXPECT_EQ(menu->Back->PixelFormat(), pf24bit);

    Items(4);
    const int h = 4 * rowHeight + 2;
    struct Case {
        int x, y;
        RECT expected;
    } cases[] = {
        {cx - 10, 50, RECT{cx - 150, 50, cx, 50 + h}},
        {40, cy - 3, RECT{40, cy - h, 190, cy}},
        {cx - 150, cy - h, RECT{cx - 150, cy - h, cx, cy}},
        // the top-left corner stays on the screen
        {-30, -40, RECT{0, 0, 150, h}},
        {-30, 40, RECT{0, 40, 150, 40 + h}},
        // the ends of the int range: no edge wraps round
        {INT_MAX, 50, RECT{cx - 150, 50, cx, 50 + h}},
        {40, INT_MAX, RECT{40, cy - h, 190, cy}},
        {INT_MAX - 100, INT_MAX - 100, RECT{cx - 150, cy - h, cx, cy}},
        {INT_MIN, INT_MIN, RECT{0, 0, 150, h}},
        {INT_MAX, INT_MIN, RECT{cx - 150, 0, cx, h}},
    };
    for (const Case& k : cases) {
        menu->SetLeft(k.x);
        menu->SetTop(k.y);
        menu->ArrangeWindow();
        EXPECT_EQ(Show(Bounds()), Show(k.expected)) << k.x << ", " << k.y;
    }
    MenuSettings->ButtonWidth = 400;
    menu->SetLeft(0);
    menu->SetTop(0);
    menu->ArrangeWindow();
    EXPECT_EQ(Show(Bounds()), Show(RECT{0, 0, 400, h}));

    // Taller than the screen: the first rows stay on it, the last ones go.
    Items(46);  // 50 in all
    const int tall = 50 * rowHeight + 2;
    ASSERT_GT(tall, cy);
    menu->SetLeft(30);
    menu->SetTop(500);
    menu->ArrangeWindow();
    EXPECT_EQ(Show(Bounds()), Show(RECT{30, 0, 430, tall}));
}

TEST_F(MenuWindow, ARearrangementOnTheScreenDoesNotBlurTheMenusOwnImage) {
    backdrop::Window back(Checker);
    ASSERT_TRUE(back.WaitShown(RECT{80, 80, 320, 260}));
    Items(3);
    menu->SetLeft(100);
    menu->SetTop(100);
    menu->ArrangeWindow();
    menu->DrawItems();
    TBitmap first;
    first.Assign(menu->Back);
    // The background is built from what the screen shows there.
    const backdrop::Image expected = backdrop::ReferenceBackground(backdrop::Grab(RECT{100, 100, 250, 100 + 3 * rowHeight + 2}));
    EXPECT_EQ(PixelOf(menu->Back, 70, 5), expected.At(70, 5));
    EXPECT_EQ(PixelOf(menu->Back, 0, 0), expected.At(0, 0));

    menu->Show();
    HWND hwnd = menu->Handle();
    const RECT r = testdesk::ScreenRect(hwnd);
    // Wait until the window shows its picture on the screen.
    ASSERT_TRUE(testdesk::WaitUntil([&] {
        const backdrop::Image shown = backdrop::Grab(r);
        return shown.At(0, 0) == PixelOf(menu->Back, 0, 0) && shown.At(70, 5) == PixelOf(menu->Back, 70, 5);
    }));

    // Arranged again in the same place while it is on the screen: the very same picture.
    menu->ArrangeWindow();
    EXPECT_TRUE(SameImage(menu->Back, &first));

    // Without the clean copy the new capture would hold the menu itself.
    menu->Saved->SetSize(0, 0);
    menu->ArrangeWindow();
    EXPECT_FALSE(SameImage(menu->Back, &first));
    menu->Hide();
}

TEST_F(MenuWindow, TheCaptureCopiesTheScreenAndGivesBlackOffIt) {
    backdrop::Window back(Checker);
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(back.WaitShown(RECT{0, 0, 40, 40}));
    ASSERT_TRUE(back.WaitShown(RECT{cx - 40, cy - 40, cx, cy}));
    struct Case {
        int left, top;
    } cases[] = {{30, 40}, {-10, -12}, {cx - 25, cy - 20}, {-10, cy - 5}, {-100, -100}};
    for (const Case& k : cases) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(pf24bit);
        bitmap.SetSize(40, 30);
        KDrawCaptureScreenAt(k.left, k.top, &bitmap);
        int wrong = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const int sx = k.left + x, sy = k.top + y;
                const bool on = sx >= 0 && sy >= 0 && sx < cx && sy < cy;
                const Bgr want = on ? Checker(sx, sy) : Bgr{0, 0, 0};
                wrong += !(PixelOf(&bitmap, x, y) == want);
            }
        EXPECT_EQ(wrong, 0) << "at " << k.left << ", " << k.top;
    }
    // Through the menu: its Left and Top.
    menu->SetLeft(30);
    menu->SetTop(40);
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(8, 8);
    KDrawCaptureScreen(menu.get(), &bitmap);
    EXPECT_EQ(PixelOf(&bitmap, 5, 6), Checker(35, 46));
}

TEST_F(MenuWindow, AGrownMenuTakesTheScreenWhereItDidNotLie) {
    backdrop::Window back(Checker);
    ASSERT_TRUE(back.WaitShown(RECT{80, 80, 320, 300}));
    Items(2);
    menu->SetLeft(100);
    menu->SetTop(100);
    menu->ArrangeWindow();
    menu->Show();
    const int h2 = 2 * rowHeight + 2;
    ASSERT_TRUE(testdesk::WaitUntil([&] {
        return backdrop::Grab(RECT{100, 100, 101, 101}).At(0, 0) == PixelOf(menu->Back, 0, 0);
    }));
    menu->AddItem(L"Third", L"");
    menu->ArrangeWindow();
    ASSERT_EQ(menu->Back->Height(), 3 * rowHeight + 2);
    // Compare with the picture of a clean capture of the whole grown rectangle.
    const backdrop::Image reference = backdrop::ReferenceBackground([&] {
        backdrop::Image capture;
        capture.width = 150;
        capture.height = 3 * rowHeight + 2;
        capture.pixels.resize(static_cast<size_t>(capture.width) * static_cast<size_t>(capture.height));
        for (int y = 0; y < capture.height; ++y)
            for (int x = 0; x < capture.width; ++x) capture.At(x, y) = Checker(100 + x, 100 + y);
        return capture;
    }());
    int wrong = 0;
    for (int y = 0; y < menu->Back->Height(); ++y)
        for (int x = 0; x < 150; ++x) wrong += !(PixelOf(menu->Back, x, y) == reference.At(x, y));
    EXPECT_EQ(wrong, 0) << "rows below the old height " << h2;
    menu->Hide();
}

TEST_F(MenuWindow, ItemsBecomeButtonsWithTheirCaptionsAndIcons) {
    const std::wstring sixty(60, L'x');
    menu->AddItem(L"", L"C:\\windows");                // no caption: the target
    menu->AddItem(sixty.c_str(), L"");                  // cut to 50
    menu->AddItem(L"first\rsecond", L"");               // the first line only
    menu->AddItem(L"one\ntwo", L"");
    menu->AddItem(L"plain", L"");
    menu->SetLeft(50);
    menu->SetTop(60);
    menu->ArrangeWindow();
    // Item 3 before the others makes only its own button.
    menu->DrawItem(3);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(menu->Buttons->ButtonAt(i) != nullptr, i == 3) << i;
    menu->DrawItems();
    const wchar_t* captions[] = {L"C:\\windows", nullptr, L"first", L"one", L"plain"};
    for (int i = 0; i < 5; ++i) {
        TKButton* b = menu->Buttons->ButtonAt(i);
        ASSERT_NE(b, nullptr);
        if (captions[i]) {
            EXPECT_EQ(b->Caption(), captions[i]) << i;
        }
        EXPECT_EQ(b->Index, i);
        EXPECT_EQ(b->Left(), 1);
        EXPECT_EQ(b->Top(), rowHeight * i + 1);
        EXPECT_EQ(b->Width(), 148);
        EXPECT_EQ(b->Height(), rowHeight);
        EXPECT_EQ(b->Margin(), 24);
        EXPECT_EQ(b->Alignment(), taLeftJustify);
        EXPECT_EQ(b->Style(), qsFlat);
        EXPECT_EQ(b->Enter(), qeShade);
        EXPECT_EQ(b->EnterShade(), 50);
        EXPECT_EQ(b->EnterTextColor(), 0xFFFFFF);
        EXPECT_EQ(b->Transparent(), 1);
        EXPECT_EQ(b->Font()->Color(), 0xFFFFFF);
        EXPECT_EQ(b->Font()->Name(), L"Tahoma");
        EXPECT_EQ(b->Font()->Size(), 9);
        EXPECT_FALSE(b->ParentFont());
        EXPECT_EQ(b->UnderGlyph, menu->Back);
        EXPECT_EQ(b->Glyph()->Width(), 16);
        EXPECT_EQ(b->Glyph()->Height(), 16);
    }
    EXPECT_EQ(menu->Buttons->ButtonAt(1)->Caption(), std::wstring(50, L'x'));
    // An empty target: the icon is the background colour only, taken in the
    // translucent mode from the picture at (8, row top + 8).
    for (int i = 1; i < 5; ++i) {
        TBitmap* glyph = menu->Buttons->ButtonAt(i)->Glyph();
        const TColor bg = menu->Back->Canvas()->Pixel(8, rowHeight * i + 8);
        for (int y = 0; y < 16; y += 5)
            for (int x = 0; x < 16; x += 5) EXPECT_EQ(glyph->Canvas()->Pixel(x, y), bg) << i;
    }

    // The solid mode restyles the buttons that exist.
    MenuSettings->ColorMode = 2;
    MenuSettings->ButtonColor = 0x123456;
    MenuSettings->TextColor = 0x00FF00;
    menu->DrawItems();
    for (int i = 0; i < 5; ++i) {
        TKButton* b = menu->Buttons->ButtonAt(i);
        EXPECT_EQ(b->Transparent(), 0);
        EXPECT_EQ(b->FaceColor(), 0x123456);
        EXPECT_EQ(b->Font()->Color(), 0x00FF00);
        EXPECT_EQ(b->Enter(), qeShade);
    }
    EXPECT_EQ(menu->Buttons->ButtonAt(4)->Glyph()->Canvas()->Pixel(3, 3), 0x123456);

    // Slots outside 0 .. 49 change nothing.
    TBitmap glyph;
    menu->Buttons->SetButton(50, &glyph, L"x", menu->Back);
    menu->Buttons->SetButton(-1, &glyph, L"x", menu->Back);
    for (int i = 5; i < 50; ++i) EXPECT_EQ(menu->Buttons->ButtonAt(i), nullptr);
    EXPECT_EQ(menu->Buttons->ButtonAt(50), nullptr);
    EXPECT_EQ(menu->Buttons->ButtonAt(-1), nullptr);

    // A shorter list leaves the buttons made for the items gone.
    menu->Items->List()->Delete(4);
    menu->Items->List()->Delete(3);
    menu->ArrangeWindow();
    menu->DrawItems();
    EXPECT_EQ(menu->Height(), 3 * rowHeight + 2);
    ASSERT_NE(menu->Buttons->ButtonAt(3), nullptr);
    EXPECT_EQ(menu->Buttons->ButtonAt(3)->Top(), menu->Height() - 1);
}

TEST_F(MenuWindow, TheRingDragsOnlyWhileTheLeftButtonIsDownAndTheTopStaysOnTheScreen) {
    Items(1);
    menu->SetLeft(200);
    menu->SetTop(200);
    menu->ArrangeWindow();
    menu->Show();
    EXPECT_EQ(menu->Perform(WM_NCHITTEST, 0, MAKELPARAM(200, 205)), HTCLIENT);
    menu->SetTop(-25);
    menu->Perform(WM_NCHITTEST, 0, MAKELPARAM(200, 0));
    EXPECT_EQ(menu->Top(), 0);
    EXPECT_EQ(testdesk::ScreenRect(menu->Handle()).top, 0);
    menu->Hide();
}

TEST_F(MenuWindow, PopupShowsModallyFromAFreshResultAndTheDeletedMenuTakesItsHandlerBack) {
    Items(2);
    menu->Kind = 0;
    menu->SetModalResult(mrCancel);  // left from an earlier showing: must not close this one
    bool ranModal = false;
    RECT shownAt{};
    TKMenu* m = menu.get();
    WhenModal::Arm(m, [&] {
        ranModal = m->Modal() && ::IsWindowVisible(m->Handle());
        shownAt = testdesk::ScreenRect(m->Handle());
        m->Selected = 1;  // an item with no target: nothing is started
        m->SetModalResult(mrOK);
    });
    menu->Popup(nullptr, 300, 310);
    EXPECT_TRUE(ranModal);
    EXPECT_EQ(Show(shownAt), Show(RECT{300, 310, 450, 310 + 2 * rowHeight + 2}));
    EXPECT_FALSE(::IsWindowVisible(menu->Handle()));
    EXPECT_EQ(menu->ModalResult(), mrOK);
    EXPECT_EQ(menu->ParentMenu, nullptr);
    EXPECT_TRUE(static_cast<bool>(Application->OnDeactivate));

    // A deactivation reported while no menu of the chain is shown leaves the handler armed.
    menu->AppDeactivate(nullptr);
    EXPECT_TRUE(static_cast<bool>(Application->OnDeactivate));

    // Popped up over another menu, the parent is remembered.
    TKMenu parent(nullptr);
    WhenModal::Arm(m, [&] { m->SetModalResult(mrCancel); });
    menu->Popup(&parent, 20, 30);
    EXPECT_EQ(menu->ParentMenu, &parent);
    EXPECT_EQ(menu->ModalResult(), mrCancel);

    menu.reset();
    EXPECT_FALSE(static_cast<bool>(Application->OnDeactivate));
}
