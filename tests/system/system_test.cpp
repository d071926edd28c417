// The two real programs together, driven with real input as a user would:
// a bar button that starts the menu program with a menu name opens that
// menu right under itself, and a click in the menu starts the item; the
// bar's edit dialog makes a new, empty menu for an installed pelnor.exe,
// which then opens with its defaults. Both files are checked afterwards.
#include <gtest/gtest.h>

#include "bar_test_support.h"
#include "desktop.h"
#include "pelnor_harness.h"
#include "system_support.h"
#include "winhelper.h"

#include <shlobj.h>

#include <string>
#include <vector>

using namespace bartest;
using pelnor::Item;
using pelnor::Lines;
using pelnor::MenuFile;
using systest::BarIdle;

namespace {

const std::wstring kDovrak = testdesk::WinPath(DOVRAK_EXE);
const std::wstring kShots = testdesk::WinPath(SCREENSHOT_DIR);

std::string Show(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) +
           " x " + std::to_string(r.bottom - r.top);
}

RECT Rect(POINT at, int width, int height) { return RECT{at.x, at.y, at.x + width, at.y + height}; }

// The file of a menu as the menu program writes it at the end of its run.
Lines Written(const Lines& items, int buttonWidth) {
    Lines out = {L"Pelnor=0.02"};
    out.insert(out.end(), items.begin(), items.end());
    for (const wchar_t* line : {L"ColorMode=3", L"ButtonColor=14215660", L"TextColor=0", L"FontName=Tahoma", L"FontSize=9"})
        out.push_back(line);
    out.push_back(L"ButtonWidth=" + std::to_wstring(buttonWidth));
    return out;
}

std::wstring ProgramFiles() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring EditText(HWND edit) {
    wchar_t buf[1024] = {};
    SendMessageW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
    return buf;
}

void ClickWindow(HWND w) {
    const POINT p = CentreOf(w);
    testdesk::LeftClick(p.x, p.y);
}

bool Gone(HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }

// The centre of row i of a menu window.
POINT RowCentre(HWND menu, int i, int rowHeight) {
    const RECT r = testdesk::ScreenRect(menu);
    return POINT{(r.left + r.right) / 2, r.top + 1 + rowHeight * i + rowHeight / 2};
}

