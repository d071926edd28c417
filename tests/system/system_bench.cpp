// Click to menu: the time from the real left click (SendInput) on a bar
// button whose target is pelnor.exe with a menu name until that menu is on
// the screen, for a menu of 5 items and one of 50, several runs each.
//
// Two moments are taken per run, both by polling from this process:
//   visible: a visible window of class TKMenu exists;
//   painted: the screen shows the menu's picture, that is the light top-left
//            corner of its frame (when on the screen) and, in the middle of
//            the last row's button, the darkened background (grey 99 over
//            the white backdrop of this program), exactly as the translucent
//            menu draws them.
// Between runs the menu is dismissed by activating the backdrop (the menu
// closes when its program loses the activation), the menu program's end is
// waited for, and the bar is let finish its click.
#include "backdrop.h"
#include "bar_test_support.h"
#include "desktop.h"
#include "pelnor_harness.h"
#include "system_support.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::wstring kDovrak = testdesk::WinPath(DOVRAK_EXE);
constexpr int kRuns = 10;

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER freq;
    ::QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

void WriteItems(const std::wstring& name, int count) {
    pelnor::Lines lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(L"B" + std::to_wstring(i) + L"=" +
                        pelnor::Item(L"Item " + std::to_wstring(i), L"C:\\windows\\notepad.exe"));
    pelnor::WriteMenu(name + L".ini", lines);
}

using Pixels = std::vector<std::pair<POINT, COLORREF>>;

bool Shows(const Pixels& pixels) {
    for (const auto& [p, c] : pixels)
        if (testdesk::ScreenPixel(p.x, p.y) != c) return false;
    return true;
}

// What a painted menu of n rows at the window's place shows over white.
// A menu taller than the screen is kept on it and may lie over the bar,
// whose blurred picture then tints the frame's corner: that corner is not
// looked at.
Pixels PaintedPixels(HWND menu, HWND bar, int n, int row) {
    const RECT r = testdesk::ScreenRect(menu);
    RECT nearBar = testdesk::ScreenRect(bar);
    ::InflateRect(&nearBar, 8, 8);  // the blur's reach
    const int cy = ::GetSystemMetrics(SM_CYSCREEN);
    const COLORREF grey = RGB(99, 99, 99);  // 255 x 100 / 256
    const int light = 99 + 156 * 160 / 256;  // the frame's light corner
    Pixels pixels;
    const POINT corner{r.left, r.top};
    if (r.top >= 0 && !::PtInRect(&nearBar, corner)) pixels.push_back({corner, RGB(light, light, light)});
    const int lastRow = r.top + 1 + (n - 1) * row + row / 2;
    if (lastRow < cy) pixels.push_back({POINT{r.left + 120, lastRow}, grey});
    const int top = static_cast<int>(r.top), bottom = static_cast<int>(r.bottom);
    const int middle = std::max(0, top) + (std::min(cy, bottom) - std::max(0, top)) / 2;
    pixels.push_back({POINT{r.left + 120, r.top + 1 + (middle - r.top - 1) / row * row + row / 2}, grey});
    return pixels;
}

struct Run {
    double visible = -1, painted = -1;
};

