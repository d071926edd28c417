// Windowed controls of the class library. Every control has its own window,
// made when it is first needed: with its parent's when it is visible, else
// when it is shown or its handle is asked for. All of them go through one
// window procedure that calls the control's virtual Dispatch.
#pragma once

#include "graphics.h"

#include <vector>

// A window message as the controls see it; handlers set Result.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// The class library's own notifications, in the WM_APP range, sent through
// Dispatch (Perform) so that controls override them like any other message.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 1;
constexpr UINT CM_FONTCHANGED = CM_BASE + 2;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 3;
constexpr UINT CM_COLORCHANGED = CM_BASE + 4;
constexpr UINT CM_MOUSEENTER = CM_BASE + 5;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 6;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 7;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 8;
constexpr UINT CM_RELEASE = CM_BASE + 9;       // posted: deletes the form
constexpr UINT CM_CREATEHANDLES = CM_BASE + 10;  // posted: creates pending child windows
// Notifications of standard controls reflected by their parent to the child
// (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR..., WM_DRAWITEM) arrive as CN_BASE + message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;

using TAnchors = unsigned;
enum : TAnchors { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = IDOK;          // 1
constexpr int mrCancel = IDCANCEL;  // 2
constexpr int mrAbort = IDABORT;
constexpr int mrRetry = IDRETRY;
constexpr int mrIgnore = IDIGNORE;
constexpr int mrYes = IDYES;
constexpr int mrNo = IDNO;
constexpr int mrOK = mrOk;

// What a window is created with; CreateParams fills it, overrides change it.
struct TCreateParams {
    UnicodeString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    // Window class registered for the control; the C++ class name by default.
    UnicodeString WinClassName;
    UINT ClassStyle = CS_DBLCLKS;
    // For standard controls: the system class ("EDIT", "BUTTON", ...) that
    // the control's class is made from; empty for the library's own windows.
    UnicodeString SubclassOf;
};

class TWinControl;
class TPopupMenu;
class TForm;
class TControlCanvas;

// The base of all controls. Position and size are in the parent's client
// coordinates (screen coordinates for a form). Properties may be set before
// the window exists; the window is created when first needed (HandleNeeded),
// never inside a constructor.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // --- the window ---
    HWND Handle();               // creates the window when needed
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded();
    // Routes one message through Dispatch and returns its Result.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // The message map. The base does the library's handling, then the
    // default one (DefWindowProcW or the standard control's own procedure).
    // An override that handles a message and does not call the base keeps
    // the base from seeing it.
    virtual void Dispatch(TMessage& Message);
    // The default handling alone.
    void DefaultHandler(TMessage& Message);

    // --- parent and geometry ---
    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    virtual int ClientWidth();
    virtual int ClientHeight();
    void SetClientWidth(int v);
    void SetClientHeight(int v);
    RECT ClientRect();
    POINT ClientToScreen(POINT p);
    POINT ScreenToClient(POINT p);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors anchors);

    // --- appearance and state ---
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);  // then CM_ENABLEDCHANGED
    // For a standard control (an edit) the text is read back from its window.
    const UnicodeString& Caption() const;
    void SetCaption(const UnicodeString& text);  // window text, then CM_TEXTCHANGED
    const UnicodeString& Text() const { return Caption(); }
    void SetText(const UnicodeString& text) { SetCaption(text); }
    TFont* Font() { return &FFont; }  // changes send CM_FONTCHANGED
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool parentFont);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);  // then CM_COLORCHANGED; repaints
    const UnicodeString& Hint() const { return FHint; }
    void SetHint(const UnicodeString& hint);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool show);  // a tooltip with Hint over the control
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* menu);  // popped up on a right click (WM_CONTEXTMENU)
    void Invalidate();
    void Update();   // paints pending invalid areas now
    void Repaint();  // Invalidate + Update
    void BringToFront();
    // The form the control sits on (itself for a form), or null.
    TForm* GetParentForm();
    // True for a control made from a system class (TCreateParams::SubclassOf).
    bool IsStandardControl() const { return FDefWndProc != nullptr && FDefWndProc != ::DefWindowProcW; }

    // --- events ---
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

