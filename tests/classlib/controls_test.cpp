// The window core of the class library driven for real: forms and controls
// with their windows, real mouse and keyboard input, modal loops, the
// application's message loop, activation and exception handling.
#include <gtest/gtest.h>

#include "desktop.h"
#include "extctrls.h"
#include "forms.h"
#include "menus.h"

#include <commctrl.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using testdesk::WaitUntil;

namespace {

// Handles the application's messages until cond holds or the time is up.
bool Pump(const std::function<bool()>& cond, int timeoutMs = 5000) {
    return WaitUntil(
        [&] {
            Application->ProcessMessages();
            return cond();
        },
        timeoutMs, false);
}

// Handles what is queued now: a posted marker comes back through the loop.
void Settle() {
    bool seen = false;
    Application->PostJob([&] { seen = true; });
    Pump([&] { return seen; });
    Application->ProcessMessages();
}

POINT CenterOf(HWND hwnd) {
    RECT r = testdesk::ScreenRect(hwnd);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT ScreenPoint(TControl* control, int x, int y) { return control->ClientToScreen(POINT{x, y}); }

void SendMouse(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

std::string Narrow(const std::wstring& s) { return testdesk::Narrow(s); }

// Runs steps one after the other from a thread timer, so that they run inside
// whatever message loop is active (modal ones included). After the time-out
// the application is terminated, which ends every loop of the test.
class StepDriver {
public:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> action;
    };
    std::vector<Step> steps;
    size_t next = 0;
    bool timedOut = false;

    void Add(std::function<bool()> ready, std::function<void()> action) {
        steps.push_back({std::move(ready), std::move(action)});
    }
    void Start(int timeoutMs = 15000) {
        Current() = this;
        deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
        timer = SetTimer(nullptr, 0, 20, &StepDriver::Tick);
    }
    ~StepDriver() {
        if (timer) KillTimer(nullptr, timer);
        if (Current() == this) Current() = nullptr;
    }
    bool Done() const { return next == steps.size(); }

private:
    static StepDriver*& Current() {
        static StepDriver* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        StepDriver* d = Current();
        if (!d || d->running) return;
        if (d->Done()) return;
        if (GetTickCount64() > d->deadline) {
            d->timedOut = true;
            d->next = d->steps.size();
            Application->Terminate();
            return;
        }
        Step& s = d->steps[d->next];
        if (!s.ready()) return;
        ++d->next;
        d->running = true;  // an action may run a modal loop of its own
        s.action();
        d->running = false;
    }
    UINT_PTR timer = 0;
    ULONGLONG deadline = 0;
    bool running = false;
};

bool ShownAndActive(TForm* form) {
    return form->HandleAllocated() && IsWindowVisible(form->Handle()) && GetActiveWindow() == form->Handle();
}

// A custom control that logs its mouse events, clicks and library messages.
class TProbe : public TCustomControl {
public:
    explicit TProbe(TComponent* owner) : TCustomControl(owner) {
        OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int, int) {
            log.push_back("down:" + Name(b) + ((s & ssDouble) ? ":double" : ""));
        };
        OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
            lastUp = POINT{x, y};
            log.push_back("up:" + Name(b));
        };
        OnClick = [this](TObject*) { log.push_back("click"); };
    }
    std::vector<std::string> log;
    POINT lastUp{};
    UINT swallow = 0;  // a message this control keeps from its base
    int paints = 0;
    TColor paintColor = clRed;

    void Dispatch(TMessage& m) override {
        switch (m.Msg) {
            case CM_MOUSEENTER: log.push_back("enter"); break;
            case CM_MOUSELEAVE: log.push_back("leave"); break;
            case CM_ENABLEDCHANGED: log.push_back("cm:enabled"); break;
            case CM_FONTCHANGED: log.push_back("cm:font"); break;
            case CM_TEXTCHANGED: log.push_back("cm:text"); break;
            case CM_COLORCHANGED: log.push_back("cm:color"); break;
            default: break;
        }
        if (swallow && m.Msg == swallow) {
            log.push_back("swallowed");
            m.Result = 0;
            return;
        }
        TCustomControl::Dispatch(m);
    }
    HWND ToolTip() const { return FToolTip; }
    bool MouseIn() const { return FMouseInControl; }

protected:
    void Paint() override {
        ++paints;
        Canvas()->Brush()->Color = paintColor;
        Canvas()->FillRect(ClientRect());
    }

private:
    static std::string Name(TMouseButton b) { return b == mbLeft ? "L" : b == mbRight ? "R" : "M"; }
};

// A minimal edit control of the system's EDIT class, made the library's way.
class TTestEdit : public TWinControl {
public:
    explicit TTestEdit(TComponent* owner) : TWinControl(owner) {
        FColor = clWindow;
        FTabStop = true;
        SetBounds(0, 0, 120, 24);
    }
    int changes = 0;
    int setFocusNotes = 0;
    std::vector<WORD> keys;

    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_KEYDOWN) keys.push_back(static_cast<WORD>(m.WParam));
        if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE) {
            ++changes;
            return;
        }
        if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_SETFOCUS) ++setFocusNotes;  // left to the base
        TWinControl::Dispatch(m);
    }

protected:
    void CreateParams(TCreateParams& p) override {
        TWinControl::CreateParams(p);
        p.SubclassOf = L"EDIT";
        p.Style |= ES_AUTOHSCROLL;
        p.ExStyle |= WS_EX_CLIENTEDGE;
    }
};

// A popup menu that records where it was asked to pop up instead of showing.
class TRecordingPopup : public TPopupMenu {
public:
    using TPopupMenu::TPopupMenu;
    std::vector<POINT> points;
    std::vector<TControl*> components;
    void Popup(int X, int Y) override {
        points.push_back(POINT{X, Y});
        components.push_back(PopupComponent());
    }
};

