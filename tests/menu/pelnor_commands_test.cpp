// The real pelnor.exe under Wine, driven with real clicks: starting items,
// the item commands through the command menu (copy and insert-paste, file
// lists, the limit of 50 items, delete, edit, exit), the option dialog with
// its help button, the edit dialog with its preview and sibling-program
// menu, and screenshots of the command menu, the option dialog and the
// edit dialog.
#include <gtest/gtest.h>

#include "bar_test_support.h"
#include "menu_clip.h"
#include "pelnor_harness.h"
#include "winhelper.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using namespace pelnor;
using menuclip::Bytes;

namespace {

const std::wstring kShots = testdesk::WinPath(SCREENSHOT_DIR);

std::wstring ProgramFilesFolder() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

const Lines kDefaultSettings = {L"ColorMode=3",     L"ButtonColor=14215660", L"TextColor=0",
                                L"FontName=Tahoma", L"FontSize=9",           L"ButtonWidth=150"};

Lines Written(const Lines& items, const Lines& settings = kDefaultSettings) {
    Lines out = {L"Pelnor=0.02"};
    out.insert(out.end(), items.begin(), items.end());
    out.insert(out.end(), settings.begin(), settings.end());
    return out;
}

// The keyed item lines B0, B1, ... of item lines.
Lines Keyed(const Lines& items) {
    Lines out;
    for (size_t k = 0; k < items.size(); ++k) out.push_back(L"B" + std::to_wstring(k) + L"=" + items[k]);
    return out;
}

int Height(HWND w) {
    const RECT r = testdesk::ScreenRect(w);
    return r.bottom - r.top;
}

POINT RowCentre(HWND menu, int i, int rowHeight) {
    const RECT r = testdesk::ScreenRect(menu);
    return POINT{(r.left + r.right) / 2, r.top + 1 + rowHeight * i + rowHeight / 2};
}

// A window's child of the class whose top-left corner lies at (x, y) of the
// window's client area; null when there is none.
HWND ChildAt(HWND parent, const wchar_t* cls, int x, int y) {
    POINT origin{0, 0};
    ::ClientToScreen(parent, &origin);
    for (HWND child : testdesk::ChildWindows(parent, cls)) {
        const RECT r = testdesk::ScreenRect(child);
        if (r.left - origin.x == x && r.top - origin.y == y) return child;
    }
    return nullptr;
}

// The child button with this caption.
HWND ButtonNamed(HWND parent, const std::wstring& caption) {
    for (HWND child : testdesk::ChildWindows(parent, L"TButton"))
        if (testdesk::TextOf(child) == caption) return child;
    return nullptr;
}

std::wstring WindowText(HWND w) {
    wchar_t buffer[1024] = {};
    ::SendMessageW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void ClickCentre(HWND w) {
    const POINT p = bartest::CentreOf(w);
    testdesk::LeftClick(p.x, p.y);
}

// Replaces the text of an edit control as a user would: click into it,
// select everything, type.
void Retype(HWND edit, const std::wstring& text) {
    ClickCentre(edit);
    EXPECT_TRUE(testdesk::WaitFocus(edit)) << "the click gave no focus";
    testdesk::PressKey(VK_END);
    INPUT in[4] = {};
    for (INPUT& i : in) i.type = INPUT_KEYBOARD;
    in[0].ki.wVk = VK_SHIFT;
    in[1].ki.wVk = VK_HOME;
    in[2].ki.wVk = VK_HOME;
    in[2].ki.dwFlags = KEYEVENTF_KEYUP;
    in[3].ki.wVk = VK_SHIFT;
    in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(4, in, sizeof(INPUT));
    testdesk::PressKey(VK_DELETE);
    testdesk::TypeText(text);
}

// Whether the pixels of the rectangle are all of one colour.
bool Uniform(const RECT& r) {
    const bartest::Pixels px = bartest::GrabScreen(r);
    for (COLORREF c : px.data)
        if (c != px.data.front()) return false;
    return true;
}

void Shot(const std::wstring& name, const RECT& area) { bartest::SaveShot(kShots, name, area); }

// Waits until the window is painted: the screen's black background no longer
// shows through most of it.
bool WaitPainted(HWND w) {
    return testdesk::WaitUntil(
        [w] {
            const bartest::Pixels px = bartest::GrabScreen(testdesk::ScreenRect(w));
            if (px.data.empty()) return false;
            size_t black = 0;
            for (COLORREF c : px.data) black += c == RGB(0, 0, 0);
            return black * 50 < px.data.size();
        },
        10000);
}

RECT Union(const RECT& a, const RECT& b) {
    RECT r{};
    ::UnionRect(&r, &a, &b);
    return RECT{r.left - 4, r.top - 4, r.right + 4, r.bottom + 4};
}

class PelnorCommands : public ::testing::Test {
protected:
    void SetUp() override {
        CleanMenuDir();
        rowHeight = RowHeight();
        testdesk::MoveMouse(600, 500);
        ::DeleteFileW(HelperLog().c_str());
        ASSERT_TRUE(menuclip::Clear());
        programs = ProgramFilesFolder() + L"\\Kestovar";
        programsExisted = ::GetFileAttributesW(programs.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void TearDown() override {
        if (HWND started = testdesk::FindTopWindow(nullptr, L"PelnorStarted")) ::PostMessageW(started, WM_CLOSE, 0, 0);
        CleanMenuDir();
        ::DeleteFileW(HelperLog().c_str());
        menuclip::Clear();
        for (const auto& f : installed) ::DeleteFileW(f.c_str());
        if (!programsExisted) testdesk::RemoveTree(programs);
    }

    std::wstring HelperFolder() {
        const std::wstring path = winhelper::Path();
        return path.substr(0, path.find_last_of(L'\\'));
    }
    std::wstring HelperLog() { return HelperFolder() + L"\\" + logName; }
    std::wstring HelperTarget(const std::wstring& extra = L"") {
        return winhelper::Path() + L" --log " + logName + L" --title PelnorStarted --exit-after 20000" + extra;
    }

    // Starts the menu of these item lines at (100, 100) and waits for it.
    HWND Open(MenuRun& run, int items) {
        HWND menu = WaitMenuOfHeight(run.process.pid, items * rowHeight + 2);
        EXPECT_NE(menu, nullptr);
        return menu;
    }
    // Right-clicks item row of the item menu and clicks command row of the
    // command menu that opens; returns the command menu (null on failure).
    // Both menus have rows of itemRowHeight (the settings' row height).
    HWND Command(MenuRun& run, HWND itemMenu, int itemRow, int commandRow, int itemRowHeight = 0) {
        const int h = itemRowHeight ? itemRowHeight : rowHeight;
        const POINT p = RowCentre(itemMenu, itemRow, h);
        testdesk::RightClick(p.x, p.y);
        HWND commands = WaitMenuOfHeight(run.process.pid, 7 * h + 2);
        if (!commands) {
            Report(run, "no command menu after the right click at " + std::to_string(p.x) + "," + std::to_string(p.y));
            return nullptr;
        }
        const POINT c = RowCentre(commands, commandRow, h);
        testdesk::LeftClick(c.x, c.y);
        // The click closes the command menu before its command runs.
        if (!testdesk::WaitUntil([&] { return !::IsWindowVisible(commands); }, 5000)) {
            Report(run, "the command menu stayed after the click at " + std::to_string(c.x) + "," + std::to_string(c.y));
            return nullptr;
        }
        return commands;
    }
    // Prints what the desktop looks like and saves a picture of the screen.
    void Report(MenuRun& run, const std::string& what) {
        static int shots = 0;
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::wstring name = L"failure_" + std::wstring(test->name(), test->name() + std::strlen(test->name())) +
                                  L"_" + std::to_wstring(++shots) + L".bmp";
        std::printf("%s\n%s(picture %s)\n", what.c_str(), testdesk::DescribeDesktop(run.process.pid).c_str(),
                    testdesk::Narrow(name).c_str());
        testdesk::SaveScreenshot(kShots + L"\\" + name);
    }
    // Ends the run through "終了" (from item row) and waits for its end; the exit code.
    int Exit(MenuRun& run, HWND itemMenu, int itemRowHeight = 0, int row = 0) {
        if (!Command(run, itemMenu, row, 6, itemRowHeight)) return -1;
        return run.WaitEnd();
    }
    // The item menu's height once it is n rows high (polled).
    bool RowsBecome(HWND menu, int n, int height = 0) {
        const int expected = n * (height ? height : rowHeight) + 2;
        return testdesk::WaitUntil([&] { return Height(menu) == expected; }, 5000);
    }
    HWND WaitDialog(MenuRun& run, const wchar_t* cls) { return testdesk::WaitWindow(cls, nullptr, run.process.pid); }
    std::wstring Install(const std::wstring& relative) {
        const std::wstring path = programs + L"\\" + relative;
        testdesk::MakeDirs(path.substr(0, path.find_last_of(L'\\')));
        ::CopyFileW(winhelper::Path().c_str(), path.c_str(), FALSE);
        installed.push_back(path);
        return path;
    }

    std::wstring logName = L"pelnorcmd" + std::to_wstring(::GetCurrentProcessId());
    int rowHeight = 0;
    std::wstring programs;
    bool programsExisted = false;
    std::vector<std::wstring> installed;
};

const std::wstring kA = Item(L"Alpha", L"C:\\windows\\notepad.exe");
const std::wstring kB = Item(L"Beta", L"C:\\windows");
const std::wstring kC = Item(L"Gamma", L"");

}  // namespace

// --- starting an item ------------------------------------------------------------

TEST_F(PelnorCommands, AClickStartsTheProgramWithItsFolderAndParameters) {
    const std::wstring item = Item(L"Helper", HelperTarget(L" one two"));
    ASSERT_TRUE(WriteMenu(L"m.ini", {L"B0=" + kC, L"B1=" + item}));
    MenuRun run(L"m -x 100 -y 100");
    HWND menu = Open(run, 2);
    ASSERT_NE(menu, nullptr);
    const POINT p = RowCentre(menu, 1, rowHeight);
    testdesk::LeftClick(p.x, p.y);
    EXPECT_EQ(run.WaitEnd(), 0);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !winhelper::Values(winhelper::ReadLog(HelperLog()), L"window").empty(); }));
    const auto log = winhelper::ReadLog(HelperLog());
    EXPECT_EQ(winhelper::Values(log, L"extra"), (std::vector<std::wstring>{L"one", L"two"}));
    EXPECT_EQ(winhelper::Values(log, L"arg"),
              (std::vector<std::wstring>{L"--log", logName, L"--title", L"PelnorStarted", L"--exit-after", L"20000",
                                         L"one", L"two"}));
    EXPECT_EQ(winhelper::Values(log, L"cwd"), std::vector<std::wstring>{HelperFolder()});
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written({L"B0=" + kC, L"B1=" + item}));
}

