// Start-up and memory of dovrak.exe against a bare Win32 program with one
// window, both started the same way in the same session:
// - the time from process start until the window is on the screen and
//   painted (a pixel of the bar's colour at its strip, and for the full bar
//   a pixel of the last button's face), median of many runs, with 1 and with
//   50 buttons, and its ratio to the bare program's;
// - the working set of an idle bar with 50 buttons against the bare program's;
// - from the copy of dovrak.exe built with the start-up probe, the phases of
//   the start with 1 and with 50 buttons and what each button costs
//   (windows, fonts, DIB sections, shell calls, paints).
// Each start is also set against its Win32 floor: a plain program with one
// child window per button and one shell icon, what the system costs for what
// the bar shows.
#include "bar_test_support.h"
#include "desktop.h"
#include "probe_phases.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace bartest;

namespace {

const std::wstring kDovrak = testdesk::WinPath(DOVRAK_EXE);
const std::wstring kBare = testdesk::WinPath(BARE_WINDOW_EXE);
const std::wstring kFloor = testdesk::WinPath(BARE_ROWS_EXE);
constexpr COLORREF kFloorFace = RGB(0x60, 0x40, 0x20);
const std::wstring kProbe = testdesk::WinPath(DOVRAK_PROBE_EXE);
constexpr int kProbeRuns = 11;
constexpr COLORREF kBarColour = 0x984E00;
constexpr COLORREF kFaceColour = 0xD8E9EC;
constexpr int kRuns = 21;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool Painted(const std::vector<std::pair<POINT, COLORREF>>& pixels) {
    for (const auto& [p, c] : pixels)
        if (testdesk::ScreenPixel(p.x, p.y) != c) return false;
    return true;
}

// Milliseconds from the start of exe until every pixel shows its colour; -1 on time-out.
double TimeToPainted(const std::wstring& exe, const std::vector<std::pair<POINT, COLORREF>>& pixels,
                     const std::wstring& args = L"") {
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    testdesk::Process p = testdesk::Start(exe, args);
    double ms = -1;
    const ULONGLONG end = GetTickCount64() + 20000;
    while (GetTickCount64() < end) {
        if (Painted(pixels)) {
            QueryPerformanceCounter(&t1);
            ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
            break;
        }
        Sleep(1);
    }
    p.Kill();
    p.Close();
    // The next run starts on an empty screen.
    testdesk::WaitUntil([&] { return !Painted({pixels.front()}); }, 5000, false);
    return ms;
}

SIZE_T WorkingSetWhenIdle(const std::wstring& exe, const std::vector<std::pair<POINT, COLORREF>>& pixels) {
    testdesk::Process p = testdesk::Start(exe);
    testdesk::WaitUntil([&] { return Painted(pixels); }, 20000, false);
    WaitForInputIdle(p.handle, 5000);
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(p.handle, &pmc, sizeof pmc);
    p.Kill();
    p.Close();
    testdesk::WaitUntil([&] { return !Painted({pixels.front()}); }, 5000, false);
    return pmc.WorkingSetSize;
}

void WriteBar(int buttons) {
    std::vector<std::wstring> lines;
    for (int i = 1; i <= buttons; ++i)
        lines.push_back(L"B" + std::to_wstring(i) + L"=" + RecordLine({L"C:\\windows\\notepad.exe"}));
    lines.push_back(L"Left=0");
    lines.push_back(L"Top=0");
    RemoveIniDir();
    WriteIni(lines);
}

// The phases of the start of the probe copy of dovrak.exe with 1 and 50
// buttons, each case until the given pixels show.
void PrintProbePhases(const std::vector<std::pair<POINT, COLORREF>>& one,
                      const std::vector<std::pair<POINT, COLORREF>>& fifty) {
    using probephases::Ms;
    using probephases::Run;
    if (GetFileAttributesW(kProbe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("start-up phases: the probe copy of dovrak.exe is not built (target bench builds it)\n");
        return;
    }
    const std::vector<const char*> names = {"1 button", "50 buttons"};
    const std::vector<int> items = {1, 50};
    const std::vector<std::pair<POINT, COLORREF>>* pixels[] = {&one, &fifty};
    std::vector<std::vector<Run>> runs(2);
    for (int run = 0; run < kProbeRuns; ++run)
        for (size_t k = 0; k < 2; ++k) {
            WriteBar(items[k]);
            const auto& px = *pixels[k];
            runs[k].push_back(probephases::Measure(
                kProbe, L"", [&] { return Painted(px); }, [&] { return !Painted({px.front()}); }));
        }
    const auto between = [](KProbeMoment a, KProbeMoment b) {
        return [a, b](const Run& r) { return Ms(r, r.block.Moments[a], r.block.Moments[b]); };
    };
    const auto icons = [](const Run& r) {
        return 1000.0 * static_cast<double>(r.block.Spans[ksIcons]) / static_cast<double>(r.block.Frequency);
    };
    const std::vector<probephases::Phase> phases = {
        {"process start to entry point", [](const Run& r) { return Ms(r, r.started, r.block.Moments[kpEntry]); }},
        {"entry to buttons made (settings)", between(kpEntry, kpButtonsMade)},
        {"layout (icons apart)", [&](const Run& r) { return between(kpButtonsMade, kpItemsEnd)(r) - icons(r); }},
        {"icons", icons},
        {"layout end to shown", between(kpItemsEnd, kpShown)},
        {"first paint complete", between(kpShown, kpPainted)},
        {"process start to painted", [](const Run& r) { return Ms(r, r.started, r.block.Moments[kpPainted]); }},
        {"process start to seen on screen", [](const Run& r) { return Ms(r, r.started, r.seen); }},
    };
    std::printf("start-up phases of the probe copy, median of %d runs:\n", kProbeRuns);
    probephases::PrintPhases(phases, names, runs);
    std::printf("time spent inside kinds of work, summed over the start:\n");
    probephases::PrintSpans(names, runs, items, {{0, 1}});
    std::printf("what the start asked for (last run):\n");
    probephases::PrintCounts(names, runs, items, {{0, 1}}, kpItemsEnd);
    std::printf("  (each+: what each further button costs, 50 buttons against 1)\n");
}

}  // namespace

int main() {
    KillBars();
    testdesk::MoveMouse(900, 900);
    const std::vector<std::pair<POINT, COLORREF>> strip = {{POINT{5, 10}, kBarColour}};
    // The last of 50 icon buttons starts at 10 + 49 * 23; a face pixel near its corner.
    const std::vector<std::pair<POINT, COLORREF>> full = {{POINT{5, 10}, kBarColour},
                                                          {POINT{10 + 49 * 23 + 2, 2}, kFaceColour}};
    // The Win32 floor: buttons of the bar's size at the bar's buttons' places,
    // the last one's face right of its icon seen.
    const auto floorArgs = [](int buttons) {
        return std::to_wstring(buttons) + L" across 9 0 23 22 C:\\windows\\notepad.exe";
    };
    const auto floorPixels = [](int buttons) {
        return std::vector<std::pair<POINT, COLORREF>>{{POINT{10 + (buttons - 1) * 23 + 20, 12}, kFloorFace}};
    };
    std::vector<double> bare, floor1, floor50, one, fifty;
    for (int run = 0; run < kRuns; ++run) {
        bare.push_back(TimeToPainted(kBare, strip));
        floor1.push_back(TimeToPainted(kFloor, floorPixels(1), floorArgs(1)));
        floor50.push_back(TimeToPainted(kFloor, floorPixels(50), floorArgs(50)));
        WriteBar(1);
        one.push_back(TimeToPainted(kDovrak, {{POINT{5, 10}, kBarColour}, {POINT{12, 2}, kFaceColour}}));
        WriteBar(50);
        fifty.push_back(TimeToPainted(kDovrak, full));
    }
    for (const auto* v : {&bare, &floor1, &floor50, &one, &fifty}) {
        if (std::any_of(v->begin(), v->end(), [](double x) { return x < 0; })) {
            std::printf("a start did not reach the screen within 20 s\n");
            RemoveIniDir();
            return 1;
        }
    }
    const double mb = Median(bare), mf1 = Median(floor1), mf50 = Median(floor50), m1 = Median(one),
                 m50 = Median(fifty);
    std::printf("start-up to painted window, median of %d runs (ratios to the bare window, goal, and to the\n"
                "case's Win32 floor):\n",
                kRuns);
    std::printf("  bare Win32 window             %8.1f ms\n", mb);
    std::printf("  Win32 floor,  1 button, icon  %8.1f ms  ratio %.2f\n", mf1, mf1 / mb);
    std::printf("  Win32 floor, 50 buttons, icons%8.1f ms  ratio %.2f\n", mf50, mf50 / mb);
    std::printf("  dovrak,  1 button             %8.1f ms  ratio %.2f (goal <= 1.40), to its floor %.2f\n", m1,
                m1 / mb, m1 / mf1);
    std::printf("  dovrak, 50 buttons            %8.1f ms  ratio %.2f (goal <= 1.60), to its floor %.2f\n", m50,
                m50 / mb, m50 / mf50);

    const SIZE_T wsBare = WorkingSetWhenIdle(kBare, strip);
    WriteBar(50);
    const SIZE_T wsBar = WorkingSetWhenIdle(kDovrak, full);
    std::printf("working set when idle:\n");
    std::printf("  bare Win32 window   %8.1f MiB\n", static_cast<double>(wsBare) / 1048576.0);
    std::printf("  dovrak, 50 buttons  %8.1f MiB  ratio %.2f\n", static_cast<double>(wsBar) / 1048576.0,
                static_cast<double>(wsBar) / static_cast<double>(wsBare));
    PrintProbePhases({{POINT{5, 10}, kBarColour}, {POINT{12, 2}, kFaceColour}}, full);
    RemoveIniDir();
    return 0;
}
