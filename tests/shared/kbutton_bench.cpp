// Time of one TKButton repaint (snapshot, fill, bevel or shade, glyph and
// caption, and the copy to the window) per face, at the bar's 100 x 22 and a
// wide 400 x 30, on a shown form. Prints the median of many rounds in
// microseconds per repaint.
#include "kbutton.h"

#include "forms.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct Face {
    const char* name;
    int style, enter, state;
    bool transparent;
};

// Microseconds per call of job, the median of rounds of repeated calls.
template <class Job>
double Median(Job job) {
    constexpr int kRounds = 21, kPerRound = 100;
    std::vector<double> perCall;
    job();  // warm up
    for (int r = 0; r < kRounds; ++r) {
        const double start = Now();
        for (int i = 0; i < kPerRound; ++i) job();
        GdiFlush();
        perCall.push_back((Now() - start) / kPerRound);
        FreeDeviceContexts();
        Pump();
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall[perCall.size() / 2];
}

}  // namespace

int main() {
    TForm* form = new TForm(Application);
    form->SetBorderStyle(bsNone);
    form->SetBounds(10, 10, 440, 120);
    form->SetColor(0xC8D0D4);
    form->Show();
    Pump();

    TBitmap under;  // the form's image for the transparent faces
    under.SetSize(440, 120);
    under.Canvas()->Brush()->Color = 0x806040;
    under.Canvas()->FillRect(RECT{0, 0, 440, 120});

    TBitmap glyph;
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->Color = clFuchsia;
    glyph.Canvas()->FillRect(RECT{0, 0, 16, 16});
    glyph.Canvas()->Brush()->Color = 0x40C0F0;
    glyph.Canvas()->FillRect(RECT{2, 3, 14, 13});

    const Face faces[] = {
        {"up normal", qsNormal, qeNormal, 0, false},
        {"down normal", qsNormal, qeNormal, 1, false},
        {"enter normal", qsNormal, qeNormal, 2, false},
        {"disabled normal", qsNormal, qeNormal, 3, false},
        {"up single", qsSingle, qeSingle, 0, false},
        {"enter frame", qsFrame, qeFrame, 2, false},
        {"enter shade", qsFlat, qeShade, 2, false},
        {"enter shade transparent", qsFlat, qeShade, 2, true},
    };
    const struct {
        int width, height;
    } sizes[] = {{100, 22}, {400, 30}};

    std::printf("kbutton_bench: microseconds per repaint (median of 21 rounds of 100)\n");
    std::printf("%-28s %10s %10s\n", "face", "100x22", "400x30");
    // Runs job on a fresh button of each size and prints the two medians.
    auto row = [&](const char* name, const Face& f, auto job) {
        double results[2];
        for (int s = 0; s < 2; ++s) {
            auto* b = new TKButton(form);
            b->SetBounds(10, 10 + s * 40, sizes[s].width, sizes[s].height);
            b->SetCaption(L"Button caption");
            b->SetGlyph(&glyph);
            b->SetQButtonStyle(f.style);
            b->SetQButtonEnter(f.enter);
            if (f.transparent) {
                b->SetTransparent(true);
                b->UnderGlyph = &under;
            }
            if (f.state == 3) b->SetEnabled(false);
            b->State = f.state;
            b->HandleNeeded();
            Pump();
            results[s] = Median([&] { job(b); });
            delete b;
        }
        std::printf("%-28s %10.1f %10.1f\n", name, results[0], results[1]);
    };
    for (const Face& f : faces) row(f.name, f, [](TKButton* b) { b->Paint(); });
    // Parts of the up face: composing it without the copy to the window, and
    // fitting the caption alone.
    row("up normal, no copy", faces[0], [](TKButton* b) {
        KDrawBackground(b, b->UnderGlyph, b->Background);
        b->QDrawUp();
    });
    row("caption fitting only", faces[0], [](TKButton* b) { b->QGetCaptionLength(b->Width() - 8); });
    std::fflush(stdout);
    delete form;
    return 0;
}