TEST_F(PelnorCommands, AFolderIsOpenedWhole) {
    // A folder whose name reads like a file with parameters: only passed whole
    // does the shell find it.
    const std::wstring folder = testdesk::FreshTempDir(L"pelnor folder.d two");
    std::set<HWND> before;
    ::EnumWindows([](HWND w, LPARAM l) { reinterpret_cast<std::set<HWND>*>(l)->insert(w); return TRUE; },
                  reinterpret_cast<LPARAM>(&before));
    ASSERT_TRUE(WriteMenu(L"m.ini", {L"B0=" + Item(L"Folder", folder)}));
    MenuRun run(L"m -x 100 -y 100");
    HWND menu = Open(run, 1);
    ASSERT_NE(menu, nullptr);
    const POINT p = RowCentre(menu, 0, rowHeight);
    testdesk::LeftClick(p.x, p.y);
    EXPECT_EQ(run.WaitEnd(), 0);
    HWND opened = nullptr;
    const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
    testdesk::WaitUntil(
        [&] {
            struct Data {
                std::set<HWND>* before;
                std::wstring name;
                HWND found;
            } d{&before, name, nullptr};
            ::EnumWindows(
                [](HWND w, LPARAM l) {
                    auto* d = reinterpret_cast<Data*>(l);
                    if (d->before->count(w) || !::IsWindowVisible(w)) return TRUE;
                    if (testdesk::TextOf(w).find(d->name) != std::wstring::npos) d->found = w;
                    return d->found ? FALSE : TRUE;
                },
                reinterpret_cast<LPARAM>(&d));
            opened = d.found;
            return opened != nullptr;
        },
        15000);
    ASSERT_NE(opened, nullptr) << "no window shows the folder";
    // The shell's folder window: closed again (its process ends with it).
    ::PostMessageW(opened, WM_CLOSE, 0, 0);
    EXPECT_TRUE(testdesk::WaitUntil([&] { return !::IsWindow(opened); }, 10000));
    testdesk::RemoveTree(folder);
}

