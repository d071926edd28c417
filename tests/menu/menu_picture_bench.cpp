// The picture work of the largest menu (400 pixels wide, 50 rows) on its
// own: the screen capture, the blur, the darkening and the frame, each and
// together, median of many runs.
#include "fmenu.h"
#include "g01.h"
#include "kdraw.h"
#include "kdrawmenu.h"
#include "s01.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    const int row = MenuItemHeight(L"Tahoma", 9);
    const int w = 400, h = 50 * row + 2;
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(w, h);
    constexpr int kRuns = 51;
    std::vector<double> capture, blur, darken, frame, all;
    for (int run = 0; run < kRuns; ++run) {
        const double t0 = Now();
        KDrawCaptureScreenAt(0, 0, &bitmap);
        const double t1 = Now();
        KDrawBlur(&bitmap);
        const double t2 = Now();
        KDrawDarken(&bitmap, 100, 100, 100);
        const double t3 = Now();
        KDrawMenuFrame(&bitmap);
        const double t4 = Now();
        capture.push_back(t1 - t0);
        blur.push_back(t2 - t1);
        darken.push_back(t3 - t2);
        frame.push_back(t4 - t3);
        all.push_back(t4 - t0);
    }
    std::printf("menu picture %d x %d (50 rows of %d), median of %d runs:\n", w, h, row, kRuns);
    std::printf("  capture  %7.2f ms\n", Median(capture));
    std::printf("  blur     %7.2f ms\n", Median(blur));
    std::printf("  darken   %7.2f ms\n", Median(darken));
    std::printf("  frame    %7.2f ms\n", Median(frame));
    std::printf("  together %7.2f ms\n", Median(all));
    return 0;
}
