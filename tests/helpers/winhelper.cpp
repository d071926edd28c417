// winhelper.exe: a small window program that tests start to stand in for a
// launched application.
//
//   winhelper.exe [--class NAME] [--title TEXT] [--delay MS] [--log FILE]
//                 [--exit-after MS] [--rect X,Y,W,H] [--show-when FILE]
//                 [anything else]
//
// At start it appends to FILE (UTF-8, one "key=value" line each, LF endings):
//   start=<process id>
//   cmdline=<the full command line, as GetCommandLineW gives it>
//   arg=<one line per argument after the program name, in order>
//   extra=<one line per argument that is not one of the options above,
//          verbatim: what a launcher passed through as parameters>
//   cwd=<the current directory>
// After MS milliseconds of --delay (default 0), or with --show-when once
// FILE exists (looked for every 100 ms), it creates a visible
// top-level window of class NAME (default "KestovarWinHelper") with the
// title TEXT (default "WinHelper"), at X,Y with the size W,H (default
// 100,100 and 240,120), and logs "window=<handle in hex>" just
// after the window appears: a test that has found the window polls the log
// for that line.
// On WM_CLOSE it logs "close=WM_CLOSE" and exits; it also exits by itself
// after --exit-after milliseconds from the start (default 60000; 0 = never),
// logging "timeout=<ms>", so that no helper outlives a failed test for long.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring gLog;
std::wstring gClass = L"KestovarWinHelper";
std::wstring gTitle = L"WinHelper";
RECT gPlace{100, 100, 240, 120};  // left, top, width, height

void Log(const std::wstring& line) {
    if (gLog.empty()) return;
    std::wstring text = line + L"\n";
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    // Opened and closed per line, so that a reader sees every line at once.
    if (FILE* f = _wfopen(gLog.c_str(), L"ab")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        Log(L"close=WM_CLOSE");
        ::DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void CreateMainWindow(HINSTANCE instance) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = gClass.c_str();
    ::RegisterClassW(&wc);
    HWND hwnd = ::CreateWindowExW(0, gClass.c_str(), gTitle.c_str(), WS_OVERLAPPEDWINDOW, gPlace.left, gPlace.top,
                                  gPlace.right, gPlace.bottom, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        Log(L"window=failed");
        ::PostQuitMessage(1);
        return;
    }
    ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
    wchar_t handle[32];
    std::swprintf(handle, 32, L"%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
    Log(std::wstring(L"window=") + handle);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::wstring> args, extras;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    ::LocalFree(argv);

    int delay = 0;
    std::wstring showWhen;
    int exitAfter = 60000;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == L"--class" && hasValue) {
            gClass = args[++i];
        } else if (a == L"--title" && hasValue) {
            gTitle = args[++i];
        } else if (a == L"--delay" && hasValue) {
            delay = _wtoi(args[++i].c_str());
        } else if (a == L"--log" && hasValue) {
            gLog = args[++i];
        } else if (a == L"--exit-after" && hasValue) {
            exitAfter = _wtoi(args[++i].c_str());
        } else if (a == L"--show-when" && hasValue) {
            showWhen = args[++i];
        } else if (a == L"--rect" && hasValue) {
            RECT r{};
            if (std::swscanf(args[++i].c_str(), L"%ld,%ld,%ld,%ld", &r.left, &r.top, &r.right, &r.bottom) == 4) gPlace = r;
        } else {
            extras.push_back(a);
        }
    }

    Log(L"start=" + std::to_wstring(::GetCurrentProcessId()));
    Log(std::wstring(L"cmdline=") + ::GetCommandLineW());
    for (const auto& a : args) Log(L"arg=" + a);
    for (const auto& e : extras) Log(L"extra=" + e);
    wchar_t cwd[MAX_PATH * 2] = {};
    ::GetCurrentDirectoryW(MAX_PATH * 2, cwd);
    Log(std::wstring(L"cwd=") + cwd);

    // Thread timers: they arrive as WM_TIMER messages without a window.
    UINT_PTR exitTimer = 0;
    if (exitAfter > 0) exitTimer = ::SetTimer(nullptr, 0, static_cast<UINT>(exitAfter), nullptr);
    UINT_PTR showTimer = 0;
    if (!showWhen.empty())
        showTimer = ::SetTimer(nullptr, 0, 100, nullptr);
    else if (delay > 0)
        showTimer = ::SetTimer(nullptr, 0, static_cast<UINT>(delay), nullptr);
    else
        CreateMainWindow(instance);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            if (showTimer && msg.wParam == showTimer) {
                if (!showWhen.empty() && ::GetFileAttributesW(showWhen.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
                ::KillTimer(nullptr, showTimer);
                showTimer = 0;
                CreateMainWindow(instance);
            } else if (exitTimer && msg.wParam == exitTimer) {
                Log(L"timeout=" + std::to_wstring(exitAfter));
                break;
            }
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
