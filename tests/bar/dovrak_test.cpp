// The real dovrak.exe, started as a user would start it, with settings files
// prepared in the user's Kestovar\Dovrak folder; watched and driven from
// outside through the Windows API and real input.
#include <gtest/gtest.h>

#include "bar_test_support.h"
#include "desktop.h"
#include "s02.h"
#include "winhelper.h"

#include <algorithm>

using namespace bartest;

namespace {

const std::wstring kDovrak = testdesk::WinPath(DOVRAK_EXE);

const std::vector<std::wstring> kDefaultFile = {
    L"Dovrak=0.06",          L"Top=0",            L"Left=400",     L"FormColor=9981440",
    L"ButtonColor=14215660", L"TextColor=9981440", L"ButtonSize=16", L"AutoHide=0",
};

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// The process ids that helper logs report, to end them after a test.
std::vector<DWORD> HelperPids(const std::wstring& log) {
    std::vector<DWORD> pids;
    for (const auto& v : winhelper::Values(winhelper::ReadLog(log), L"start")) pids.push_back(std::stoul(v));
    return pids;
}

bool LogHas(const std::wstring& log, const std::wstring& key) {
    return !winhelper::Values(winhelper::ReadLog(log), key).empty();
}

class Dovrak : public ::testing::Test {
protected:
    void SetUp() override {
        KillBars();
        RemoveIniDir();
        testdesk::MoveMouse(900, 700);
    }
    void TearDown() override {
        if (bar.Running()) bar.Kill();
        bar.Close();
        KillBars();
        for (const auto& log : logs) {
            for (DWORD pid : HelperPids(log)) {
                if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
                    TerminateProcess(p, 1);
                    WaitForSingleObject(p, 5000);
                    CloseHandle(p);
                }
            }
        }
        RemoveIniDir();
    }

    // Starts the bar and waits for its window; timeout covers automatic starts.
    HWND StartBar(int timeoutMs = 15000) {
        bar = testdesk::Start(kDovrak);
        EXPECT_TRUE(bar.handle) << "dovrak.exe did not start";
        hwnd = testdesk::WaitWindow(L"TFDovrak", L"Dovrak", bar.pid, timeoutMs);
        EXPECT_TRUE(hwnd) << "no bar window";
        return hwnd;
    }
    // Waits until the bar has handled everything queued before (a click's
    // launch holds it for a while).
    bool BarIdle() {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &result) != 0;
    }
    void CloseBar() {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        DWORD code = 99;
        ASSERT_TRUE(bar.WaitExit(15000, &code)) << "the bar did not exit";
        EXPECT_EQ(code, 0u);
    }
    // A click on the visible button i, at x offset dx from its left edge.
    void ClickButton(int i, int dx = 5) {
        auto rects = VisibleButtons(hwnd);
        ASSERT_LT(static_cast<size_t>(i), rects.size());
        POINT p{rects[static_cast<size_t>(i)].left + dx, rects[static_cast<size_t>(i)].top + 8};
        ClientToScreen(hwnd, &p);
        testdesk::LeftClick(p.x, p.y);
        testdesk::MoveMouse(900, 700);
    }
    std::wstring Log(const std::wstring& dir, const std::wstring& name) {
        logs.push_back(dir + L"\\" + name);
        return logs.back();
    }

    testdesk::Process bar;
    HWND hwnd = nullptr;
    std::vector<std::wstring> logs;
};

}  // namespace

