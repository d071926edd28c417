// Unit FMan: the bar's main form.
#include "fman.h"

#include "d01.h"
#include "g01.h"
#include "kdraw.h"
#include "qbtn.h"
#include "qini.h"
#include "s01.h"

TFDovrak::TFDovrak(TComponent* AOwner) : TForm(AOwner) {
    Name = L"FDovrak";
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetCaption(L"Dovrak");
    SetBounds(0, 0, 468, 22);  // no border: the client area is the whole window
    SetColor(clBtnFace);
    OnCreate = Bind(this, &TFDovrak::FormCreate);
    OnClose = Bind(this, &TFDovrak::FormClose);
    OnKeyDown = Bind(this, &TFDovrak::FormKeyDown);
    OnPaint = Bind(this, &TFDovrak::FormPaint);
    FormColor = 0x984E00;
}

TFDovrak::~TFDovrak() {
    if (FDovrak == this) FDovrak = nullptr;
}

void TFDovrak::CreateParams(TCreateParams& Params) {
    TForm::CreateParams(Params);
    Params.Style &= 0xFF3FFFFF;  // neither WS_BORDER nor WS_DLGFRAME
}

void TFDovrak::FormCreate(TObject*) {
    FormEdit = nullptr;
    FormOption = nullptr;

    BarState = new TBarState();
    BarState->ClickBusy = 0;
    BarState->ClipMemory = nullptr;
    BarState->ExeDir = ExcludeTrailingPathDelimiter(ExtractFilePath(Application->ExeName()));
    for (HWND& h : BarState->Hwnd) h = nullptr;
    BarState->ViewMode = 1;
    BarState->CutIndex = -1;
    BarState->MenuOnButton = 0;

    DM = new TDM(this);
    SetPopupMenu(DM->PMenuButton);
    DM->ColorDialog->CustomColors()->Add(L"ColorA=984E00");
    DM->ColorDialog->CustomColors()->Add(L"ColorB=D8E9EC");

    BarState->IniName = L"dovrak.ini";
    ButtonStore = new TQini();
    LoadSettings(BarState->IniName);

    ButtonArray = new TQButtonArray(BarButtonCount, this, DM->PMenuButton);
    ApplyViewMode(1);
    LayoutButtons();
    AutoStartButtons();

    // The bar has no taskbar button and no place in the task switcher.
    ::SetWindowLongA(Handle(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);

    SetTimerMode(0);
    SetTimerMode(3);
}

void TFDovrak::FormClose(TObject*, TCloseAction& Action) {
    // Messages run while the controlled windows are given back; a second
    // close arriving then must not free what the first one is using.
    if (FClosing) {
        Action = caNone;
        return;
    }
    if (!BarState) return;  // closed before: everything is gone already
    if (BarState->ClickBusy != 0) {
        // A click is being handled, and the shell's start call is running a
        // message loop of its own (an error box, for one): freeing the
        // buttons now would free the clicked one under its own click. The
        // bar closes once the click has returned (ClickEnded).
        FClosePending = true;
        Action = caNone;
        return;
    }
    FClosePending = false;
    FClosing = true;
    try {
        ReleaseControlledWindows();
        // A failed save ends the close here: the bar stays open with all its
        // state, and the error is shown by the class library.
        SaveSettings(BarState->IniName);
    } catch (...) {
        FClosing = false;
        throw;
    }
    SetTimerMode(9);
    delete ButtonArray;
    ButtonArray = nullptr;
    delete ButtonStore;
    ButtonStore = nullptr;
    SetPopupMenu(nullptr);  // the menu goes with the data module
    delete DM;
    DM = nullptr;
    delete BarState;
    BarState = nullptr;
    FClosing = false;
}

void TFDovrak::ClickEnded() {
    if (!FClosePending) return;
    FClosePending = false;
    // From the message loop, after the clicked button's own handling.
    if (HandleAllocated()) ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TFDovrak::FormKeyDown(TObject*, WORD& Key, TShiftState) {
    if (Key == VK_F1) ShowHelp();
}

void TFDovrak::FormPaint(TObject*) {
    KDrawPanel(Canvas(), Width(), Height(), FormColor);
    if (Height() == 2) {
        Canvas()->Brush()->Color = FormColor;
        Canvas()->Brush()->Style = bsSolid;
        Canvas()->FillRect(RECT{0, 0, Width(), Height()});
    }
}

void TFDovrak::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_NCHITTEST:
            WMNCHitTest(Message);
            return;
        case WM_ENDSESSION:
            WMEndSession(Message);
            return;
        case WM_DESTROYCLIPBOARD:
            WMDestroyClipboard(Message);
            return;
        case WM_COPYDATA:
            WMCopyData(Message);
            return;
        default:
            TForm::Dispatch(Message);
    }
}

void TFDovrak::WMNCHitTest(TMessage& Message) {
    // A press on the bar's own surface drags the whole bar; the buttons are
    // child windows with their own hit test, so a press there stays a click.
    Message.Result = ::GetAsyncKeyState(VK_LBUTTON) < 0 ? HTCAPTION : HTCLIENT;
    if (Top() < 0) SetTop(0);
    // After the close the state and the buttons are gone.
    if (!BarState || !ButtonArray) return;
    if (::GetAsyncKeyState(VK_RBUTTON) < 0) {
        ButtonArray->Current = 0;
        BarState->MenuOnButton = 0;
    }
    if (BarState->ViewMode == 3) {
        ApplyViewMode(1);
        LayoutButtons();
        SetTimerMode(3);
    }
}

void TFDovrak::WMEndSession(TMessage& Message) {
    if (BarState && ButtonStore) SaveSettings(BarState->IniName);
    Message.Result = 0;
}

void TFDovrak::WMDestroyClipboard(TMessage& Message) {
    if (BarState) BarState->ClipMemory = nullptr;
    Message.Result = 0;
}

void TFDovrak::WMCopyData(TMessage& Message) {
    Message.Result = 0;  // the bar takes no data from other programs
}
