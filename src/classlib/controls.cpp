// Controls of the class library: one window procedure for every window of
// the library, windows created when first needed, the base message map with
// mouse, font, colour, text and hint handling, notification reflection for
// standard controls, anchors and the control canvas.
#include "controls.h"

#include "controlcanvas.h"
#include "forms.h"
#include "menus.h"
#include "probe.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

struct DispatchScope;

namespace {

// The control whose window CreateWindowExW is making on this thread; the
// window procedure binds it to the window at the first message.
thread_local TControl* t_creating = nullptr;
// The Dispatch calls now running, innermost first; a control deleted inside
// its own Dispatch clears its entries so that nothing touches it afterwards.
thread_local DispatchScope* t_frames = nullptr;
// Set by DefaultHandler when a reflected notification (CN_...) was not handled.
thread_local bool t_cnUnhandled = false;

// These live until the process ends: windows may still be destroyed by
// static destructors at exit.
std::unordered_map<HWND, TControl*>& ControlMap() {
    static auto* map = new std::unordered_map<HWND, TControl*>();
    return *map;
}

// Window procedure to fall back on, per registered class atom and name.
std::unordered_map<ATOM, WNDPROC>& ProcByAtom() {
    static auto* map = new std::unordered_map<ATOM, WNDPROC>();
    return *map;
}
std::unordered_map<std::wstring, WNDPROC>& ProcByName() {
    static auto* map = new std::unordered_map<std::wstring, WNDPROC>();
    return *map;
}

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

bool InRange(UINT msg, UINT first, UINT last) { return msg >= first && msg <= last; }
constexpr UINT kLibraryFirst = CM_BASE;
constexpr UINT kLibraryLast = 0xBFFF;  // CM_ and CN_ messages

WNDPROC OriginalProc(HWND hwnd) {
    ATOM atom = static_cast<ATOM>(::GetClassWord(hwnd, GCW_ATOM));
    auto it = ProcByAtom().find(atom);
    return it != ProcByAtom().end() ? it->second : ::DefWindowProcW;
}

void Attach(TControl* control, HWND hwnd);

void HandleAppException(TObject* sender) {
    if (Application) {
        Application->HandleException(sender);
    }
}

TShiftState MouseShift(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

int NextControlId() {
    static int next = 0x100;
    int id = next++;
    if (next > 0x7FFF) next = 0x100;
    return id;
}

bool SameFont(TFont& a, TFont& b) {
    return a.Name() == b.Name() && a.Height() == b.Height() && a.Color() == b.Color() && a.Style() == b.Style();
}

// Canvases that hold a window DC from GetDC.
std::unordered_set<TControlCanvas*>& HeldCanvases() {
    static auto* set = new std::unordered_set<TControlCanvas*>();
    return *set;
}

void EnsureCommonControls() {
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    done = true;
}

}  // namespace

// One running Dispatch of a control (see t_frames).
struct DispatchScope {
    TControl* self;     // the control the scope was opened for
    TControl* control;  // the same, or null once it was deleted
    DispatchScope* prev;
    explicit DispatchScope(TControl* c) : self(c), control(c), prev(t_frames) {
        t_frames = this;
        ++c->FDispatchDepth;
    }
    ~DispatchScope() {
        t_frames = prev;
        if (control) control->AfterDispatch();
    }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

    // The scope of the Dispatch now running for c, if c runs innermost.
    static DispatchScope* Of(TControl* c) { return t_frames && t_frames->self == c ? t_frames : nullptr; }
};

namespace {

// True when the control of this scope was deleted by a handler.
bool Gone(const DispatchScope* scope) { return scope && !scope->control; }

void Attach(TControl* control, HWND hwnd) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    ControlMap()[hwnd] = control;
}

void Detach(HWND hwnd) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    ControlMap().erase(hwnd);
}

}  // namespace

// --- the control canvas ------------------------------------------------------

TControlCanvas::TControlCanvas(TControl* control) : FControl(control) { TakeControlLook(); }

TControlCanvas::~TControlCanvas() { FreeWindowDC(); }

HDC TControlCanvas::Handle() {
    if (!FHandle) {
        HWND window = FControl->Handle();
        FHandle = ::GetDC(window);
        if (FHandle) {
            FWindow = window;
            FOwnDC = true;
            HeldCanvases().insert(this);
        }
    }
    return FHandle;
}

