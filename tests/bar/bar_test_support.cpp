#include "bar_test_support.h"

#include "desktop.h"
#include "qini.h"
#include "winhelper.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace bartest {

void DrainQuit() {
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

std::wstring IniDir() { return testdesk::KestovarDir(L"Dovrak"); }
std::wstring IniPath() { return IniDir() + L"\\dovrak.ini"; }

void RemoveIniDir() { testdesk::RemoveTree(IniDir()); }

void WriteIni(const std::vector<std::wstring>& lines) {
    testdesk::MakeDirs(IniDir());
    testdesk::WriteUtf16Lines(IniPath(), lines);
}

std::vector<std::wstring> ReadIni() { return testdesk::ReadUtf16Lines(IniPath()); }

std::wstring RecordLine(const Rec& r) {
    TQini q;
    q.AddLine(L"");
    const std::wstring* fields[] = {&r.target, &r.cls, &r.title, &r.flags, &r.caption, &r.textColor, &r.faceColor};
    for (int k = 0; k < 7; ++k) q.SetField(0, k + 1, fields[k]->c_str());
    return q.GetLine(0).c_str();
}

std::wstring FieldOf(const std::wstring& line, int n) {
    TQini q;
    q.AddLine(line.c_str());
    return q.GetField(0, n).c_str();
}

std::wstring ValueOf(const std::vector<std::wstring>& lines, const std::wstring& key) {
    for (const auto& l : lines) {
        const size_t eq = l.find(L'=');
        if (eq != std::wstring::npos && l.substr(0, eq) == key) return l.substr(eq + 1);
    }
    return L"\x1";
}

std::vector<std::wstring> KeysOf(const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> keys;
    for (const auto& l : lines) keys.push_back(l.substr(0, l.find(L'=')));
    return keys;
}

std::vector<RECT> VisibleButtons(HWND bar) {
    std::vector<RECT> rects;
    for (HWND b : testdesk::ChildWindows(bar, L"TKButton")) {
        if (!IsWindowVisible(b)) continue;
        RECT r{};
        GetWindowRect(b, &r);
        MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&r), 2);
        rects.push_back(r);
    }
    std::sort(rects.begin(), rects.end(), [](const RECT& a, const RECT& b) { return a.left < b.left; });
    return rects;
}

void KillBars() {
    for (int round = 0; round < 10; ++round) {
        HWND bar = testdesk::FindTopWindow(L"TFDovrak", nullptr, 0, false);
        if (!bar) return;
        DWORD pid = 0;
        GetWindowThreadProcessId(bar, &pid);
        if (pid == GetCurrentProcessId()) return;
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(p, 1);
            WaitForSingleObject(p, 5000);
            CloseHandle(p);
        }
    }
}

std::wstring HelperCopy(const std::wstring& folderName, const std::wstring& exeName) {
    std::wstring dir = testdesk::FreshTempDir(folderName);
    CopyFileW(winhelper::Path().c_str(), (dir + L"\\" + exeName).c_str(), FALSE);
    return dir;
}

namespace {

// A hidden window of the test's own that owns what the test puts on the clipboard.
HWND ClipboardWindow() {
    static HWND window = nullptr;
    if (!window || !IsWindow(window))
        window = CreateWindowExW(0, L"STATIC", L"test clipboard", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    return window;
}

bool OpenWithRetry() {
    return testdesk::WaitUntil([] { return OpenClipboard(ClipboardWindow()) != 0; }, 3000, false);
}

bool PutBlock(UINT format, const void* data, size_t bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes ? bytes : 1);
    if (!block) return false;
    if (bytes) {
        memcpy(GlobalLock(block), data, bytes);
        GlobalUnlock(block);
    }
    if (!OpenWithRetry()) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool ok = SetClipboardData(format, block) != nullptr;
    if (!ok) GlobalFree(block);
    CloseClipboard();
    return ok;
}

}  // namespace

