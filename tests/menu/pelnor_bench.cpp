// Start-up of pelnor.exe against a bare Win32 program that shows one popup
// window, both started the same way in the same session: the time from the
// process start until the menu is on the screen and painted (a pixel of its
// frame and one of its last button), median of many runs, with 1 and with
// 50 items, translucent and solid, and the ratio to the bare program's;
// also against the Win32 floor of each case (a plain program with one child
// window per item, one shell icon and one font: what the system costs for
// what the menu shows), so that the share of the menu's own work shows;
// then, from the copy of pelnor.exe built with the start-up probe, the
// phases of the start with 1 and with 50 items and what each item costs
// (windows, fonts, DIB sections, shell calls, paints).
#include "backdrop.h"
#include "pelnor_harness.h"
#include "probe_phases.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using namespace pelnor;

namespace {

const std::wstring kBare = testdesk::WinPath(BARE_POPUP_EXE);
const std::wstring kFloor = testdesk::WinPath(BARE_ROWS_EXE);
constexpr COLORREF kFloorFace = RGB(0x60, 0x40, 0x20);
const std::wstring kProbe = testdesk::WinPath(PELNOR_PROBE_EXE);
constexpr int kRuns = 21;
constexpr int kProbeRuns = 11;
constexpr COLORREF kButtonColour = RGB(0xC0, 0x80, 0x30);

using Pixels = std::vector<std::pair<POINT, COLORREF>>;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool Painted(const Pixels& pixels) {
    for (const auto& [p, c] : pixels)
        if (testdesk::ScreenPixel(p.x, p.y) != c) return false;
    return true;
}

// Milliseconds from the start of exe until every pixel shows its colour; -1 on time-out.
double TimeToPainted(const std::wstring& exe, const std::wstring& args, const Pixels& pixels) {
    LARGE_INTEGER freq, t0, t1;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&t0);
    testdesk::Process p = testdesk::Start(exe, args);
    double ms = -1;
    const ULONGLONG end = ::GetTickCount64() + 20000;
    while (::GetTickCount64() < end) {
        testdesk::PumpMessages();  // the backdrop of this process keeps painting
        if (Painted(pixels)) {
            ::QueryPerformanceCounter(&t1);
            ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
            break;
        }
        ::Sleep(1);
    }
    p.Kill();
    p.WaitExit(5000);
    p.Close();
    // The next run starts on the plain backdrop.
    testdesk::WaitUntil([&] { return !Painted({pixels.front()}); }, 5000);
    return ms;
}

// Items with a program as target (each shows the program's icon), or with
// captions only (no icon is looked up).
void WriteItems(const std::wstring& name, int count, bool solid, bool icons = true) {
    Lines lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(L"B" + std::to_wstring(i) + L"=" +
                        Item(L"Item " + std::to_wstring(i), icons ? L"C:\\windows\\notepad.exe" : L""));
    if (solid) {
        lines.push_back(L"ColorMode=2");
        lines.push_back(L"ButtonColor=" + std::to_wstring(0x3080C0));
    }
    WriteMenu(name + L".ini", lines);
}

