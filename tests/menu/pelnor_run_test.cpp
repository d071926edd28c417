// The real pelnor.exe under Wine: its command line, the menu file it reads
// and writes, its menu windows and how they close, and the names and files
// it refuses to touch.
#include <gtest/gtest.h>

#include "pelnor_harness.h"
#include "winhelper.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace pelnor;
using testdesk::Process;

namespace {

const Lines kDefaultSettings = {L"ColorMode=3",     L"ButtonColor=14215660", L"TextColor=0",
                                L"FontName=Tahoma", L"FontSize=9",           L"ButtonWidth=150"};

Lines Written(const Lines& items, const Lines& settings = kDefaultSettings) {
    Lines out = {L"Pelnor=0.02"};
    out.insert(out.end(), items.begin(), items.end());
    out.insert(out.end(), settings.begin(), settings.end());
    return out;
}

int ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

RECT Rect(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }

std::string Show(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) +
           " x " + std::to_string(r.bottom - r.top);
}

#define EXPECT_RECT(actual, expected) EXPECT_EQ(Show(actual), Show(expected))

// The centre of row i of a menu window.
POINT RowCentre(HWND menu, int i, int rowHeight) {
    RECT r = testdesk::ScreenRect(menu);
    return POINT{(r.left + r.right) / 2, r.top + 1 + rowHeight * i + rowHeight / 2};
}

class PelnorRun : public ::testing::Test {
protected:
    void SetUp() override {
        CleanMenuDir();
        ASSERT_FALSE(testdesk::FileExists(MenuDir()));
        rowHeight = RowHeight();
        cursor = POINT{420, 330};
        testdesk::MoveMouse(cursor.x, cursor.y);
        ::DeleteFileW(HelperLog().c_str());
    }
    void TearDown() override {
        if (HWND started = testdesk::FindTopWindow(nullptr, L"PelnorStarted")) ::PostMessageW(started, WM_CLOSE, 0, 0);
        CleanMenuDir();
        ::DeleteFileW(HelperLog().c_str());
    }

    // A target that starts winhelper with arguments. Arguments hold no dot,
    // backslash or colon (they would be taken for part of the path), so the
    // log is named relative to winhelper's folder, the started program's
    // current folder.
    std::wstring HelperTarget() {
        return winhelper::Path() + L" --log " + logName + L" --title PelnorStarted --exit-after 20000";
    }
    std::wstring HelperFolder() {
        const std::wstring path = winhelper::Path();
        return path.substr(0, path.find_last_of(L'\\'));
    }
    std::wstring HelperLog() { return HelperFolder() + L"\\" + logName; }

    // Left-clicks row i of the menu and waits for the run to end and for the
    // helper that the row's item starts to show its window; closes that
    // window. False when the run did not end or nothing was started.
    bool ClickStartsHelper(MenuRun& run, HWND menu, int i, int rows) {
        const POINT p = RowCentre(menu, i, rows);
        testdesk::LeftClick(p.x, p.y);
        const bool ended = run.WaitEnd() == 0;
        const bool started = testdesk::WaitUntil(
            [&] { return !winhelper::Values(winhelper::ReadLog(HelperLog()), L"window").empty(); }, ended ? 10000 : 1000);
        if (HWND window = testdesk::FindTopWindow(nullptr, L"PelnorStarted")) ::PostMessageW(window, WM_CLOSE, 0, 0);
        testdesk::WaitUntil([] { return testdesk::FindTopWindow(nullptr, L"PelnorStarted") == nullptr; });
        ::DeleteFileW(HelperLog().c_str());
        return ended && started;
    }

    std::wstring logName = L"pelnorstarted" + std::to_wstring(::GetCurrentProcessId());

    int rowHeight = 0;
    POINT cursor{};
};

}  // namespace