// A form whose parameters lose the caption and gain the tool-window style,
// and whose create handler checks what exists when it runs.
class TFCreateOrder : public TForm {
public:
    explicit TFCreateOrder(TComponent* owner) : TForm(owner) {
        SetBorderStyle(bsDialog);  // a popup: overlapped windows always get a caption
        SetBounds(100, 100, 300, 200);
        OnCreate = Bind(this, &TFCreateOrder::FormCreate);
    }
    static TFCreateOrder* Global;
    static std::function<void(TFCreateOrder*)> Hook;
    bool globalWasSet = false, hadWindow = false, wasVisible = true;
    std::wstring classAtCreate;

protected:
    void CreateParams(TCreateParams& p) override {
        TForm::CreateParams(p);
        p.Style &= ~static_cast<DWORD>(WS_CAPTION);
        p.ExStyle |= WS_EX_TOOLWINDOW;
    }

private:
    void FormCreate(TObject*) {
        globalWasSet = Global == this;
        hadWindow = HandleAllocated() && IsWindow(Handle());
        if (hadWindow) {
            classAtCreate = testdesk::ClassOf(Handle());
            wasVisible = IsWindowVisible(Handle()) != 0;
        }
        if (Hook) Hook(this);
    }
};
TFCreateOrder* TFCreateOrder::Global = nullptr;
std::function<void(TFCreateOrder*)> TFCreateOrder::Hook;

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Every test starts with an application of its own and no quit pending.
        delete Application;
        Application = new TApplication();
        MSG m;
        while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        Application->Initialize();
        Application->OnException = [this](TObject* sender, const std::exception& e) {
            exceptions.push_back(e.what());
            senders.push_back(sender);
        };
        testdesk::MoveMouse(5, 1000);
    }
    void TearDown() override {
        delete Application;
        Application = new TApplication();
        MSG m;
        while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    // A shown, active main form at (100, 100) with client size 400 x 300.
    TForm* MainForm() {
        TForm* form = nullptr;
        Application->CreateForm(&form);
        form->SetBorderStyle(bsSingle);
        form->SetBounds(100, 100, 10, 10);
        form->SetClientWidth(400);
        form->SetClientHeight(300);
        form->Show();
        testdesk::Activate(form->Handle());
        return form;
    }

    TProbe* ProbeOn(TWinControl* parent, int x, int y, int w = 120, int h = 60) {
        auto* probe = new TProbe(parent);
        probe->SetBounds(x, y, w, h);
        probe->SetParent(parent);
        probe->HandleNeeded();
        return probe;
    }

    TForm* Dialog(int x, int y) {
        auto* dialog = new TForm(Application);
        dialog->SetBorderStyle(bsDialog);
        dialog->SetBounds(x, y, 10, 10);
        dialog->SetClientWidth(260);
        dialog->SetClientHeight(160);
        return dialog;
    }

    std::vector<std::string> exceptions;
    std::vector<TObject*> senders;
};

// --- form creation -------------------------------------------------------------

TEST_F(WindowTest, CreateFormAssignsTheGlobalAndMakesTheWindowBeforeOnCreate) {
    Application->CreateForm(&TFCreateOrder::Global);
    TFCreateOrder* form = TFCreateOrder::Global;
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->globalWasSet);
    EXPECT_TRUE(form->hadWindow);
    EXPECT_FALSE(form->wasVisible);
    EXPECT_EQ(form->classAtCreate, L"TFCreateOrder");
    EXPECT_EQ(Application->MainForm(), form);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(form->Handle(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(form->Handle(), GWL_EXSTYLE));
    EXPECT_EQ(style & WS_CAPTION, 0u) << "the override of CreateParams took effect";
    EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0u);

    // Run shows the main form, then loops until Terminate.
    bool visibleInLoop = false;
    Application->PostJob([&] {
        visibleInLoop = IsWindowVisible(form->Handle()) != 0;
        Application->Terminate();
    });
    Application->Run();
    EXPECT_TRUE(visibleInLoop);
    EXPECT_TRUE(Application->Terminated());
    TFCreateOrder::Global = nullptr;
}

TEST_F(WindowTest, RunReturnsAtOnceWhenTheCreateHandlerTerminated) {
    TFCreateOrder::Hook = [](TFCreateOrder*) { Application->Terminate(); };
    Application->ShowMainForm = true;
    Application->CreateForm(&TFCreateOrder::Global);
    TFCreateOrder::Hook = nullptr;
    TFCreateOrder* form = TFCreateOrder::Global;
    const ULONGLONG start = GetTickCount64();
    Application->Run();
    EXPECT_LT(GetTickCount64() - start, 3000u);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(IsWindowVisible(form->Handle())) << "a terminated program never shows its main form";
    TFCreateOrder::Global = nullptr;
}

TEST_F(WindowTest, ControlWindowsAreMadeWhenNeededWithTheirClassNames) {
    TForm* form = MainForm();
    // A control placed on a form that has a window gets its own soon after.
    auto* late = new TProbe(form);
    late->SetBounds(10, 10, 50, 20);
    late->SetCaption(L"late");
    late->SetParent(form);
    EXPECT_FALSE(late->HandleAllocated()) << "no window inside the constructor or at placing";
    Pump([&] { return late->HandleAllocated(); });
    ASSERT_TRUE(late->HandleAllocated());
    EXPECT_EQ(testdesk::ClassOf(late->Handle()), L"TProbe");
    EXPECT_EQ(GetParent(late->Handle()), form->Handle());
    EXPECT_EQ(testdesk::TextOf(late->Handle()), L"late");
    EXPECT_EQ(testdesk::ScreenRect(late->Handle()).right - testdesk::ScreenRect(late->Handle()).left, 50);

    // Children of a form without a window are made with it; a hidden one
    // when it is shown, or when its handle is asked for.
    auto* other = new TForm(Application);
    auto* panel = new TWinControl(other);
    panel->SetParent(other);
    panel->SetBounds(5, 5, 100, 80);
    auto* inner = new TProbe(other);
    inner->SetParent(panel);
    inner->SetVisible(false);
    auto* asked = new TProbe(other);
    asked->SetParent(other);
    asked->Hide();
    other->HandleNeeded();
    EXPECT_TRUE(panel->HandleAllocated());
    EXPECT_FALSE(inner->HandleAllocated()) << "a hidden control has no window yet";
    EXPECT_FALSE(asked->HandleAllocated());
    Settle();
    EXPECT_FALSE(inner->HandleAllocated()) << "nor after the queued messages";
    inner->Show();
    ASSERT_TRUE(inner->HandleAllocated());
    EXPECT_EQ(GetParent(inner->Handle()), panel->Handle());
    EXPECT_TRUE(GetWindowLongW(inner->Handle(), GWL_STYLE) & WS_VISIBLE);
    ASSERT_NE(asked->Handle(), nullptr);
    EXPECT_EQ(GetParent(asked->Handle()), other->Handle());
    EXPECT_FALSE(GetWindowLongW(asked->Handle(), GWL_STYLE) & WS_VISIBLE);
    // Handle() asks for the window on demand.
    auto* direct = new TProbe(other);
    direct->SetParent(other);
    EXPECT_NE(direct->Handle(), nullptr);
    // Deleting a control removes it from its parent and destroys its window.
    HWND innerWindow = inner->Handle();
    delete inner;
    EXPECT_FALSE(IsWindow(innerWindow));
    EXPECT_EQ(panel->ControlCount(), 0);
    delete other;
}