TEST_F(PelnorCommands, ABlankItemStartsNothingAndTheMenuCloses) {
    const std::wstring helper = Item(L"Helper", HelperTarget());
    ASSERT_TRUE(WriteMenu(L"m.ini", {L"B0=" + helper}));
    MenuRun run(L"m -x 100 -y 100");
    HWND menu = Open(run, 1);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(Command(run, menu, 0, 1), nullptr);  // "追加": a blank item at the bottom
    ASSERT_TRUE(RowsBecome(menu, 2));
    const POINT p = RowCentre(menu, 1, rowHeight);
    testdesk::LeftClick(p.x, p.y);
    EXPECT_EQ(run.WaitEnd(), 0);
    EXPECT_FALSE(testdesk::FileExists(HelperLog()));
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written({L"B0=" + helper}));
}

// --- the item commands -----------------------------------------------------------

TEST_F(PelnorCommands, CopyThenInsertPastePutsAnIdenticalItemBeforeIt) {
    ASSERT_TRUE(WriteMenu(L"m.ini", Keyed({kA, kB, kC})));
    MenuRun run(L"m -x 100 -y 100");
    HWND menu = Open(run, 3);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(Command(run, menu, 1, 2), nullptr);  // "コピー" on Beta
    Bytes bytes;
    // Looked for without opening the clipboard, which would keep the copy from opening it.
    ASSERT_TRUE(testdesk::WaitUntil([] { return menuclip::Has(menuclip::PelnorFormat()); }, 5000));
    ASSERT_TRUE(menuclip::Read(menuclip::PelnorFormat(), bytes));
    EXPECT_EQ(bytes, menuclip::LineBytes(kB));  // exactly (n + 1) x 2 bytes
    EXPECT_TRUE(run.process.Running());
    EXPECT_EQ(Height(menu), 3 * rowHeight + 2);

    HWND commands = Command(run, menu, 1, 3);  // "挿入貼り付け" on Beta
    ASSERT_NE(commands, nullptr);
    ASSERT_TRUE(RowsBecome(menu, 4));
    // The command menu over the item menu, for looking at.
    const POINT p = RowCentre(menu, 3, rowHeight);
    testdesk::RightClick(p.x, p.y);
    commands = WaitMenuOfHeight(run.process.pid, 7 * rowHeight + 2);
    ASSERT_NE(commands, nullptr);
    testdesk::MoveMouse(p.x + 20, p.y + 2 * rowHeight);  // hover over a command
    ::Sleep(300);  // let the hover look be painted before the picture is taken
    Shot(L"pelnor_command_menu.bmp", Union(testdesk::ScreenRect(menu), testdesk::ScreenRect(commands)));
    const POINT exitRow = RowCentre(commands, 6, rowHeight);
    testdesk::LeftClick(exitRow.x, exitRow.y);
    EXPECT_EQ(run.WaitEnd(), 0);
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written(Keyed({kA, kB, kB, kC})));
}