bool ClearClipboard() {
    if (!OpenWithRetry()) return false;
    EmptyClipboard();
    CloseClipboard();
    return true;
}

bool PutDovrakBlock(const std::vector<unsigned char>& bytes) {
    return PutBlock(RegisterClipboardFormatA("DOVRAK"), bytes.data(), bytes.size());
}

std::vector<unsigned char> DovrakBytes(const std::wstring& line) {
    const auto* p = reinterpret_cast<const unsigned char*>(line.c_str());
    return std::vector<unsigned char>(p, p + (line.size() + 1) * sizeof(wchar_t));
}

bool PutFileList(const std::vector<std::wstring>& files) {
    std::vector<unsigned char> block(sizeof(DROPFILES));
    auto* header = reinterpret_cast<DROPFILES*>(block.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    for (const auto& f : files) {
        const auto* p = reinterpret_cast<const unsigned char*>(f.c_str());
        block.insert(block.end(), p, p + (f.size() + 1) * sizeof(wchar_t));
    }
    block.insert(block.end(), {0, 0});  // the list ends with an empty name
    return PutBlock(CF_HDROP, block.data(), block.size());
}

bool PutText(const std::wstring& text) {
    return PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool ReadDovrakBlock(std::vector<unsigned char>& bytes) {
    bytes.clear();
    if (!OpenWithRetry()) return false;
    bool got = false;
    if (HANDLE h = GetClipboardData(RegisterClipboardFormatA("DOVRAK"))) {
        const size_t size = GlobalSize(h);
        if (const void* p = GlobalLock(h)) {
            const auto* b = static_cast<const unsigned char*>(p);
            bytes.assign(b, b + size);
            GlobalUnlock(h);
            got = true;
        }
    }
    CloseClipboard();
    return got;
}

StepRunner::StepRunner() = default;

StepRunner::~StepRunner() { Disarm(); }

StepRunner& StepRunner::Step(const char* name, std::function<bool()> when, std::function<void()> then) {
    steps.push_back({name, std::move(when), std::move(then)});
    return *this;
}

namespace {
StepRunner* g_runner = nullptr;
}

void StepRunner::Arm(int timeoutMs, std::function<void()> rescueLoops) {
    rescue = std::move(rescueLoops);
    deadline = GetTickCount64() + static_cast<unsigned long long>(timeoutMs);
    timedOut = false;
    g_runner = this;
    timer = SetTimer(nullptr, 0, 25, &StepRunner::Tick);
}

bool StepRunner::Disarm() {
    if (timer) KillTimer(nullptr, timer);
    timer = 0;
    if (g_runner == this) g_runner = nullptr;
    return next == steps.size();
}

std::string StepRunner::Pending() const { return next < steps.size() ? steps[next].name : std::string(); }

void CALLBACK StepRunner::Tick(HWND, UINT, UINT_PTR, DWORD) {
    StepRunner* r = g_runner;
    if (!r) return;
    if (GetTickCount64() > r->deadline) {
        // Given up: end the loops now and every few ticks again, until the
        // code under test has returned and the runner is disarmed.
        r->timedOut = true;
        r->deadline = GetTickCount64() + 500;
        if (r->rescue) r->rescue();
        return;
    }
    while (r->next < r->steps.size()) {
        Entry& e = r->steps[r->next];
        if (e.when && !e.when()) return;
        ++r->next;
        if (e.then) e.then();
        if (g_runner != r) return;
    }
}

void AddTabWalk(StepRunner& steps, std::function<bool()> ready, std::function<std::wstring()> focused, int presses,
                std::vector<std::wstring>& seen) {
    // The first presses go forward, the others back.
    auto press = [presses, &seen] {
        if (static_cast<int>(seen.size()) > presses)
            testdesk::PressChord(VK_SHIFT, VK_TAB);
        else
            testdesk::PressKey(VK_TAB);
    };
    steps.Step("tab walk: the first focus", [ready, focused] { return ready() && !focused().empty(); },
               [focused, press, &seen] {
                   seen.push_back(focused());
                   press();
               });
    for (int k = 1; k <= 2 * presses; ++k) {
        steps.Step(k <= presses ? "tab walk: Tab" : "tab walk: Shift+Tab",
                   [focused, &seen] { return focused() != seen.back(); },
                   [focused, press, k, presses, &seen] {
                       seen.push_back(focused());
                       if (k < 2 * presses) press();
                   });
    }
}

Pixels GrabScreen(const RECT& area) {
    Pixels px;
    px.width = area.right - area.left;
    px.height = area.bottom - area.top;
    if (px.width <= 0 || px.height <= 0) return px;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = px.width;
    bi.bmiHeader.biHeight = -px.height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, px.width, px.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    px.data.resize(static_cast<size_t>(px.width * px.height));
    for (size_t k = 0; k < px.data.size(); ++k) {
        const uint32_t v = p[k];  // 0x00RRGGBB in memory order B, G, R
        px.data[k] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return px;
}

std::vector<bool> MenuRowsEnabled(HWND menuWindow) {
    const RECT r = testdesk::ScreenRect(menuWindow);
    const Pixels px = GrabScreen(r);
    if (px.data.empty()) return {};
    const COLORREF text = GetSysColor(COLOR_MENUTEXT);
    auto similar = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) < 24 && std::abs(GetGValue(a) - GetGValue(b)) < 24 &&
               std::abs(GetBValue(a) - GetBValue(b)) < 24;
    };
    // The menu's background: the colour of most pixels.
    std::vector<COLORREF> sorted = px.data;
    std::sort(sorted.begin(), sorted.end());
    COLORREF background = sorted[0];
    size_t best = 0;
    for (size_t i = 0; i < sorted.size();) {
        size_t j = i;
        while (j < sorted.size() && sorted[j] == sorted[i]) ++j;
        if (j - i > best) {
            best = j - i;
            background = sorted[i];
        }
        i = j;
    }
    // Each pixel row: ink in the text colour, other ink (the grey of a
    // disabled item), or none. Only the captions' column is looked at: not
    // the frame, nor the items' pictures at the left, which would join the
    // rows of neighbouring items.
    constexpr int CaptionColumn = 30;
    std::vector<int> kind(static_cast<size_t>(px.height), 0);  // 0 none, 1 other ink, 2 text
    for (int y = 3; y < px.height - 3; ++y) {
        for (int x = CaptionColumn; x < px.width - 4; ++x) {
            const COLORREF c = px.At(x, y);
            if (similar(c, text)) {
                kind[static_cast<size_t>(y)] = 2;
                break;
            }
            if (!similar(c, background)) kind[static_cast<size_t>(y)] = 1;
        }
    }
    // Bands of rows with ink; a band of a few rows is a separator line.
    std::vector<bool> rows;
    for (int y = 0; y < px.height;) {
        if (!kind[static_cast<size_t>(y)]) {
            ++y;
            continue;
        }
        int end = y;
        bool enabled = false;
        while (end < px.height && kind[static_cast<size_t>(end)]) enabled |= kind[static_cast<size_t>(end++)] == 2;
        if (end - y > 3) rows.push_back(enabled);
        y = end;
    }
    return rows;
}

void SaveShot(const std::wstring& folder, const std::wstring& name, const RECT& area) {
    // A copy that reaches past the screen comes back black: keep to the screen.
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT r{};
    IntersectRect(&r, &area, &screen);
    testdesk::MakeDirs(folder);
    testdesk::SaveScreenshot(folder + L"\\" + name, &r);
}

HWND ShownMenuWindow(DWORD pid) { return testdesk::FindTopWindow(L"#32768", nullptr, pid); }

HWND DialogWindow(DWORD pid) { return testdesk::FindTopWindow(L"#32770", nullptr, pid); }

POINT CentreOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace bartest
