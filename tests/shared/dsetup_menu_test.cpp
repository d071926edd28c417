// The sibling-program menu TKSetup as the menu program builds it: its own
// item and the menu program's item hidden and never offered, the others
// looked up under the program-files folder. The test supplies the click
// handler that each program defines for itself.
#include <gtest/gtest.h>

#include "desktop.h"
#include "dsetup.h"
#include "forms.h"

#include <string>
#include <vector>

namespace {
std::vector<int> g_clicked;
}

void TKSetup::PMenuClick(TObject* Sender) {
    if (auto* item = dynamic_cast<TMenuItem*>(Sender)) g_clicked.push_back(item->Tag);
}

namespace {

class MenuBuildSetup : public ::testing::Test {
protected:
    void SetUp() override {
        programs = ProgramFilesFolder() + L"\\Kestovar";
        existed = GetFileAttributesW(programs.c_str()) != INVALID_FILE_ATTRIBUTES;
        g_clicked.clear();
    }
    void TearDown() override {
        for (const auto& f : made) DeleteFileW(f.c_str());
        if (!existed) testdesk::RemoveTree(programs);
    }
    void Install(const std::wstring& relative) {
        const std::wstring path = programs + L"\\" + relative;
        testdesk::MakeDirs(path.substr(0, path.find_last_of(L'\\')));
        testdesk::WriteBytes(path, {'M', 'Z'});
        made.push_back(path);
    }
    std::wstring programs;
    bool existed = false;
    std::vector<std::wstring> made;
};

}  // namespace

TEST_F(MenuBuildSetup, NeitherTheBarNorTheMenuProgramIsEverOffered) {
    TKSetup setup(nullptr);
    for (int tag = 1; tag <= 12; ++tag) {
        const bool offered = tag != 6 && tag != 8;
        EXPECT_EQ(setup.ItemOfTag(tag)->Visible(), offered) << tag;
        EXPECT_EQ(setup.Offered(tag), offered) << tag;
    }
    Install(L"Pelnor\\pelnor.exe");
    Install(L"Dovrak\\dovrak.exe");
    Install(L"Brenk\\brenk.exe");
    setup.PMenuSetupPopup(setup.PMenuSetup);
    std::vector<int> visible;
    for (int tag = 1; tag <= 12; ++tag)
        if (setup.ItemOfTag(tag)->Visible()) visible.push_back(tag);
    EXPECT_EQ(visible, std::vector<int>{1});
    // The menu program's handler is the one the items call.
    setup.PMBrenk->Click();
    setup.PMOskel->Click();
    EXPECT_EQ(g_clicked, (std::vector<int>{1, 12}));
}

namespace {

// The screen's pixels in a rectangle, row by row.
std::vector<COLORREF> Grab(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<COLORREF> out;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint8_t*>(bits);
    for (int i = 0; i < w * h; ++i, p += 4) out.push_back(RGB(p[2], p[1], p[0]));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return out;
}

// What the highlighted row of the shown menu holds, as the test reads it.
struct HighlightedRow {
    bool highlighted = false;  // the first row got the highlight
    bool found = false;        // the icon's own pixels were found in it
    COLORREF highlight = 0;    // the row's colour beside the caption
    POINT cell{};              // the icon's 16 x 16 cell on the screen
    std::vector<COLORREF> corners;
    int keyPixels = 0, keyPixelsShowingTheRow = 0;
};

// Looks for the icon (its pixels other than the fill) in the row; true when
// it stands there whole.
bool ReadRow(const RECT& row, TBitmap* icon, COLORREF fill, HighlightedRow& out) {
    const std::vector<COLORREF> pixels = Grab(row);
    const int w = row.right - row.left, h = row.bottom - row.top;
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y * w + x)]; };
    out.highlight = at(w - 4, h / 2);
    for (int cy = 0; cy + 16 <= h; ++cy) {
        for (int cx = 0; cx + 16 <= w && cx < 60; ++cx) {
            bool match = true;
            for (int y = 0; y < 16 && match; ++y)
                for (int x = 0; x < 16 && match; ++x) {
                    const COLORREF c = static_cast<COLORREF>(icon->Canvas()->Pixel(x, y));
                    if (c != fill) match = at(cx + x, cy + y) == c;
                }
            if (!match) continue;
            out.found = true;
            out.cell = POINT{row.left + cx, row.top + cy};
            out.corners = {at(cx, cy), at(cx + 15, cy), at(cx, cy + 15), at(cx + 15, cy + 15)};
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    if (static_cast<COLORREF>(icon->Canvas()->Pixel(x, y)) == fill) {
                        ++out.keyPixels;
                        out.keyPixelsShowingTheRow += at(cx + x, cy + y) == out.highlight;
                    }
            return true;
        }
    }
    return false;
}