TEST_F(WindowTest, AControlShownLaterTakesItsPlaceInTheWindowOrder) {
    // The windows' order among siblings is the Tab order: a window made late
    // for a hidden control goes where the control stands in its parent's list.
    auto* form = new TForm(Application);
    std::vector<TProbe*> probes;
    for (int i = 0; i < 4; ++i) {
        auto* p = new TProbe(form);
        p->SetBounds(10 + 30 * i, 10, 20, 20);
        p->SetParent(form);
        probes.push_back(p);
    }
    probes[0]->Hide();
    probes[2]->Hide();
    form->HandleNeeded();
    auto order = [&] {
        std::vector<int> seen;
        for (HWND w = GetWindow(form->Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            for (int i = 0; i < 4; ++i)
                if (probes[i]->HandleAllocated() && probes[i]->Handle() == w) seen.push_back(i);
        return seen;
    };
    EXPECT_EQ(order(), (std::vector<int>{1, 3}));
    probes[2]->Show();
    EXPECT_EQ(order(), (std::vector<int>{1, 2, 3}));
    probes[0]->Show();
    EXPECT_EQ(order(), (std::vector<int>{0, 1, 2, 3}));
    delete form;
}

TEST_F(WindowTest, FormPropertiesReachTheWindow) {
    struct Case {
        TFormBorderStyle border;
        TFormStyle style;
        DWORD styleOn, styleOff, exOn;
    };
    const Case cases[] = {
        {bsNone, fsStayOnTop, WS_POPUP, WS_CAPTION | WS_THICKFRAME, WS_EX_TOPMOST},
        {bsDialog, fsNormal, WS_CAPTION, WS_THICKFRAME, WS_EX_DLGMODALFRAME},
        {bsSizeable, fsNormal, WS_CAPTION | WS_THICKFRAME, 0, 0},
    };
    for (const Case& c : cases) {
        auto* form = new TForm(Application);
        form->SetBorderStyle(c.border);
        form->SetFormStyle(c.style);
        form->SetCaption(L"props");
        form->SetClientWidth(200);  // before the window exists
        form->SetClientHeight(120);
        form->SetPosition(poScreenCenter);
        form->Show();
        HWND h = form->Handle();
        const DWORD style = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
        const DWORD ex = static_cast<DWORD>(GetWindowLongW(h, GWL_EXSTYLE));
        EXPECT_EQ(style & c.styleOn, c.styleOn) << c.border;
        EXPECT_EQ(style & c.styleOff, 0u) << c.border;
        EXPECT_EQ(ex & c.exOn, c.exOn) << c.border;
        RECT client{};
        GetClientRect(h, &client);
        EXPECT_EQ(client.right, 200) << c.border;
        EXPECT_EQ(client.bottom, 120) << c.border;
        RECT r = testdesk::ScreenRect(h);
        EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1) << c.border;
        EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1) << c.border;
        EXPECT_EQ(form->Left(), r.left);
        EXPECT_EQ(testdesk::TextOf(h), L"props");
        // A client size set on the window.
        form->SetClientWidth(220);
        GetClientRect(h, &client);
        EXPECT_EQ(client.right, 220);
        EXPECT_EQ(form->ClientWidth(), 220);
        delete form;
    }
}

// The client size a control reports before its window exists is the one its
// window gets, framed or not.
TEST_F(WindowTest, TheClientSizeBeforeTheWindowIsTheWindowsClientSize) {
    TForm* form = MainForm();
    struct Case {
        const char* what;
        std::function<TControl*()> make;
    };
    const Case cases[] = {
        {"frameless custom control", [&] { return new TProbe(form); }},
        {"edit with a client edge", [&] { return new TTestEdit(form); }},
        {"borderless form", [&] {
             auto* f = new TForm(Application);
             f->SetBorderStyle(bsNone);
             return f;
         }},
        {"single-border form", [&] {
             auto* f = new TForm(Application);
             f->SetBorderStyle(bsSingle);
             return f;
         }},
        {"dialog form", [&] {
             auto* f = new TForm(Application);
             f->SetBorderStyle(bsDialog);
             return f;
         }},
    };
    for (const Case& c : cases) {
        TControl* control = c.make();
        if (!dynamic_cast<TForm*>(control)) control->SetParent(form);
        control->SetBounds(20, 30, 150, 90);
        ASSERT_FALSE(control->HandleAllocated()) << c.what;
        const int w = control->ClientWidth(), h = control->ClientHeight();
        RECT client{};
        ASSERT_TRUE(GetClientRect(control->Handle(), &client)) << c.what;
        EXPECT_EQ(w, client.right) << c.what;
        EXPECT_EQ(h, client.bottom) << c.what;
        delete control;
    }
}

TEST_F(WindowTest, FormsEraseWithTheirColourAndPaintThroughTheirCanvas) {
    TForm* form = MainForm();
    form->SetColor(clBlue);
    int paints = 0;
    form->OnPaint = [&](TObject*) {
        ++paints;
        form->Canvas()->Brush()->Color = clLime;
        form->Canvas()->FillRect(RECT{0, 0, 20, 20});
    };
    TProbe* probe = ProbeOn(form, 200, 150);
    probe->paintColor = clYellow;
    form->Repaint();
    probe->Repaint();
    Pump([&] { return paints > 0 && probe->paints > 0; });
    POINT empty = ScreenPoint(form, 100, 250), painted = ScreenPoint(form, 5, 5), inProbe = ScreenPoint(probe, 10, 10);
    EXPECT_EQ(testdesk::ScreenPixel(empty.x, empty.y), RGB(0, 0, 255));
    EXPECT_EQ(testdesk::ScreenPixel(painted.x, painted.y), RGB(0, 255, 0));
    EXPECT_EQ(testdesk::ScreenPixel(inProbe.x, inProbe.y), RGB(255, 255, 0));
    // The canvas outside a paint draws on a window DC.
    probe->Canvas()->SetPixel(3, 3, clRed);
    EXPECT_EQ(probe->Canvas()->Pixel(3, 3), static_cast<TColor>(RGB(255, 0, 0)));
    Application->ProcessMessages();  // releases the window DC
}

// --- mouse ---------------------------------------------------------------------