TEST_F(PelnorCommands, PastedFilesAndItemsGoInBeforeTheRightClickedItem) {
    const std::wstring first = L"C:\\docs\\first.doc", last = L"C:\\docs\\Plan for 2026.final.xls";
    const std::wstring fileItem = Item(L"Plan for 2026.final", last);
    struct Case {
        const char* what;
        std::vector<menuclip::Block> clipboard;
        Lines after;
    } cases[] = {
        {"a file list of two", {{CF_HDROP, menuclip::FileListBytes({first, last})}}, {kA, fileItem, kB}},
        {"both formats: the file's item first",
         {{menuclip::PelnorFormat(), menuclip::LineBytes(kC)}, {CF_HDROP, menuclip::FileListBytes({first, last})}},
         {kA, fileItem, kC, kB}},
    };
    for (const Case& c : cases) {
        CleanMenuDir();
        ASSERT_TRUE(WriteMenu(L"m.ini", Keyed({kA, kB})));
        ASSERT_TRUE(menuclip::Put(c.clipboard)) << c.what;
        MenuRun run(L"m -x 100 -y 100");
        HWND menu = Open(run, 2);
        ASSERT_NE(menu, nullptr) << c.what;
        ASSERT_NE(Command(run, menu, 1, 3), nullptr) << c.what;
        EXPECT_TRUE(RowsBecome(menu, static_cast<int>(c.after.size()))) << c.what;
        EXPECT_EQ(Exit(run, menu), 0) << c.what;
        EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written(Keyed(c.after))) << c.what;
    }
}