void TControlCanvas::FreeWindowDC() {
    if (!FOwnDC) return;
    if (FHandle) ::ReleaseDC(FWindow, FHandle);
    FHandle = nullptr;
    FOwnDC = false;
    FWindow = nullptr;
    HeldCanvases().erase(this);
}

void TControlCanvas::TakeControlLook() {
    if (!SameFont(*Font(), *FControl->Font())) Font()->Assign(*FControl->Font());
    Brush()->Color = FControl->Color();
    Brush()->Style = bsSolid;
}

TControlCanvas::PaintScope::PaintScope(TControlCanvas* canvas, HWND window) : FCanvas(canvas), FWindow(window) {
    FDC = ::BeginPaint(window, &FPaint);
    FSavedDC = canvas->FHandle;
    FSavedOwn = canvas->FOwnDC;
    canvas->FHandle = FDC;
    canvas->FOwnDC = false;
    canvas->TakeControlLook();
}

TControlCanvas::PaintScope::~PaintScope() {
    FCanvas->FHandle = FSavedDC;
    FCanvas->FOwnDC = FSavedOwn;
    ::EndPaint(FWindow, &FPaint);
}

void FreeDeviceContexts() {
    std::vector<TControlCanvas*> held(HeldCanvases().begin(), HeldCanvases().end());
    for (TControlCanvas* c : held) c->FreeWindowDC();
}

TControl* FindControl(HWND window) {
    if (!window) return nullptr;
    auto it = ControlMap().find(window);
    return it != ControlMap().end() ? it->second : nullptr;
}

// --- the window procedure ----------------------------------------------------

LRESULT CALLBACK KestovarWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<TControl*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!control) {
        control = t_creating;
        if (!control) return ::CallWindowProcW(OriginalProc(hwnd), hwnd, msg, wParam, lParam);
        t_creating = nullptr;
        control->FHandle = hwnd;
        Attach(control, hwnd);
    }
    KPROBE_COUNT(kcMessages);
    TMessage m{msg, wParam, lParam, 0};
    {
        DispatchScope scope(control);
        try {
            control->Dispatch(m);
        } catch (...) {
            HandleAppException(scope.control);
        }
        if (msg == WM_NCDESTROY) {
            Detach(hwnd);
            if (scope.control && scope.control->FHandle == hwnd) {
                scope.control->FHandle = nullptr;
                scope.control->FMouseInControl = false;
            }
        }
    }
    return m.Result;
}

// --- TControl ----------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
    FFont.OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
    for (DispatchScope* f = t_frames; f; f = f->prev)
        if (f->control == this) f->control = nullptr;
    DestroyToolTip();
    TControl::DestroyWnd();
    if (FParent) FParent->RemoveControl(this);
    FParent = nullptr;
    if (FCtlBrush) ::DeleteObject(FCtlBrush);
    FFont.OnChange = nullptr;
}

HWND TControl::Handle() {
    HandleNeeded();
    return FHandle;
}

void TControl::HandleNeeded() {
    if (FHandle) return;
    if (FParent) FParent->HandleNeeded();  // makes this control's window too
    if (!FHandle) CreateWnd();
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    DispatchScope scope(this);
    Dispatch(m);
    return m.Result;
}

void TControl::AfterDispatch() {
    if (--FDispatchDepth == 0 && FControlCanvas) FControlCanvas->FreeWindowDC();
}