TEST_F(WindowTest, LeftClicksRightAndMiddleButtons) {
    TForm* form = MainForm();
    TProbe* probe = ProbeOn(form, 50, 50, 200, 100);
    struct Case {
        const char* name;
        std::function<void(POINT)> input;
        std::vector<std::string> expected;
    };
    // Each case works at its own point, so that no two presses make a double click.
    const Case cases[] = {
        {"press and release inside", [](POINT p) { testdesk::LeftClick(p.x, p.y); }, {"down:L", "click", "up:L"}},
        {"release outside",
         [&](POINT p) {
             testdesk::MoveMouse(p.x, p.y);
             testdesk::LeftDown();
             // Input goes where the capture is when it is queued: wait for the press.
             Pump([&] { return GetCapture() == probe->Handle(); });
             testdesk::MoveMouse(p.x + 300, p.y + 120);
             testdesk::LeftUp();
         },
         {"down:L", "up:L"}},
        {"double click",
         [](POINT p) { testdesk::DoubleClick(p.x, p.y); },
         {"down:L", "click", "up:L", "down:L:double", "up:L"}},
        {"right button", [](POINT p) { testdesk::RightClick(p.x, p.y); }, {"down:R", "up:R"}},
        {"middle button",
         [](POINT p) {
             testdesk::MoveMouse(p.x, p.y);
             SendMouse(MOUSEEVENTF_MIDDLEDOWN);
             SendMouse(MOUSEEVENTF_MIDDLEUP);
         },
         {"down:M", "up:M"}},
    };
    int i = 0;
    for (const Case& c : cases) {
        POINT p = ScreenPoint(probe, 20 + 35 * i, 20 + 15 * (i % 2));
        ++i;
        testdesk::MoveMouse(p.x, p.y);
        Pump([&] { return probe->MouseIn(); });
        probe->log.clear();
        c.input(p);
        const std::string last = c.expected.back();
        const size_t count = c.expected.size();
        Pump([&] {
            std::vector<std::string> buttons;
            for (auto& e : probe->log)
                if (e != "enter" && e != "leave") buttons.push_back(e);
            return buttons.size() >= count && buttons.back() == last;
        });
        Settle();
        std::vector<std::string> buttons;
        for (auto& e : probe->log)
            if (e != "enter" && e != "leave") buttons.push_back(e);
        EXPECT_EQ(buttons, c.expected) << c.name;
        EXPECT_EQ(GetCapture(), nullptr) << c.name;
    }
    // The release outside reported its position in the control's coordinates.
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(WindowTest, TheLeftButtonCapturesTheMouseUntilItsRelease) {
    TForm* form = MainForm();
    TProbe* probe = ProbeOn(form, 50, 50, 200, 100);
    POINT p = ScreenPoint(probe, 30, 30);
    testdesk::MoveMouse(p.x, p.y);
    testdesk::LeftDown();
    Pump([&] { return !probe->log.empty() && probe->log.back() == "down:L"; });
    EXPECT_EQ(GetCapture(), probe->Handle());
    testdesk::MoveMouse(p.x + 400, p.y + 300);  // outside the form as well
    testdesk::LeftUp();
    Pump([&] { return probe->log.back() == "up:L"; });
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(probe->lastUp.x, 30 + 400);
    EXPECT_EQ(probe->lastUp.y, 30 + 300);
    EXPECT_EQ(std::count(probe->log.begin(), probe->log.end(), "click"), 0);
}

TEST_F(WindowTest, MouseEnterAndLeaveArriveThroughDispatch) {
    TForm* form = MainForm();
    TProbe* probe = ProbeOn(form, 50, 50, 100, 60);
    POINT inside = ScreenPoint(probe, 50, 30), outside = ScreenPoint(form, 300, 250);
    testdesk::MoveMouse(outside.x, outside.y);
    Settle();
    probe->log.clear();
    testdesk::MoveMouse(inside.x, inside.y);
    ASSERT_TRUE(Pump([&] { return probe->log == std::vector<std::string>{"enter"}; }));
    testdesk::MoveMouse(inside.x + 5, inside.y + 5);  // moving within: no second enter
    testdesk::MoveMouse(outside.x, outside.y);
    ASSERT_TRUE(Pump([&] { return probe->log.size() >= 2; }));
    EXPECT_EQ(probe->log, (std::vector<std::string>{"enter", "leave"}));
    testdesk::MoveMouse(inside.x, inside.y);
    EXPECT_TRUE(Pump([&] { return probe->log.size() == 3 && probe->log.back() == "enter"; }));
}

TEST_F(WindowTest, AnOverrideThatHandlesAMessageKeepsItFromTheBase) {
    TForm* form = MainForm();
    TProbe* probe = ProbeOn(form, 50, 50, 100, 60);
    probe->swallow = WM_LBUTTONDOWN;
    POINT p = ScreenPoint(probe, 40, 20);
    testdesk::MoveMouse(p.x, p.y);
    testdesk::LeftDown();
    Pump([&] { return std::count(probe->log.begin(), probe->log.end(), "swallowed") == 1; });
    EXPECT_NE(GetCapture(), probe->Handle()) << "the base never saw the press";
    testdesk::LeftUp();
    Pump([&] { return !probe->log.empty() && probe->log.back() == "up:L"; });
    EXPECT_EQ(std::count(probe->log.begin(), probe->log.end(), "down:L"), 0);
    EXPECT_EQ(std::count(probe->log.begin(), probe->log.end(), "click"), 0) << "no press, no click";
    // A library message swallowed the same way: the window stays enabled.
    probe->swallow = CM_ENABLEDCHANGED;
    probe->SetEnabled(false);
    EXPECT_FALSE(probe->Enabled());
    EXPECT_TRUE(IsWindowEnabled(probe->Handle()));
}

TEST_F(WindowTest, APopupMenuPopsUpAtTheRightClickOrPassesItOn) {
    TForm* form = MainForm();
    auto* own = new TRecordingPopup(form);
    auto* formMenu = new TRecordingPopup(form);
    TProbe* withMenu = ProbeOn(form, 20, 20, 100, 50);
    TProbe* without = ProbeOn(form, 20, 120, 100, 50);
    withMenu->SetPopupMenu(own);
    form->SetPopupMenu(formMenu);
    POINT p = ScreenPoint(withMenu, 30, 20);
    testdesk::RightClick(p.x, p.y);
    ASSERT_TRUE(Pump([&] { return own->points.size() == 1; }));
    EXPECT_EQ(own->points[0].x, p.x);
    EXPECT_EQ(own->points[0].y, p.y);
    EXPECT_EQ(own->components[0], withMenu);
    // From the keyboard (-1, -1): at the control's top-left corner.
    SendMessageW(withMenu->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(withMenu->Handle()), -1);
    ASSERT_EQ(own->points.size(), 2u);
    POINT corner = ScreenPoint(withMenu, 0, 0);
    EXPECT_EQ(own->points[1].x, corner.x);
    EXPECT_EQ(own->points[1].y, corner.y);
    // A control without a menu passes the click on to its parent's.
    POINT q = ScreenPoint(without, 40, 25);
    testdesk::RightClick(q.x, q.y);
    ASSERT_TRUE(Pump([&] { return formMenu->points.size() == 1; }));
    EXPECT_EQ(formMenu->components[0], form);
    EXPECT_EQ(own->points.size(), 2u);
}

// --- properties and library messages ---------------------------------------

TEST_F(WindowTest, SettersSendTheirLibraryMessages) {
    TForm* form = MainForm();
    TProbe* probe = ProbeOn(form, 10, 10);
    struct Case {
        const char* name;
        std::function<void()> change;
        std::string message;
        std::function<bool()> applied;
    };
    const Case cases[] = {
        {"disable", [&] { probe->SetEnabled(false); }, "cm:enabled",
         [&] { return !IsWindowEnabled(probe->Handle()); }},
        {"enable", [&] { probe->SetEnabled(true); }, "cm:enabled", [&] { return IsWindowEnabled(probe->Handle()) != 0; }},
        {"caption", [&] { probe->SetCaption(L"Caption"); }, "cm:text",
         [&] { return testdesk::TextOf(probe->Handle()) == L"Caption" && probe->Caption() == L"Caption"; }},
        {"font", [&] { probe->Font()->SetSize(14); }, "cm:font",
         [&] { return probe->Font()->Size() == 14 && !probe->ParentFont(); }},
        {"colour", [&] { probe->SetColor(clRed); }, "cm:color", [&] { return probe->Color() == clRed; }},
    };
    for (const Case& c : cases) {
        probe->log.clear();
        c.change();
        EXPECT_EQ(probe->log, std::vector<std::string>{c.message}) << c.name;
        EXPECT_TRUE(c.applied()) << c.name;
    }
    // Setting what is already set sends nothing.
    probe->log.clear();
    probe->SetEnabled(true);
    probe->SetCaption(L"Caption");
    probe->SetColor(clRed);
    EXPECT_TRUE(probe->log.empty());
}

TEST_F(WindowTest, ParentFontFollowsTheParentUntilTheFontIsSetDirectly) {
    auto* form = new TForm(Application);
    form->Font()->SetName(L"Arial");
    form->Font()->SetSize(11);
    auto* panel = new TWinControl(form);
    panel->SetParent(form);
    auto* follower = new TProbe(form);
    follower->SetParent(panel);
    auto* own = new TProbe(form);
    own->SetParent(panel);
    EXPECT_EQ(follower->Font()->Name(), L"Arial") << "takes the parent's font when placed";
    EXPECT_EQ(follower->Font()->Size(), 11);
    own->Font()->SetName(L"Courier New");
    EXPECT_FALSE(own->ParentFont());
    EXPECT_TRUE(follower->ParentFont());
    follower->log.clear();
    form->Font()->SetName(L"Times New Roman");
    EXPECT_EQ(panel->Font()->Name(), L"Times New Roman");
    EXPECT_EQ(follower->Font()->Name(), L"Times New Roman") << "through the panel";
    EXPECT_EQ(follower->log, std::vector<std::string>{"cm:font"});
    EXPECT_TRUE(follower->ParentFont());
    EXPECT_EQ(own->Font()->Name(), L"Courier New");
    own->SetParentFont(true);
    EXPECT_EQ(own->Font()->Name(), L"Times New Roman");
    delete form;
}

TEST_F(WindowTest, AnchoredControlsKeepTheirDistanceToTheRightAndBottomEdges) {
    auto* form = new TForm(Application);
    form->SetBorderStyle(bsSizeable);
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    auto* corner = new TProbe(form);
    corner->SetBounds(200, 150, 80, 30);
    corner->SetAnchors(akRight | akBottom);
    corner->SetParent(form);
    auto* stretched = new TProbe(form);
    stretched->SetBounds(10, 10, 280, 20);
    stretched->SetAnchors(akLeft | akTop | akRight);
    stretched->SetParent(form);
    auto* fixed = new TProbe(form);
    fixed->SetBounds(10, 50, 40, 40);
    fixed->SetParent(form);
    // Before the window exists.
    form->SetClientWidth(400);
    form->SetClientHeight(260);
    EXPECT_EQ(corner->Left(), 300);
    EXPECT_EQ(corner->Top(), 210);
    EXPECT_EQ(stretched->Width(), 380);
    EXPECT_EQ(fixed->Left(), 10);
    // With the window: the windows move too.
    form->Show();
    form->SetClientWidth(350);
    form->SetClientHeight(240);
    EXPECT_EQ(corner->Left(), 250);
    EXPECT_EQ(corner->Top(), 190);
    EXPECT_EQ(stretched->Width(), 330);
    RECT r = testdesk::ScreenRect(corner->Handle());
    POINT topLeft = ScreenPoint(form, 250, 190);
    EXPECT_EQ(r.left, topLeft.x);
    EXPECT_EQ(r.top, topLeft.y);
    EXPECT_EQ(fixed->Left(), 10);
    EXPECT_EQ(fixed->Top(), 50);
    delete form;
}

TEST_F(WindowTest, AHintShowsInATooltipOverTheControl) {
    TForm* form = MainForm();
    TProbe* probe = ProbeOn(form, 40, 40, 120, 50);
    probe->SetHint(L"Folder or file");
    EXPECT_EQ(probe->ToolTip(), nullptr) << "no tooltip while ShowHint is off";
    probe->SetShowHint(true);
    HWND tip = probe->ToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(testdesk::ClassOf(tip), TOOLTIPS_CLASSW);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    POINT p = ScreenPoint(probe, 60, 25);
    testdesk::MoveMouse(p.x, p.y);
    testdesk::MoveMouse(p.x + 1, p.y);
    EXPECT_TRUE(Pump([&] { return IsWindowVisible(tip) && testdesk::TextOf(tip) == L"Folder or file"; }, 8000));
    probe->SetShowHint(false);
    EXPECT_EQ(probe->ToolTip(), nullptr);
    EXPECT_FALSE(IsWindow(tip));
}

// --- standard controls ---------------------------------------------------------

TEST_F(WindowTest, AStandardControlGetsItsNotificationsReflected) {
    TForm* form = MainForm();
    auto* edit = new TTestEdit(form);
    edit->SetBounds(20, 20, 200, 24);
    edit->SetParent(form);
    auto* second = new TTestEdit(form);
    second->SetBounds(20, 60, 200, 24);
    second->SetParent(form);
    edit->Font()->SetName(L"Arial");
    HWND h = edit->Handle();
    EXPECT_EQ(testdesk::ClassOf(h), L"TTestEdit");
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), edit->Font()->Handle());

    edit->SetFocus();
    EXPECT_EQ(edit->setFocusNotes, 1) << "an unhandled notification goes on to the base";
    testdesk::TypeText(L"abc");
    ASSERT_TRUE(Pump([&] { return edit->changes == 3; }));
    EXPECT_EQ(edit->Caption(), L"abc") << "the text is read back from the window";
    EXPECT_EQ(edit->Text(), L"abc");

    // Tab moves between the tab stops of the active form.
    testdesk::PressKey(VK_TAB);
    EXPECT_TRUE(Pump([&] { return GetFocus() == second->Handle(); }));

    // The control's colours, through the reflected WM_CTLCOLOREDIT.
    edit->SetColor(clRed);
    edit->Repaint();
    Settle();
    POINT p = ScreenPoint(edit, edit->ClientWidth() - 4, edit->ClientHeight() / 2);
    EXPECT_EQ(testdesk::ScreenPixel(p.x, p.y), RGB(255, 0, 0));
}