TEST_F(Dovrak, WithoutFileShowsOneEmptyButtonAndSavesItsKeys) {
    ASSERT_TRUE(StartBar());
    EXPECT_EQ(testdesk::ClassOf(hwnd), L"TFDovrak");
    const DWORD ex = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
    EXPECT_EQ(ex & ~static_cast<DWORD>(WS_EX_TOPMOST), static_cast<DWORD>(WS_EX_TOOLWINDOW));
    EXPECT_TRUE(ex & WS_EX_TOPMOST) << "not top-most";
    const RECT r = testdesk::ScreenRect(hwnd);
    const int left = std::min(400, GetSystemMetrics(SM_CXSCREEN) - 468);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(Width(r), 33);
    EXPECT_EQ(Height(r), 22);
    const auto buttons = VisibleButtons(hwnd);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].left, 10);
    EXPECT_EQ(buttons[0].top, 0);
    EXPECT_EQ(Width(buttons[0]), 23);
    EXPECT_EQ(Height(buttons[0]), 22);

    // A second copy beeps and ends with 0; the first one is unchanged.
    testdesk::Process second = testdesk::Start(kDovrak);
    DWORD code = 99;
    ASSERT_TRUE(second.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);
    second.Close();
    EXPECT_TRUE(bar.Running());
    EXPECT_TRUE(IsWindowVisible(hwnd));
    const RECT after = testdesk::ScreenRect(hwnd);
    EXPECT_TRUE(EqualRect(&r, &after));
    EXPECT_EQ(testdesk::FindTopWindow(L"TFDovrak"), hwnd);

    CloseBar();
    EXPECT_EQ(ReadIni(), kDefaultFile);
}

TEST_F(Dovrak, ButtonsFollowTheGeometryAtEverySize) {
    const std::wstring shortCaption = L"A";
    const std::wstring longCaption = L"Launcher \u8d77\u52d5";
    for (int size : {16, 24, 32, 40}) {
        SCOPED_TRACE(size);
        WriteIni({
            L"B1=" + RecordLine({L"C:\\windows\\notepad.exe"}),
            L"B2=" + RecordLine({L"", L"", L"", L"00001", shortCaption}),
            L"B3=" + RecordLine({L"C:\\", L"", L"", L"00001", longCaption, L"255", L"16777215"}),
            L"B4=" + RecordLine({L"C:\\"}),
            L"ButtonSize=" + std::to_wstring(size),
        });
        ASSERT_TRUE(StartBar());
        const int font = size == 16 ? 10 : size == 24 ? 11 : size == 32 ? 13 : 18;
        SIZE extent{};
        const int textWidth[] = {GetTextWidth(shortCaption, L"MS UI Gothic", font, extent),
                                 GetTextWidth(longCaption, L"MS UI Gothic", font, extent)};
        const int widths[] = {size + 7, std::max(textWidth[0] + 12, size + 7), std::max(textWidth[1] + 12, size + 7),
                              size + 7};
        const auto buttons = VisibleButtons(hwnd);
        ASSERT_EQ(buttons.size(), 4u);
        int x = 10;
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(buttons[i].left, x) << i;
            EXPECT_EQ(buttons[i].top, 0) << i;
            EXPECT_EQ(Width(buttons[i]), widths[i]) << i;
            EXPECT_EQ(Height(buttons[i]), size + 6) << i;
            x += widths[i];
        }
        EXPECT_GT(widths[2], size + 7);  // the long caption widens its button
        const RECT r = testdesk::ScreenRect(hwnd);
        EXPECT_EQ(Width(r), x);
        EXPECT_EQ(Height(r), size + 6);
        if (size == 24) {
            // For a look at the bar: icon and text buttons.
            RECT area{r.left - 4, r.top, r.right + 4, r.bottom + 4};
            InvalidateRect(hwnd, nullptr, TRUE);
            BarIdle();
            Sleep(0);
            testdesk::WaitUntil([&] { return testdesk::ScreenPixel(r.left + 5, r.top + 10) == 0x984E00; }, 3000);
            testdesk::SaveScreenshot(L"dovrak_bar.bmp", &area);
        }
        CloseBar();
        bar.Close();
    }
}