void TControl::DefaultHandler(TMessage& Message) {
    if (InRange(Message.Msg, kLibraryFirst, kLibraryLast)) {
        if (Message.Msg >= CN_BASE) t_cnUnhandled = true;
        Message.Result = 0;
        return;
    }
    if (!FHandle) {
        Message.Result = 0;
        return;
    }
    if (!FDefWndProc || FDefWndProc == ::DefWindowProcW)
        Message.Result = ::DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
    else
        Message.Result = ::CallWindowProcW(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TControl::CreateParams(TCreateParams& Params) {
    KPROBE_COUNT(kcCreateParams);
    Params.Caption = FCaption;
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FVisible) Params.Style |= WS_VISIBLE;
    if (!FEnabled) Params.Style |= WS_DISABLED;
    Params.ExStyle = 0;
    Params.X = FLeft;
    Params.Y = FTop;
    Params.Width = FWidth;
    Params.Height = FHeight;
    Params.WndParent = FParent ? FParent->FHandle : nullptr;
    Params.WinClassName = ClassName();
    Params.ClassStyle = CS_DBLCLKS;
    Params.SubclassOf.clear();
}

void TControl::RegisterWindowClass(const TCreateParams& Params) {
    if (ProcByName().count(Params.WinClassName)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    WNDPROC original = ::DefWindowProcW;
    if (!Params.SubclassOf.empty()) {
        if (!::GetClassInfoExW(nullptr, Params.SubclassOf.c_str(), &wc))
            throw EOSError(L"The system window class " + Params.SubclassOf + L" does not exist");
        original = wc.lpfnWndProc;
        wc.cbSize = sizeof wc;
        wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
        wc.lpszMenuName = nullptr;
    } else {
        wc.style = Params.ClassStyle;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = ::LoadIconW(Instance(), L"MAINICON");
        if (!wc.hIcon) wc.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
        wc.hbrBackground = nullptr;  // the controls erase with their Color
    }
    wc.lpfnWndProc = KestovarWndProc;
    wc.hInstance = Instance();
    wc.lpszClassName = Params.WinClassName.c_str();
    ATOM atom = ::RegisterClassExW(&wc);
    if (!atom) throw EOSError(L"The window class " + Params.WinClassName + L" cannot be registered");
    ProcByAtom()[atom] = original;
    ProcByName()[Params.WinClassName] = original;
}

void TControl::CreateWnd() {
    if (FHandle) return;
    KPROBE_SPAN(ksCreateWnd);
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent)
        throw Exception(L"The control " + ClassName() + L" has no parent window");
    RegisterWindowClass(params);
    FDefWndProc = ProcByName()[params.WinClassName];
    HMENU id = (params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())) : nullptr;
    TControl* saved = t_creating;
    t_creating = this;
    HWND hwnd = nullptr;
    {
        KPROBE_SPAN(ksCreateWindow);
        hwnd = ::CreateWindowExW(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                                 params.X, params.Y, params.Width, params.Height, params.WndParent, id, Instance(),
                                 nullptr);
    }
    t_creating = saved;
    if (!hwnd) throw EOSError(L"The window of " + ClassName() + L" cannot be created");
    KPROBE_COUNT(kcWindows);
    if (!FHandle) {  // a class whose window got no message during creation
        FHandle = hwnd;
        Attach(this, hwnd);
    }
    if ((params.Style & WS_CHILD) && FParent) TakeSiblingPlace();
    if (IsStandardControl()) ::SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), FALSE);
    CreateHandleDone();
    UpdateToolTip();
}