TEST_F(PelnorRun, OpensAtThePointWithItsGeometryAndWritesTheFileWhenDeactivated) {
    const std::wstring a = Item(L"Alpha", L"C:\\windows\\notepad.exe"), b = Item(L"Beta", L"C:\\windows");
    ASSERT_TRUE(WriteMenu(L"m.ini", {L"Pelnor=0.02", L"B2=" + b, L"B0=" + a, L"B50=" + Item(L"late", L""),
                                     L"Foo=bar", L"colormode=2", L"FontSize=", L"ButtonWidth=180", L"B0=" + b}));
    MenuRun run(L"m -x 100 -y 200");
    HWND menu = WaitMenu(run.process.pid);
    ASSERT_NE(menu, nullptr);
    EXPECT_RECT(testdesk::ScreenRect(menu), Rect(100, 200, 180, 2 * rowHeight + 2));
    EXPECT_EQ(testdesk::TextOf(menu), L"KMenu");
    EXPECT_EQ(MenuWindows(run.process.pid).size(), 1u);

    EXPECT_EQ(run.CloseByDeactivation(), 0);
    // Keys in order, the gap closed, B50, the second B0 and the other key gone.
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")),
              Written({L"B0=" + a, L"B1=" + b}, {L"ColorMode=2", L"ButtonColor=14215660", L"TextColor=0",
                                                 L"FontName=Tahoma", L"FontSize=9", L"ButtonWidth=180"}));
}

TEST_F(PelnorRun, AMenuIsMovedOntoTheScreenFromAnyPoint) {
    const int cx = ScreenWidth(), cy = ScreenHeight();
    const int h = 3 * rowHeight + 2;
    const std::wstring most = L"2147483647", least = L"-2147483648";
    struct Case {
        std::wstring x, y;
        RECT expected;
    } cases[] = {
        {std::to_wstring(cx - 10), L"200", Rect(cx - 150, 200, 150, h)},
        {L"300", std::to_wstring(cy - 5), Rect(300, cy - h, 150, h)},
        {std::to_wstring(cx - 1), std::to_wstring(cy - 1), Rect(cx - 150, cy - h, 150, h)},
        // ends on the edge: not moved
        {std::to_wstring(cx - 150), std::to_wstring(cy - h), Rect(cx - 150, cy - h, 150, h)},
        // the top-left corner is kept on the screen, so the first item is too
        {L"-20", L"-30", Rect(0, 0, 150, h)},
        {L"-20", L"300", Rect(0, 300, 150, h)},
        // the ends of the int range, where right or bottom edge would wrap round
        {most, L"100", Rect(cx - 150, 100, 150, h)},
        {L"100", most, Rect(100, cy - h, 150, h)},
        {most, most, Rect(cx - 150, cy - h, 150, h)},
        {L"2147483600", L"2147483600", Rect(cx - 150, cy - h, 150, h)},
        {least, L"100", Rect(0, 100, 150, h)},
        {L"100", least, Rect(100, 0, 150, h)},
        {least, least, Rect(0, 0, 150, h)},
        {most, least, Rect(cx - 150, 0, 150, h)},
    };
    for (const Case& k : cases) {
        const std::string what = testdesk::Narrow(k.x + L", " + k.y);
        ASSERT_TRUE(WriteMenu(L"edge.ini", {L"B0=" + Item(L"1", L""), L"B1=" + Item(L"2", L""), L"B2=" + Item(L"3", L"")}));
        MenuRun run(L"edge -x " + k.x + L" -y " + k.y);
        HWND menu = WaitMenu(run.process.pid);
        ASSERT_NE(menu, nullptr) << what;
        EXPECT_RECT(testdesk::ScreenRect(menu), k.expected) << what;
        EXPECT_EQ(run.CloseByDeactivation(), 0) << what;
    }
}