TEST_F(PelnorCommands, AddAndPasteAreRefusedAtFiftyItems) {
    auto numbered = [](int n) {
        Lines items;
        for (int i = 0; i < n; ++i) items.push_back(Item(L"Item " + std::to_wstring(i), L""));
        return items;
    };
    const std::vector<menuclip::Block> both = {{menuclip::PelnorFormat(), menuclip::LineBytes(kC)},
                                               {CF_HDROP, menuclip::FileListBytes({L"C:\\docs\\plan.xls"})}};
    // Rows near the bottom of the screen: the 50-row menu is taller than the screen.
    ASSERT_TRUE(WriteMenu(L"m.ini", Keyed(numbered(50))));
    ASSERT_TRUE(menuclip::Put(both));
    {
        MenuRun run(L"m -x 100 -y 100");
        HWND menu = Open(run, 50);
        ASSERT_NE(menu, nullptr);
        ASSERT_NE(Command(run, menu, 45, 1), nullptr);  // add
        ASSERT_NE(Command(run, menu, 45, 3), nullptr);  // paste
        ASSERT_NE(Command(run, menu, 45, 2), nullptr);  // copy: the run is still going
        EXPECT_EQ(Height(menu), 50 * rowHeight + 2);
        EXPECT_EQ(Exit(run, menu, 0, 45), 0);
    }
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written(Keyed(numbered(50))));

    // 49 items and both formats: the copied line goes in, the file is refused.
    CleanMenuDir();
    ASSERT_TRUE(WriteMenu(L"m.ini", Keyed(numbered(49))));
    ASSERT_TRUE(menuclip::Put(both));
    MenuRun run(L"m -x 100 -y 100");
    HWND menu = Open(run, 49);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(Command(run, menu, 44, 3), nullptr);
    EXPECT_TRUE(RowsBecome(menu, 50));
    EXPECT_EQ(Exit(run, menu, 0, 45), 0);
    Lines expected = numbered(49);
    expected.insert(expected.begin() + 44, kC);
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written(Keyed(expected)));
}

TEST_F(PelnorCommands, DeletingTheOnlyItemLeavesOneBlankRow) {
    ASSERT_TRUE(WriteMenu(L"m.ini", Keyed({kA, kB})));
    MenuRun run(L"m -x 100 -y 100");
    HWND menu = Open(run, 2);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(Command(run, menu, 0, 4), nullptr);
    ASSERT_TRUE(RowsBecome(menu, 1));
    ASSERT_NE(Command(run, menu, 0, 4), nullptr);
    // Still one row: a blank item.
    ::Sleep(200);  // give a wrong re-layout the time to show
    EXPECT_EQ(Height(menu), rowHeight + 2);
    const std::vector<HWND> buttons = testdesk::ChildWindows(menu, L"TKButton");
    ASSERT_FALSE(buttons.empty());
    EXPECT_EQ(run.CloseByDeactivation(), 0);
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written({}));
}

