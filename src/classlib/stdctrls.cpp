// Standard controls on the system's BUTTON, EDIT, COMBOBOX and STATIC classes.
#include "stdctrls.h"

#include "forms.h"

#include <commctrl.h>

namespace {

// The colour a control shows behind its text: its parent's, as a control
// placed on a panel or a group box takes the colour of what it sits on.
TColor BackColorOf(TControl* control) {
    return control->Parent() ? control->Parent()->Color() : control->Color();
}

// Colours of a static-like text on a solid background: the result of a
// reflected WM_CTLCOLOR... message.
LRESULT StaticColors(HDC dc, TControl* control, TColorBrush& brush, bool transparentText) {
    TColor back = BackColorOf(control);
    ::SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(control->Font()->Color())));
    ::SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(back)));
    if (transparentText) ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(brush.Get(back));
}

}  // namespace

// --- TColorBrush ---------------------------------------------------------

TColorBrush::~TColorBrush() {
    if (FBrush) ::DeleteObject(FBrush);
}

HBRUSH TColorBrush::Get(TColor color) {
    if (!FBrush || color != FColor) {
        if (FBrush) ::DeleteObject(FBrush);
        FBrush = ::CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color)));
        FColor = color;
    }
    return FBrush;
}

// --- TButton ---------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 75;
    FHeight = 25;
    FTabStop = true;
}

TButton::~TButton() = default;

void TButton::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubclassOf = L"BUTTON";
    Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    FOwnId = ::GetWindowLongPtrW(FHandle, GWLP_ID);
    UpdateDialogId();
}

void TButton::SetDefault(bool value) {
    FDefault = value;
    if (HandleAllocated()) {
        ::SendMessageW(FHandle, BM_SETSTYLE, FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        UpdateDialogId();
    }
}

void TButton::SetCancel(bool value) {
    FCancel = value;
    if (HandleAllocated()) UpdateDialogId();
}

// The form's dialog keys arrive as WM_COMMAND with IDOK (Enter) or IDCANCEL
// (Esc) from the child that has that id; the parent reflects them here.
void TButton::UpdateDialogId() {
    ::SetWindowLongPtrW(FHandle, GWLP_ID, FDefault ? IDOK : FCancel ? IDCANCEL : FOwnId);
}

void TButton::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_COMMAND) {
        if (HIWORD(Message.WParam) == BN_CLICKED) Click();
        Message.Result = 0;
        return;
    }
    if (Message.Msg == CN_CTLCOLORBTN) {
        Message.Result = StaticColors(reinterpret_cast<HDC>(Message.WParam), this, FBrush, false);
        return;
    }
    TWinControl::Dispatch(Message);
}

void TButton::Click() {
    if (FModalResult != mrNone) {
        if (TForm* form = GetParentForm()) form->SetModalResult(FModalResult);
    }
    TWinControl::Click();
}

// --- TCheckBox -------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 97;
    FHeight = 17;
    FTabStop = true;
}

TCheckBox::~TCheckBox() = default;

void TCheckBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubclassOf = L"BUTTON";
    Params.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    ::SendMessageW(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() const {
    if (FHandle) return ::SendMessageW(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return FChecked;
}

void TCheckBox::SetChecked(bool checked) {
    FChecked = checked;
    // BM_SETCHECK sends no notification, so no OnClick fires.
    if (HandleAllocated()) ::SendMessageW(FHandle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case CN_COMMAND:
            if (HIWORD(Message.WParam) == BN_CLICKED) {
                FChecked = ::SendMessageW(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED;
                Click();
            }
            Message.Result = 0;
            return;
        case CN_CTLCOLORSTATIC:
        case CN_CTLCOLORBTN:
            Message.Result = StaticColors(reinterpret_cast<HDC>(Message.WParam), this, FBrush, false);
            return;
        default:
            TWinControl::Dispatch(Message);
    }
}

// --- TEdit -----------------------------------------------------------------

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 121;
    FHeight = 21;
    FTabStop = true;
    FColor = clWindow;
}

TEdit::~TEdit() = default;

void TEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubclassOf = L"EDIT";
    Params.Style |= ES_AUTOHSCROLL | (FReadOnly ? ES_READONLY : 0);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    ::SendMessageW(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    FNotifiedText = FCaption;  // the window starts with the text it was created with
}

void TEdit::SetMaxLength(int length) {
    FMaxLength = length < 0 ? 0 : length;
    if (HandleAllocated()) ::SendMessageW(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TEdit::SetReadOnly(bool readOnly) {
    FReadOnly = readOnly;
    if (HandleAllocated()) ::SendMessageW(FHandle, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void TEdit::SelectAll() {
    if (HandleAllocated()) ::SendMessageW(FHandle, EM_SETSEL, 0, -1);
}

// OnChange fires once per new text, whether the change came from the
// keyboard, the clipboard or the program.
void TEdit::TextFromWindow() {
    const UnicodeString& text = Caption();
    if (text == FNotifiedText) return;
    FNotifiedText = text;
    Change();
}

void TEdit::Change() {
    if (OnChange) {
        TNotifyEvent handler = OnChange;
        handler(this);
    }
}

void TEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case CN_COMMAND:
            if (HIWORD(Message.WParam) == EN_CHANGE) TextFromWindow();
            Message.Result = 0;
            return;
        case CM_TEXTCHANGED:
            // Without a window no EN_CHANGE comes: the new text is announced here.
            if (!HandleAllocated()) TextFromWindow();
            TWinControl::Dispatch(Message);
            return;
        case CN_CTLCOLORSTATIC:  // a disabled or read-only edit
        case CN_CTLCOLOREDIT: {
            HDC dc = reinterpret_cast<HDC>(Message.WParam);
            ::SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
            ::SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(Color())));
            Message.Result = reinterpret_cast<LRESULT>(FBrush.Get(Color()));
            return;
        }
        default:
            TWinControl::Dispatch(Message);
    }
}

// --- TComboBox ---------------------------------------------------------------

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(new TStringList) {
    FWidth = 145;
    FHeight = 21;
    FTabStop = true;
    FColor = clWindow;
}

TComboBox::~TComboBox() {
    TWinControl::DestroyWnd();
    delete FItems;
}

void TComboBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubclassOf = L"COMBOBOX";
    Params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL |
                    (FStyle == csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
    // The window's height is the height of the dropped-down list; the
    // control itself takes the height of its edit field.
    Params.Height = FHeight + FDropDownCount * 16 + 4;
}

void TComboBox::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    FShownItems.clear();
    ::SendMessageW(FHandle, CB_SETMINVISIBLE, static_cast<WPARAM>(FDropDownCount > 0 ? FDropDownCount : 1), 0);
    UnicodeString text = FCaption;
    FSyncing = true;
    for (const UnicodeString& line : FItems->Lines())
        ::SendMessageW(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    FShownItems = FItems->Lines();
    if (FItemIndex >= 0 && FItemIndex < static_cast<int>(FShownItems.size()))
        ::SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    else if (FStyle == csDropDown)
        ::SetWindowTextW(FHandle, text.c_str());
    else if (!text.empty())
        ::SendMessageW(FHandle, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    FSyncing = false;
    FCaption = Caption();
}

void TComboBox::SetStyle(TComboBoxStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    if (HandleAllocated()) {
        // The style of a combo box is fixed at creation: make the window again.
        FItemIndex = ItemIndex();
        UnicodeString text = Caption();
        DestroyWnd();
        FCaption = text;
        if (FParent) HandleNeeded();
    }
}

// Fills the window's list again when Items no longer matches it, keeping
// the chosen line (by index) or the typed text.
void TComboBox::SyncItems() {
    if (!HandleAllocated() || FSyncing || FItems->Lines() == FShownItems) return;
    FSyncing = true;
    int index = static_cast<int>(::SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
    UnicodeString text = Caption();
    ::SendMessageW(FHandle, CB_RESETCONTENT, 0, 0);
    for (const UnicodeString& line : FItems->Lines())
        ::SendMessageW(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    FShownItems = FItems->Lines();
    if (FStyle == csDropDownList) {
        if (index >= static_cast<int>(FShownItems.size())) index = -1;
        ::SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else {
        ::SetWindowTextW(FHandle, text.c_str());
    }
    FSyncing = false;
    FCaption = Caption();
}

int TComboBox::ItemIndex() {
    if (!HandleAllocated()) return FItemIndex;
    SyncItems();
    return static_cast<int>(::SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= FItems->Count()) index = -1;
    FItemIndex = index;
    if (!HandleAllocated()) {
        if (index >= 0) FCaption = FItems->Strings(index);
        else if (FStyle == csDropDownList) FCaption.clear();
        return;
    }
    SyncItems();
    FSyncing = true;
    ::SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    FSyncing = false;
    FCaption = Caption();
}

void TComboBox::Change() {
    if (OnChange) {
        TNotifyEvent handler = OnChange;
        handler(this);
    }
}

void TComboBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_KEYDOWN:
        case WM_CHAR:
        case WM_MOUSEWHEEL:
        case WM_SETFOCUS:
        case WM_PAINT:
        case CB_SHOWDROPDOWN:
            SyncItems();
            break;
        case CN_COMMAND: {
            const WORD code = HIWORD(Message.WParam);
            Message.Result = 0;
            if (FSyncing) return;
            if (code == CBN_DROPDOWN) {
                SyncItems();
            } else if (code == CBN_SELCHANGE) {
                // The edit field of a csDropDown box still shows the old text
                // at this point: it gets the chosen line before OnChange runs.
                int index = static_cast<int>(::SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
                FItemIndex = index;
                if (FStyle == csDropDown && index >= 0 && index < FItems->Count()) {
                    FSyncing = true;
                    ::SetWindowTextW(FHandle, FItems->Strings(index).c_str());
                    FSyncing = false;
                }
                FCaption = Caption();
                Change();
            } else if (code == CBN_EDITCHANGE) {
                FCaption = Caption();
                Change();
            }
            return;
        }
        case CM_TEXTCHANGED:
            if (HandleAllocated() && FStyle == csDropDownList && !FSyncing) {
                // A text set by code chooses the line that has it, if any.
                UnicodeString text = FCaption;
                SyncItems();
                FSyncing = true;
                LRESULT found = ::SendMessageW(FHandle, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(text.c_str()));
                ::SendMessageW(FHandle, CB_SETCURSEL, found == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(found), 0);
                FSyncing = false;
                FCaption = Caption();
            }
            break;
        default:
            break;
    }
    TWinControl::Dispatch(Message);
}

// --- TGroupBox -----------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 185;
    FHeight = 105;
}

TGroupBox::~TGroupBox() = default;

void TGroupBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubclassOf = L"BUTTON";
    Params.Style = (Params.Style & ~static_cast<DWORD>(WS_TABSTOP)) | BS_GROUPBOX | WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
}

void TGroupBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_ERASEBKGND: {
            // The system's group box draws only its frame and caption.
            RECT r{};
            ::GetClientRect(FHandle, &r);
            ::FillRect(reinterpret_cast<HDC>(Message.WParam), &r, FBrush.Get(BackColorOf(this)));
            Message.Result = 1;
            return;
        }
        case CN_CTLCOLORSTATIC:
        case CN_CTLCOLORBTN:
            Message.Result = StaticColors(reinterpret_cast<HDC>(Message.WParam), this, FBrush, false);
            return;
        case CM_COLORCHANGED:
            TWinControl::Dispatch(Message);
            for (TControl* child : FControls) child->Invalidate();
            return;
        default:
            TWinControl::Dispatch(Message);
    }
}

// --- TLabel --------------------------------------------------------------------

TLabel::TLabel(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 65;
    FHeight = 13;
}

TLabel::~TLabel() = default;

void TLabel::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubclassOf = L"STATIC";
    Params.Style &= ~static_cast<DWORD>(WS_TABSTOP);
    Params.Style |= FAlignment == taCenter ? SS_CENTER : FAlignment == taRightJustify ? SS_RIGHT : SS_LEFT;
    if (!FShowAccelChar) Params.Style |= SS_NOPREFIX;
}

