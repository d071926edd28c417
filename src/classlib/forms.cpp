// Forms, the application object with its message loop and exception
// display, and the screen object.
#include "forms.h"

#include "controlcanvas.h"
#include "probe.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

// The application and screen objects exist before WinMain runs and are
// deleted when the program ends.
struct GlobalObjects {
    GlobalObjects() {
        Application = new TApplication();
        Screen = new TScreen();
    }
    ~GlobalObjects() {
        delete Screen;
        Screen = nullptr;
        delete Application;
        Application = nullptr;
    }
    GlobalObjects(const GlobalObjects&) = delete;
    GlobalObjects& operator=(const GlobalObjects&) = delete;
} g_globals;

constexpr UINT kJobMessage = WM_APP + 1;
constexpr UINT kActivationMessage = WM_APP + 2;
const wchar_t kUtilityClass[] = L"TApplicationUtility";

template <class F, class... A>
void Fire(const F& event, A... args) {
    if (event) {
        F handler = event;  // the handler may reassign the event
        handler(args...);
    }
}

// The thread's visible, enabled top-level windows other than except.
std::vector<HWND> EnabledThreadWindows(HWND except) {
    struct Data {
        HWND except;
        std::vector<HWND> found;
    } data{except, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* d = reinterpret_cast<Data*>(lp);
            if (hwnd != d->except && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) d->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&data));
    return data.found;
}

// True when the control or one of its descendants is a tab stop.
bool HasTabStop(TWinControl* control) {
    for (int i = 0; i < control->ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(control->Controls(i));
        if (!child) continue;
        if (child->TabStop() || HasTabStop(child)) return true;
    }
    return false;
}

// True when the control's window and those of its parents up to the form
// are visible and enabled (the form itself may still be hidden).
bool CanTabTo(TWinControl* control, HWND form) {
    if (!control->HandleAllocated()) return false;
    for (HWND h = control->Handle(); h && h != form; h = ::GetParent(h))
        if ((::GetWindowLongW(h, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED)) != WS_VISIBLE) return false;
    return true;
}

// The form's control that holds the focus window (a combo box for its edit
// field), or null.
TWinControl* FocusedControlOf(TForm* form) {
    HWND focus = ::GetFocus();
    if (!form->HandleAllocated() || !::IsChild(form->Handle(), focus)) return nullptr;
    for (HWND h = focus; h && h != form->Handle(); h = ::GetParent(h))
        if (auto* control = dynamic_cast<TWinControl*>(FindControl(h))) return control;
    return nullptr;
}

// Tab or Shift+Tab for the form, unless the focused window takes the key
// itself; true when the focus was moved.
bool TabKey(TForm* form, MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
    HWND focus = ::GetFocus();
    if (focus && focus != form->Handle()) {
        const LRESULT code = ::SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
        if (code & (DLGC_WANTTAB | DLGC_WANTMESSAGE)) return false;
    }
    return form->SelectNext(::GetKeyState(VK_SHIFT) >= 0);
}

}  // namespace

// --- TForm -------------------------------------------------------------------

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
    FVisible = false;
    FWidth = 320;
    FHeight = 240;
    FColor = clBtnFace;
}

TForm::~TForm() {
    try {
        Fire(OnDestroy, static_cast<TObject*>(this));
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
    if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
    // Owned components go before the window and the child controls.
    DestroyComponents();
    FControlCanvas = nullptr;
    delete FCanvas;
    FCanvas = nullptr;
}

void TForm::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    Params.ExStyle = WS_EX_CONTROLPARENT;
    switch (FBorderStyle) {
        case bsNone:
            Params.Style |= WS_POPUP;
            break;
        case bsSingle:
            Params.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
            break;
        case bsSizeable:
            Params.Style |= WS_OVERLAPPEDWINDOW;
            break;
        case bsDialog:
            Params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
            Params.ExStyle |= WS_EX_DLGMODALFRAME;
            break;
        case bsToolWindow:
            Params.Style |= WS_CAPTION | WS_SYSMENU;
            Params.ExStyle |= WS_EX_TOOLWINDOW;
            break;
        case bsSizeToolWin:
            Params.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
            Params.ExStyle |= WS_EX_TOOLWINDOW;
            break;
    }
    if (!FEnabled) Params.Style |= WS_DISABLED;
    if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
    Params.WndParent = nullptr;
    if (Application) {
        TForm* main = Application->MainForm();
        if (main && main != this && main->HandleAllocated()) Params.WndParent = main->FHandle;
    }
}