// --- the edit dialog ---------------------------------------------------------------

TEST_F(PelnorCommands, EditWithOkChangesThatButtonAndNotTheWindowSize) {
    ASSERT_TRUE(WriteMenu(L"m.ini", Keyed({kA, kB, kC})));
    MenuRun run(L"m -x 100 -y 100");
    HWND menu = Open(run, 3);
    ASSERT_NE(menu, nullptr);
    const RECT before = testdesk::ScreenRect(menu);
    ASSERT_NE(Command(run, menu, 1, 0), nullptr);  // "メニューの編集" on Beta
    HWND dialog = WaitDialog(run, L"TFormEdit");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(testdesk::TextOf(dialog), L"メニューの編集");
    HWND file = ChildAt(dialog, L"TEdit", 57, 21), title = ChildAt(dialog, L"TEdit", 57, 65);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(WindowText(file), L"C:\\windows");
    EXPECT_EQ(WindowText(title), L"Beta");
    Retype(title, L"Renamed");
    ASSERT_TRUE(testdesk::WaitUntil([&] { return WindowText(title) == L"Renamed"; }, 5000));
    EXPECT_TRUE(WaitPainted(dialog));
    Shot(L"pelnor_edit_dialog.bmp", Union(testdesk::ScreenRect(dialog), testdesk::ScreenRect(menu)));
    ClickCentre(ButtonNamed(dialog, L"OK"));
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !::IsWindowVisible(dialog); }, 5000));
    // That one button shows the new title; the window keeps its size.
    auto buttonAt = [&](int row) -> HWND {
        POINT p = RowCentre(menu, row, rowHeight);
        ::ScreenToClient(menu, &p);
        return ::ChildWindowFromPoint(menu, p);
    };
    EXPECT_TRUE(testdesk::WaitUntil([&] { return testdesk::TextOf(buttonAt(1)) == L"Renamed"; }, 5000));
    EXPECT_EQ(testdesk::TextOf(buttonAt(0)), L"Alpha");
    EXPECT_EQ(testdesk::TextOf(buttonAt(2)), L"Gamma");
    const RECT after = testdesk::ScreenRect(menu);
    EXPECT_TRUE(::EqualRect(&before, &after));
    EXPECT_EQ(Exit(run, menu), 0);
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")),
              Written(Keyed({kA, Item(L"Renamed", L"C:\\windows"), kC})));
}

