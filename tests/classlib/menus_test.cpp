// Popup menus shown for real and driven with real mouse and keyboard input.
#include <gtest/gtest.h>

#include "desktop.h"
#include "forms.h"
#include "menus.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using testdesk::WaitUntil;

namespace {

// While Popup runs, a thread timer of the test's own thread waits for the
// shown menu and then runs the step once; the menu's own message loop
// dispatches the timer. A step that leaves the menu open is ended by the
// watchdog after a while, so a failing test cannot hang.
struct MenuDriver {
    TPopupMenu* menu = nullptr;
    std::function<void(HMENU)> step;
    bool stepDone = false;
    HMENU seen = nullptr;
    ULONGLONG started = 0;
    UINT_PTR timer = 0;

    static MenuDriver*& Current() {
        static MenuDriver* current = nullptr;
        return current;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        MenuDriver* d = Current();
        if (!d) return;
        if (GetTickCount64() - d->started > 8000) {
            EndMenu();
            return;
        }
        if (d->stepDone) return;
        HMENU shown = d->menu->ShownHandle();
        HWND window = testdesk::FindTopWindow(L"#32768");
        if (!shown || !window) return;
        d->seen = shown;
        d->stepDone = true;
        d->step(shown);
    }

    // Runs step once the menu is shown, however it gets popped up.
    void Arm(std::function<void(HMENU)> s) {
        step = std::move(s);
        stepDone = false;
        seen = nullptr;
        started = GetTickCount64();
        Current() = this;
        timer = SetTimer(nullptr, 0, 30, &MenuDriver::Tick);
    }
    void Disarm() {
        KillTimer(nullptr, timer);
        Current() = nullptr;
        // The menu window goes away with the end of Popup.
        WaitUntil([] { return testdesk::FindTopWindow(L"#32768") == nullptr; }, 3000);
    }

    // Pops the menu up at (x, y) and runs step on it once it is shown.
    void Run(int x, int y, std::function<void(HMENU)> s) {
        Arm(std::move(s));
        try {
            menu->Popup(x, y);
        } catch (...) {
            Disarm();
            throw;
        }
        Disarm();
    }
};

RECT ItemRect(HMENU menu, int position) {
    RECT r{};
    GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &r);
    return r;
}

void ClickItem(HMENU menu, int position) {
    RECT r = ItemRect(menu, position);
    testdesk::LeftClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

std::wstring ItemText(HMENU menu, int position) {
    wchar_t buf[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), buf, 256, MF_BYPOSITION);
    return buf;
}

void FillBitmap(TBitmap* bitmap, TColor color) {
    bitmap->SetSize(16, 16);
    bitmap->Canvas()->Brush()->Color = color;
    RECT all{0, 0, 16, 16};
    bitmap->Canvas()->FillRect(all);
}

// The menu of the tests: Alpha, a line, Beta (disabled), Gamma (hidden),
// Delta (with a red picture), Omega (with a transparent picture: a green
// square on fuchsia).
class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Application) Application = new TApplication();
        owner = new TComponent(nullptr);
        menu = new TPopupMenu(owner);
        alpha = AddItem(L"&Alpha", 11);
        AddItem(L"-", 0);
        beta = AddItem(L"&Beta", 12);
        beta->SetEnabled(false);
        gamma = AddItem(L"&Gamma", 13);
        gamma->SetVisible(false);
        delta = AddItem(L"&Delta", 14);
        FillBitmap(delta->Bitmap(), clRed);
        omega = AddItem(L"&Omega", 15);
        FillBitmap(omega->Bitmap(), clFuchsia);
        omega->Bitmap()->Canvas()->Brush()->Color = clLime;
        RECT inner{4, 4, 12, 12};
        omega->Bitmap()->Canvas()->FillRect(inner);
        omega->Bitmap()->SetTransparentColor(clFuchsia);
        omega->Bitmap()->SetTransparent(true);
        driver.menu = menu;
    }
    void TearDown() override { delete owner; }

    TMenuItem* AddItem(const wchar_t* caption, int tag) {
        auto* item = new TMenuItem(owner);
        item->SetCaption(caption);
        item->Tag = tag;
        item->OnClick = [this](TObject* sender) {
            auto* item = static_cast<TMenuItem*>(sender);
            clicked.push_back(item->Tag);
        };
        menu->Add(item);
        return item;
    }

    TComponent* owner = nullptr;
    TPopupMenu* menu = nullptr;
    TMenuItem *alpha = nullptr, *beta = nullptr, *gamma = nullptr, *delta = nullptr, *omega = nullptr;
    std::vector<int> clicked;
    MenuDriver driver;
};

}  // namespace