void TControl::TakeSiblingPlace() {
    // A new child window comes last among its siblings. One made after
    // controls that follow it in the parent's list (a hidden control shown
    // for the first time) moves up behind the one before it, so that the
    // windows' order stays the controls' order.
    const auto& list = FParent->FControls;
    const auto self = std::find(list.begin(), list.end(), this);
    if (self == list.end()) return;
    if (std::none_of(self + 1, list.end(), [](const TControl* c) { return c->FHandle != nullptr; })) return;
    HWND after = HWND_TOP;
    for (auto it = self; it != list.begin();) {
        --it;
        if ((*it)->FHandle) {
            after = (*it)->FHandle;
            break;
        }
    }
    ::SetWindowPos(FHandle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TControl::DestroyWnd() {
    if (!FHandle) return;
    DestroyToolTip();
    if (FControlCanvas) FControlCanvas->FreeWindowDC();
    HWND hwnd = FHandle;
    ::DestroyWindow(hwnd);
    if (FHandle == hwnd) {  // not destroyed (another thread's window, an error)
        Detach(hwnd);
        FHandle = nullptr;
    }
    FMouseInControl = false;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    for (TWinControl* p = parent; p; p = p->FParent)
        if (p == this) throw Exception(L"A control cannot be placed on itself");
    if (FParent) FParent->RemoveControl(this);
    FParent = parent;
    if (!parent) {
        DestroyWnd();
        return;
    }
    parent->InsertControl(this);
    if (FParentFont) InheritParentFont();
    if (FHandle) {
        if (parent->FHandle) {
            ::SetParent(FHandle, parent->FHandle);
            ::SetWindowPos(FHandle, nullptr, FLeft, FTop, FWidth, FHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            DestroyWnd();
        }
    } else if (parent->FHandle && FVisible) {
        parent->PostCreateHandles();
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    bool changed = left != FLeft || top != FTop || width != FWidth || height != FHeight;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (!changed) return;
    if (FHandle) {
        // WM_WINDOWPOSCHANGED brings the fields in line with what the system did.
        ::SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (auto* wc = dynamic_cast<TWinControl*>(this)) {
        wc->ClientSizeChanged();
    }
}

RECT TControl::FrameInsets() {
    RECT r{0, 0, 0, 0};
    DWORD style, exStyle;
    if (FHandle) {
        style = static_cast<DWORD>(::GetWindowLongW(FHandle, GWL_STYLE));
        exStyle = static_cast<DWORD>(::GetWindowLongW(FHandle, GWL_EXSTYLE));
    } else {
        TCreateParams params;
        CreateParams(params);
        style = params.Style;
        exStyle = params.ExStyle;
    }
    // Without a border, a dialog frame, a sizing frame or an edge the client
    // area is the whole window. The system is not asked then: the question
    // costs it tens of microseconds, and a control without a window asks at
    // every change of its place or size.
    constexpr DWORD kFrameStyles = WS_BORDER | WS_DLGFRAME | WS_THICKFRAME;
    constexpr DWORD kFrameExStyles = WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE;
    if (!(style & kFrameStyles) && !(exStyle & kFrameExStyles)) return r;
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return r;
}

int TControl::ClientWidth() {
    if (FHandle) {
        RECT r{};
        ::GetClientRect(FHandle, &r);
        return r.right;
    }
    RECT f = FrameInsets();
    return std::max(0, FWidth - static_cast<int>(f.right - f.left));
}

int TControl::ClientHeight() {
    if (FHandle) {
        RECT r{};
        ::GetClientRect(FHandle, &r);
        return r.bottom;
    }
    RECT f = FrameInsets();
    return std::max(0, FHeight - static_cast<int>(f.bottom - f.top));
}

void TControl::SetClientWidth(int v) {
    RECT f = FrameInsets();
    SetWidth(v + f.right - f.left);
}

void TControl::SetClientHeight(int v) {
    RECT f = FrameInsets();
    SetHeight(v + f.bottom - f.top);
}

RECT TControl::ClientRect() { return RECT{0, 0, ClientWidth(), ClientHeight()}; }

POINT TControl::ClientToScreen(POINT p) {
    if (FHandle) {
        ::ClientToScreen(FHandle, &p);
        return p;
    }
    RECT f = FrameInsets();
    POINT q{p.x + FLeft - f.left, p.y + FTop - f.top};
    return FParent ? FParent->ClientToScreen(q) : q;
}

POINT TControl::ScreenToClient(POINT p) {
    if (FHandle) {
        ::ScreenToClient(FHandle, &p);
        return p;
    }
    POINT origin = ClientToScreen(POINT{0, 0});
    return POINT{p.x - origin.x, p.y - origin.y};
}

void TControl::SetAnchors(TAnchors anchors) { FAnchors = anchors; }

void TControl::SetVisible(bool visible) {
    if (visible && !FHandle && FParent && FParent->FHandle) {
        FVisible = true;
        HandleNeeded();  // made visible with its window
        Perform(CM_VISIBLECHANGED, 1);
        return;
    }
    bool shown = FHandle && (::GetWindowLongW(FHandle, GWL_STYLE) & WS_VISIBLE);
    if (FVisible == visible && (!FHandle || shown == visible)) return;
    FVisible = visible;
    if (FHandle) ::ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE);
    Perform(CM_VISIBLECHANGED, visible ? 1 : 0);
}

void TControl::SetEnabled(bool enabled) {
    if (FEnabled == enabled) return;
    FEnabled = enabled;
    Perform(CM_ENABLEDCHANGED);
}

const UnicodeString& TControl::Caption() const {
    if (FHandle && IsStandardControl()) {
        int n = ::GetWindowTextLengthW(FHandle);
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        int got = ::GetWindowTextW(FHandle, text.data(), n + 1);
        text.resize(static_cast<size_t>(std::max(0, got)));
        FCaption = text;
    }
    return FCaption;
}

void TControl::SetCaption(const UnicodeString& text) {
    if (Caption() == text) return;
    FCaption = text;
    if (FHandle) ::SetWindowTextW(FHandle, text.c_str());
    Perform(CM_TEXTCHANGED);
}

void TControl::FontChanged() {
    if (!FInheritingFont) FParentFont = false;
    DispatchScope* scope = nullptr;
    {
        DispatchScope local(this);
        scope = &local;
        TMessage m{CM_FONTCHANGED, 0, 0, 0};
        Dispatch(m);
        if (Gone(scope)) return;
    }
    if (auto* wc = dynamic_cast<TWinControl*>(this)) {
        std::vector<TControl*> children = wc->FControls;
        for (TControl* child : children)
            if (child->FParentFont && std::find(wc->FControls.begin(), wc->FControls.end(), child) != wc->FControls.end())
                child->InheritParentFont();
    }
}

void TControl::InheritParentFont() {
    if (!FParent) return;
    struct Flag {
        bool& f;
        explicit Flag(bool& flag) : f(flag) { f = true; }
        ~Flag() { f = false; }
    } inheriting(FInheritingFont);
    FFont.Assign(*FParent->Font());
}

void TControl::SetParentFont(bool parentFont) {
    FParentFont = parentFont;
    if (parentFont && FParent) InheritParentFont();
}

void TControl::SetColor(TColor color) {
    if (FColor == color) return;
    FColor = color;
    Perform(CM_COLORCHANGED);
}

void TControl::SetHint(const UnicodeString& hint) {
    FHint = hint;
    UpdateToolTip();
}

void TControl::SetShowHint(bool show) {
    FShowHint = show;
    UpdateToolTip();
}

void TControl::UpdateToolTip() {
    if (!FHandle) return;
    if (!FShowHint || FHint.empty()) {
        DestroyToolTip();
        return;
    }
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = FHandle;
    info.uId = reinterpret_cast<UINT_PTR>(FHandle);
    info.lpszText = FHint.data();
    if (FToolTip && ::IsWindow(FToolTip)) {
        ::SendMessageW(FToolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
        return;
    }
    EnsureCommonControls();
    FToolTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, FHandle, nullptr,
                                 Instance(), nullptr);
    if (!FToolTip) return;  // no hint is no reason to fail
    ::SendMessageW(FToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    ::SendMessageW(FToolTip, TTM_SETMAXTIPWIDTH, 0, 400);
}

void TControl::DestroyToolTip() {
    if (FToolTip && ::IsWindow(FToolTip)) ::DestroyWindow(FToolTip);
    FToolTip = nullptr;
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
    if (menu == FPopupMenu) return;
    if (FPopupMenu) RemoveFreeNotification(FPopupMenu);
    FPopupMenu = menu;
    if (FPopupMenu) FreeNotification(FPopupMenu);
}

void TControl::Notification(TComponent* AComponent, bool inserting) {
    TComponent::Notification(AComponent, inserting);
    if (!inserting && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Invalidate() {
    if (!FHandle) return;
    KPROBE_COUNT(kcInvalidations);
    ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TControl::Update() {
    if (FHandle) ::UpdateWindow(FHandle);
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::BringToFront() {
    if (FParent) {
        auto& list = FParent->FControls;
        auto it = std::find(list.begin(), list.end(), this);
        if (it != list.end()) {
            list.erase(it);
            list.push_back(this);
        }
    }
    if (FHandle) ::SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TForm* TControl::GetParentForm() {
    TControl* c = this;
    while (c->FParent) c = c->FParent;
    return dynamic_cast<TForm*>(c);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) {
        TMouseEvent handler = OnMouseDown;
        handler(this, Button, Shift, X, Y);
    }
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) {
        TMouseMoveEvent handler = OnMouseMove;
        handler(this, Shift, X, Y);
    }
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) {
        TMouseEvent handler = OnMouseUp;
        handler(this, Button, Shift, X, Y);
    }
}

void TControl::Click() {
    if (OnClick) {
        TNotifyEvent handler = OnClick;
        handler(this);
    }
}

void TControl::DblClick() {
    if (OnDblClick) {
        TNotifyEvent handler = OnDblClick;
        handler(this);
    }
}

void TControl::ColorStandardControl(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    COLORREF back = static_cast<COLORREF>(ColorToRGB(FColor));
    ::SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(FFont.Color())));
    ::SetBkColor(dc, back);
    if (!FCtlBrush || FCtlBrushColor != FColor) {
        if (FCtlBrush) ::DeleteObject(FCtlBrush);
        FCtlBrush = ::CreateSolidBrush(back);
        FCtlBrushColor = FColor;
    }
    Message.Result = reinterpret_cast<LRESULT>(FCtlBrush);
}

void TControl::Dispatch(TMessage& Message) {
    DispatchScope* scope = DispatchScope::Of(this);
    const bool own = !IsStandardControl();
    switch (Message.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: {
            const bool dbl = Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_RBUTTONDBLCLK ||
                             Message.Msg == WM_MBUTTONDBLCLK;
            TMouseButton button = mbLeft;
            if (Message.Msg == WM_RBUTTONDOWN || Message.Msg == WM_RBUTTONDBLCLK) button = mbRight;
            if (Message.Msg == WM_MBUTTONDOWN || Message.Msg == WM_MBUTTONDBLCLK) button = mbMiddle;
            const int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
            if (button == mbLeft && own) {
                ::SetCapture(FHandle);
                FClickPending = !dbl;
                if (dbl) {
                    DblClick();
                    if (Gone(scope)) return;
                }
            }
            MouseDown(button, MouseShift(Message.WParam) | (dbl ? static_cast<TShiftState>(ssDouble) : 0u), x, y);
            if (Gone(scope)) return;
            break;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            TMouseButton button = Message.Msg == WM_LBUTTONUP ? mbLeft : Message.Msg == WM_RBUTTONUP ? mbRight : mbMiddle;
            const int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
            if (button == mbLeft && own) {
                const bool click = FClickPending;
                FClickPending = false;
                if (::GetCapture() == FHandle) ::ReleaseCapture();
                RECT client{};
                ::GetClientRect(FHandle, &client);
                if (click && ::PtInRect(&client, POINT{x, y})) {
                    Click();
                    if (Gone(scope)) return;
                }
            }
            MouseUp(button, MouseShift(Message.WParam), x, y);
            if (Gone(scope)) return;
            break;
        }
        case WM_MOUSEMOVE: {
            const int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
            RECT client{};
            ::GetClientRect(FHandle, &client);
            const bool inside = ::PtInRect(&client, POINT{x, y}) != 0;
            if (inside) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, FHandle, 0};
                ::TrackMouseEvent(&track);
                if (!FMouseInControl) {
                    FMouseInControl = true;
                    Perform(CM_MOUSEENTER);
                    if (Gone(scope)) return;
                }
            } else if (FMouseInControl && ::GetCapture() == FHandle) {
                // Captured moves outside the control: the mouse has left it.
                FMouseInControl = false;
                Perform(CM_MOUSELEAVE);
                if (Gone(scope)) return;
            }
            MouseMove(MouseShift(Message.WParam), x, y);
            if (Gone(scope)) return;
            break;
        }
        case WM_MOUSELEAVE:
            if (FMouseInControl) {
                FMouseInControl = false;
                Perform(CM_MOUSELEAVE);
                if (Gone(scope)) return;
            }
            break;
        case WM_CONTEXTMENU:
            if (FPopupMenu) {
                int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
                if (x == -1 && y == -1) {  // from the keyboard
                    POINT p = ClientToScreen(POINT{0, 0});
                    x = p.x;
                    y = p.y;
                }
                TPopupMenu* menu = FPopupMenu;
                menu->SetPopupComponent(this);
                menu->Popup(x, y);
                Message.Result = 0;
                return;
            }
            break;
        case WM_WINDOWPOSCHANGED: {
            auto* pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
            if (pos && (!(pos->flags & SWP_NOMOVE) || !(pos->flags & SWP_NOSIZE)) && !::IsIconic(FHandle)) {
                RECT r{};
                ::GetWindowRect(FHandle, &r);
                if (HWND parent = (::GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) ? ::GetParent(FHandle) : nullptr)
                    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
                FLeft = r.left;
                FTop = r.top;
                FWidth = r.right - r.left;
                FHeight = r.bottom - r.top;
            }
            break;
        }
        case WM_ERASEBKGND:
            if (own) {
                if (FColor != clNone) {
                    RECT r{};
                    ::GetClientRect(FHandle, &r);
                    HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(FColor)));
                    ::FillRect(reinterpret_cast<HDC>(Message.WParam), &r, brush);
                    ::DeleteObject(brush);
                }
                Message.Result = 1;
                return;
            }
            break;
        case WM_SETTEXT:
            DefaultHandler(Message);
            if (Message.Result) FCaption = Message.LParam ? reinterpret_cast<const wchar_t*>(Message.LParam) : L"";
            return;
        case CM_ENABLEDCHANGED:
            if (FHandle) ::EnableWindow(FHandle, FEnabled ? TRUE : FALSE);
            Invalidate();
            return;
        case CM_FONTCHANGED:
            if (FHandle && !own) ::SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), TRUE);
            Invalidate();
            return;
        case CM_TEXTCHANGED:
        case CM_COLORCHANGED:
            Invalidate();
            return;
        case CN_CTLCOLOREDIT:
        case CN_CTLCOLORSTATIC:
        case CN_CTLCOLORBTN:
        case CN_CTLCOLORLISTBOX:
            ColorStandardControl(Message);
            return;
        default:
            break;
    }
    DefaultHandler(Message);
}