TEST_F(WindowTest, TabFollowsTheTabOrderNotTheOrderOfTheWindows) {
    TForm* form = MainForm();
    auto place = [](TWinControl* control, TWinControl* parent, int left, int top) {
        control->SetParent(parent);
        control->SetBounds(left, top, control->Width(), control->Height());
    };
    // A box made before the panel whose edge it lies over, two edits on the
    // panel, one after it.
    auto* box = new TTestEdit(form);
    place(box, form, 20, 10);
    auto* panel = new TPanel(form);
    place(panel, form, 10, 20);
    panel->SetBounds(10, 20, 300, 100);
    auto* first = new TTestEdit(form);
    place(first, panel, 10, 20);
    auto* second = new TTestEdit(form);
    place(second, panel, 10, 60);
    auto* last = new TTestEdit(form);
    place(last, form, 20, 150);
    EXPECT_EQ(box->TabOrder(), 0);
    EXPECT_EQ(last->TabOrder(), 2);
    box->SetTabOrder(panel->TabOrder());
    EXPECT_EQ(panel->TabOrder(), 0);
    EXPECT_EQ(box->TabOrder(), 1);
    EXPECT_EQ(last->TabOrder(), 2);
    EXPECT_EQ(first->TabOrder(), 0);  // among the panel's controls
    std::vector<TWinControl*> list;
    form->GetTabOrderList(list);
    EXPECT_EQ(list, (std::vector<TWinControl*>{panel, first, second, box, last}));
    // The windows keep the order they were made in: the box lies over the panel.
    Settle();
    EXPECT_EQ(ChildWindowFromPointEx(form->Handle(), POINT{30, 25}, CWP_ALL), box->Handle());

    // Tab and Shift+Tab, round the end; a disabled control is passed over.
    second->SetEnabled(false);
    first->SetFocus();
    std::vector<TWinControl*> seen;
    for (const bool forward : {true, true, true, false, false}) {
        TWinControl* before = dynamic_cast<TWinControl*>(FindControl(GetFocus()));
        if (forward)
            testdesk::PressKey(VK_TAB);
        else
            testdesk::PressChord(VK_SHIFT, VK_TAB);
        Pump([&] { return GetFocus() != (before ? before->Handle() : nullptr); });
        seen.push_back(dynamic_cast<TWinControl*>(FindControl(GetFocus())));
    }
    EXPECT_EQ(seen, (std::vector<TWinControl*>{box, last, first, last, box}));
    EXPECT_EQ(form->FindNextControl(nullptr, false), last);

    // A place beyond the ends is the end.
    last->SetTabOrder(-5);
    EXPECT_EQ(last->TabOrder(), 0);
    last->SetTabOrder(99);
    EXPECT_EQ(last->TabOrder(), 2);
    delete box;
    list.clear();
    form->GetTabOrderList(list);
    EXPECT_EQ(list, (std::vector<TWinControl*>{panel, first, second, last}));
}