struct RowProbe {
    TKSetup* setup = nullptr;
    HighlightedRow result;
    bool keyPressed = false, done = false;
    ULONGLONG started = 0;
    std::wstring shot;

    static RowProbe*& Current() {
        static RowProbe* current = nullptr;
        return current;
    }
    // Runs inside the menu's own loop: highlights the first row with the
    // keyboard, waits until the icon is drawn there, reads it and closes.
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        RowProbe* p = Current();
        if (!p || p->done) return;
        if (GetTickCount64() - p->started > 10000) {
            p->done = true;
            EndMenu();
            return;
        }
        HMENU shown = p->setup->PMenuSetup->ShownHandle();
        HWND window = testdesk::FindTopWindow(L"#32768");
        if (!shown || !window) return;
        if (!p->keyPressed) {
            p->keyPressed = true;
            testdesk::PressKey(VK_DOWN);
            return;
        }
        if (!(GetMenuState(shown, 0, MF_BYPOSITION) & MF_HILITE)) return;
        p->result.highlighted = true;
        RECT row{};
        GetMenuItemRect(nullptr, shown, 0, &row);
        UpdateWindow(window);
        const COLORREF fill = static_cast<COLORREF>(ColorToRGB(clBtnFace));
        // Before the fix the icon may never stand there whole: read on until
        // the time-out, then give what was seen.
        const bool seen = ReadRow(row, p->setup->PMBrenk->Bitmap(), fill, p->result);
        if (!seen && GetTickCount64() - p->started < 5000) return;
        RECT area = testdesk::ScreenRect(window);
        testdesk::SaveScreenshot(p->shot, &area);
        p->done = true;
        testdesk::PressKey(VK_ESCAPE);
    }
};

}  // namespace

TEST_F(MenuBuildSetup, TheIconsLetTheHighlightedRowShowThrough) {
    if (!Application) Application = new TApplication();
    Install(L"Brenk\\brenk.exe");
    Install(L"Oskel\\oskel.exe");
    TKSetup setup(nullptr);
    testdesk::MoveMouse(5, 1000);  // away from the menu: only the keyboard highlights

    RowProbe probe;
    probe.setup = &setup;
    probe.started = GetTickCount64();
    const std::wstring folder = testdesk::WinPath(SCREENSHOT_DIR);
    testdesk::MakeDirs(folder);
    probe.shot = folder + L"\\dsetup_menu_highlighted.bmp";
    RowProbe::Current() = &probe;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &RowProbe::Tick);
    setup.PMenuSetup->Popup(300, 200);
    KillTimer(nullptr, timer);
    RowProbe::Current() = nullptr;

    // The icon: the shell's picture over a fill of button face, which is its
    // transparent colour.
    TBitmap* icon = setup.PMBrenk->Bitmap();
    ASSERT_EQ(icon->Width(), 16);
    EXPECT_EQ(icon->TransparentMode(), tmFixed);
    EXPECT_EQ(icon->TransparentColor(), clBtnFace);
    const COLORREF face = static_cast<COLORREF>(ColorToRGB(clBtnFace));

    const HighlightedRow& row = probe.result;
    ASSERT_TRUE(row.highlighted) << "the first row never got the highlight";
    EXPECT_NE(row.highlight, face);
    ASSERT_TRUE(row.found) << "the icon is not drawn as it is on the highlighted row";
    // Every corner of the cell that the picture leaves to the fill shows the
    // highlight, not button face.
    const POINT corners[] = {{0, 0}, {15, 0}, {0, 15}, {15, 15}};
    ASSERT_EQ(row.corners.size(), 4u);
    int filled = 0;
    for (size_t k = 0; k < 4; ++k) {
        if (static_cast<COLORREF>(icon->Canvas()->Pixel(corners[k].x, corners[k].y)) != face) continue;
        ++filled;
        EXPECT_EQ(row.corners[k], row.highlight) << "corner " << k << " of the icon cell";
        EXPECT_NE(row.corners[k], face) << "corner " << k << " of the icon cell";
    }
    EXPECT_GE(filled, 1) << "the picture covers every corner";
    EXPECT_GT(row.keyPixels, 0);
    EXPECT_EQ(row.keyPixelsShowingTheRow, row.keyPixels);
}

TEST_F(MenuBuildSetup, TheGlobalIsClearedWithTheModule) {
    KSetup = new TKSetup(nullptr);
    delete KSetup;
    EXPECT_EQ(KSetup, nullptr);
}