class SystemRoad : public ::testing::Test {
protected:
    void SetUp() override {
        KillBars();
        pelnor::CleanMenuDir();
        RemoveIniDir();
        testdesk::MoveMouse(900, 700);
        rowHeight = pelnor::RowHeight();
    }
    void TearDown() override {
        if (bar.Running()) bar.Kill();
        bar.Close();
        KillBars();
        if (menuRun.Running()) menuRun.Kill();
        menuRun.Close();
        for (const auto& log : logs)
            for (const auto& pid : winhelper::Values(winhelper::ReadLog(log), L"start"))
                if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, std::stoul(pid))) {
                    TerminateProcess(p, 1);
                    WaitForSingleObject(p, 5000);
                    CloseHandle(p);
                }
        pelnor::CleanMenuDir();
        RemoveIniDir();
        for (const auto& dir : helperDirs) testdesk::RemoveTree(dir);
        if (!installed.empty()) testdesk::RemoveTree(installed);
    }

    HWND StartBar(const Lines& lines) {
        WriteIni(lines);
        bar = testdesk::Start(kDovrak);
        EXPECT_TRUE(bar.handle) << "dovrak.exe did not start";
        hwnd = testdesk::WaitWindow(L"TFDovrak", L"Dovrak", bar.pid, 15000);
        EXPECT_TRUE(hwnd) << "no bar window";
        return hwnd;
    }
    void CloseBar() {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        DWORD code = 99;
        ASSERT_TRUE(bar.WaitExit(15000, &code)) << "the bar did not exit";
        EXPECT_EQ(code, 0u);
    }
    POINT ButtonPoint(size_t i) {
        const RECT r = systest::ButtonOnScreen(hwnd, i);
        return POINT{r.left + 6, r.top + 8};
    }
    // A real left click on bar button i; then waits for the menu window of
    // the menu program that the click started, and keeps hold of its process.
    HWND ClickMenuButton(size_t i) {
        const POINT p = ButtonPoint(i);
        BarIdle(hwnd);
        testdesk::LeftClick(p.x, p.y);
        HWND menu = systest::WaitAnyMenu();
        if (menu) menuRun = systest::ProcessOf(menu);
        return menu;
    }
    int MenuRunEnd(int timeoutMs = 10000) {
        DWORD code = 99;
        if (!menuRun.WaitExit(timeoutMs, &code)) return -1;
        return static_cast<int>(code);
    }
    // Waits until the menu has painted its frame over the screen beneath
    // (the light top-left corner differs from what was there before).
    void WaitPainted(HWND menu, COLORREF before) {
        const RECT r = testdesk::ScreenRect(menu);
        EXPECT_TRUE(testdesk::WaitUntil([&] { return testdesk::ScreenPixel(r.left, r.top) != before; }, 5000))
            << "the menu did not paint";
        DWORD_PTR result = 0;
        SendMessageTimeoutW(menu, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    }
    // A picture of the bar with the menu under it.
    void Shoot(HWND menu, const std::wstring& name) {
        RECT area = testdesk::ScreenRect(hwnd);
        const RECT m = testdesk::ScreenRect(menu);
        UnionRect(&area, &area, &m);
        InflateRect(&area, 12, 12);
        SaveShot(kShots, name, area);
    }
    std::wstring Helper(const std::wstring& folder, const std::wstring& exe) {
        helperDirs.push_back(HelperCopy(folder, exe));
        return helperDirs.back();
    }
    // Opens the bar's popup menu on button i with a real right click.
    HWND OpenBarMenu(size_t i) {
        const POINT p = ButtonPoint(i);
        testdesk::MoveMouse(p.x, p.y);
        BarIdle(hwnd);
        testdesk::RightDown();
        testdesk::RightUp();
        HWND menu = testdesk::WaitWindow(L"#32768", nullptr, bar.pid, 5000);
        testdesk::MoveMouse(900, 700);  // off the menu: no item is highlighted
        return menu;
    }

    testdesk::Process bar, menuRun;
    HWND hwnd = nullptr;
    int rowHeight = 0;
    std::vector<std::wstring> logs, helperDirs;
    std::wstring installed;  // the folder of an installed program, removed at the end
};

}  // namespace