// --- TWinControl -------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
    // The children go first: they still refer to this control as their parent.
    while (!FControls.empty()) {
        TControl* child = FControls.back();
        if (child->Destroying()) {  // being deleted by its owner right now
            FControls.pop_back();
            child->FParent = nullptr;
            continue;
        }
        delete child;
    }
    TWinControl::DestroyWnd();
}

void TWinControl::CreateParams(TCreateParams& Params) {
    TControl::CreateParams(Params);
    if (FTabStop) Params.Style |= WS_TABSTOP;
    if (!FControls.empty()) {
        Params.Style |= WS_CLIPCHILDREN;
        Params.ExStyle |= WS_EX_CONTROLPARENT;
    }
}

void TWinControl::CreateWnd() {
    TControl::CreateWnd();
    CreateChildHandles();
}

void TWinControl::DestroyWnd() {
    for (TControl* child : FControls) child->DestroyWnd();
    TControl::DestroyWnd();
}

void TWinControl::CreateChildHandles() {
    if (!FHandle) return;
    std::vector<TControl*> children = FControls;  // creation may run handlers
    for (TControl* child : children) {
        if (std::find(FControls.begin(), FControls.end(), child) == FControls.end()) continue;
        if (!child->FHandle) {
            // A hidden control gets its window when it is shown or its handle
            // is asked for.
            if (child->FVisible) child->CreateWnd();
        } else if (auto* wc = dynamic_cast<TWinControl*>(child)) {
            wc->CreateChildHandles();
        }
    }
}