// The phases of the start of the probe copy of pelnor.exe, 1 and 50 items
// with and without icons, each case until the given pixels show.
void PrintProbePhases(const Pixels& one, const Pixels& fifty, const Pixels& plain1, const Pixels& plain50) {
    using probephases::Ms;
    using probephases::Run;
    if (::GetFileAttributesW(kProbe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("start-up phases: the probe copy of pelnor.exe is not built (target bench builds it)\n");
        return;
    }
    struct ProbeCase {
        const char* name;
        std::wstring args;
        const Pixels* pixels;
        int items;
    } cases[] = {{"1 item", L"one -x 100 -y 200", &one, 1},
                 {"50 items", L"fifty -x 100 -y 0", &fifty, 50},
                 {"1, no icon", L"plain1 -x 100 -y 200", &plain1, 1},
                 {"50, no icons", L"plain50 -x 100 -y 0", &plain50, 50}};
    std::vector<std::vector<Run>> runs(std::size(cases));
    std::vector<const char*> names;
    std::vector<int> items;
    for (const ProbeCase& k : cases) {
        names.push_back(k.name);
        items.push_back(k.items);
    }
    for (int run = 0; run < kProbeRuns; ++run)
        for (size_t k = 0; k < std::size(cases); ++k) {
            const Pixels& pixels = *cases[k].pixels;
            runs[k].push_back(probephases::Measure(
                kProbe, cases[k].args, [&] { return Painted(pixels); },
                [&] { return !Painted({pixels.front()}); }));
        }
    const auto at = [](KProbeMoment m) { return [m](const Run& r) { return r.block.Moments[m]; }; };
    const auto between = [](KProbeMoment a, KProbeMoment b) {
        return [a, b](const Run& r) { return Ms(r, r.block.Moments[a], r.block.Moments[b]); };
    };
    const auto icons = [](const Run& r) {
        return 1000.0 * static_cast<double>(r.block.Spans[ksIcons]) / static_cast<double>(r.block.Frequency);
    };
    const std::vector<probephases::Phase> phases = {
        {"process start to entry point", [&](const Run& r) { return Ms(r, r.started, at(kpEntry)(r)); }},
        {"entry to settings read", between(kpEntry, kpSettingsRead)},
        {"item file read", between(kpSettingsRead, kpItemsRead)},
        {"capture, blur, darken, frame", between(kpArrangeStart, kpArrangeEnd)},
        {"buttons set (icons apart)", [&](const Run& r) { return between(kpArrangeEnd, kpItemsEnd)(r) - icons(r); }},
        {"icons", icons},
        {"show (windows made and shown)", between(kpItemsEnd, kpShown)},
        {"first paint complete", between(kpShown, kpPainted)},
        {"process start to painted", [&](const Run& r) { return Ms(r, r.started, at(kpPainted)(r)); }},
        {"process start to seen on screen", [](const Run& r) { return Ms(r, r.started, r.seen); }},
    };
    std::printf("start-up phases of the probe copy, median of %d runs:\n", kProbeRuns);
    probephases::PrintPhases(phases, names, runs);
    std::printf("time spent inside kinds of work, summed over the start:\n");
    probephases::PrintSpans(names, runs, items, {{0, 1}, {2, 3}});
    std::printf("what the start asked for (last run):\n");
    probephases::PrintCounts(names, runs, items, {{0, 1}, {2, 3}}, kpItemsEnd);
    std::printf("  (each+: what each further item costs, 50 items against 1)\n");
}

}  // namespace