TEST_F(PelnorRun, AMenuTallerThanTheScreenKeepsItsFirstItemsOnIt) {
    // 50 rows at the default font pass the screen's height: the bottom rows
    // go, the first ones stay and can be clicked.
    const int h = 50 * rowHeight + 2;
    ASSERT_GT(h, ScreenHeight());
    Lines lines = {L"B0=" + Item(L"first", HelperTarget())};
    for (int i = 1; i < 50; ++i) lines.push_back(L"B" + std::to_wstring(i) + L"=" + Item(std::to_wstring(i), L""));
    for (const std::wstring y : {L"500", L"-300"}) {
        CleanMenuDir();
        ASSERT_TRUE(WriteMenu(L"tall.ini", lines));
        MenuRun run(L"tall -x 100 -y " + y);
        HWND menu = WaitMenu(run.process.pid);
        ASSERT_NE(menu, nullptr) << testdesk::Narrow(y);
        EXPECT_RECT(testdesk::ScreenRect(menu), Rect(100, 0, 150, h)) << testdesk::Narrow(y);
        EXPECT_TRUE(ClickStartsHelper(run, menu, 0, rowHeight)) << testdesk::Narrow(y);
    }
}

TEST_F(PelnorRun, AWidthOrFontSizeThatLeavesNoUsableMenuGivesTheDefaultOthersAreKept) {
    const int cx = ScreenWidth();
    struct Case {
        std::wstring key, value;
        int width;         // of the menu window
        int row;           // height of a row
        std::wstring kept; // the value written back
    } cases[] = {
        {L"ButtonWidth", L"0", 150, rowHeight, L"150"},
        {L"ButtonWidth", L"-1", 150, rowHeight, L"150"},
        {L"ButtonWidth", L"2147483647", 150, rowHeight, L"150"},
        {L"ButtonWidth", L"5000", 150, rowHeight, L"150"},
        {L"ButtonWidth", std::to_wstring(cx + 1), 150, rowHeight, L"150"},
        {L"ButtonWidth", std::to_wstring(cx), cx, rowHeight, std::to_wstring(cx)},  // as wide as the screen: kept
        {L"ButtonWidth", L"60", 60, rowHeight, L"60"},  // narrower than the option dialog allows: kept
        {L"ButtonWidth", L"2", 150, rowHeight, L"150"},  // items W - 2 wide: nothing to click
        {L"ButtonWidth", L"3", 3, rowHeight, L"3"},      // one pixel to click: kept
        {L"FontSize", L"0", 150, RowHeight(L"Tahoma", 0), L"0"},  // the font's own height: kept
        {L"FontSize", L"-3", 150, RowHeight(L"Tahoma", -3), L"-3"},
        {L"FontSize", L"-1000", 150, rowHeight, L"9"},
        {L"FontSize", L"1000", 150, rowHeight, L"9"},
        {L"FontSize", L"2147483647", 150, rowHeight, L"9"},
        {L"FontSize", L"30", 150, RowHeight(L"Tahoma", 30), L"30"},  // larger than the option dialog allows: kept
    };
    for (const Case& k : cases) {
        const std::string what = testdesk::Narrow(k.key + L"=" + k.value);
        CleanMenuDir();
        const std::wstring item = Item(L"One", HelperTarget());
        ASSERT_TRUE(WriteMenu(L"m.ini", {L"B0=" + item, k.key + L"=" + k.value}));
        MenuRun run(L"m -x 100 -y 200");
        HWND menu = WaitMenu(run.process.pid);
        if (!menu) {
            ADD_FAILURE() << "no menu shown: " << what;
            continue;
        }
        const int left = std::min(100, ScreenWidth() - k.width);
        EXPECT_RECT(testdesk::ScreenRect(menu), Rect(left, 200, k.width, k.row + 2)) << what;
        // Usable: a click on the item starts it.
        EXPECT_TRUE(ClickStartsHelper(run, menu, 0, k.row)) << what;
        Lines settings = kDefaultSettings;
        for (auto& line : settings)
            if (line.rfind(k.key + L"=", 0) == 0) line = k.key + L"=" + k.kept;
        EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written({L"B0=" + item}, settings)) << what;
    }
}

