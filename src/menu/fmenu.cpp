#include "fmenu.h"

#include "f01.h"
#include "g01.h"
#include "kdraw.h"
#include "kdrawmenu.h"
#include "probe.h"
#include "qbtn.h"
#include "qini.h"
#include "s01.h"
#include "s02.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace {

// The menu whose AppDeactivate the application's deactivation event holds,
// so that a menu being deleted can take its handler back.
TKMenu* g_deactivateTarget = nullptr;

// True when the foreground window belongs to this process.
bool ForegroundIsOurs() {
    HWND foreground = ::GetForegroundWindow();
    if (!foreground) return false;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(foreground, &pid);
    return pid == ::GetCurrentProcessId();
}

}  // namespace

TKMenu::TKMenu(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsNone);
    SetCaption(L"KMenu");
    SetFormStyle(fsStayOnTop);
    SetColor(clBtnFace);
    Font()->SetName(L"Tahoma");
    Font()->SetHeight(-11);
    SetBounds(Left(), Top(), 120, 100);  // replaced by the first arrangement
    OnPaint = Bind(this, &TKMenu::FormPaint);
    try {
        Back = new TBitmap();
        Back->SetPixelFormat(pf24bit);
        Saved = new TBitmap();
        Saved->SetPixelFormat(pf24bit);
        Buttons = new TQMenuButtons(this);
        Items = new TQini();
    } catch (...) {
        delete Buttons;
        delete Saved;
        delete Back;
        throw;
    }
}

TKMenu::~TKMenu() {
    if (g_deactivateTarget == this) {
        g_deactivateTarget = nullptr;
        if (Application) Application->OnDeactivate = nullptr;
    }
    delete Buttons;  // and with it every button made
    Buttons = nullptr;
    delete Items;
    Items = nullptr;
    delete Back;
    Back = nullptr;
    delete Saved;
    Saved = nullptr;
}

void TKMenu::CreateParams(TCreateParams& Params) {
    TForm::CreateParams(Params);
    Params.Style &= ~static_cast<DWORD>(WS_BORDER | WS_DLGFRAME);
}

void TKMenu::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_NCHITTEST) {
        WMNCHitTest(Message);
        return;
    }
    TForm::Dispatch(Message);
}

void TKMenu::WMNCHitTest(TMessage& Message) {
    // Only the one-pixel ring is not covered by buttons: it drags the window.
    Message.Result = ::GetAsyncKeyState(VK_LBUTTON) < 0 ? HTCAPTION : HTCLIENT;
    if (Top() < 0) SetTop(0);
}

void TKMenu::FormPaint(TObject* /*Sender*/) { Canvas()->Draw(0, 0, Back); }

void TKMenu::Popup(TKMenu* parent, int x, int y) {
    Application->OnDeactivate = Bind(this, &TKMenu::AppDeactivate);
    g_deactivateTarget = this;
    ParentMenu = parent;
    SetTop(y);
    SetLeft(x);
    // The window is hidden here, so the capture holds no image of it; a copy
    // kept from an earlier showing would show a place or a moment gone by.
    Saved->SetSize(0, 0);
    KPROBE_MOMENT(kpArrangeStart);
    ArrangeWindow();
    KPROBE_MOMENT(kpArrangeEnd);
    DrawItems();
    KPROBE_MOMENT(kpItemsEnd);
    ShowModal();
    if (ModalResult() != mrOK) return;
    if (Kind == 0)
        RunItem(this, Selected);
    else if (Kind == 1)
        DoMenuCommand(ParentMenu, Selected);
}

