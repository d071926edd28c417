// Forms, data modules, the application object and the screen object.
#pragma once

#include "controls.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

// A top-level window. The window is created by the application's form
// creation (after the constructor) or when the form is first shown. The
// form's window class is named after its C++ class.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    void Dispatch(TMessage& Message) override;
    // Showing a form creates its window (and its children's), places it by
    // Position the first time, fires OnShow and shows it.
    void SetVisible(bool visible) override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle style);  // fsStayOnTop: a top-most window
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition position);  // applied when the form is shown
    bool KeyPreview = false;

    // The tab stop that Tab (forward) or Shift+Tab reaches from current in
    // the Tab order of the form's controls, round the end: a windowed
    // control that is shown and enabled, inside parents that are. Tab moves
    // by this order, not by the order of the windows. Null when there is none.
    TWinControl* FindNextControl(TWinControl* current, bool forward);
    // Moves the focus from the focused control to the next (or previous) tab
    // stop as Tab does, selecting an edit's text; false when there is none.
    bool SelectNext(bool forward);

    TCanvas* Canvas();

    // Shows the form modally: the application's other top-level windows are
    // disabled, a message loop runs until ModalResult is not 0 or the
    // application terminates (then the result is mrCancel), the form is
    // hidden, the windows are enabled again and the previously active
    // window is activated. Modal loops nest.
    int ShowModal();
    int ModalResult() const { return FModalResult; }
    // While the form is modal, a result other than 0 ends its loop (the loop
    // is woken up, also when the result is set from a sent message).
    void SetModalResult(int result);
    bool Modal() const { return FModal; }
    // Closing: a modal form gets mrCancel; otherwise OnClose runs with caHide
    // (the main form: the application then terminates unless the handler
    // set caNone; caFree posts the form's deletion).
    void Close();
    // Deletes the form once the messages now queued are handled.
    void Release();

    TNotifyEvent OnCreate;   // after the window exists (fired by DoCreate)
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TKeyEvent OnKeyDown;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // Runs OnCreate; called by the application's form creation and by
    // CreateForm-like helpers of the programs.
    void DoCreate();

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    virtual void DoClose(TCloseAction& Action);
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    // Ends a modal showing whose ModalResult was set: OnClose with caHide;
    // caNone keeps the form open (ModalResult back to 0).
    void CloseModal();
    void ApplyPosition();

    TFormBorderStyle FBorderStyle = bsSizeable;
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    int FModalResult = 0;
    bool FModal = false;
    bool FPositioned = false;
    TCanvas* FCanvas = nullptr;
    HWND FFocusedControl = nullptr;  // the child that had the focus last
    bool FReleasePending = false;

    friend class TWinControl;
};

// A non-visual container of components (menus, dialogs, timers).
class TDataModule : public TComponent {
public:
    explicit TDataModule(TComponent* AOwner) : TComponent(AOwner) {}
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
};

// The application object: forms, the message loop, exception display, help.
class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize();
    // Constructs a form of type T owned by the application, assigns it to
    // *reference, creates its window and then fires OnCreate. The first form
    // created is the main form.
    template <class T>
    void CreateForm(T** reference) {
        T* form = new T(this);
        *reference = form;
        FormCreated(form);
    }
    // Constructs a data module of type T owned by the application and fires
    // its OnCreate.
    template <class T>
    void CreateDataModule(T** reference) {
        T* module = new T(this);
        *reference = module;
        if (module->OnCreate) module->OnCreate(module);
    }

    // Shows the main form (when ShowMainForm is set) and runs the message loop
    // until Terminate; returns at once when already terminated.
    void Run();
    void Terminate();  // PostQuitMessage; Terminated becomes true when WM_QUIT arrives
    bool Terminated() const { return FTerminated; }
    void ProcessMessages();  // handles every queued message, then returns
    void HandleMessage();    // waits for one message and handles it

    TForm* MainForm() const { return FMainForm; }
    bool MainFormOnTaskBar = false;
    bool ShowMainForm = true;
    bool Active() const { return FActive; }

    // The running program's full path.
    UnicodeString ExeName() const;

    // Shows an exception as a message box; the program runs on.
    void ShowException(const std::exception& e);
    // Called with the exception in flight (inside a catch block): fires
    // OnException when assigned, else ShowException. Any other thrown object
    // shows as an exception with an empty message.
    void HandleException(TObject* Sender);
    std::function<void(TObject* Sender, const std::exception& e)> OnException;
    // For a program's entry point, inside a catch block: shows what escaped
    // the program with ShowException. Only the library's own exceptions
    // bring their message; any other thrown object, a runtime error of the
    // standard library included, shows as an exception with an empty message.
    void ShowEscapedException();

    // Fired when the application loses activation (WM_ACTIVATEAPP with FALSE
    // to one of its windows), once per loss; OnActivate on regaining it. Both
    // come from the message loop (posted), after the message that changed
    // the activation.
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnActivate;

    // HTML Help: HelpCommand(HELP_CONTENTS, 0) shows the table of contents of HelpFile.
    UnicodeString HelpFile;
    bool HelpCommand(unsigned command, ULONG_PTR data);

    // The caption of the exception message box; the program file's name
    // without extension when empty.
    UnicodeString Title;

    // Runs job later from the message loop (exceptions go to HandleException).
    void PostJob(std::function<void()> job);

    // Internal: window activation bookkeeping, called by forms.
    void FormCreated(TForm* form);
    void AppActivated(bool active);
    HWND UtilityWindow();  // hidden window for timers and posted jobs

private:
    friend class TForm;
    // Dispatches one message (dialog keys for the active form); false for WM_QUIT.
    bool DispatchOne(MSG& msg);
    static LRESULT CALLBACK UtilityProc(HWND, UINT, WPARAM, LPARAM);
    TForm* FMainForm = nullptr;
    bool FTerminated = false;
    bool FQuitPending = false;  // Terminate called, WM_QUIT not yet seen
    bool FActive = false;
    HWND FUtilityWindow = nullptr;
};

extern TApplication* Application;

// The screen: its size and the installed fonts.
class TScreen : public TComponent {
public:
    TScreen();
    ~TScreen() override;
    int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
    // Names of the installed screen fonts, sorted, without duplicates.
    TStringList* Fonts();
    TForm* ActiveForm();

private:
    TStringList* FFonts = nullptr;
};

extern TScreen* Screen;