TEST_F(PelnorRun, TheCommandLineNamesTheFileAndThePoint) {
    struct Case {
        const char* what;
        std::wstring args;
        bool atCursorX, atCursorY;
        int x, y;
        std::wstring written;
        std::vector<std::wstring> notWritten;
    } cases[] = {
        {"no arguments", L"", true, true, 0, 0, L"pelnor.ini", {}},
        {"only -y", L"-y 300", true, false, 0, 300, L"pelnor.ini", {}},
        {"two names", L"first second", true, true, 0, 0, L"second.ini", {L"first.ini"}},
        {"a name ending in .ini", L"x.ini", true, true, 0, 0, L"x.ini.ini", {L"x.ini"}},
        {"-X in capitals", L"-X 5", true, true, 0, 0, L"5.ini", {L"-X.ini", L"pelnor.ini"}},
        {"an empty argument first", L"\"\" -x 100", true, true, 0, 0, L"pelnor.ini", {}},
        {"an empty argument between", L"m \"\" n -x 100", true, true, 0, 0, L"m.ini", {L"n.ini"}},
        {"-d in capitals", L"-D -x 100 -y 200", false, false, 100, 200, L"-D.ini", {}},
        {"a value that is no number", L"m -x abc -y 200", true, false, 0, 200, L"m.ini", {L"abc.ini"}},
        {"-y with no value", L"m -x 150 -y", false, true, 150, 0, L"m.ini", {}},
        {"-x with no value", L"m -x", true, true, 0, 0, L"m.ini", {}},
        {"a switch as the value", L"-x -y 250", true, true, 0, 0, L"250.ini", {}},
    };
    for (const Case& k : cases) {
        CleanMenuDir();
        MenuRun run(k.args);
        HWND menu = WaitMenu(run.process.pid);
        ASSERT_NE(menu, nullptr) << k.what;
        const int left = k.atCursorX ? cursor.x : k.x, top = k.atCursorY ? cursor.y : k.y;
        // No file: one blank item.
        EXPECT_RECT(testdesk::ScreenRect(menu), Rect(left, top, 150, rowHeight + 2)) << k.what;
        EXPECT_EQ(run.CloseByDeactivation(), 0) << k.what;
        EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(k.written)), Written({})) << k.what;
        for (const auto& name : k.notWritten) EXPECT_FALSE(testdesk::FileExists(MenuFile(name))) << k.what;
    }
}

TEST_F(PelnorRun, ASecondStartWhileOneRunsEndsAtOnceAndChangesNothing) {
    ASSERT_TRUE(WriteMenu(L"m.ini", {L"B0=" + Item(L"one", L"")}));
    MenuRun first(L"m -x 100 -y 200");
    HWND menu = WaitMenu(first.process.pid);
    ASSERT_NE(menu, nullptr);
    const RECT before = testdesk::ScreenRect(menu);

    MenuRun second(L"other -x 500 -y 500 -d");
    EXPECT_EQ(second.WaitEnd(10000), 0);
    EXPECT_EQ(MenuWindows(0).size(), 1u);
    EXPECT_TRUE(::IsWindowVisible(menu));
    EXPECT_RECT(testdesk::ScreenRect(menu), before);
    EXPECT_TRUE(first.process.Running());
    EXPECT_FALSE(testdesk::FileExists(MenuFile(L"other.ini")));

    EXPECT_EQ(first.CloseByDeactivation(), 0);
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written({L"B0=" + Item(L"one", L"")}));
}

TEST_F(PelnorRun, ALeftClickOnAnItemStartsItsTargetAndEndsTheRun) {
    const std::wstring log = HelperLog();
    const std::wstring a = Item(L"Helper", HelperTarget()), b = Item(L"Other", L"");
    ASSERT_TRUE(WriteMenu(L"m.ini", {L"B0=" + a, L"B1=" + b}));
    MenuRun run(L"m -x 100 -y 200");
    HWND menu = WaitMenu(run.process.pid);
    ASSERT_NE(menu, nullptr);
    POINT p = RowCentre(menu, 0, rowHeight);
    testdesk::LeftClick(p.x, p.y);
    EXPECT_EQ(run.WaitEnd(), 0);
    EXPECT_TRUE(testdesk::WaitUntil([&] { return !winhelper::Values(winhelper::ReadLog(log), L"window").empty(); }));
    const auto lines = winhelper::ReadLog(log);
    EXPECT_EQ(winhelper::Values(lines, L"extra"), std::vector<std::wstring>{});
    EXPECT_EQ(winhelper::Values(lines, L"arg").size(), 6u);
    // Started in the folder of its file.
    EXPECT_EQ(winhelper::Values(lines, L"cwd"), std::vector<std::wstring>{HelperFolder()});
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written({L"B0=" + a, L"B1=" + b}));
}

