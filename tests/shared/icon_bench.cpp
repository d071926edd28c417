// What the pieces of a button's start cost in this process, each as the
// median of many interleaved rounds, so that their ratios hold even on a busy
// machine: the two ways of getting a file's small icon on a 16 x 16 bitmap
// (an icon handle from the shell drawn with DrawIconEx, or the system image
// list's index drawn with ImageList_Draw), drawing an icon already at hand,
// and the system objects a button may make (a DIB section, a font, a child
// window). Also tells whether both icon ways give the same pixels.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

double NowUs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// A 16 x 16 top-down 24-bit section filled with one colour, in a memory DC.
struct Picture {
    HDC dc = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ old = nullptr;
    BYTE* bits = nullptr;
    Picture() {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 16;
        info.bmiHeader.biHeight = -16;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* p = nullptr;
        section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<BYTE*>(p);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, section);
    }
    ~Picture() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(section);
    }
    void Fill() {
        GdiFlush();
        for (int i = 0; i < 16 * 48; i += 3) {
            bits[i] = 0x30;
            bits[i + 1] = 0x80;
            bits[i + 2] = 0xC0;
        }
    }
};

void ByIconHandle(Picture& p, const wchar_t* path) {
    p.Fill();
    SHFILEINFOW info{};
    if (SHGetFileInfoW(path, FILE_ATTRIBUTE_ARCHIVE, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) && info.hIcon) {
        DrawIconEx(p.dc, 0, 0, info.hIcon, 16, 16, 0, nullptr, DI_NORMAL);
        DestroyIcon(info.hIcon);
    }
}

void BySystemList(Picture& p, const wchar_t* path) {
    p.Fill();
    SHFILEINFOW info{};
    auto list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(path, FILE_ATTRIBUTE_ARCHIVE, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (list) ImageList_Draw(list, info.iIcon, p.dc, 0, 0, ILD_NORMAL);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

LRESULT CALLBACK Plain(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

}  // namespace

int main() {
    InitCommonControls();
    const wchar_t* const paths[] = {L"C:\\windows\\notepad.exe", L"C:\\windows"};
    WNDCLASSW wc{};
    wc.lpfnWndProc = Plain;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"IconBenchWindow";
    RegisterClassW(&wc);
    HWND parent = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                  wc.hInstance, nullptr);

    Picture a, b;
    int status = 0;
    for (const wchar_t* path : paths) {
        ByIconHandle(a, path);
        BySystemList(b, path);
        GdiFlush();
        std::printf("%ls: the two icon ways give %s pixels\n", path,
                    std::memcmp(a.bits, b.bits, 16 * 48) == 0 ? "the same" : "different");
    }
    SHFILEINFOW kept{};
    SHGetFileInfoW(paths[0], FILE_ATTRIBUTE_ARCHIVE, &kept, sizeof kept, SHGFI_ICON | SHGFI_SMALLICON);

    struct Work {
        const char* what;
        std::function<void()> run;
        std::vector<double> us;
    } works[] = {
        {"shell icon handle + DrawIconEx (file)", [&] { ByIconHandle(a, paths[0]); }, {}},
        {"system image list index + ImageList_Draw (file)", [&] { BySystemList(b, paths[0]); }, {}},
        {"shell icon handle + DrawIconEx (folder)", [&] { ByIconHandle(a, paths[1]); }, {}},
        {"system image list index + ImageList_Draw (folder)", [&] { BySystemList(b, paths[1]); }, {}},
        {"DrawIconEx of an icon at hand", [&] {
             a.Fill();
             DrawIconEx(a.dc, 0, 0, kept.hIcon, 16, 16, 0, nullptr, DI_NORMAL);
         }, {}},
        {"DIB section 148 x 17, made and deleted", [] {
             BITMAPINFO info{};
             info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
             info.bmiHeader.biWidth = 148;
             info.bmiHeader.biHeight = -17;
             info.bmiHeader.biPlanes = 1;
             info.bmiHeader.biBitCount = 24;
             void* p = nullptr;
             DeleteObject(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0));
         }, {}},
        {"font made, selected, measured, deleted", [&] {
             LOGFONTW lf{};
             lf.lfHeight = -12;
             lf.lfCharSet = DEFAULT_CHARSET;
             wcscpy(lf.lfFaceName, L"Tahoma");
             HFONT f = CreateFontIndirectW(&lf);
             HGDIOBJ old = SelectObject(a.dc, f);
             SIZE s;
             GetTextExtentPoint32W(a.dc, L"Item 12", 7, &s);
             SelectObject(a.dc, old);
             DeleteObject(f);
         }, {}},
        {"child window made and destroyed", [&] {
             DestroyWindow(CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 148, 17, parent,
                                           nullptr, wc.hInstance, nullptr));
         }, {}},
    };
    constexpr int kRounds = 41, kCalls = 20;
    for (int round = 0; round < kRounds; ++round)
        for (Work& w : works) {
            const double t0 = NowUs();
            for (int i = 0; i < kCalls; ++i) w.run();
            GdiFlush();
            w.us.push_back((NowUs() - t0) / kCalls);
        }
    std::printf("microseconds per call, median of %d rounds of %d calls:\n", kRounds, kCalls);
    for (const Work& w : works) std::printf("  %-52s %8.1f\n", w.what, Median(w.us));
    DestroyIcon(kept.hIcon);
    DestroyWindow(parent);
    return status;
}