void TForm::CreateWnd() {
    if (Application) {
        TForm* main = Application->MainForm();
        if (main && main != this) main->HandleNeeded();  // the owner of this form's window
    }
    TWinControl::CreateWnd();
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    FBorderStyle = style;
    if (!FHandle) return;
    TCreateParams params;
    CreateParams(params);
    ::SetWindowLongW(FHandle, GWL_STYLE, static_cast<LONG>(params.Style | (::GetWindowLongW(FHandle, GWL_STYLE) & WS_VISIBLE)));
    ::SetWindowLongW(FHandle, GWL_EXSTYLE, static_cast<LONG>(params.ExStyle));
    ::SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetFormStyle(TFormStyle style) {
    FFormStyle = style;
    if (FHandle)
        ::SetWindowPos(FHandle, style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetPosition(TPosition position) {
    FPosition = position;
    FPositioned = false;
}

void TForm::ApplyPosition() {
    int left = FLeft, top = FTop;
    switch (FPosition) {
        case poScreenCenter:
            left = (::GetSystemMetrics(SM_CXSCREEN) - FWidth) / 2;
            top = (::GetSystemMetrics(SM_CYSCREEN) - FHeight) / 2;
            break;
        case poDesktopCenter:
            left = ::GetSystemMetrics(SM_XVIRTUALSCREEN) + (::GetSystemMetrics(SM_CXVIRTUALSCREEN) - FWidth) / 2;
            top = ::GetSystemMetrics(SM_YVIRTUALSCREEN) + (::GetSystemMetrics(SM_CYVIRTUALSCREEN) - FHeight) / 2;
            break;
        case poMainFormCenter: {
            TForm* main = Application ? Application->MainForm() : nullptr;
            if (main && main != this) {
                left = main->Left() + (main->Width() - FWidth) / 2;
                top = main->Top() + (main->Height() - FHeight) / 2;
            } else {
                left = (::GetSystemMetrics(SM_CXSCREEN) - FWidth) / 2;
                top = (::GetSystemMetrics(SM_CYSCREEN) - FHeight) / 2;
            }
            break;
        }
        case poDesigned:
        case poDefault:
            return;
    }
    SetBounds(left, top, FWidth, FHeight);
}

void TForm::SetVisible(bool visible) {
    if (!visible) {
        FVisible = false;
        if (FHandle && ::IsWindowVisible(FHandle)) {
            ::ShowWindow(FHandle, SW_HIDE);
            Perform(CM_VISIBLECHANGED, 0);
        }
        return;
    }
    KPROBE_MOMENT(kpShowStart);
    FVisible = true;
    HandleNeeded();
    CreateChildHandles();  // children placed after the window was made
    if (!FPositioned) {
        ApplyPosition();
        FPositioned = true;
    }
    if (::IsWindowVisible(FHandle)) return;
    Fire(OnShow, static_cast<TObject*>(this));
    if (!FHandle) return;
    {
        KPROBE_SPAN(ksFormShow);
        ::ShowWindow(FHandle, SW_SHOW);
    }
    KPROBE_MOMENT(kpShown);
    Perform(CM_VISIBLECHANGED, 1);
}

TWinControl* TForm::FindNextControl(TWinControl* current, bool forward) {
    if (!FHandle) return nullptr;
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    const int n = static_cast<int>(list.size());
    const auto at = std::find(list.begin(), list.end(), current);
    const int start = at != list.end() ? static_cast<int>(at - list.begin()) : forward ? -1 : n;
    for (int step = 1; step <= n; ++step) {
        const int k = ((start + (forward ? step : -step)) % n + n) % n;
        if (list[static_cast<size_t>(k)]->TabStop() && CanTabTo(list[static_cast<size_t>(k)], FHandle))
            return list[static_cast<size_t>(k)];
    }
    return nullptr;
}

bool TForm::SelectNext(bool forward) {
    TWinControl* next = FindNextControl(FocusedControlOf(this), forward);
    if (!next) return false;
    HWND target = next->Handle();
    if (::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(target, EM_SETSEL, 0, -1);
    ::SetFocus(target);
    return true;
}

TCanvas* TForm::Canvas() {
    if (!FCanvas) {
        auto* canvas = new TControlCanvas(this);
        FCanvas = canvas;
        FControlCanvas = canvas;
    }
    return FCanvas;
}

void TForm::SetModalResult(int result) {
    FModalResult = result;
    // The loop may be waiting in GetMessage while a sent message sets the result.
    if (FModal && result != 0 && Application) ::PostMessageW(Application->UtilityWindow(), WM_NULL, 0, 0);
}

void TForm::DoCreate() { Fire(OnCreate, static_cast<TObject*>(this)); }

void TForm::DoClose(TCloseAction& Action) {
    if (OnClose) {
        TCloseEvent handler = OnClose;
        handler(this, Action);
    }
}

void TForm::KeyDown(WORD& Key, TShiftState Shift) {
    if (OnKeyDown) {
        TKeyEvent handler = OnKeyDown;
        handler(this, Key, Shift);
    }
}

void TForm::Close() {
    if (FModal) {
        SetModalResult(mrCancel);
        return;
    }
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
        case caHide:
            Hide();
            break;
        case caFree:
            Release();
            break;
        case caMinimize:
            if (FHandle) ::ShowWindow(FHandle, SW_MINIMIZE);
            break;
        case caNone:
            break;
    }
}

void TForm::CloseModal() {
    TCloseAction action = caHide;
    try {
        DoClose(action);
    } catch (...) {
        FModalResult = mrNone;
        if (Application) Application->HandleException(this);
        return;
    }
    if (action == caNone)
        FModalResult = mrNone;
    else if (action == caFree)
        FReleasePending = true;
}

void TForm::Release() {
    HandleNeeded();
    ::PostMessageW(FHandle, CM_RELEASE, 0, 0);
}

int TForm::ShowModal() {
    if (FModal) throw Exception(L"The form is shown modally already");
    if (FHandle && ::IsWindowVisible(FHandle)) throw Exception(L"A visible form cannot be made modal");
    if (HWND capture = ::GetCapture()) ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
    ::ReleaseCapture();
    HandleNeeded();
    HWND previous = ::GetActiveWindow();
    HWND self = FHandle;
    std::vector<HWND> disabled = EnabledThreadWindows(self);
    for (HWND w : disabled) ::EnableWindow(w, FALSE);
    FModal = true;
    FModalResult = mrNone;
    FReleasePending = false;

    // Undoes the modal state on every way out, exceptions included.
    auto finish = [&] {
        for (HWND w : disabled)
            if (::IsWindow(w)) ::EnableWindow(w, TRUE);
        // Activate the previous window before hiding this one, so that the
        // activation does not leave the application on the way; not when
        // another program has taken the foreground meanwhile.
        const bool foreground =
            ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr) == ::GetCurrentThreadId();
        if (foreground && previous && previous != self && ::IsWindow(previous) && ::IsWindowVisible(previous) &&
            ::IsWindowEnabled(previous))
            ::SetActiveWindow(previous);
        if (FHandle) {
            ::SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        FVisible = false;
        FModal = false;
    };

    try {
        Show();
        if (FHandle) {
            ::SetForegroundWindow(FHandle);
            ::SetActiveWindow(FHandle);
        }
        for (;;) {
            if (!Application || Application->Terminated()) {
                FModalResult = mrCancel;
                break;
            }
            Application->HandleMessage();
            if (Application->Terminated()) {
                FModalResult = mrCancel;
                break;
            }
            if (FModalResult != mrNone) {
                CloseModal();
                if (FModalResult != mrNone) break;
            }
        }
    } catch (...) {
        finish();
        throw;
    }
    // The loop's result is final: hiding the form may deactivate the program,
    // and a deactivation handler setting ModalResult must not change it.
    const int result = FModalResult;
    finish();
    FModalResult = result;
    if (FReleasePending) {
        FReleasePending = false;
        Release();
    }
    return result;
}

void TForm::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_CLOSE:
            Close();
            Message.Result = 0;
            return;
        case CM_RELEASE:
            delete this;
            return;
        case WM_ACTIVATEAPP:
            if (Application) Application->AppActivated(Message.WParam != 0);
            break;
        case WM_ACTIVATE:
            if (LOWORD(Message.WParam) != WA_INACTIVE) {
                Fire(OnActivate, static_cast<TObject*>(this));
                if (!FHandle || HIWORD(Message.WParam)) break;  // gone, or minimized
                HWND focus = FFocusedControl;
                if (!focus || !::IsWindow(focus) || !::IsChild(FHandle, focus) || !::IsWindowVisible(focus) ||
                    !::IsWindowEnabled(focus)) {
                    TWinControl* first = FindNextControl(nullptr, true);
                    focus = first ? first->Handle() : nullptr;
                }
                if (focus) {
                    ::SetFocus(focus);
                    Message.Result = 0;
                    return;
                }
            } else {
                Fire(OnDeactivate, static_cast<TObject*>(this));
            }
            break;
        case WM_SHOWWINDOW:
            if (Message.LParam == 0) FVisible = Message.WParam != 0;
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            WORD key = static_cast<WORD>(Message.WParam);
            TShiftState shift = 0;
            if (::GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
            if (::GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
            if (::GetKeyState(VK_MENU) < 0) shift |= ssAlt;
            HWND self = FHandle;
            KeyDown(key, shift);
            if (!::IsWindow(self) || FindControl(self) != this) return;
            if (key == 0) {
                Message.Result = 0;
                return;
            }
            Message.WParam = key;
            break;
        }
        // Esc reaches a form as IDCANCEL from IsDialogMessageW; only a button
        // made the cancel button takes it (a form without one stays open).
        case WM_PAINT:
            if (OnPaint) {
                Canvas();
                TControlCanvas::PaintScope paint(FControlCanvas, FHandle);
                TNotifyEvent handler = OnPaint;
                handler(this);
                KPROBE_COUNT(kcPaints);
                KPROBE_MOMENT(kpPainted);
                Message.Result = 0;
                return;
            }
            break;
        default:
            break;
    }
    TWinControl::Dispatch(Message);
}

// --- TApplication ------------------------------------------------------------

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
    DestroyComponents();  // the forms and data modules
    if (FUtilityWindow) {
        MSG msg;
        while (::PeekMessageW(&msg, FUtilityWindow, kJobMessage, kJobMessage, PM_REMOVE))
            delete reinterpret_cast<std::function<void()>*>(msg.lParam);
        ::SetWindowLongPtrW(FUtilityWindow, GWLP_USERDATA, 0);
        ::DestroyWindow(FUtilityWindow);
        FUtilityWindow = nullptr;
    }
    if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
}

void TApplication::FormCreated(TForm* form) {
    if (!FMainForm) FMainForm = form;
    form->HandleNeeded();
    form->DoCreate();
}

void TApplication::Run() {
    if (FTerminated) return;
    if (ShowMainForm && FMainForm && !FQuitPending) FMainForm->Show();
    while (!FTerminated) HandleMessage();
}

void TApplication::Terminate() {
    FQuitPending = true;
    ::PostQuitMessage(0);
}

bool TApplication::DispatchOne(MSG& msg) {
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        FQuitPending = false;
        return false;
    }
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        // Tab in the form's Tab order; arrows, Enter and Esc as in a dialog.
        auto* form = dynamic_cast<TForm*>(FindControl(::GetActiveWindow()));
        if (form && form->HandleAllocated() && HasTabStop(form) &&
            (TabKey(form, msg) || ::IsDialogMessageW(form->Handle(), &msg)))
            return true;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        try {
            if (!DispatchOne(msg)) break;
        } catch (...) {
            HandleException(this);
        }
    }
    FreeDeviceContexts();
}