TEST_F(SystemRoad, TheBarButtonOpensTheMenuUnderItAndAClickThereStartsTheItem) {
    // Two helper programs in folders of their own; their arguments hold no
    // dot, backslash or colon, so that the launch splits them off the path.
    const std::wstring dirA = Helper(L"roada", L"alpha.exe"), dirB = Helper(L"roadb", L"beta.exe");
    logs = {dirA + L"\\alog", dirB + L"\\blog"};
    const std::wstring targetA = dirA + L"\\alpha.exe --log alog --title RoadAlpha --exit-after 20000 one";
    const std::wstring targetB = dirB + L"\\beta.exe --log blog --title RoadBeta --exit-after 20000 two three";
    const Lines items = {L"B0=" + Item(L"Alpha", targetA), L"B1=" + Item(L"Beta \u8d77\u52d5", targetB),
                         L"B2=" + Item(L"Folder", dirA)};
    Lines menuFile = items;
    menuFile.push_back(L"ButtonWidth=180");
    ASSERT_TRUE(pelnor::WriteMenu(L"roadmenu.ini", menuFile));

    // The class of the menu program's main form: a class beginning with TF
    // is never replaced by the learned foreground window.
    const std::wstring road = pelnor::Exe() + L" roadmenu";
    const std::wstring other = RecordLine({L"C:\\windows"});
    const std::wstring roadRecord = RecordLine({road, L"TFPelnor", L"Pelnor"});
    ASSERT_TRUE(StartBar({L"B1=" + other, L"B2=" + roadRecord, L"Left=200", L"Top=120"}));
    const RECT barRect = testdesk::ScreenRect(hwnd);
    const POINT under = systest::PointUnder(hwnd, 1);
    ASSERT_GT(under.x, barRect.left + 10) << "the menu button is not the bar's second button";
    const COLORREF before = testdesk::ScreenPixel(under.x, under.y);

    HWND menu = ClickMenuButton(1);
    ASSERT_TRUE(menu) << "no menu window after the click";
    EXPECT_TRUE(systest::SamePath(systest::ImagePath(menuRun), pelnor::Exe()))
        << testdesk::Narrow(systest::ImagePath(menuRun));
    EXPECT_EQ(Show(testdesk::ScreenRect(menu)), Show(Rect(under, 180, 3 * rowHeight + 2)));
    EXPECT_EQ(pelnor::MenuWindows(menuRun.pid).size(), 1u);
    WaitPainted(menu, before);
    Shoot(menu, L"system_road_menu.bmp");

    const POINT beta = RowCentre(menu, 1, rowHeight);
    testdesk::LeftClick(beta.x, beta.y);
    EXPECT_EQ(MenuRunEnd(), 0) << "the menu program did not end with 0";
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !winhelper::Values(winhelper::ReadLog(logs[1]), L"window").empty(); }))
        << "the item's program did not start";
    const auto lines = winhelper::ReadLog(logs[1]);
    EXPECT_EQ(winhelper::Values(lines, L"arg"),
              (std::vector<std::wstring>{L"--log", L"blog", L"--title", L"RoadBeta", L"--exit-after", L"20000", L"two",
                                         L"three"}));
    EXPECT_EQ(winhelper::Values(lines, L"extra"), (std::vector<std::wstring>{L"two", L"three"}));
    EXPECT_EQ(winhelper::Values(lines, L"cwd"), std::vector<std::wstring>{dirB});
    EXPECT_EQ(winhelper::Values(lines, L"start").size(), 1u);
    EXPECT_FALSE(testdesk::FileExists(logs[0])) << "the other item started too";

    // The menu's file: its items unchanged, every setting written, the one
    // that the file held kept.
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"roadmenu.ini")), Written(items, 180));

    // The bar's file: both records as they were (the point under the button
    // went to the menu program only, nothing was learned).
    ASSERT_TRUE(BarIdle(hwnd));
    CloseBar();
    const Lines saved = ReadIni();
    EXPECT_EQ(ValueOf(saved, L"B1"), other);
    EXPECT_EQ(ValueOf(saved, L"B2"), roadRecord);
    EXPECT_EQ(ValueOf(saved, L"B3"), L"\x1");
    EXPECT_EQ(ValueOf(saved, L"Left"), L"200");
    EXPECT_EQ(ValueOf(saved, L"Top"), L"120");
}