void TLabel::SetAutoSize(bool autoSize) {
    FAutoSize = autoSize;
    AdjustSize();
}

void TLabel::SetShowAccelChar(bool show) {
    if (show == FShowAccelChar) return;
    FShowAccelChar = show;
    if (HandleAllocated()) {
        LONG style = ::GetWindowLongW(FHandle, GWL_STYLE);
        style = show ? (style & ~SS_NOPREFIX) : (style | SS_NOPREFIX);
        ::SetWindowLongW(FHandle, GWL_STYLE, style);
        Invalidate();
    }
    AdjustSize();
}

void TLabel::SetAlignment(TAlignment alignment) {
    if (alignment == FAlignment) return;
    FAlignment = alignment;
    if (HandleAllocated()) {
        LONG style = ::GetWindowLongW(FHandle, GWL_STYLE) & ~(SS_LEFT | SS_CENTER | SS_RIGHT);
        style |= alignment == taCenter ? SS_CENTER : alignment == taRightJustify ? SS_RIGHT : SS_LEFT;
        ::SetWindowLongW(FHandle, GWL_STYLE, style);
        Invalidate();
    }
}

// With AutoSize the label takes the size of its text in its font.
void TLabel::AdjustSize() {
    if (!FAutoSize) return;
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, Font()->Handle());
    UnicodeString text = Caption();
    RECT r{0, 0, 0, 0};
    UINT format = DT_CALCRECT | DT_EXPANDTABS | DT_LEFT | (FShowAccelChar ? 0 : DT_NOPREFIX);
    if (text.empty()) {
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc, &tm);
        r.bottom = tm.tmHeight;
    } else {
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    SetBounds(FLeft, FTop, r.right - r.left, r.bottom - r.top);
}

void TLabel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case CN_CTLCOLORSTATIC:
            Message.Result = StaticColors(reinterpret_cast<HDC>(Message.WParam), this, FBrush, true);
            return;
        case CM_TEXTCHANGED:
        case CM_FONTCHANGED:
            TWinControl::Dispatch(Message);
            AdjustSize();
            return;
        default:
            TWinControl::Dispatch(Message);
    }
}