// --- modal loops -----------------------------------------------------------------

TEST_F(WindowTest, ShowModalRunsUntilTheModalResultIsSet) {
    TForm* main = MainForm();
    TForm* dialog = Dialog(200, 200);
    TProbe* ok = ProbeOn(dialog, 20, 20, 100, 40);
    ok->OnClick = [&](TObject*) { dialog->SetModalResult(mrOk); };
    int closes = 0;
    TCloseAction seen = caNone;
    dialog->OnClose = [&](TObject*, TCloseAction& a) {
        ++closes;
        seen = a;
    };
    dialog->SetModalResult(mrYes);  // left over: every showing starts at 0
    bool mainEnabled = true, modal = false;
    int resultAtStart = -1;
    TForm* activeForm = nullptr;
    StepDriver steps;
    steps.Add([&] { return ShownAndActive(dialog); },
              [&] {
                  resultAtStart = dialog->ModalResult();
                  activeForm = Screen->ActiveForm();
                  mainEnabled = IsWindowEnabled(main->Handle()) != 0;
                  modal = dialog->Modal();
                  POINT p = CenterOf(ok->Handle());
                  testdesk::LeftClick(p.x, p.y);
              });
    steps.Start();
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_FALSE(steps.timedOut);
    EXPECT_EQ(resultAtStart, 0);
    EXPECT_EQ(activeForm, dialog);
    EXPECT_FALSE(mainEnabled) << "the other windows are disabled while the dialog runs";
    EXPECT_TRUE(modal);
    EXPECT_FALSE(dialog->Modal());
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
    EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
    EXPECT_EQ(GetActiveWindow(), main->Handle()) << "the previously active window is active again";
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(seen, caHide);
    EXPECT_EQ(GetWindow(dialog->Handle(), GW_OWNER), main->Handle());

    // Closing the window of a modal form gives mrCancel; OnClose with caNone keeps it open once.
    dialog->OnClose = [&](TObject*, TCloseAction& a) {
        if (++closes == 2) a = caNone;
    };
    StepDriver again;
    again.Add([&] { return ShownAndActive(dialog); }, [&] { PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0); });
    again.Add([&] { return closes == 2; }, [&] { PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0); });
    again.Start();
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(closes, 3);
    EXPECT_FALSE(again.timedOut);
}

TEST_F(WindowTest, AModalLoopNestsInsideAnEventHandlerOfAnother) {
    TForm* main = MainForm();
    TForm* outer = Dialog(150, 150);
    TForm* inner = Dialog(300, 300);
    TProbe* openInner = ProbeOn(outer, 20, 20, 100, 40);
    TProbe* closeInner = ProbeOn(inner, 20, 20, 100, 40);
    int innerResult = -1;
    bool outerActiveAfter = false, outerEnabledAfter = false, outerEnabledDuring = true, mainEnabledDuring = true;
    openInner->OnClick = [&](TObject*) {
        innerResult = inner->ShowModal();
        outerActiveAfter = GetActiveWindow() == outer->Handle();
        outerEnabledAfter = IsWindowEnabled(outer->Handle()) != 0;
        outer->SetModalResult(mrYes);
    };
    closeInner->OnClick = [&](TObject*) { inner->SetModalResult(mrNo); };
    StepDriver steps;
    steps.Add([&] { return ShownAndActive(outer); },
              [&] {
                  POINT p = CenterOf(openInner->Handle());
                  testdesk::LeftClick(p.x, p.y);
              });
    steps.Add([&] { return ShownAndActive(inner); },
              [&] {
                  outerEnabledDuring = IsWindowEnabled(outer->Handle()) != 0;
                  mainEnabledDuring = IsWindowEnabled(main->Handle()) != 0;
                  POINT p = CenterOf(closeInner->Handle());
                  testdesk::LeftClick(p.x, p.y);
              });
    steps.Start();
    EXPECT_EQ(outer->ShowModal(), mrYes);
    EXPECT_FALSE(steps.timedOut);
    EXPECT_EQ(innerResult, mrNo);
    EXPECT_FALSE(outerEnabledDuring);
    EXPECT_FALSE(mainEnabledDuring);
    EXPECT_TRUE(outerEnabledAfter);
    EXPECT_TRUE(outerActiveAfter);
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
    EXPECT_EQ(GetActiveWindow(), main->Handle());
}