TEST_F(PelnorRun, ARightClickOpensTheCommandMenuAndDeactivationClosesBoth) {
    const std::wstring log = HelperLog();
    const Lines items = {L"B0=" + Item(L"One", HelperTarget()), L"B1=" + Item(L"Two", HelperTarget()),
                         L"B2=" + Item(L"Three", L"")};
    ASSERT_TRUE(WriteMenu(L"m.ini", items));
    MenuRun run(L"m -x 100 -y 200");
    HWND itemMenu = WaitMenu(run.process.pid);
    ASSERT_NE(itemMenu, nullptr);
    const POINT p = RowCentre(itemMenu, 1, rowHeight);
    testdesk::RightClick(p.x, p.y);
    HWND commandMenu = WaitMenuOfHeight(run.process.pid, 7 * rowHeight + 2);
    ASSERT_NE(commandMenu, nullptr);
    EXPECT_RECT(testdesk::ScreenRect(commandMenu), Rect(p.x, p.y, 150, 7 * rowHeight + 2));
    EXPECT_TRUE(::IsWindowVisible(itemMenu));
    EXPECT_EQ(MenuWindows(run.process.pid).size(), 2u);

    EXPECT_EQ(run.CloseByDeactivation(), 0);
    EXPECT_FALSE(testdesk::FileExists(log));  // nothing started
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")),
              Written({L"B0=" + Item(L"One", HelperTarget()), L"B1=" + Item(L"Two", HelperTarget()),
                       L"B2=" + Item(L"Three", L"")}));
}

TEST_F(PelnorRun, TheExitCommandEndsTheRunWithoutStartingAnything) {
    const std::wstring log = HelperLog();
    const std::wstring a = Item(L"One", HelperTarget());
    ASSERT_TRUE(WriteMenu(L"m.ini", {L"B0=" + a}));
    MenuRun run(L"m -x 100 -y 200");
    HWND itemMenu = WaitMenu(run.process.pid);
    ASSERT_NE(itemMenu, nullptr);
    const POINT p = RowCentre(itemMenu, 0, rowHeight);
    testdesk::RightClick(p.x, p.y);
    HWND commandMenu = WaitMenuOfHeight(run.process.pid, 7 * rowHeight + 2);
    ASSERT_NE(commandMenu, nullptr);
    const POINT exitRow = RowCentre(commandMenu, 6, rowHeight);
    testdesk::LeftClick(exitRow.x, exitRow.y);
    EXPECT_EQ(run.WaitEnd(), 0);
    EXPECT_FALSE(testdesk::FileExists(log));
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written({L"B0=" + a}));
}

TEST_F(PelnorRun, CommandsFirstWithoutAnItemMenu) {
    const Lines items = {L"B0=" + Item(L"One", L""), L"B1=" + Item(L"Two", L"")};
    const int commandHeight = 7 * rowHeight + 2, itemHeight = 2 * rowHeight + 2;
    // The rows that act on an item find none: they change nothing and the
    // item menu follows.
    for (int row = 0; row <= 4; ++row) {
        CleanMenuDir();
        ASSERT_TRUE(WriteMenu(L"m.ini", items));
        MenuRun run(L"m -d -x 100 -y 200");
        HWND commandMenu = WaitMenuOfHeight(run.process.pid, commandHeight);
        ASSERT_NE(commandMenu, nullptr) << "row " << row;
        EXPECT_RECT(testdesk::ScreenRect(commandMenu), Rect(100, 200, 150, commandHeight));
        const POINT p = RowCentre(commandMenu, row, rowHeight);
        testdesk::LeftClick(p.x, p.y);
        HWND itemMenu = WaitMenuOfHeight(run.process.pid, itemHeight);
        ASSERT_NE(itemMenu, nullptr) << "row " << row;
        EXPECT_RECT(testdesk::ScreenRect(itemMenu), Rect(100, 200, 150, itemHeight));
        EXPECT_EQ(run.CloseByDeactivation(), 0) << "row " << row;
        EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written({items[0], items[1]})) << "row " << row;
    }
    // The exit row: the item menu closes as soon as it opens; the file is written.
    CleanMenuDir();
    ASSERT_TRUE(WriteMenu(L"m.ini", items));
    MenuRun run(L"m -d -x 100 -y 200");
    HWND commandMenu = WaitMenuOfHeight(run.process.pid, commandHeight);
    ASSERT_NE(commandMenu, nullptr);
    const POINT p = RowCentre(commandMenu, 6, rowHeight);
    testdesk::LeftClick(p.x, p.y);
    EXPECT_EQ(run.WaitEnd(), 0);
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written({items[0], items[1]}));
}