TEST_F(Dovrak, ClickStartsLearnsAndThenControlsTheWindow) {
    const std::wstring dir = HelperCopy(L"click", L"winhelper.exe");
    const std::wstring log = Log(dir, L"hlog");
    const std::wstring target = dir + L"\\winhelper.exe --class KCtl --title KCtlTitle --log hlog";
    WriteIni({L"B1=" + RecordLine({target, L"", L"", L"1"})});
    ASSERT_TRUE(StartBar());

    ClickButton(0, 4);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return LogHas(log, L"window"); }, 10000)) << "the helper did not start";
    const auto lines = winhelper::ReadLog(log);
    EXPECT_EQ(winhelper::Values(lines, L"arg"),
              (std::vector<std::wstring>{L"--class", L"KCtl", L"--title", L"KCtlTitle", L"--log", L"hlog"}));
    EXPECT_EQ(winhelper::Values(lines, L"cwd"), std::vector<std::wstring>{dir});
    HWND w = testdesk::WaitWindow(L"KCtl", L"KCtlTitle");
    ASSERT_TRUE(w);
    ASSERT_TRUE(BarIdle());

    // From now on the clicks act on the learned window.
    ClickButton(0, 18);
    EXPECT_TRUE(testdesk::WaitUntil([&] { return !IsWindowVisible(w); }, 5000)) << "not hidden";
    ASSERT_TRUE(BarIdle());
    ClickButton(0, 4);
    EXPECT_TRUE(testdesk::WaitUntil([&] { return IsWindowVisible(w) != 0; }, 5000)) << "not shown";
    ASSERT_TRUE(BarIdle());
    ShowWindow(w, SW_MINIMIZE);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return IsIconic(w) != 0; }, 5000));
    ClickButton(0, 18);
    EXPECT_TRUE(testdesk::WaitUntil([&] { return !IsIconic(w) && IsWindowVisible(w); }, 5000)) << "not restored";
    ASSERT_TRUE(BarIdle());
    ClickButton(0, 4);
    EXPECT_TRUE(testdesk::WaitUntil([&] { return !IsWindowVisible(w); }, 5000)) << "not hidden again";
    ASSERT_TRUE(BarIdle());
    EXPECT_EQ(HelperPids(log).size(), 1u) << "started more than once";

    // At exit the hidden window is shown again, and the learned names are saved.
    CloseBar();
    EXPECT_TRUE(IsWindowVisible(w));
    const std::wstring line = ValueOf(ReadIni(), L"B1");
    EXPECT_EQ(FieldOf(line, 1), target);
    EXPECT_EQ(FieldOf(line, 2), L"KCtl");
    EXPECT_EQ(FieldOf(line, 3), L"KCtlTitle");
    EXPECT_EQ(FieldOf(line, 4), L"1");
}

TEST_F(Dovrak, AutoStartTopMostAndTheSiblingClosedAtExit) {
    const std::wstring dir = HelperCopy(L"auto", L"winhelper.exe");
    const std::wstring ralmoLog = Log(dir, L"rlog");
    const std::wstring topLog = Log(dir, L"tlog");
    WriteIni({
        L"B1=" + RecordLine({dir + L"\\winhelper.exe --class TRalmo --title Ulvan --log rlog", L"TRalmo", L"Ulvan", L"101"}),
        L"B2=" + RecordLine({dir + L"\\winhelper.exe --class KTop --title KTopTitle --delay 1500 --log tlog", L"KTop",
                             L"KTopTitle", L"011"}),
        L"B3=" + RecordLine({dir + L"\\winhelper.exe --log never", L"", L"", L"", L"not started"}),
    });
    ASSERT_TRUE(StartBar(30000));
    // Both were started while the bar started, in record order.
    ASSERT_TRUE(testdesk::WaitUntil([&] { return LogHas(ralmoLog, L"window") && LogHas(topLog, L"window"); }, 10000));
    WIN32_FILE_ATTRIBUTE_DATA a{}, b{};
    GetFileAttributesExW(ralmoLog.c_str(), GetFileExInfoStandard, &a);
    GetFileAttributesExW(topLog.c_str(), GetFileExInfoStandard, &b);
    EXPECT_LT(CompareFileTime(&a.ftCreationTime, &b.ftCreationTime), 0);
    EXPECT_FALSE(testdesk::FileExists(dir + L"\\never"));

    HWND top = testdesk::WaitWindow(L"KTop", L"KTopTitle");
    HWND ralmo = testdesk::WaitWindow(L"TRalmo", L"Ulvan");
    ASSERT_TRUE(top && ralmo);
    EXPECT_TRUE(GetWindowLongW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) << "flag 1 window not top-most";
    EXPECT_FALSE(GetWindowLongW(ralmo, GWL_EXSTYLE) & WS_EX_TOPMOST);

    CloseBar();
    EXPECT_TRUE(testdesk::WaitUntil([&] { return LogHas(ralmoLog, L"close"); }, 5000)) << "TRalmo/Ulvan not closed";
    EXPECT_FALSE(LogHas(topLog, L"close"));
}

