// The timer component: one Windows timer on a hidden message-only window of
// its own, so that ticks arrive through the thread's ordinary message loop.
#include "extctrls.h"
#include "forms.h"

namespace {

constexpr UINT_PTR kTimerId = 1;
const wchar_t kTimerWindowClass[] = L"TTimerWindow";

void RegisterTimerClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kTimerWindowClass;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EOSError(L"The timer's window class cannot be registered");
    registered = true;
}

}  // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    RegisterTimerClass(&TTimer::WindowProc);
    FWindow = ::CreateWindowExW(0, kTimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    if (!FWindow) throw EOSError(L"The timer's window cannot be created");
    ::SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    UpdateTimer();
}

TTimer::~TTimer() {
    if (FWindow) {
        ::KillTimer(FWindow, kTimerId);
        ::SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
        ::DestroyWindow(FWindow);
        FWindow = nullptr;
    }
}

void TTimer::SetInterval(unsigned milliseconds) {
    if (milliseconds == FInterval) return;  // an unchanged value keeps the running count
    FInterval = milliseconds;
    UpdateTimer();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    UpdateTimer();
}

// Starts the count afresh: the next tick comes one full interval from now.
void TTimer::UpdateTimer() {
    if (!FWindow) return;
    ::KillTimer(FWindow, kTimerId);
    if (FEnabled && FInterval > 0) {
        if (!::SetTimer(FWindow, kTimerId, FInterval, nullptr))
            throw EOSError(L"No timer is available");
    }
}

LRESULT CALLBACK TTimer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kTimerId) {
        auto* timer = reinterpret_cast<TTimer*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (timer && timer->FEnabled && timer->OnTimer) {
            // The handler may delete the timer (and so this window); a copy of
            // the closure keeps the running call alive, and nothing of the
            // timer is touched after it returns.
            TNotifyEvent handler = timer->OnTimer;
            try {
                handler(timer);
            } catch (...) {
                if (Application) {
                    try {
                        Application->HandleException(timer);
                    } catch (...) {
                    }
                }
            }
        }
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}
