#include "desktop.h"

#include <shlobj.h>

#include <cstdio>
#include <set>
#include <thread>

namespace testdesk {

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool WaitUntil(const std::function<bool()>& cond, int timeoutMs, bool pumpMessages) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (pumpMessages) PumpMessages();
        if (cond()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(10);
    }
}

std::wstring WinPath(const std::string& unixPath) {
    std::wstring w = L"Z:";
    for (char c : unixPath) w += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return w;
}

bool Process::Running() const { return handle && WaitForSingleObject(handle, 0) == WAIT_TIMEOUT; }

bool Process::WaitExit(int timeoutMs, DWORD* code) const {
    if (!handle) return false;
    if (WaitForSingleObject(handle, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
    if (code) GetExitCodeProcess(handle, code);
    return true;
}

void Process::Kill() const {
    if (Running()) {
        TerminateProcess(handle, 1);
        WaitForSingleObject(handle, 5000);
    }
}

void Process::Close() {
    if (handle) CloseHandle(handle);
    handle = nullptr;
    pid = 0;
}

Process Start(const std::wstring& exe, const std::wstring& args, const std::wstring& cwd) {
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!args.empty()) cmd += L" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Process p;
    // Under Wine on a loaded machine a new process has once ended before it
    // was reported started (ERROR_INTERNAL_ERROR, nothing of the program run
    // yet): such a start is tried again, and said so. Any other error stands.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        std::wstring line = cmd;  // CreateProcessW may write into the command line
        if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           cwd.empty() ? nullptr : cwd.c_str(), &si, &pi)) {
            CloseHandle(pi.hThread);
            p.handle = pi.hProcess;
            p.pid = pi.dwProcessId;
            break;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3) {
            SetLastError(error);
            break;
        }
        std::printf("%s did not start (error %lu); starting it again\n", Narrow(exe).c_str(), error);
        std::fflush(stdout);
    }
    return p;
}

namespace {

struct FindData {
    const wchar_t* cls;
    const wchar_t* title;
    DWORD pid;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp) {
    auto* d = reinterpret_cast<FindData*>(lp);
    if (d->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
    if (d->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != d->pid) return TRUE;
    }
    if (d->cls && ClassOf(hwnd) != d->cls) return TRUE;
    if (d->title && TextOf(hwnd) != d->title) return TRUE;
    d->found = hwnd;
    return FALSE;
}

struct ChildData {
    const wchar_t* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK ChildProc(HWND hwnd, LPARAM lp) {
    auto* d = reinterpret_cast<ChildData*>(lp);
    if (!d->cls || ClassOf(hwnd) == d->cls) d->found.push_back(hwnd);
    return TRUE;
}

void SendMouse(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

// A button event that carries its own screen position. Under Wine another
// program's X11 driver may report a late pointer position (an enter event
// when a window under the pointer is unmapped, with the pointer's place of
// some time ago) and so move the cursor back between our SetCursorPos and a
// button event that has no position of its own: the click would land there.
void SendMouseAt(DWORD flags, int x, int y) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Rounded up, so that the system's x * 65536 / w rounds back to x.
    in.mi.dx = static_cast<LONG>((static_cast<long long>(x) * 65536 + w - 1) / w);
    in.mi.dy = static_cast<LONG>((static_cast<long long>(y) * 65536 + h - 1) / h);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

}  // namespace

HWND FindTopWindow(const wchar_t* cls, const wchar_t* title, DWORD pid, bool visibleOnly) {
    FindData d{cls, title, pid, visibleOnly, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&d));
    return d.found;
}

HWND WaitWindow(const wchar_t* cls, const wchar_t* title, DWORD pid, int timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(cls, title, pid)) != nullptr; }, timeoutMs);
    return found;
}

std::vector<HWND> ChildWindows(HWND parent, const wchar_t* cls) {
    ChildData d{cls, {}};
    EnumChildWindows(parent, ChildProc, reinterpret_cast<LPARAM>(&d));
    return d.found;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t buf[256] = {};
    ::GetClassNameW(hwnd, buf, 256);
    return buf;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buf[1024] = {};
    ::GetWindowTextW(hwnd, buf, 1024);
    return buf;
}

RECT ScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

void Activate(HWND hwnd) {
    SetForegroundWindow(hwnd);
    WaitUntil([&] { return GetForegroundWindow() == hwnd; }, 2000);
}

namespace {
// Where MoveMouse put the cursor last: the place of the button events that
// follow (see SendMouseAt).
bool g_placed = false;
POINT g_place{};

void SendButton(DWORD flags) {
    if (g_placed)
        SendMouseAt(flags, g_place.x, g_place.y);
    else
        SendMouse(flags);
}
}  // namespace

void MoveMouse(int x, int y) {
    SetCursorPos(x, y);
    g_placed = true;
    g_place = POINT{x, y};
    SendMouseAt(0, x, y);  // a move makes the window under the cursor see it
}
void LeftDown() { SendButton(MOUSEEVENTF_LEFTDOWN); }
void LeftUp() { SendButton(MOUSEEVENTF_LEFTUP); }
void RightDown() { SendButton(MOUSEEVENTF_RIGHTDOWN); }
void RightUp() { SendButton(MOUSEEVENTF_RIGHTUP); }

void LeftClick(int x, int y) {
    MoveMouse(x, y);
    LeftDown();
    LeftUp();
}

void RightClick(int x, int y) {
    MoveMouse(x, y);
    RightDown();
    RightUp();
}

void DoubleClick(int x, int y) {
    LeftClick(x, y);
    LeftDown();
    LeftUp();
}

void PressKey(WORD vk) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

void PressChord(WORD modifier, WORD vk) {
    INPUT in[4]{};
    const WORD keys[4] = {modifier, vk, vk, modifier};
    for (int k = 0; k < 4; ++k) {
        in[k].type = INPUT_KEYBOARD;
        in[k].ki.wVk = keys[k];
        if (k >= 2) in[k].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(4, in, sizeof(INPUT));
}

void TypeText(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = c;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
    }
}

bool WaitFocus(HWND hwnd, int timeoutMs) {
    const DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
    return WaitUntil(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            if (!GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return false;
            return info.hwndFocus == hwnd || IsChild(hwnd, info.hwndFocus);
        },
        timeoutMs);
}

namespace {

std::string Describe(HWND w) {
    if (!w) return "none";
    char buf[512];
    const RECT r = ScreenRect(w);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    std::snprintf(buf, sizeof buf, "%p %s \"%s\" pid %lu at %ld,%ld %ldx%ld%s%s", static_cast<void*>(w),
                  Narrow(ClassOf(w)).c_str(), Narrow(TextOf(w)).c_str(), pid, r.left, r.top, r.right - r.left,
                  r.bottom - r.top, IsWindowVisible(w) ? "" : " hidden", IsWindowEnabled(w) ? "" : " disabled");
    return buf;
}

}  // namespace

std::string DescribeDesktop(DWORD pid) {
    std::string out = "foreground: " + Describe(GetForegroundWindow()) + "\n";
    POINT cursor{};
    GetCursorPos(&cursor);
    out += "cursor " + std::to_string(cursor.x) + "," + std::to_string(cursor.y) +
           " over: " + Describe(WindowFromPoint(cursor)) + "\n";
    struct Data {
        DWORD pid;
        std::vector<HWND> windows;
    } d{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM l) -> BOOL {
            auto* d = reinterpret_cast<Data*>(l);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (IsWindowVisible(w) && (d->pid == 0 || owner == d->pid)) d->windows.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&d));
    std::set<DWORD> threads;
    for (HWND w : d.windows) {
        out += "  window " + Describe(w) + "\n";
        threads.insert(GetWindowThreadProcessId(w, nullptr));
    }
    for (DWORD thread : threads) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(thread, &info)) continue;
        char flags[64];
        std::snprintf(flags, sizeof flags, "thread %lu flags %#lx", thread, info.flags);
        out += std::string(flags) + "\n  active: " + Describe(info.hwndActive) + "\n  focus: " +
               Describe(info.hwndFocus) + "\n  capture: " + Describe(info.hwndCapture) + "\n  menu owner: " +
               Describe(info.hwndMenuOwner) + "\n";
    }
    return out;
}

COLORREF ScreenPixel(int x, int y) {
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return c;
}

bool SaveScreenshot(const std::wstring& path, const RECT* area) {
    RECT r = area ? *area : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as BMP files store rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * static_cast<DWORD>(h);
    std::vector<uint8_t> out(fh.bfSize);
    memcpy(out.data(), &fh, sizeof fh);
    memcpy(out.data() + sizeof fh, &bi.bmiHeader, sizeof bi.bmiHeader);
    memcpy(out.data() + fh.bfOffBits, bits, stride * static_cast<DWORD>(h));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return WriteBytes(path, out);
}

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    std::vector<uint8_t> data;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return data;
    LARGE_INTEGER size{};
    GetFileSizeEx(f, &size);
    data.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!data.empty()) ReadFile(f, data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
    data.resize(read);
    CloseHandle(f);
    return data;
}

bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

bool WriteUtf16Lines(const std::wstring& path, const std::vector<std::wstring>& lines) {
    std::vector<uint8_t> out{0xFF, 0xFE};
    auto put = [&](wchar_t c) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    };
    for (const auto& line : lines) {
        for (wchar_t c : line) put(c);
        put(L'\r');
        put(L'\n');
    }
    return WriteBytes(path, out);
}

std::vector<std::wstring> ReadUtf16Lines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    auto bytes = ReadBytes(path);
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) return lines;
    std::wstring text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveTree(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return true;
    if (a & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return ::DeleteFileW(path.c_str()) != 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return RemoveDirectoryW(path.c_str()) != 0;
}

bool MakeDirs(const std::wstring& path) {
    return SHCreateDirectoryExW(nullptr, path.c_str(), nullptr) == ERROR_SUCCESS ||
           GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring AppData() {
    wchar_t buf[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buf);
    return buf;
}

std::wstring KestovarDir(const std::wstring& product) { return AppData() + L"\\Kestovar\\" + product; }

std::wstring FreshTempDir(const std::wstring& name) {
    wchar_t buf[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, buf);
    std::wstring dir = std::wstring(buf) + L"kestovar-" + name + L"-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(dir);
    MakeDirs(dir);
    return dir;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), r.data(), n, nullptr, nullptr);
    return r;
}

}  // namespace testdesk