TEST_F(Dovrak, PelnorGetsThePointUnderItsButton) {
    const std::wstring dirP = HelperCopy(L"pelnor", L"pelnor.exe");
    const std::wstring dirQ = HelperCopy(L"pelnorcase", L"Pelnor.exe");
    const std::wstring plog = Log(dirP, L"plog");
    const std::wstring qlog = Log(dirQ, L"qlog");
    WriteIni({
        L"B1=" + RecordLine({L"C:\\"}),
        L"B2=" + RecordLine({dirP + L"\\pelnor.exe mymenu --log plog"}),
        L"B3=" + RecordLine({dirQ + L"\\Pelnor.exe mymenu --log qlog"}),
    });
    ASSERT_TRUE(StartBar());
    const RECT r = testdesk::ScreenRect(hwnd);
    const auto buttons = VisibleButtons(hwnd);
    ASSERT_EQ(buttons.size(), 3u);

    ClickButton(1);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return LogHas(plog, L"cwd"); }, 10000));
    EXPECT_EQ(winhelper::Values(winhelper::ReadLog(plog), L"extra"),
              (std::vector<std::wstring>{L"mymenu", L"-x", std::to_wstring(r.left + buttons[1].left), L"-y",
                                         std::to_wstring(r.top + Height(r))}));
    ASSERT_TRUE(BarIdle());
    ClickButton(2);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return LogHas(qlog, L"cwd"); }, 10000));
    EXPECT_EQ(winhelper::Values(winhelper::ReadLog(qlog), L"extra"), std::vector<std::wstring>{L"mymenu"});
    ASSERT_TRUE(BarIdle());
    CloseBar();
}