TEST_F(WindowTest, TerminateEndsNestedModalLoopsWithCancelAndRunReturnsAtOnce) {
    TForm* main = MainForm();
    TForm* outer = Dialog(150, 150);
    TForm* inner = Dialog(300, 300);
    TProbe* openInner = ProbeOn(outer, 20, 20, 100, 40);
    int innerResult = -1;
    openInner->OnClick = [&](TObject*) { innerResult = inner->ShowModal(); };
    StepDriver steps;
    steps.Add([&] { return ShownAndActive(outer); },
              [&] {
                  POINT p = CenterOf(openInner->Handle());
                  testdesk::LeftClick(p.x, p.y);
              });
    steps.Add([&] { return ShownAndActive(inner); }, [&] { Application->Terminate(); });
    steps.Start();
    EXPECT_EQ(outer->ShowModal(), mrCancel);
    EXPECT_FALSE(steps.timedOut);
    EXPECT_EQ(innerResult, mrCancel);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
    // A modal form shown after the end returns at once, and so does Run.
    EXPECT_EQ(inner->ShowModal(), mrCancel);
    const ULONGLONG start = GetTickCount64();
    Application->Run();
    EXPECT_LT(GetTickCount64() - start, 2000u);
}

TEST_F(WindowTest, EscAloneClosesNoModalDialog) {
    MainForm();
    TForm* dialog = Dialog(200, 200);
    auto* edit = new TTestEdit(dialog);
    edit->SetParent(dialog);
    auto* second = new TTestEdit(dialog);
    second->SetParent(dialog);
    second->SetTop(40);
    bool openAfterEsc = false;
    StepDriver steps;
    // Esc, then Tab: once the Tab has moved the focus, the Esc before it has
    // been handled.
    steps.Add([&] { return ShownAndActive(dialog) && GetFocus() == edit->Handle(); },
              [&] {
                  testdesk::PressKey(VK_ESCAPE);
                  testdesk::PressKey(VK_TAB);
              });
    steps.Add([&] { return GetFocus() == second->Handle(); },
              [&] {
                  openAfterEsc = IsWindowVisible(dialog->Handle()) && dialog->ModalResult() == mrNone;
                  dialog->SetModalResult(mrOk);
              });
    steps.Start();
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_FALSE(steps.timedOut) << "the first tab stop had the focus and Tab moved it on";
    EXPECT_TRUE(openAfterEsc) << "a form without a cancel button stays open on Esc";
}

// --- closing, keys, activation ---------------------------------------------------

TEST_F(WindowTest, ClosingTheMainFormTerminatesUnlessOnCloseSaysNo) {
    TForm* form = MainForm();
    std::vector<TCloseAction> seen;
    enum { kKeep, kThrow, kLetGo } mode = kKeep;
    form->OnClose = [&](TObject*, TCloseAction& a) {
        seen.push_back(a);
        if (mode == kKeep) a = caNone;
        if (mode == kThrow) throw Exception(L"The settings cannot be saved");
    };
    form->Close();
    Settle();
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(seen, std::vector<TCloseAction>{caHide});

    // A handler that throws: the exception reaches the application's display
    // from the window procedure, the form stays and the program runs on.
    mode = kThrow;
    PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(Pump([&] { return exceptions.size() == 1; }));
    EXPECT_EQ(exceptions[0], "The settings cannot be saved");
    EXPECT_EQ(senders[0], form);
    Settle();
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));

    mode = kLetGo;
    PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Pump([&] { return Application->Terminated(); }));
    EXPECT_EQ(seen.size(), 3u);
}

TEST_F(WindowTest, TheFormSeesKeysWhileItHasTheFocus) {
    TForm* form = MainForm();
    std::vector<WORD> keys;
    form->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { keys.push_back(key); };
    SetFocus(form->Handle());
    testdesk::PressKey(VK_F1);
    EXPECT_TRUE(Pump([&] { return keys == std::vector<WORD>{VK_F1}; }));
    // With the focus on an edit the form sees nothing, unless it previews keys.
    auto* edit = new TTestEdit(form);
    edit->SetParent(form);
    edit->SetFocus();
    testdesk::PressKey(VK_F2);
    ASSERT_TRUE(Pump([&] { return edit->keys == std::vector<WORD>{VK_F2}; }));
    EXPECT_EQ(keys.size(), 1u);
    form->KeyPreview = true;
    testdesk::PressKey(VK_F3);
    EXPECT_TRUE(Pump([&] { return keys.size() == 2 && keys[1] == VK_F3; }));
    EXPECT_TRUE(Pump([&] { return edit->keys.size() == 2; })) << "the edit gets the key after the preview";
}

TEST_F(WindowTest, TheApplicationIsDeactivatedOnceWhenAnotherProgramIsActivated) {
    TForm* main = MainForm();
    auto* second = new TForm(Application);
    second->SetBounds(600, 100, 200, 150);
    second->Show();
    testdesk::Activate(main->Handle());
    Pump([&] { return Application->Active(); });
    ASSERT_TRUE(Application->Active());
    int deactivations = 0, activations = 0;
    Application->OnDeactivate = [&](TObject* sender) {
        EXPECT_EQ(sender, Application);
        ++deactivations;
    };
    Application->OnActivate = [&](TObject*) { ++activations; };

    wchar_t dir[MAX_PATH] = {};
    GetWindowsDirectoryW(dir, MAX_PATH);
    testdesk::Process notepad = testdesk::Start(std::wstring(dir) + L"\\notepad.exe");
    ASSERT_NE(notepad.handle, nullptr);
    HWND other = nullptr;
    Pump([&] { return (other = testdesk::FindTopWindow(nullptr, nullptr, notepad.pid)) != nullptr; }, 15000);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(Pump([&] { return deactivations == 1; }, 10000));
    Settle();
    EXPECT_EQ(deactivations, 1) << "once per loss, though two forms got WM_ACTIVATEAPP";
    EXPECT_FALSE(Application->Active());

    // Losing the activation while a modal dialog runs: the handler's result ends the loop.
    testdesk::Activate(main->Handle());
    EXPECT_TRUE(Pump([&] { return activations == 1; }));
    TForm* dialog = Dialog(300, 300);
    Application->OnDeactivate = [&](TObject*) { dialog->SetModalResult(mrCancel); };
    StepDriver steps;
    steps.Add([&] { return ShownAndActive(dialog); }, [&] { SetForegroundWindow(other); });
    steps.Start();
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_FALSE(steps.timedOut);
    notepad.Kill();
    notepad.Close();
}