TEST_F(MenusTest, ShowsTheVisibleItemsAsTheyAre) {
    std::vector<std::wstring> texts;
    std::vector<UINT> states;
    std::vector<bool> hasBitmap;
    RECT menuRect{};
    driver.Run(200, 150, [&](HMENU shown) {
        for (int i = 0; i < GetMenuItemCount(shown); ++i) {
            texts.push_back(ItemText(shown, i));
            MENUITEMINFOW mii{};
            mii.cbSize = sizeof mii;
            mii.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_BITMAP;
            GetMenuItemInfoW(shown, static_cast<UINT>(i), TRUE, &mii);
            states.push_back(mii.fState | (mii.fType & MFT_SEPARATOR));
            hasBitmap.push_back(mii.hbmpItem != nullptr);
        }
        GetWindowRect(testdesk::FindTopWindow(L"#32768"), &menuRect);
        testdesk::PressKey(VK_ESCAPE);
    });
    ASSERT_NE(driver.seen, nullptr);
    EXPECT_EQ(menu->ShownHandle(), nullptr);
    EXPECT_TRUE(clicked.empty());
    // Gamma is hidden; the accelerator marks stay in the captions.
    ASSERT_EQ(texts, (std::vector<std::wstring>{L"&Alpha", L"", L"&Beta", L"&Delta", L"&Omega"}));
    EXPECT_FALSE(states[0] & MFS_DISABLED);
    EXPECT_TRUE(states[1] & MFT_SEPARATOR);
    EXPECT_TRUE(states[2] & MFS_DISABLED);
    EXPECT_EQ(hasBitmap, (std::vector<bool>{false, false, false, true, true}));
    // The menu opened at the point asked for.
    EXPECT_EQ(menuRect.left, 200);
    EXPECT_EQ(menuRect.top, 150);
}

TEST_F(MenusTest, PicturesShowBesideTheCaptions) {
    std::vector<std::vector<COLORREF>> pixels(5);
    driver.Run(300, 200, [&](HMENU shown) {
        // Let the menu paint, then read what it shows.
        UpdateWindow(testdesk::FindTopWindow(L"#32768"));
        for (int i : {3, 4}) {
            RECT r = ItemRect(shown, i);
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.left + 30 && x < r.right; ++x) pixels[i].push_back(testdesk::ScreenPixel(x, y));
        }
        RECT area = testdesk::ScreenRect(testdesk::FindTopWindow(L"#32768"));
        testdesk::SaveScreenshot(L"menus_popup.bmp", &area);
        testdesk::PressKey(VK_ESCAPE);
    });
    auto count = [](const std::vector<COLORREF>& v, COLORREF c) {
        size_t n = 0;
        for (COLORREF p : v) n += p == c;
        return n;
    };
    // Delta's red square is there in full; Omega's green square shows
    // without its fuchsia surround.
    EXPECT_GE(count(pixels[3], RGB(255, 0, 0)), 200u);
    EXPECT_GE(count(pixels[4], RGB(0, 255, 0)), 50u);
    EXPECT_EQ(count(pixels[4], RGB(255, 0, 255)), 0u);
}

TEST_F(MenusTest, AClickOnAnItemRunsItsHandlerBeforePopupReturns) {
    driver.Run(200, 150, [&](HMENU shown) { ClickItem(shown, 3); });  // Delta
    EXPECT_EQ(clicked, (std::vector<int>{14}));
    clicked.clear();
    driver.Run(200, 150, [&](HMENU shown) { ClickItem(shown, 0); });  // Alpha
    EXPECT_EQ(clicked, (std::vector<int>{11}));
}