int main() {
    CleanMenuDir();
    // A white screen: the translucent menu shows it as grey 99 (255 x 100 / 256).
    backdrop::Window back([](int, int) { return backdrop::Bgr{255, 255, 255}; });
    back.WaitShown(RECT{0, 0, 400, 400});
    testdesk::MoveMouse(::GetSystemMetrics(SM_CXSCREEN) - 5, 5);
    const int row = RowHeight();
    const int cy = ::GetSystemMetrics(SM_CYSCREEN);
    const COLORREF grey = RGB(99, 99, 99);
    // The light top-left corner of the frame: 255 x 100 / 256 = 99, lightened by 160/256.
    const COLORREF corner = RGB(99 + 156 * 160 / 256, 99 + 156 * 160 / 256, 99 + 156 * 160 / 256);
    // 50 rows do not fit on the screen: the menu is moved up to end on its last row.
    const int top50 = std::min(0, cy - (50 * row + 2));
    const POINT last50{100 + 120, top50 + 1 + 49 * row + row / 2};
    WriteItems(L"one", 1, false);
    WriteItems(L"fifty", 50, false);
    WriteItems(L"solid", 50, true);
    WriteItems(L"plain1", 1, false, false);
    WriteItems(L"plain50", 50, false, false);

    // The Win32 floor: rows of the menu's size at the menu's place, the last
    // one's face right of its caption seen.
    const auto floorCase = [row](int rows, int top, bool icon) {
        std::wstring args = std::to_wstring(rows) + L" down 100 " + std::to_wstring(top) + L" 148 " +
                            std::to_wstring(row);
        if (icon) args += L" C:\\windows\\notepad.exe";
        return std::make_pair(args, Pixels{{POINT{241, top + 1 + (rows - 1) * row + row / 2}, kFloorFace}});
    };
    const auto floor1 = floorCase(1, 200, true), floor50 = floorCase(50, top50, true);
    const auto plainFloor1 = floorCase(1, 200, false), plainFloor50 = floorCase(50, top50, false);

    struct Case {
        const char* what;
        std::wstring exe, args;
        Pixels pixels;
        int floor;  // the case of its Win32 floor, or -1
        std::vector<double> times;
    } cases[] = {
        {"bare Win32 popup", kBare, L"", {{POINT{110, 210}, RGB(0x20, 0x40, 0x60)}}, -1, {}},
        {"Win32 floor,  1 row, icon", kFloor, floor1.first, floor1.second, -1, {}},
        {"Win32 floor, 50 rows, icons", kFloor, floor50.first, floor50.second, -1, {}},
        {"Win32 floor,  1 row", kFloor, plainFloor1.first, plainFloor1.second, -1, {}},
        {"Win32 floor, 50 rows", kFloor, plainFloor50.first, plainFloor50.second, -1, {}},
        {"pelnor,  1 item, translucent", Exe(), L"one -x 100 -y 200",
         {{POINT{100, 200}, corner}, {POINT{220, 200 + 1 + row / 2}, grey}}, 1, {}},
        {"pelnor, 50 items, translucent", Exe(), L"fifty -x 100 -y 0",
         {{POINT{220, std::max(top50, 0) + 300}, grey}, {last50, grey}}, 2, {}},
        {"pelnor, 50 items, solid", Exe(), L"solid -x 100 -y 0", {{last50, kButtonColour}}, 2, {}},
        {"pelnor,  1 item, no icon", Exe(), L"plain1 -x 100 -y 200",
         {{POINT{100, 200}, corner}, {POINT{220, 200 + 1 + row / 2}, grey}}, 3, {}},
        {"pelnor, 50 items, no icons", Exe(), L"plain50 -x 100 -y 0",
         {{POINT{220, std::max(top50, 0) + 300}, grey}, {last50, grey}}, 4, {}},
    };
    for (int run = 0; run < kRuns; ++run)
        for (Case& k : cases) k.times.push_back(TimeToPainted(k.exe, k.args, k.pixels));
    int status = 0;
    std::printf("start-up to painted window, median of %d runs (ratios to the bare popup, goal, and to the\n"
                "case's Win32 floor):\n",
                kRuns);
    const double bare = Median(cases[0].times);
    std::vector<double> medians;
    for (const Case& k : cases) {
        if (std::any_of(k.times.begin(), k.times.end(), [](double x) { return x < 0; })) {
            std::printf("  %-30s a start did not reach the screen within 20 s\n", k.what);
            medians.push_back(-1);
            status = 1;
            continue;
        }
        const double m = Median(k.times);
        medians.push_back(m);
        if (&k == &cases[0]) {
            std::printf("  %-30s %8.1f ms\n", k.what, m);
        } else if (k.floor < 0) {
            std::printf("  %-30s %8.1f ms  ratio %.2f\n", k.what, m, m / bare);
        } else {
            std::printf("  %-30s %8.1f ms  ratio %.2f (goal <= %.2f), to its floor %.2f\n", k.what, m, m / bare,
                        std::strstr(k.what, "50 items") ? 2.0 : 1.4,
                        medians[static_cast<size_t>(k.floor)] > 0 ? m / medians[static_cast<size_t>(k.floor)] : -1);
        }
    }
    PrintProbePhases(cases[5].pixels, cases[6].pixels, cases[8].pixels, cases[9].pixels);
    CleanMenuDir();
    return status;
}
