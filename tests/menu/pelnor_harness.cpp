#include "pelnor_harness.h"

#include "winhelper.h"

namespace pelnor {

std::wstring Exe() { return testdesk::WinPath(PELNOR_EXE); }

std::wstring MenuDir() { return testdesk::KestovarDir(L"Pelnor"); }

std::wstring MenuFile(const std::wstring& name) { return MenuDir() + L"\\" + name; }

namespace {

// Ends the pelnor.exe processes that still run (one left behind by a failed test).
void EndLeftOverRuns() {
    for (HWND w : MenuWindows(0)) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        if (HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            ::TerminateProcess(h, 1);
            ::WaitForSingleObject(h, 5000);
            ::CloseHandle(h);
        }
    }
}

}  // namespace

void CleanMenuDir() {
    EndLeftOverRuns();
    testdesk::RemoveTree(MenuDir());
}

bool WriteMenu(const std::wstring& fileName, const Lines& lines) {
    testdesk::MakeDirs(MenuDir());
    return testdesk::WriteUtf16Lines(MenuFile(fileName), lines);
}

int RowHeight(const wchar_t* face, int points) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HFONT font = ::CreateFontW(-::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                               DEFAULT_CHARSET, 0, 0, 0, 0, face);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, L"/", 1, &size);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::DeleteDC(dc);
    return size.cy + 8;
}

std::vector<HWND> MenuWindows(DWORD pid) {
    struct Data {
        DWORD pid;
        std::vector<HWND> found;
    } data{pid, {}};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* d = reinterpret_cast<Data*>(lp);
            if (!::IsWindowVisible(hwnd) || testdesk::ClassOf(hwnd) != L"TKMenu") return TRUE;
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (d->pid == 0 || owner == d->pid) d->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND WaitMenu(DWORD pid, size_t count, int timeoutMs) {
    HWND found = nullptr;
    testdesk::WaitUntil(
        [&] {
            auto windows = MenuWindows(pid);
            if (windows.size() < count) return false;
            found = windows.front();
            return true;
        },
        timeoutMs);
    return found;
}

HWND WaitMenuOfHeight(DWORD pid, int height, int timeoutMs) {
    HWND found = nullptr;
    testdesk::WaitUntil(
        [&] {
            for (HWND w : MenuWindows(pid)) {
                RECT r = testdesk::ScreenRect(w);
                if (r.bottom - r.top == height) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

testdesk::Process StartOtherProgram(const std::wstring& title, const std::wstring& log) {
    std::wstring args = L"--title \"" + title + L"\" --exit-after 30000";
    if (!log.empty()) args += L" --log \"" + log + L"\"";
    testdesk::Process p = testdesk::Start(winhelper::Path(), args);
    testdesk::WaitWindow(nullptr, title.c_str(), p.pid, 10000);
    return p;
}

MenuRun::MenuRun(const std::wstring& args) : process(testdesk::Start(Exe(), args)) {}

MenuRun::~MenuRun() {
    if (process.Running()) process.Kill();
    process.Close();
}

int MenuRun::WaitEnd(int timeoutMs) {
    DWORD code = 0;
    if (!process.WaitExit(timeoutMs, &code)) return -1;
    return static_cast<int>(code);
}

int MenuRun::CloseByDeactivation() {
    testdesk::Process other = StartOtherProgram(L"PelnorTestOther");
    if (HWND w = testdesk::FindTopWindow(nullptr, L"PelnorTestOther", other.pid)) testdesk::Activate(w);
    const int code = WaitEnd();
    if (other.Running()) other.Kill();
    other.Close();
    return code;
}

}  // namespace pelnor