TEST_F(MenusTest, KeyboardChoosesItems) {
    struct Case {
        const char* name;
        std::vector<WORD> keys;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        {"first item by arrow and Enter", {VK_DOWN, VK_RETURN}, {11}},
        {"accelerator", {'D'}, {14}},
        {"accelerator of a hidden item", {'G', VK_ESCAPE}, {}},
        {"escape", {VK_ESCAPE}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clicked.clear();
        driver.Run(200, 150, [&](HMENU) {
            for (WORD k : c.keys) testdesk::PressKey(k);
        });
        EXPECT_EQ(clicked, c.expected);
    }
}

TEST_F(MenusTest, DisabledItemsCannotBeChosen) {
    driver.Run(200, 150, [&](HMENU shown) {
        ClickItem(shown, 2);  // Beta: the menu stays open
        testdesk::PressKey('B');
        testdesk::PressKey(VK_ESCAPE);
    });
    EXPECT_TRUE(clicked.empty());
}

TEST_F(MenusTest, AClickOutsideClosesTheMenuWithoutAChoice) {
    driver.Run(200, 150, [&](HMENU) { testdesk::LeftClick(900, 800); });
    EXPECT_TRUE(clicked.empty());
    EXPECT_LT(GetTickCount64() - driver.started, 5000u);  // closed by the click, not the watchdog
}

TEST_F(MenusTest, OnPopupRunsFirstAndMayChangeTheItems) {
    std::vector<std::string> order;
    menu->OnPopup = [&](TObject* sender) {
        EXPECT_EQ(sender, menu);
        EXPECT_EQ(menu->ShownHandle(), nullptr);  // not shown yet
        order.push_back("popup");
        alpha->SetEnabled(false);
        beta->SetEnabled(true);
        gamma->SetVisible(true);
    };
    UINT alphaState = 0;
    int itemCount = 0;
    driver.Run(200, 150, [&](HMENU shown) {
        order.push_back("shown");
        itemCount = GetMenuItemCount(shown);
        alphaState = GetMenuState(shown, 0, MF_BYPOSITION);
        ClickItem(shown, 2);  // Beta, enabled now
    });
    EXPECT_EQ(order, (std::vector<std::string>{"popup", "shown"}));
    EXPECT_EQ(itemCount, 6);
    EXPECT_TRUE(alphaState & MF_GRAYED);
    EXPECT_EQ(clicked, (std::vector<int>{12}));
}

TEST_F(MenusTest, ExceptionsOfTheHandlersReachTheCaller) {
    menu->OnPopup = [](TObject*) { throw std::runtime_error("no popup"); };
    EXPECT_THROW(menu->Popup(200, 150), std::runtime_error);
    menu->OnPopup = nullptr;
    alpha->OnClick = [](TObject*) { throw std::runtime_error("no click"); };
    EXPECT_THROW(driver.Run(200, 150, [&](HMENU shown) { ClickItem(shown, 0); }), std::runtime_error);
    EXPECT_EQ(menu->ShownHandle(), nullptr);
}

TEST_F(MenusTest, AMenuOfAWindowBelongsToItsActiveWindow) {
    // A program window that is active keeps its activation across the menu.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MenusTestWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, L"MenusTestWindow", L"menus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    testdesk::Activate(window);
    ASSERT_EQ(GetActiveWindow(), window);
    driver.Run(150, 150, [&](HMENU shown) { ClickItem(shown, 4); });  // Omega
    EXPECT_EQ(clicked, (std::vector<int>{15}));
    EXPECT_EQ(GetActiveWindow(), window);
    DestroyWindow(window);
}

TEST_F(MenusTest, ARightClickOnAControlPopsItsMenuUpThere) {
    auto* form = new TForm(nullptr);
    form->SetBounds(100, 100, 300, 200);
    auto* control = new TCustomControl(form);
    control->SetParent(form);
    control->SetBounds(10, 10, 120, 60);
    control->SetPopupMenu(menu);
    form->Show();
    testdesk::Activate(form->Handle());
    POINT at = control->ClientToScreen(POINT{30, 20});
    RECT menuRect{};
    driver.Arm([&](HMENU shown) {
        GetWindowRect(testdesk::FindTopWindow(L"#32768"), &menuRect);
        ClickItem(shown, 3);  // Delta
    });
    testdesk::RightClick(at.x, at.y);
    EXPECT_TRUE(WaitUntil([&] { return !clicked.empty(); }, 8000));
    driver.Disarm();
    EXPECT_EQ(clicked, (std::vector<int>{14}));
    EXPECT_EQ(menu->PopupComponent(), control);
    EXPECT_EQ(menuRect.left, at.x);
    EXPECT_EQ(menuRect.top, at.y);
    delete form;
}

TEST(MenuItems, DeletedItemsLeaveTheirMenuAndTheMenuDeletesTheRest) {
    TComponent owner(nullptr);
    auto* menu = new TPopupMenu(&owner);
    auto* a = new TMenuItem(&owner);
    auto* b = new TMenuItem(&owner);
    menu->Add(a);
    menu->Add(b);
    menu->Add(a);  // once only
    ASSERT_EQ(menu->Count(), 2);
    delete a;
    ASSERT_EQ(menu->Count(), 1);
    EXPECT_EQ(menu->Items(0), b);
    EXPECT_EQ(owner.ComponentCount(), 2);
    delete menu;  // takes b with it
    EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(MenuItems, ClickFiresOnClickWithTheItem) {
    TMenuItem item(nullptr);
    EXPECT_TRUE(item.Enabled());
    EXPECT_TRUE(item.Visible());
    EXPECT_FALSE(item.IsLine());
    item.Click();  // no handler: nothing happens
    TObject* sender = nullptr;
    item.OnClick = [&](TObject* s) { sender = s; };
    item.Click();
    EXPECT_EQ(sender, &item);
    item.SetCaption(L"-");
    EXPECT_TRUE(item.IsLine());
}