TEST_F(Dovrak, AutoHideCollapsesOpensAndTheBarDrags) {
    WriteIni({L"B1=" + RecordLine({L"C:\\"}), L"AutoHide=1"});
    const ULONGLONG started = GetTickCount64();
    ASSERT_TRUE(StartBar());
    ASSERT_TRUE(testdesk::WaitUntil([&] { return Height(testdesk::ScreenRect(hwnd)) == 2; }, 16000)) << "no collapse";
    EXPECT_GE(GetTickCount64() - started, 9500u) << "collapsed too early";
    RECT r = testdesk::ScreenRect(hwnd);
    EXPECT_EQ(Width(r), 33);  // the width stays, only the height goes
    EXPECT_TRUE(VisibleButtons(hwnd).empty());
    // The strip is one flat line of the bar colour.
    EXPECT_TRUE(testdesk::WaitUntil(
        [&] { return testdesk::ScreenPixel(r.left + 20, 0) == 0x984E00 && testdesk::ScreenPixel(r.left + 1, 1) == 0x984E00; },
        3000));

    testdesk::MoveMouse(r.left + 20, 1);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return Height(testdesk::ScreenRect(hwnd)) == 22; }, 5000)) << "not reopened";
    // The height comes first, the buttons after their layout.
    EXPECT_TRUE(testdesk::WaitUntil([&] { return VisibleButtons(hwnd).size() == 1u; }, 5000));

    // A left drag on the bar's own strip moves the whole bar. Each step waits
    // for the bar, as a hand is slower than injected input.
    r = testdesk::ScreenRect(hwnd);
    const DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
    auto moving = [&] {
        GUITHREADINFO info{sizeof info};
        return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE);
    };
    testdesk::MoveMouse(r.left + 5, 10);
    ASSERT_TRUE(BarIdle());
    // Wine answers GetAsyncKeyState from a cache for 50 ms after a call, so
    // a press that follows the bar's last hit test faster than a hand could
    // still reads as "up" there; such a press is only a click: press again.
    bool began = false;
    for (int attempt = 0; attempt < 5 && !began; ++attempt) {
        testdesk::LeftDown();
        began = testdesk::WaitUntil(moving, 1000);
        if (!began) testdesk::LeftUp();
    }
    ASSERT_TRUE(began) << "no drag began";
    for (int step = 1; step <= 10; ++step) {
        testdesk::MoveMouse(r.left + 5 + 12 * step, 10 + 6 * step);
        testdesk::WaitUntil([&] { return testdesk::ScreenRect(hwnd).left == r.left + 12 * step; }, 2000);
    }
    testdesk::LeftUp();
    EXPECT_TRUE(testdesk::WaitUntil([&] { return !moving(); }, 5000)) << "the drag did not end";
    const RECT dragged = testdesk::ScreenRect(hwnd);
    EXPECT_EQ(dragged.left, r.left + 120) << "not dragged";
    EXPECT_EQ(dragged.top, 60) << "not dragged";
    testdesk::MoveMouse(900, 700);
    CloseBar();
    const auto saved = ReadIni();
    EXPECT_EQ(ValueOf(saved, L"Left"), std::to_wstring(r.left + 120));
    EXPECT_EQ(ValueOf(saved, L"Top"), L"60");
}

TEST_F(Dovrak, EndSessionThatDoesNotEndSavesAndRunsOn) {
    ASSERT_TRUE(StartBar());
    ASSERT_FALSE(testdesk::FileExists(IniPath()));
    DWORD_PTR result = 1;
    ASSERT_TRUE(SendMessageTimeoutW(hwnd, WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 10000, &result));
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(ReadIni(), kDefaultFile);
    EXPECT_TRUE(bar.Running());
    CloseBar();
}