void TApplication::HandleMessage() {
    FreeDeviceContexts();
    MSG msg;
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) return;
    if (got == 0) {
        FTerminated = true;
        FQuitPending = false;
        return;
    }
    try {
        DispatchOne(msg);
    } catch (...) {
        HandleException(this);
    }
}

UnicodeString TApplication::ExeName() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L"";
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void TApplication::ShowException(const std::exception& e) {
    UnicodeString text;
    if (auto* ex = dynamic_cast<const Exception*>(&e))
        text = ex->Message();
    else
        text = Utf8ToUnicode(e.what());
    UnicodeString title = Title;
    if (title.empty()) {
        title = ExtractFileName(ExeName());
        size_t dot = title.rfind(L'.');
        if (dot != UnicodeString::npos) title.resize(dot);
    }
    ::MessageBoxW(::GetActiveWindow(), text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

void TApplication::HandleException(TObject* Sender) {
    if (!std::current_exception()) return;
    auto report = [&](const std::exception& e) {
        try {
            if (OnException) {
                auto handler = OnException;
                handler(Sender, e);
            } else {
                ShowException(e);
            }
        } catch (...) {
            // The display itself failed: nothing more can be done here.
        }
    };
    try {
        throw;
    } catch (const std::exception& e) {
        report(e);
    } catch (...) {
        Exception e(L"");
        report(e);
    }
}

void TApplication::ShowEscapedException() {
    if (!std::current_exception()) return;
    try {
        throw;
    } catch (const Exception& e) {
        ShowException(e);
    } catch (...) {
        ShowException(Exception(L""));
    }
}

void TApplication::AppActivated(bool active) {
    if (active == FActive) return;
    FActive = active;
    // The event comes from the message loop, not from inside WM_ACTIVATEAPP:
    // the change of activation may be a side effect of hiding a window (a
    // modal form that ends), whose caller has not yet looked at its result.
    ::PostMessageW(UtilityWindow(), kActivationMessage, active ? 1 : 0, 0);
}

LRESULT CALLBACK TApplication::UtilityProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kJobMessage) {
        auto* job = reinterpret_cast<std::function<void()>*>(lParam);
        try {
            if (*job) (*job)();
        } catch (...) {
            if (Application) Application->HandleException(Application);
        }
        delete job;
        return 0;
    }
    if (msg == kActivationMessage) {
        if (Application) {
            try {
                if (wParam)
                    Fire(Application->OnActivate, static_cast<TObject*>(Application));
                else
                    Fire(Application->OnDeactivate, static_cast<TObject*>(Application));
            } catch (...) {
                Application->HandleException(Application);
            }
        }
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND TApplication::UtilityWindow() {
    if (FUtilityWindow && ::IsWindow(FUtilityWindow)) return FUtilityWindow;
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &TApplication::UtilityProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kUtilityClass;
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw EOSError(L"The application's window class cannot be registered");
        registered = true;
    }
    FUtilityWindow = ::CreateWindowExW(0, kUtilityClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
    if (!FUtilityWindow) throw EOSError(L"The application's window cannot be created");
    return FUtilityWindow;
}

void TApplication::PostJob(std::function<void()> job) {
    auto* copy = new std::function<void()>(std::move(job));
    if (!::PostMessageW(UtilityWindow(), kJobMessage, 0, reinterpret_cast<LPARAM>(copy))) {
        delete copy;
        throw EOSError(L"A job cannot be posted");
    }
}

// --- TScreen -----------------------------------------------------------------

TScreen::TScreen() : TComponent(nullptr) {}

TScreen::~TScreen() { delete FFonts; }

TStringList* TScreen::Fonts() {
    if (FFonts) return FFonts;
    std::vector<UnicodeString> names;
    HDC dc = ::GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    ::EnumFontFamiliesExW(
        dc, &lf,
        [](const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM lp) -> int {
            auto* list = reinterpret_cast<std::vector<UnicodeString>*>(lp);
            if (font->lfFaceName[0] != L'@' && font->lfFaceName[0] != 0) list->push_back(font->lfFaceName);
            return 1;
        },
        reinterpret_cast<LPARAM>(&names), 0);
    ::ReleaseDC(nullptr, dc);
    std::sort(names.begin(), names.end(),
              [](const UnicodeString& a, const UnicodeString& b) { return CompareText(a, b) < 0; });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const UnicodeString& a, const UnicodeString& b) { return SameText(a, b); }),
                names.end());
    FFonts = new TStringList();
    FFonts->Lines() = std::move(names);
    return FFonts;
}

TForm* TScreen::ActiveForm() { return dynamic_cast<TForm*>(FindControl(::GetActiveWindow())); }