TEST_F(WindowTest, ActivationEventsComeFromTheLoopSoAClosingModalFormKeepsItsResult) {
    // The program's last visible window ends its modal loop and so makes the
    // program inactive, as the menu program's menus do.
    TForm* dialog = Dialog(200, 200);
    TProbe* ok = ProbeOn(dialog, 20, 20, 100, 40);
    int deactivations = 0, duringMessage = -1;
    Application->OnDeactivate = [&](TObject*) {
        ++deactivations;
        dialog->SetModalResult(mrCancel);
    };
    ok->OnClick = [&](TObject*) {
        dialog->SetModalResult(mrOk);
        SendMessageW(dialog->Handle(), WM_ACTIVATEAPP, FALSE, 0);
        duringMessage = deactivations;
    };
    StepDriver steps;
    steps.Add([&] { return ShownAndActive(dialog) && Application->Active(); },
              [&] {
                  POINT p = CenterOf(ok->Handle());
                  testdesk::LeftClick(p.x, p.y);
              });
    steps.Start();
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_FALSE(steps.timedOut);
    EXPECT_EQ(duringMessage, 0) << "not fired inside WM_ACTIVATEAPP";
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    EXPECT_TRUE(Pump([&] { return deactivations == 1; }));
    EXPECT_EQ(dialog->ModalResult(), mrCancel) << "the late handler changed the closed form only";
}

TEST_F(WindowTest, AModalFormAfterAnotherInAProgramWithoutVisibleWindowsIsActivated) {
    // A hidden main form, then two modal forms one after the other, as the
    // menu program shows its menus: the second makes the program active
    // again, so that losing the activation later is reported to it.
    TForm* main = nullptr;
    Application->CreateForm(&main);
    TForm* first = Dialog(200, 200);
    TForm* second = Dialog(300, 300);
    TProbe* ok = ProbeOn(first, 20, 20, 100, 40);
    ok->OnClick = [&](TObject*) { first->SetModalResult(mrOk); };
    StepDriver steps;
    steps.Add([&] { return ShownAndActive(first); },
              [&] {
                  POINT p = CenterOf(ok->Handle());
                  testdesk::LeftClick(p.x, p.y);
              });
    steps.Start();
    EXPECT_EQ(first->ShowModal(), mrOk);
    int deactivations = 0;
    bool activeWhileShown = false;
    HWND foregroundWhileShown = nullptr;
    Application->OnDeactivate = [&](TObject*) {
        ++deactivations;
        if (second->Modal()) second->SetModalResult(mrCancel);
    };
    wchar_t dir[MAX_PATH] = {};
    GetWindowsDirectoryW(dir, MAX_PATH);
    testdesk::Process notepad;
    HWND other = nullptr;
    StepDriver next;
    next.Add([&] { return second->HandleAllocated() && IsWindowVisible(second->Handle()) && Application->Active(); },
             [&] {
                 activeWhileShown = true;
                 foregroundWhileShown = GetForegroundWindow();
                 notepad = testdesk::Start(std::wstring(dir) + L"\\notepad.exe");
             });
    next.Add([&] { return (other = testdesk::FindTopWindow(nullptr, nullptr, notepad.pid)) != nullptr; },
             [&] { SetForegroundWindow(other); });
    next.Start(15000);
    EXPECT_EQ(second->ShowModal(), mrCancel);
    EXPECT_TRUE(activeWhileShown);
    EXPECT_EQ(foregroundWhileShown, second->Handle());
    EXPECT_EQ(deactivations, 1);
    EXPECT_FALSE(next.timedOut);
    notepad.Kill();
    notepad.Close();
}

// --- exceptions ----------------------------------------------------------------

TEST_F(WindowTest, ExceptionsInEventHandlersStopAtTheWindowProcedure) {
    TForm* form = MainForm();
    TProbe* probe = ProbeOn(form, 30, 30, 150, 80);
    bool throwOnDown = false;
    probe->OnClick = [&](TObject*) { throw std::runtime_error("boom"); };
    probe->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        if (throwOnDown) throw 42;  // not an exception class
    };
    // The exception ends the handling of that one message (no MouseUp after
    // the throwing click) and goes to the application's display.
    POINT p = ScreenPoint(probe, 20, 20);
    testdesk::LeftClick(p.x, p.y);
    ASSERT_TRUE(Pump([&] { return exceptions.size() == 1; }));
    EXPECT_EQ(exceptions[0], "boom");
    EXPECT_EQ(senders[0], probe);
    EXPECT_EQ(GetCapture(), nullptr);
    // The program runs on: the control still takes input.
    throwOnDown = true;
    POINT q = ScreenPoint(probe, 80, 50);
    testdesk::RightClick(q.x, q.y);
    ASSERT_TRUE(Pump([&] { return exceptions.size() == 2; }));
    EXPECT_EQ(exceptions[1], "") << "any other thrown object shows with an empty message";
    Pump([&] { return !probe->log.empty() && probe->log.back() == "up:R"; });
    EXPECT_EQ(probe->log.back(), "up:R");
    // An exception from a Perform called by code reaches the caller.
    EXPECT_THROW(probe->Perform(WM_RBUTTONDOWN, 0, 0), int);
    EXPECT_EQ(exceptions.size(), 2u);
}

TEST_F(WindowTest, ReleaseDeletesTheFormFromTheMessageLoop) {
    MainForm();
    auto* form = new TForm(Application);
    bool destroyed = false;
    form->OnDestroy = [&](TObject*) { destroyed = true; };
    form->Show();
    HWND h = form->Handle();
    const int before = Application->ComponentCount();
    form->Release();
    EXPECT_FALSE(destroyed);
    EXPECT_TRUE(Pump([&] { return destroyed; }));
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(Application->ComponentCount(), before - 1);
}

TEST(Screen, FontsAreSortedWithoutDuplicatesOrVerticalFaces) {
    TStringList* fonts = Screen->Fonts();
    ASSERT_GT(fonts->Count(), 0);
    for (int i = 0; i < fonts->Count(); ++i) {
        const UnicodeString& name = fonts->Lines()[static_cast<size_t>(i)];
        EXPECT_NE(name[0], L'@') << Narrow(name);
        if (i > 0) {
            EXPECT_LT(CompareText(fonts->Lines()[static_cast<size_t>(i - 1)], name), 0) << Narrow(name);
        }
    }
    EXPECT_EQ(Screen->Fonts(), fonts);
    EXPECT_EQ(Screen->Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(Screen->Height(), GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace
