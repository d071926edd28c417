// The start-up probe of the benchmark builds (see probe.h); compiled to
// nothing unless KESTOVAR_PROBE is defined.
#include "probe.h"

#ifdef KESTOVAR_PROBE

#include <windows.h>

#include <string>

namespace {

KProbeBlock* Block() {
    static KProbeBlock* block = [] {
        const std::wstring name = L"KestovarProbe." + std::to_wstring(::GetCurrentProcessId());
        // Kept open until the process ends, so that the benchmark can read it.
        HANDLE mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              sizeof(KProbeBlock), name.c_str());
        if (!mapping) return static_cast<KProbeBlock*>(nullptr);
        auto* b = static_cast<KProbeBlock*>(::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(KProbeBlock)));
        if (!b) return b;
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        b->Frequency = f.QuadPart;
        return b;
    }();
    return block;
}

}  // namespace

namespace kprobe {

long long Now() {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}

void Moment(KProbeMoment moment) {
    KProbeBlock* b = Block();
    if (!b) return;
    if (b->Moments[moment] != 0 && moment != kpPainted) return;
    b->Moments[moment] = Now();
    for (int c = 0; c < kcCounterCount; ++c) b->Snapshots[moment][c] = b->Counters[c];
}

void Count(KProbeCounter counter) {
    if (KProbeBlock* b = Block()) ++b->Counters[counter];
}

void AddSpan(KProbeSpan span, long long since) {
    if (KProbeBlock* b = Block()) b->Spans[span] += Now() - since;
}

}  // namespace kprobe

#endif