namespace {

LONG ToLong(long long v) {
    return static_cast<LONG>(std::clamp<long long>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

// A menu taller than the screen, or put left of or above every monitor,
// would have its first items out of reach: its top-left corner is kept on
// the monitor that holds the most of it (the nearest one when none does).
void KeepCornerOnMonitor(TKMenu* menu, int w, int h) {
    const long long left = menu->Left(), top = menu->Top();
    const RECT r{menu->Left(), menu->Top(), ToLong(left + w), ToLong(top + h)};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) return;
    const RECT& m = info.rcMonitor;
    const long long x = std::clamp<long long>(left, m.left, m.right - 1LL);
    const long long y = std::clamp<long long>(top, m.top, m.bottom - 1LL);
    if (x != left) menu->SetLeft(static_cast<int>(x));
    if (y != top) menu->SetTop(static_cast<int>(y));
}

}  // namespace

void TKMenu::ArrangeWindow() {
    // Let what waits to repaint the screen be painted before the capture.
    Application->ProcessMessages();
    const int n = std::max(Items->Count(), 1);
    const int w = MenuSettings->ButtonWidth;
    const int h = n * MenuSettings->ItemHeight + 2;
    Back->SetSize(w, h);
    // The edges are compared in 64 bits: a point near the end of the int
    // range must be pulled onto the screen, not wrap round past it.
    const long long cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    if (static_cast<long long>(Left()) + w > cx) SetLeft(static_cast<int>(cx - w));
    if (static_cast<long long>(Top()) + h > cy) SetTop(static_cast<int>(cy - h));
    KeepCornerOnMonitor(this, w, h);
    KDrawCaptureScreen(this, Back);
    RestoreBackground();
    KDrawBlur(Back);
    KDrawDarken(Back, 100, 100, 100);
    KDrawMenuFrame(Back);
    SetHeight(h);
    SetWidth(w);
    // The whole picture changed, not only what a size change uncovers.
    if (HandleAllocated()) Invalidate();
}

void TKMenu::RestoreBackground() {
    if (Saved->Width() > 0) Back->Canvas()->Draw(0, 0, Saved);
    Saved->SetSize(Back->Width(), Back->Height());
    Saved->Canvas()->Draw(0, 0, Back);
}

void TKMenu::DrawItems() {
    const int count = Items->Count();
    // Items often name the same program: the shell is asked once for each.
    TIconLookups lookups;
    for (int i = 0; i < count; ++i) DrawItem(i);
}

void TKMenu::DrawItem(int i) {
    TKVar caption = Items->GetField(i, 1);
    TKVar path = Items->GetField(i, 2);
    if (caption.Length() == 0) caption = path;
    TKVar shown = *caption.FirstLine(50);
    TColor background = MenuSettings->ButtonColor;
    if (MenuSettings->ColorMode == 3) {
        const TColor under = Back->Canvas()->Pixel(8, MenuSettings->ItemHeight * i + 8);
        if (under != static_cast<TColor>(CLR_INVALID)) background = under;
    }
    auto icon = std::make_unique<TBitmap>();
    DrawFileIcon(icon.get(), path.c_str(), kIconSmall, background);
    Buttons->SetButton(i, icon.get(), shown, Back);
}

void TKMenu::AppDeactivate(TObject* /*Sender*/) {
    // The system may report a loss of activation late: the one that came
    // when a menu shown first closed can arrive after the next menu was
    // popped up. It must not disarm a menu that is not on the screen yet,
    // nor close one that has the activation again.
    bool showing = false;
    for (TKMenu* menu = this; menu && !showing; menu = menu->ParentMenu) {
        showing = menu->Modal();
        if (menu->ParentMenu == this) break;
    }
    if (!showing || ForegroundIsOurs()) return;
    Application->OnDeactivate = nullptr;
    if (g_deactivateTarget == this) g_deactivateTarget = nullptr;
    for (TKMenu* menu = ParentMenu; menu; menu = menu->ParentMenu) {
        menu->SetModalResult(mrCancel);
        if (menu->ParentMenu == this) break;  // never loop on a chain that points back
    }
    SetModalResult(mrCancel);
}

void TKMenu::AddItem(TKVar caption, TKVar path) {
    const int i = Items->AddLine(L"");
    Items->SetField(i, 1, caption);
    Items->SetField(i, 2, path);
}

void TKMenu::LoadItems(TQini* store) {
    Items->List()->Clear();
    for (int k = 0; k < 50; ++k) {
        TKVar& value = store->ReadValue((UnicodeString(L"B") + IntToStr(k)).c_str());
        if (value.Length() > 0) Items->AddLine(value);
    }
    if (Items->Count() == 0) AddItem(L"", L"");
}
