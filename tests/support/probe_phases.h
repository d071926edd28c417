// The benchmarks' reading of the start-up probe (src/classlib/probe.h): a
// program built with KESTOVAR_PROBE is started, and once its window is on
// the screen and the program waits for input, the block it shares is read.
// From several such runs the phases of its start-up (median times) and what
// it asked the system for (counts) are printed.
#pragma once

#include <windows.h>

#include "desktop.h"
#include "probe.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace probephases {

// One start of a probe program: its block and the benchmark's own times
// (process start, pixels seen on the screen).
struct Run {
    KProbeBlock block{};
    long long started = 0;
    long long seen = 0;
    bool ok = false;
};

inline long long Now() {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}

// Starts exe, waits until painted() holds and the program waits for input,
// reads its block, ends it and waits until cleared() holds.
inline Run Measure(const std::wstring& exe, const std::wstring& args, const std::function<bool()>& painted,
                   const std::function<bool()>& cleared) {
    Run run;
    run.started = Now();
    testdesk::Process p = testdesk::Start(exe, args);
    if (testdesk::WaitUntil(painted, 20000)) {
        run.seen = Now();
        ::WaitForInputIdle(p.handle, 5000);
        const std::wstring name = L"KestovarProbe." + std::to_wstring(p.pid);
        if (HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str())) {
            if (const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(KProbeBlock))) {
                run.block = *static_cast<const KProbeBlock*>(view);
                run.ok = run.block.Frequency > 0;
                ::UnmapViewOfFile(view);
            }
            ::CloseHandle(mapping);
        }
    }
    p.Kill();
    p.WaitExit(5000);
    p.Close();
    testdesk::WaitUntil(cleared, 5000);
    return run;
}

inline double Ms(const Run& r, long long from, long long to) {
    if (!from || !to) return -1;
    return 1000.0 * static_cast<double>(to - from) / static_cast<double>(r.block.Frequency);
}

inline double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A phase: its name and how to take its time from one run.
struct Phase {
    const char* name;
    std::function<double(const Run&)> time;
};

inline const char* const kCounterNames[kcCounterCount] = {
    "windows created", "fonts created", "DIB sections", "shell icon calls",
    "WM_PAINT handled", "button faces", "caption measures", "invalidations",
    "window parameters built", "window messages"};

inline const char* const kSpanNames[ksSpanCount] = {
    "icons", "button objects made", "button style, colours, font", "button position and size",
    "button glyphs", "button captions", "bar buttons shown", "windows made (CreateWnd)",
    "  of it inside CreateWindowExW", "form ShowWindow", "button faces composed", "faces copied to windows"};

inline double SpanMs(const Run& r, KProbeSpan span) {
    return 1000.0 * static_cast<double>(r.block.Spans[span]) / static_cast<double>(r.block.Frequency);
}

// Prints a table: one row per phase, one column per case (median of its runs).
inline void PrintPhases(const std::vector<Phase>& phases, const std::vector<const char*>& caseNames,
                        const std::vector<std::vector<Run>>& runs) {
    std::printf("  %-34s", "phase (ms, median)");
    for (const char* c : caseNames) std::printf(" %14s", c);
    std::printf("\n");
    for (const Phase& ph : phases) {
        std::printf("  %-34s", ph.name);
        for (const auto& list : runs) {
            std::vector<double> v;
            for (const Run& r : list)
                if (r.ok) v.push_back(ph.time(r));
            std::printf(" %14.1f", Median(v));
        }
        std::printf("\n");
    }
}

// Prints the time summed inside each kind of work (median per case), the
// spans that stayed empty in every case left out, and what each further item
// or button adds to each, for each pair of cases (small, large).
inline void PrintSpans(const std::vector<const char*>& caseNames, const std::vector<std::vector<Run>>& runs,
                       const std::vector<int>& items, const std::vector<std::pair<size_t, size_t>>& pairs) {
    std::printf("  %-34s", "time inside (ms, median)");
    for (const char* c : caseNames) std::printf(" %14s", c);
    for (const auto& pair : pairs) std::printf(" %14s", (std::string("each+ ") + caseNames[pair.second]).c_str());
    std::printf("\n");
    for (int s = 0; s < ksSpanCount; ++s) {
        std::vector<double> medians;
        for (const auto& list : runs) {
            std::vector<double> v;
            for (const Run& r : list)
                if (r.ok) v.push_back(SpanMs(r, static_cast<KProbeSpan>(s)));
            medians.push_back(Median(v));
        }
        if (std::all_of(medians.begin(), medians.end(), [](double m) { return m <= 0; })) continue;
        std::printf("  %-34s", kSpanNames[s]);
        for (double m : medians) std::printf(" %14.2f", m);
        for (const auto& [small, large] : pairs) {
            const int d = items[large] - items[small];
            std::printf(" %14.3f", d ? (medians[large] - medians[small]) / d : 0.0);
        }
        std::printf("\n");
    }
}

// Prints the counters at the end of the first paint and before the show, per
// case, and what each further item or button costs, for each pair of cases
// (small, large): (large - small) / (items of large - items of small).
inline void PrintCounts(const std::vector<const char*>& caseNames, const std::vector<std::vector<Run>>& runs,
                        const std::vector<int>& items, const std::vector<std::pair<size_t, size_t>>& pairs,
                        KProbeMoment before) {
    std::printf("  %-34s", "count (whole start / until shown)");
    for (const char* c : caseNames) std::printf(" %14s", c);
    for (const auto& pair : pairs) std::printf(" %14s", (std::string("each+ ") + caseNames[pair.second]).c_str());
    std::printf("\n");
    for (int c = 0; c < kcCounterCount; ++c) {
        std::printf("  %-34s", kCounterNames[c]);
        std::vector<long> total(runs.size(), 0);
        for (size_t k = 0; k < runs.size(); ++k) {
            const Run* r = nullptr;
            for (const Run& x : runs[k])
                if (x.ok) r = &x;
            if (!r) {
                std::printf(" %14s", "-");
                continue;
            }
            total[k] = r->block.Snapshots[kpPainted][c];
            char cell[32];
            std::snprintf(cell, sizeof cell, "%ld / %ld", total[k], r->block.Snapshots[before][c]);
            std::printf(" %14s", cell);
        }
        for (const auto& [small, large] : pairs) {
            const int d = items[large] - items[small];
            std::printf(" %14.2f", d ? static_cast<double>(total[large] - total[small]) / d : 0.0);
        }
        std::printf("\n");
    }
}

}  // namespace probephases