TEST_F(Dovrak, HostileFilesStartAWorkingBar) {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int left = std::min(400, sw - 468);
    std::vector<std::wstring> sixty;
    for (int k = 1; k <= 60; ++k) sixty.push_back(L"B" + std::to_wstring(k) + L"=" + RecordLine({L"C:\\"}));
    // Fifty text buttons make a bar far wider than the screen.
    std::vector<std::wstring> wide = {L"Left=-300"};
    for (int k = 1; k <= 50; ++k)
        wide.push_back(L"B" + std::to_wstring(k) + L"=" +
                       RecordLine({L"", L"", L"", L"00001", L"Button " + std::to_wstring(k)}));
    struct Case {
        const char* name;
        std::vector<std::wstring> lines;  // empty: garbage bytes
        size_t buttons;
        int left, top, height;
    } cases[] = {
        {"garbage", {}, 1, left, 0, 22},
        {"only B51", {L"B51=" + RecordLine({L"C:\\"})}, 1, left, 0, 22},
        {"sixty buttons", sixty, 50, left, 0, 22},
        {"far below the screen", {L"Top=5000", L"B1=" + RecordLine({L"C:\\"})}, 1, left, 0, 22},
        {"not numbers", {L"Top=x", L"Left=y", L"ButtonSize=z", L"AutoHide=w", L"FormColor=v", L"B2=" + RecordLine({L"C:\\"})},
         1, 0, 0, 6},
        {"colour fields that are no colours",
         {L"B1=" + RecordLine({L"", L"", L"", L"00001", L"Text", L"ink", L"zz"}), L"B2=" + RecordLine({L"C:\\"})}, 2, left,
         0, 22},
        {"the largest Top", {L"Top=2147483647", L"Left=100"}, 1, 100, 0, 22},
        {"far left", {L"Left=-100000", L"Top=40"}, 1, 0, 40, 22},
        {"the smallest numbers", {L"Left=-2147483648", L"Top=-2147483648"}, 1, 0, 0, 22},
        {"the largest Left", {L"Left=2147483647"}, 1, sw - 468, 0, 22},
        {"a bar taller than the screen", {L"ButtonSize=2000"}, 1, left, 0, 22},
        {"a bar one pixel high", {L"ButtonSize=-5"}, 1, left, 0, 1},
        {"wider than the screen, drag edge off it", wide, 50, 0, 0, 22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveIniDir();
        if (c.lines.empty()) {
            std::vector<uint8_t> junk;
            for (int i = 0; i < 3000; ++i) junk.push_back(static_cast<uint8_t>((i * 131) % 256));
            testdesk::MakeDirs(IniDir());
            testdesk::WriteBytes(IniPath(), junk);
        } else {
            WriteIni(c.lines);
        }
        ASSERT_TRUE(StartBar());
        const RECT r = testdesk::ScreenRect(hwnd);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
        EXPECT_EQ(Height(r), c.height);
        const auto buttons = VisibleButtons(hwnd);
        EXPECT_EQ(buttons.size(), c.buttons);
        if (!buttons.empty()) {
            EXPECT_EQ(buttons[0].left, 10);
        }
        EXPECT_TRUE(IsWindowVisible(hwnd));
        CloseBar();
        bar.Close();
        const auto saved = ReadIni();
        EXPECT_EQ(saved.front(), L"Dovrak=0.06");
        EXPECT_EQ(ValueOf(saved, L"Left"), std::to_wstring(c.left));
        EXPECT_EQ(ValueOf(saved, L"Top"), std::to_wstring(c.top));
    }
}

TEST_F(Dovrak, FailedSaveShowsTheErrorAndTheBarStaysOpen) {
    std::vector<std::wstring> kept = kDefaultFile;
    kept.push_back(L"Extra=1");  // dropped by the save that goes through
    struct Case {
        const char* name;
        std::function<void()> block, unblock;
        std::vector<std::wstring> before;  // the file as it must stay while blocked; empty: none
    } cases[] = {
        {"a folder where the file belongs", [] { testdesk::MakeDirs(IniPath()); },
         [] { EXPECT_TRUE(RemoveDirectoryW(IniPath().c_str())); }, {}},
        {"a file marked read-only",
         [&] {
             WriteIni(kept);
             EXPECT_TRUE(SetFileAttributesW(IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
         },
         [] { EXPECT_TRUE(SetFileAttributesW(IniPath().c_str(), FILE_ATTRIBUTE_NORMAL)); }, kept},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveIniDir();
        c.block();
        ASSERT_TRUE(StartBar());
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        HWND box = testdesk::WaitWindow(L"#32770", nullptr, bar.pid, 10000);
        ASSERT_TRUE(box) << "no error shown";
        EXPECT_TRUE(bar.Running());
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_EQ(VisibleButtons(hwnd).size(), 1u);
        if (!c.before.empty()) {
            EXPECT_EQ(ReadIni(), c.before);
            EXPECT_TRUE(GetFileAttributesW(IniPath().c_str()) & FILE_ATTRIBUTE_READONLY);
        }

        c.unblock();
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindow(box); }, 5000));
        CloseBar();
        bar.Close();
        EXPECT_EQ(ReadIni(), kDefaultFile);
    }
}