TEST_F(PelnorRun, TheRingDragsTheWindow) {
    ASSERT_TRUE(WriteMenu(L"m.ini", {L"B0=" + Item(L"One", L""), L"B1=" + Item(L"Two", L"")}));
    MenuRun run(L"m -x 100 -y 200");
    HWND menu = WaitMenu(run.process.pid);
    ASSERT_NE(menu, nullptr);
    // The left column belongs to the window itself, not to a button.
    testdesk::MoveMouse(100, 210);
    testdesk::LeftDown();
    for (int step = 1; step <= 10; ++step) {
        testdesk::MoveMouse(100 + step * 20, 210 + step * 10);
        ::Sleep(20);  // pacing of the simulated hand, not a wait for a result
    }
    testdesk::LeftUp();
    EXPECT_TRUE(testdesk::WaitUntil([&] { return testdesk::ScreenRect(menu).left == 300; }, 5000))
        << Show(testdesk::ScreenRect(menu));
    EXPECT_RECT(testdesk::ScreenRect(menu), Rect(300, 300, 150, 2 * rowHeight + 2));
    EXPECT_TRUE(run.process.Running());  // dragging is no click
    EXPECT_EQ(run.CloseByDeactivation(), 0);
}

TEST_F(PelnorRun, RefusedMenuNamesShowNothingAndWriteNothing) {
    const std::wstring kestovar = testdesk::AppData() + L"\\Kestovar";
    struct Case {
        std::wstring args;
        std::vector<std::wstring> mustNotExist;
    } cases[] = {
        {L"..\\escape -x 100 -y 100", {kestovar + L"\\escape.ini"}},
        {L"../up", {kestovar + L"\\up.ini"}},
        {L"sub\\m", {MenuDir() + L"\\sub"}},
        {L"a/b", {}},
        {L"C:x", {L"C:\\x.ini"}},
        {L"m:stream", {MenuFile(L"m")}},
        {L"\"a<b\"", {}},
        {L"\"a>b\"", {}},
        {L"\"a|b\"", {}},
        {L"a?b", {}},
        {L"a*b", {}},
        {L"\"a\\\"b\"", {}},
        {L"a\x01" L"b", {}},
        {L"\" \"", {}},
        {L"\"\t\"", {}},
        {L"CON", {}},
        {L"nul.txt -x 5", {}},
        {L"lpt1", {}},
        {L"Aux", {}},
        {L"COM9", {}},
        {L"PRN", {}},
        {L"good \\\\server\\share", {}},  // the last name counts
    };
    for (const Case& k : cases) {
        MenuRun run(k.args);
        bool sawMenu = false;
        DWORD code = 1;
        const bool ended = testdesk::WaitUntil(
            [&] {
                sawMenu |= !MenuWindows(run.process.pid).empty();
                return run.process.WaitExit(0, &code);
            },
            10000);
        EXPECT_TRUE(ended) << testdesk::Narrow(k.args);
        EXPECT_EQ(code, 0u) << testdesk::Narrow(k.args);
        EXPECT_FALSE(sawMenu) << testdesk::Narrow(k.args);
        EXPECT_FALSE(testdesk::FileExists(MenuDir())) << testdesk::Narrow(k.args);
        for (const auto& path : k.mustNotExist) EXPECT_FALSE(testdesk::FileExists(path)) << testdesk::Narrow(path);
    }
    // The mutex went with each of them: a good name runs afterwards.
    MenuRun run(L"good -x 100 -y 100");
    EXPECT_NE(WaitMenu(run.process.pid), nullptr);
    EXPECT_EQ(run.CloseByDeactivation(), 0);
    EXPECT_TRUE(testdesk::FileExists(MenuFile(L"good.ini")));
}