void TWinControl::PostCreateHandles() {
    if (FCreateHandlesPosted || !FHandle) return;
    FCreateHandlesPosted = ::PostMessageW(FHandle, CM_CREATEHANDLES, 0, 0) != 0;
}

void TWinControl::InsertControl(TControl* control) {
    if (!FAnchorBaseValid) {
        FAnchorBaseWidth = ClientWidth();
        FAnchorBaseHeight = ClientHeight();
        FAnchorBaseValid = true;
    }
    FControls.push_back(control);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) FTabList.push_back(windowed);
}

void TWinControl::RemoveControl(TControl* control) {
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
    // By address: a control being deleted is no longer a TWinControl to dynamic_cast.
    std::erase_if(FTabList, [control](TWinControl* c) { return static_cast<TControl*>(c) == control; });
}

void TWinControl::ClientSizeChanged() {
    const int w = ClientWidth(), h = ClientHeight();
    if (!FAnchorBaseValid) {
        FAnchorBaseWidth = w;
        FAnchorBaseHeight = h;
        FAnchorBaseValid = true;
        return;
    }
    const int dx = w - FAnchorBaseWidth, dy = h - FAnchorBaseHeight;
    FAnchorBaseWidth = w;
    FAnchorBaseHeight = h;
    if (!dx && !dy) return;
    std::vector<TControl*> children = FControls;
    for (TControl* child : children) {
        const TAnchors a = child->FAnchors;
        int left = child->FLeft, top = child->FTop, width = child->FWidth, height = child->FHeight;
        if (a & akRight) {
            if (a & akLeft)
                width += dx;
            else
                left += dx;
        }
        if (a & akBottom) {
            if (a & akTop)
                height += dy;
            else
                top += dy;
        }
        child->SetBounds(left, top, width, height);
    }
}