TEST_F(SystemRoad, TheEditDialogMakesANewMenuThatTheInstalledPelnorOpensWithItsDefaults) {
    // pelnor.exe installed where the sibling-program menu looks for it.
    const std::wstring kestovar = ProgramFiles() + L"\\Kestovar";
    installed = testdesk::FileExists(kestovar) ? kestovar + L"\\Pelnor" : kestovar;
    const std::wstring program = kestovar + L"\\Pelnor\\pelnor.exe";
    ASSERT_TRUE(testdesk::MakeDirs(kestovar + L"\\Pelnor"));
    ASSERT_TRUE(CopyFileW(pelnor::Exe().c_str(), program.c_str(), FALSE)) << "pelnor.exe not installed";
    const std::wstring menuDir = pelnor::MenuDir();
    ASSERT_FALSE(testdesk::FileExists(menuDir));

    ASSERT_TRUE(StartBar({L"B1=" + RecordLine({L"C:\\windows"}), L"Left=300", L"Top=200"}));
    HWND popup = OpenBarMenu(0);
    ASSERT_TRUE(popup) << "no popup menu on the button";
    testdesk::PressKey('E');
    ASSERT_TRUE(testdesk::WaitUntil([&] { return Gone(popup); }, 5000));
    HWND dialog = testdesk::WaitWindow(L"TFormEdit", nullptr, bar.pid, 10000);
    ASSERT_TRUE(dialog) << "no edit dialog";
    const auto edits = testdesk::ChildWindows(dialog, L"TEdit");  // file, class, title, caption
    const auto speed = testdesk::ChildWindows(dialog, L"TSpeedButton");  // folder, sibling programs
    ASSERT_EQ(edits.size(), 4u);
    ASSERT_EQ(speed.size(), 2u);

    // The sibling programs: Pelnor is the only one installed, so the first item.
    ClickWindow(speed[1]);
    HWND programs = testdesk::WaitWindow(L"#32768", nullptr, bar.pid, 5000);
    ASSERT_TRUE(programs) << "no sibling-program menu";
    testdesk::MoveMouse(900, 700);
    testdesk::PressKey(VK_DOWN);
    testdesk::PressKey(VK_RETURN);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return Gone(programs); }, 5000));
    BarIdle(hwnd);
    const std::wstring target = program + L" pn000001";  // the lowest free name
    EXPECT_EQ(EditText(edits[0]), target);
    EXPECT_EQ(EditText(edits[3]), L"Pelnor");
    EXPECT_FALSE(testdesk::FileExists(MenuFile(L"pn000001.ini"))) << "made before OK";

    ClickWindow(testdesk::ChildWindows(dialog, L"TButton")[0]);  // OK
    ASSERT_TRUE(testdesk::WaitUntil([&] { return Gone(dialog); }, 5000)) << "the dialog stayed open";
    ASSERT_TRUE(BarIdle(hwnd));
    EXPECT_EQ(testdesk::ReadBytes(MenuFile(L"pn000001.ini")), (std::vector<uint8_t>{0xFF, 0xFE}));

    // The new button opens the new menu under itself: one blank row in the
    // default width.
    const POINT under = systest::PointUnder(hwnd, 0);
    const COLORREF before = testdesk::ScreenPixel(under.x, under.y);
    HWND menu = ClickMenuButton(0);
    ASSERT_TRUE(menu) << "no menu window after the click";
    EXPECT_TRUE(systest::SamePath(systest::ImagePath(menuRun), program))
        << testdesk::Narrow(systest::ImagePath(menuRun));
    EXPECT_EQ(Show(testdesk::ScreenRect(menu)), Show(Rect(under, 150, rowHeight + 2)));
    EXPECT_EQ(pelnor::MenuWindows(menuRun.pid).size(), 1u);
    WaitPainted(menu, before);
    Shoot(menu, L"system_new_menu.bmp");

    // The bar first finishes its click (it learns the foreground window half
    // a second after the start); then another program takes the activation:
    // the menu closes, nothing starts.
    ASSERT_TRUE(BarIdle(hwnd));
    testdesk::Process taker = pelnor::StartOtherProgram(L"SystemTestOther");
    if (HWND w = testdesk::FindTopWindow(nullptr, L"SystemTestOther", taker.pid)) testdesk::Activate(w);
    EXPECT_EQ(MenuRunEnd(), 0) << "the menu program did not end with 0";
    if (taker.Running()) taker.Kill();
    taker.Close();
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"pn000001.ini")), Written({}, 150));

    ASSERT_TRUE(BarIdle(hwnd));
    CloseBar();
    const std::wstring record = ValueOf(ReadIni(), L"B1");
    EXPECT_EQ(FieldOf(record, 1), target);
    EXPECT_EQ(FieldOf(record, 4), L"");
    EXPECT_EQ(FieldOf(record, 5), L"Pelnor");
    // The edit dialog guesses no class for pelnor.exe, so the launch learned
    // the foreground window half a second after the start: the menu window
    // when it had come up by then, else none (the bar itself is not learned).
    const std::wstring learned = FieldOf(record, 2) + L"|" + FieldOf(record, 3);
    EXPECT_TRUE(learned == L"TKMenu|KMenu" || learned == L"|") << testdesk::Narrow(learned);
}