// One click on the button and the menu's way to the screen; then the
// menu is dismissed and everything is let come to rest.
Run ClickToMenu(HWND bar, size_t button, int n, int row, backdrop::Window& back, int side) {
    Run run;
    const RECT b = systest::ButtonOnScreen(bar, button);
    systest::BarIdle(bar);
    // A few pixels apart from one run to the next, as a hand clicks.
    testdesk::MoveMouse(b.left + 8 + side, b.top + 8);
    testdesk::PumpMessages();
    LARGE_INTEGER t0, t;
    ::QueryPerformanceCounter(&t0);
    testdesk::LeftDown();
    testdesk::LeftUp();
    HWND menu = nullptr;
    const ULONGLONG end = ::GetTickCount64() + 20000;
    Pixels pixels;
    while (::GetTickCount64() < end) {
        testdesk::PumpMessages();  // the backdrop keeps painting
        if (!menu) {
            const auto menus = pelnor::MenuWindows(0);
            if (!menus.empty()) {
                ::QueryPerformanceCounter(&t);
                run.visible = Ms(t0, t);
                menu = menus.front();
                pixels = PaintedPixels(menu, bar, n, row);
            }
        }
        if (menu && Shows(pixels)) {
            ::QueryPerformanceCounter(&t);
            run.painted = Ms(t0, t);
            break;
        }
        ::Sleep(1);
    }
    if (menu) {
        testdesk::Process p = systest::ProcessOf(menu);
        testdesk::Activate(back.Handle());
        if (!p.WaitExit(10000)) p.Kill();
        p.Close();
    }
    testdesk::WaitUntil([] { return pelnor::MenuWindows(0).empty(); }, 5000);
    systest::BarIdle(bar);
    testdesk::WaitUntil([&] { return !pixels.empty() && !Shows({pixels.back()}); }, 5000);
    return run;
}

struct Stats {
    double min, median, max;
};

Stats Of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return Stats{v.front(), v[v.size() / 2], v.back()};
}

}  // namespace

int main() {
    bartest::KillBars();
    pelnor::CleanMenuDir();
    bartest::RemoveIniDir();
    WriteItems(L"bench5", 5);
    WriteItems(L"bench50", 50);
    const std::wstring pelnorExe = pelnor::Exe();
    // TF... as the class: nothing is learned, and with no title the bar
    // does not wait for a window after the start.
    bartest::WriteIni({L"B1=" + bartest::RecordLine({pelnorExe + L" bench5", L"TFPelnor"}),
                       L"B2=" + bartest::RecordLine({pelnorExe + L" bench50", L"TFPelnor"}), L"Left=100", L"Top=0"});

    backdrop::Window back([](int, int) { return backdrop::Bgr{255, 255, 255}; });
    back.WaitShown(RECT{0, 0, 400, 400});
    testdesk::Process barProcess = testdesk::Start(kDovrak);
    HWND bar = testdesk::WaitWindow(L"TFDovrak", L"Dovrak", barProcess.pid, 15000);
    int status = 0;
    if (!bar) {
        std::printf("the bar did not start\n");
        status = 1;
    } else {
        const int row = pelnor::RowHeight();
        struct Case {
            const char* what;
            size_t button;
            int items;
            std::vector<double> visible, painted;
        } cases[] = {{" 5 items", 0, 5, {}, {}}, {"50 items", 1, 50, {}, {}}};
        int side = 2;
        for (int k = 0; k < kRuns; ++k)
            for (Case& c : cases) {
                side = -side;
                const Run r = ClickToMenu(bar, c.button, c.items, row, back, side);
                c.visible.push_back(r.visible);
                c.painted.push_back(r.painted);
            }
        std::printf("click on the bar's menu button to the menu on the screen, %d runs (ms):\n", kRuns);
        std::printf("  %-8s %-8s %8s %8s %8s\n", "menu", "moment", "min", "median", "max");
        for (const Case& c : cases) {
            for (const auto& [moment, times] : {std::pair{"visible", &c.visible}, std::pair{"painted", &c.painted}}) {
                if (std::any_of(times->begin(), times->end(), [](double x) { return x < 0; })) {
                    std::printf("  %-8s %-8s a run did not reach the screen within 20 s\n", c.what, moment);
                    status = 1;
                    continue;
                }
                const Stats s = Of(*times);
                std::printf("  %-8s %-8s %8.1f %8.1f %8.1f\n", c.what, moment, s.min, s.median, s.max);
            }
        }
        ::PostMessageW(bar, WM_CLOSE, 0, 0);
    }
    if (!barProcess.WaitExit(15000)) barProcess.Kill();
    barProcess.Close();
    bartest::KillBars();
    pelnor::CleanMenuDir();
    bartest::RemoveIniDir();
    return status;
}