TEST_F(PelnorCommands, TheEditDialogShowsTheIconAndOffersTheInstalledProgramsOnly) {
    const std::wstring brenk = Install(L"Brenk\\brenk.exe");
    Install(L"Dovrak\\dovrak.exe");
    Install(L"Pelnor\\pelnor.exe");
    ASSERT_TRUE(WriteMenu(L"m.ini", Keyed({kC})));
    MenuRun run(L"m -x 100 -y 100");
    HWND menu = Open(run, 1);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(Command(run, menu, 0, 0), nullptr);
    HWND dialog = WaitDialog(run, L"TFormEdit");
    ASSERT_NE(dialog, nullptr);
    HWND file = ChildAt(dialog, L"TEdit", 57, 21), title = ChildAt(dialog, L"TEdit", 57, 65);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(title, nullptr);
    // The preview: the panel's inside at (12, 9) of the client, 32 x 32.
    POINT origin{12, 9};
    ::ClientToScreen(dialog, &origin);
    const RECT preview{origin.x, origin.y, origin.x + 32, origin.y + 32};
    EXPECT_TRUE(Uniform(preview));
    Retype(file, L"C:\\windows\\notepad.exe");
    EXPECT_TRUE(testdesk::WaitUntil([&] { return !Uniform(preview); }, 5000)) << "no icon drawn";
    Retype(file, L"");
    EXPECT_TRUE(testdesk::WaitUntil([&] { return Uniform(preview); }, 5000)) << "icon not cleared";

    // The maker's programs: only Brenk is offered.
    HWND setup = nullptr;
    for (HWND child : testdesk::ChildWindows(dialog, L"TSpeedButton")) {
        POINT o{0, 0};
        ::ClientToScreen(dialog, &o);
        if (testdesk::ScreenRect(child).left - o.x == 473) setup = child;
    }
    ASSERT_NE(setup, nullptr);
    ClickCentre(setup);
    HWND popup = testdesk::WaitWindow(L"#32768", nullptr, run.process.pid);
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return bartest::MenuRowsEnabled(popup).size() == 1; }, 5000))
        << bartest::MenuRowsEnabled(popup).size() << " rows";
    const RECT r = testdesk::ScreenRect(popup);
    testdesk::LeftClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    if (!testdesk::WaitUntil([&] { return WindowText(file) == brenk; }, 5000)) {
        Report(run, "the pick did not fill the edits: " + testdesk::Narrow(WindowText(file)));
        ADD_FAILURE();
    }
    EXPECT_EQ(WindowText(title), L"Brenk");
    if (!testdesk::WaitUntil([&] { return !testdesk::FindTopWindow(L"#32768", nullptr, run.process.pid); }, 5000)) {
        std::printf("first popup %p\n", static_cast<void*>(popup));
        Report(run, "the sibling-program menu stayed after the pick");
        ADD_FAILURE();
    }
    ClickCentre(ButtonNamed(dialog, L"OK"));
    if (!testdesk::WaitUntil([&] { return !::IsWindowVisible(dialog); }, 5000)) {
        Report(run, "the dialog stayed after OK");
        FAIL();
    }
    EXPECT_EQ(Exit(run, menu), 0);
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written(Keyed({Item(L"Brenk", brenk)})));
}

// --- the option dialog -------------------------------------------------------------

TEST_F(PelnorCommands, ALargerFontTakesEffectAtOnceAndHelpOpens) {
    ASSERT_TRUE(WriteMenu(L"m.ini", Keyed({kA, kB})));
    MenuRun run(L"m -x 100 -y 100");
    HWND menu = Open(run, 2);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(Command(run, menu, 0, 5), nullptr);  // "オプション"
    HWND dialog = WaitDialog(run, L"TFormOption");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(testdesk::TextOf(dialog), L"オプション");
    std::vector<HWND> combos;
    for (HWND w : testdesk::ChildWindows(dialog, L"TComboBox")) combos.push_back(w);
    ASSERT_EQ(combos.size(), 3u);
    std::sort(combos.begin(), combos.end(),
              [](HWND a, HWND b) { return testdesk::ScreenRect(a).top < testdesk::ScreenRect(b).top; });
    EXPECT_EQ(WindowText(combos[0]), L"Tahoma");
    EXPECT_EQ(WindowText(combos[1]), L"9");
    EXPECT_EQ(WindowText(combos[2]), L"150");
    EXPECT_TRUE(WaitPainted(dialog));
    Shot(L"pelnor_option_dialog.bmp", testdesk::ScreenRect(dialog));

    // The help button opens the help file's contents; the dialog stays.
    HWND help = nullptr;
    for (HWND child : testdesk::ChildWindows(dialog, L"TSpeedButton")) help = child;
    ASSERT_NE(help, nullptr);
    ClickCentre(help);
    HWND viewer = testdesk::WaitWindow(L"HH Parent", nullptr, run.process.pid);
    EXPECT_NE(viewer, nullptr);
    EXPECT_TRUE(::IsWindowVisible(dialog));
    if (viewer) {
        // The contents of pelnor.chm are listed.
        LRESULT entries = 0;
        testdesk::WaitUntil(
            [&] {
                for (HWND tree : testdesk::ChildWindows(viewer, L"SysTreeView32"))
                    entries = std::max<LRESULT>(entries, ::SendMessageW(tree, TVM_GETCOUNT, 0, 0));
                return entries >= 4;
            },
            5000);
        EXPECT_EQ(entries, 4);
        WaitPainted(viewer);
        Shot(L"pelnor_help.bmp", testdesk::ScreenRect(viewer));
        ::PostMessageW(viewer, WM_CLOSE, 0, 0);
        testdesk::WaitUntil([&] { return !::IsWindowVisible(viewer); }, 5000);
    }

    Retype(combos[1], L"16");
    ASSERT_TRUE(testdesk::WaitUntil([&] { return WindowText(combos[1]) == L"16"; }, 5000)) << WindowText(combos[1]);
    Retype(combos[2], L"220");
    ASSERT_TRUE(testdesk::WaitUntil([&] { return WindowText(combos[2]) == L"220"; }, 5000)) << WindowText(combos[2]);
    ClickCentre(ButtonNamed(dialog, L"OK"));
    const int taller = RowHeight(L"Tahoma", 16);
    EXPECT_GT(taller, rowHeight);
    EXPECT_TRUE(RowsBecome(menu, 2, taller)) << Height(menu);
    // The height is set before the width.
    const auto width = [&] { return testdesk::ScreenRect(menu).right - testdesk::ScreenRect(menu).left; };
    EXPECT_TRUE(testdesk::WaitUntil([&] { return width() == 220; }, 5000)) << width();
    EXPECT_TRUE(run.process.Running());
    EXPECT_EQ(Exit(run, menu, taller), 0);
    EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")),
              Written(Keyed({kA, kB}), {L"ColorMode=3", L"ButtonColor=14215660", L"TextColor=0", L"FontName=Tahoma",
                                        L"FontSize=16", L"ButtonWidth=220"}));
}