TEST_F(PelnorRun, AFileThatCannotBeReadGivesTheDefaultsAndIsLeftAlone) {
    ASSERT_TRUE(WriteMenu(L"m.ini", {L"B0=" + Item(L"One", L""), L"B1=" + Item(L"Two", L""), L"ButtonWidth=200"}));
    const auto before = testdesk::ReadBytes(MenuFile(L"m.ini"));
    // Held open with no sharing: the program cannot open it for reading.
    HANDLE lock = ::CreateFileW(MenuFile(L"m.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    MenuRun run(L"m -x 100 -y 200");
    HWND menu = WaitMenu(run.process.pid);
    ::CloseHandle(lock);
    ASSERT_NE(menu, nullptr);
    EXPECT_RECT(testdesk::ScreenRect(menu), Rect(100, 200, 150, rowHeight + 2));  // the defaults, one blank item
    EXPECT_EQ(run.CloseByDeactivation(), 0);
    EXPECT_EQ(testdesk::ReadBytes(MenuFile(L"m.ini")), before);
}

TEST_F(PelnorRun, AFileThatCannotBeWrittenStaysWholeAndTheRunEnds) {
    // A file held open without delete sharing can be read but not replaced.
    const Lines lines = {L"B0=" + Item(L"One", L""), L"Foo=kept"};
    ASSERT_TRUE(WriteMenu(L"m.ini", lines));
    const auto before = testdesk::ReadBytes(MenuFile(L"m.ini"));
    HANDLE hold = ::CreateFileW(MenuFile(L"m.ini").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    {
        MenuRun run(L"m -x 100 -y 200");
        HWND menu = WaitMenu(run.process.pid);
        ASSERT_NE(menu, nullptr);
        EXPECT_RECT(testdesk::ScreenRect(menu), Rect(100, 200, 150, rowHeight + 2));
        EXPECT_EQ(run.CloseByDeactivation(), 0);
    }
    ::CloseHandle(hold);
    EXPECT_EQ(testdesk::ReadBytes(MenuFile(L"m.ini")), before);

    // A file marked read-only is read but not replaced, and keeps its mark.
    ASSERT_TRUE(WriteMenu(L"r.ini", lines));
    ASSERT_TRUE(::SetFileAttributesW(MenuFile(L"r.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    {
        MenuRun run(L"r -x 100 -y 200");
        HWND menu = WaitMenu(run.process.pid);
        ASSERT_NE(menu, nullptr);
        EXPECT_RECT(testdesk::ScreenRect(menu), Rect(100, 200, 150, rowHeight + 2));
        EXPECT_EQ(run.CloseByDeactivation(), 0);
    }
    EXPECT_EQ(testdesk::ReadBytes(MenuFile(L"r.ini")), before);
    EXPECT_TRUE(::GetFileAttributesW(MenuFile(L"r.ini").c_str()) & FILE_ATTRIBUTE_READONLY);

    // A folder where the file should be: nothing to read, nothing written.
    ASSERT_TRUE(testdesk::MakeDirs(MenuFile(L"d.ini")));
    MenuRun run(L"d -x 100 -y 200");
    ASSERT_NE(WaitMenu(run.process.pid), nullptr);
    EXPECT_EQ(run.CloseByDeactivation(), 0);
    const DWORD attributes = ::GetFileAttributesW(MenuFile(L"d.ini").c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    // No temporary file is left behind.
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((MenuDir() + L"\\*").c_str(), &found);
    std::vector<std::wstring> names;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (found.cFileName[0] != L'.') names.push_back(found.cFileName);
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"d.ini", L"m.ini", L"r.ini"}));
}
