// Start-up probe of the benchmark builds. A program compiled with
// KESTOVAR_PROBE (only the copies that the bench target builds) records the
// moments of its start-up and counts what its windows cost, in a block of
// named shared memory "KestovarProbe.<process id>" that the benchmark reads
// while the program runs. In every other build the macros below are empty:
// the programs that are shipped and tested record, count and share nothing.
#pragma once

// Moments of the start-up. A moment keeps its first time, except kpPainted:
// the end of the latest paint of any window.
enum KProbeMoment {
    kpEntry,          // the program's entry point
    kpSettingsRead,   // the settings file is read
    kpItemsRead,      // the items (menu) or the button records (bar) are read
    kpButtonsMade,    // the bar's button objects are made
    kpArrangeStart,   // the menu's screen capture starts
    kpArrangeEnd,     // capture, blur, darkening and frame are done
    kpItemsEnd,       // every button is set from its item or record
    kpShowStart,      // the first top-level window is about to be shown
    kpShown,          // it is shown (and its child windows made)
    kpPainted,        // the end of the latest paint
    kpMomentCount
};

// Counters of what the start-up asked the system for.
enum KProbeCounter {
    kcWindows,        // windows created by the class library
    kcFonts,          // fonts created (CreateFontIndirectW)
    kcSections,       // DIB sections created
    kcShellCalls,     // shell icon lookups (SHGetFileInfoW, ExtractIconW)
    kcPaints,         // WM_PAINT handled by the class library's windows
    kcFaces,          // button faces composed (TKButton::Paint)
    kcTextMeasures,   // caption measurements (GetTextExtentPoint32W)
    kcInvalidations,  // invalidations of a window that exists
    kcCreateParams,   // window parameters built (CreateParams), for a window or a frame size
    kcMessages,       // messages through the class library's window procedure
    kcCounterCount
};

// Time spent inside one kind of work, summed over its calls.
enum KProbeSpan {
    ksIcons,          // drawing file icons (DrawFileIcon)
    ksButtonMake,     // making the button objects with their first settings
    ksButtonLook,     // setting the buttons' style, colours and font
    ksButtonPlace,    // setting the buttons' position and size
    ksButtonGlyph,    // setting the buttons' glyphs
    ksButtonCaption,  // setting the buttons' captions
    ksButtonShow,     // showing the bar's buttons (their windows made)
    ksCreateWnd,      // making windows (TControl::CreateWnd, each whole)
    ksCreateWindow,   // inside CreateWindowExW
    ksFormShow,       // inside ShowWindow of a form
    ksFaces,          // composing button faces (TKButton::Paint, the copy apart)
    ksFaceCopy,       // copying the composed faces onto the windows
    ksSpanCount
};

// The shared block. Times are QueryPerformanceCounter values.
struct KProbeBlock {
    long long Frequency;
    long long Moments[kpMomentCount];
    // The counters as they stood when each moment was first reached.
    long Snapshots[kpMomentCount][kcCounterCount];
    long Counters[kcCounterCount];
    long long Spans[ksSpanCount];
};

#ifdef KESTOVAR_PROBE

namespace kprobe {
void Moment(KProbeMoment moment);
void Count(KProbeCounter counter);
long long Now();
void AddSpan(KProbeSpan span, long long since);

class SpanScope {
public:
    explicit SpanScope(KProbeSpan span) : FSpan(span), FStart(Now()) {}
    ~SpanScope() { AddSpan(FSpan, FStart); }
    SpanScope(const SpanScope&) = delete;
    SpanScope& operator=(const SpanScope&) = delete;

private:
    KProbeSpan FSpan;
    long long FStart;
};
}  // namespace kprobe

#define KPROBE_MOMENT(m) ::kprobe::Moment(m)
#define KPROBE_COUNT(c) ::kprobe::Count(c)
#define KPROBE_SPAN_JOIN2(a, b) a##b
#define KPROBE_SPAN_JOIN(a, b) KPROBE_SPAN_JOIN2(a, b)
#define KPROBE_SPAN(s) ::kprobe::SpanScope KPROBE_SPAN_JOIN(kprobeSpan, __LINE__)(s)

#else

#define KPROBE_MOMENT(m) ((void)0)
#define KPROBE_COUNT(c) ((void)0)
#define KPROBE_SPAN(s) ((void)0)

#endif