TEST_F(PelnorCommands, OptionsWithTheCommandMenuShownFirst) {
    struct Case {
        const char* what;
        const wchar_t* button;
        int width;
    } cases[] = {{"OK", L"OK", 200}, {"Cancel", L"キャンセル", 150}};
    for (const Case& c : cases) {
        CleanMenuDir();
        ASSERT_TRUE(WriteMenu(L"m.ini", Keyed({kA})));
        MenuRun run(L"m -d -x 100 -y 100");
        HWND commands = WaitMenuOfHeight(run.process.pid, 7 * rowHeight + 2);
        ASSERT_NE(commands, nullptr) << c.what;
        const POINT p = RowCentre(commands, 5, rowHeight);
        testdesk::LeftClick(p.x, p.y);
        HWND dialog = WaitDialog(run, L"TFormOption");
        ASSERT_NE(dialog, nullptr) << c.what;
        std::vector<HWND> combos = testdesk::ChildWindows(dialog, L"TComboBox");
        std::sort(combos.begin(), combos.end(),
                  [](HWND a, HWND b) { return testdesk::ScreenRect(a).top < testdesk::ScreenRect(b).top; });
        ASSERT_EQ(combos.size(), 3u);
        Retype(combos[2], L"200");
        ClickCentre(ButtonNamed(dialog, c.button));
        // The item menu made afterwards has the stored width.
        HWND menu = WaitMenuOfHeight(run.process.pid, rowHeight + 2);
        ASSERT_NE(menu, nullptr) << c.what;
        const auto width = [&] { return testdesk::ScreenRect(menu).right - testdesk::ScreenRect(menu).left; };
        EXPECT_TRUE(testdesk::WaitUntil([&] { return width() == c.width; }, 5000)) << c.what << ": " << width();
        EXPECT_EQ(run.CloseByDeactivation(), 0) << c.what;
        Lines settings = kDefaultSettings;
        settings.back() = L"ButtonWidth=" + std::to_wstring(c.width);
        EXPECT_EQ(testdesk::ReadUtf16Lines(MenuFile(L"m.ini")), Written(Keyed({kA}), settings)) << c.what;
    }
}