bool TWinControl::Focused() { return FHandle && ::GetFocus() == FHandle; }

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

void TWinControl::SetTabStop(bool tabStop) {
    FTabStop = tabStop;
    if (FHandle) {
        LONG style = ::GetWindowLongW(FHandle, GWL_STYLE);
        style = tabStop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
        ::SetWindowLongW(FHandle, GWL_STYLE, style);
    }
}

int TWinControl::TabOrder() const {
    if (!FParent) return -1;
    const auto& list = FParent->FTabList;
    const auto it = std::find(list.begin(), list.end(), this);
    return it != list.end() ? static_cast<int>(it - list.begin()) : -1;
}

void TWinControl::SetTabOrder(int order) {
    const int from = TabOrder();
    if (from < 0) return;
    auto& list = FParent->FTabList;
    order = std::clamp(order, 0, static_cast<int>(list.size()) - 1);
    list.erase(list.begin() + from);
    list.insert(list.begin() + order, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (TWinControl* child : FTabList) {
        list.push_back(child);
        child->GetTabOrderList(list);
    }
}

namespace {

// Hands a notification to the child it comes from as CN_BASE + message;
// false when the child left it unhandled.
bool ReflectToChild(TControl* child, TMessage& Message) {
    const bool saved = t_cnUnhandled;
    t_cnUnhandled = false;
    LRESULT result = 0;
    try {
        result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    } catch (...) {
        t_cnUnhandled = saved;
        throw;
    }
    const bool unhandled = t_cnUnhandled;
    t_cnUnhandled = saved;
    if (unhandled) return false;
    Message.Result = result;
    return true;
}

TShiftState KeyShift() {
    TShiftState s = 0;
    if (::GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (::GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

// True when the window is larger than its client area.
bool HasNonClientArea(HWND window) {
    RECT w{}, c{};
    if (!::GetWindowRect(window, &w) || !::GetClientRect(window, &c)) return true;
    return w.right - w.left != c.right || w.bottom - w.top != c.bottom;
}

}  // namespace

void TWinControl::Dispatch(TMessage& Message) {
    DispatchScope* scope = DispatchScope::Of(this);
    switch (Message.Msg) {
        case WM_COMMAND:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
        case WM_NOTIFY:
        case WM_DRAWITEM: {
            HWND from = nullptr;
            if (Message.Msg == WM_NOTIFY)
                from = Message.LParam ? reinterpret_cast<NMHDR*>(Message.LParam)->hwndFrom : nullptr;
            else if (Message.Msg == WM_DRAWITEM)
                from = Message.WParam && Message.LParam ? reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam)->hwndItem
                                                        : nullptr;
            else
                from = reinterpret_cast<HWND>(Message.LParam);
            TControl* child = FindControl(from);
            if (child && child != this) {
                if (ReflectToChild(child, Message)) return;
                if (Gone(scope)) return;
            }
            break;
        }
        case WM_NCPAINT:
            // A child window of the library's own classes without border or
            // scroll bar has no frame to draw. The default handling would fetch
            // a window device context for nothing: under Wine that is a good
            // part of what a button costs when it is first shown.
            if (!IsStandardControl() && FParent && !HasNonClientArea(FHandle)) {
                Message.Result = 0;
                return;
            }
            break;
        case CM_CREATEHANDLES:
            FCreateHandlesPosted = false;
            CreateChildHandles();
            return;
        case WM_SIZE:
            DefaultHandler(Message);
            ClientSizeChanged();
            return;
        case WM_SETFOCUS:
            if (!dynamic_cast<TForm*>(this))
                if (TForm* form = GetParentForm()) form->FFocusedControl = FHandle;
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (!dynamic_cast<TForm*>(this)) {
                TForm* form = GetParentForm();
                if (form && form->KeyPreview) {
                    WORD key = static_cast<WORD>(Message.WParam);
                    form->KeyDown(key, KeyShift());
                    if (Gone(scope)) return;
                    if (key == 0) {
                        Message.Result = 0;
                        return;
                    }
                    Message.WParam = key;
                }
            }
            break;
        default:
            break;
    }
    TControl::Dispatch(Message);
}

// --- TCustomControl ----------------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

TCustomControl::~TCustomControl() {
    FControlCanvas = nullptr;
    delete FCanvas;
    FCanvas = nullptr;
}

TCanvas* TCustomControl::Canvas() {
    if (!FCanvas) {
        auto* canvas = new TControlCanvas(this);
        FCanvas = canvas;
        FControlCanvas = canvas;
    }
    return FCanvas;
}

void TCustomControl::Paint() {}

void TCustomControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        Canvas();
        {
            TControlCanvas::PaintScope paint(FControlCanvas, FHandle);
            Paint();
        }
        KPROBE_COUNT(kcPaints);
        KPROBE_MOMENT(kpPainted);
        Message.Result = 0;
        return;
    }
    TWinControl::Dispatch(Message);
}