protected:
    // Drops the popup menu when it is deleted.
    void Notification(TComponent* AComponent, bool inserting) override;
    virtual void CreateParams(TCreateParams& Params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    // Called after the window is created (handle valid, children not yet).
    virtual void CreateHandleDone() {}
    // Puts a new child window among its siblings in the order of the parent's controls.
    void TakeSiblingPlace();
    // Registers the window class of the parameters when it is not yet registered.
    void RegisterWindowClass(const TCreateParams& Params);
    // The frame around the client area for the window's styles (an empty
    // client rectangle grown by AdjustWindowRectEx: left and top <= 0).
    RECT FrameInsets();

    // Mouse: a left press captures the mouse until its release. On a left
    // release inside the control Click runs before MouseUp, except for the
    // release that ends a double click.
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Click();
    virtual void DblClick();

    HWND FHandle = nullptr;
    WNDPROC FDefWndProc = nullptr;  // the standard control's procedure, or DefWindowProcW

    // [implementation state: geometry, flags, ...]
    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAnchors FAnchors = akLeft | akTop;
    bool FVisible = true;
    bool FEnabled = true;
    bool FParentFont = true;
    bool FShowHint = false;
    bool FMouseInControl = false;
    bool FClickPending = false;
    TColor FColor = clBtnFace;
    mutable UnicodeString FCaption;
    UnicodeString FHint;
    TFont FFont;
    TPopupMenu* FPopupMenu = nullptr;
    HWND FToolTip = nullptr;

    // [more implementation state]
    bool FInheritingFont = false;  // a font change that comes from the parent
    int FDispatchDepth = 0;        // Dispatch calls of this control now running
    TControlCanvas* FControlCanvas = nullptr;  // the canvas that may hold a window DC
    HBRUSH FCtlBrush = nullptr;    // background brush of a standard control
    TColor FCtlBrushColor = clNone;

    void FontChanged();
    void InheritParentFont();
    void UpdateToolTip();
    void DestroyToolTip();
    void ColorStandardControl(TMessage& Message);
    void AfterDispatch();

    friend class TWinControl;
    friend class TForm;
    friend class TApplication;
    friend struct DispatchScope;
    friend LRESULT CALLBACK KestovarWndProc(HWND, UINT, WPARAM, LPARAM);
};

// The library's control of a window, or null for other windows.
TControl* FindControl(HWND window);
// Releases the window DCs that control canvases took outside WM_PAINT
// (the message loop calls it before it waits).
void FreeDeviceContexts();

// A control that can hold child controls.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;  // deletes its child controls first

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
    bool Focused();
    virtual void SetFocus();
    // WS_TABSTOP: the control takes part in Tab navigation.
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool tabStop);
    // The control's place in its parent's Tab order, -1 without a parent.
    // The Tab order is kept apart from the order of the windows, which
    // decides what is drawn over what: a control placed on a parent comes
    // last in both; setting a place moves the control there, and those from
    // that place on one place back.
    int TabOrder() const;
    void SetTabOrder(int order);
    // The windowed controls inside this one in Tab order, each followed by
    // the ones inside it.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;

    // Reflects child notifications, creates pending child windows, keeps
    // anchored children in place, previews keys for the form.
    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // Creates the windows of the children that have none yet.
    void CreateChildHandles();
    // Asks for the children's windows soon (a posted CM_CREATEHANDLES).
    void PostCreateHandles();
    // Moves and sizes children anchored right or bottom after a client size change.
    void ClientSizeChanged();
    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;  // the windowed children in Tab order
    bool FTabStop = false;
    bool FCreateHandlesPosted = false;
    bool FAnchorBaseValid = false;
    int FAnchorBaseWidth = 0, FAnchorBaseHeight = 0;

    friend class TControl;
};

// A windowed control that paints itself on its canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    // The control's canvas: the paint DC inside WM_PAINT, a window DC otherwise.
    TCanvas* Canvas();

    void Dispatch(TMessage& Message) override;

protected:
    virtual void Paint();

    TCanvas* FCanvas = nullptr;
};
