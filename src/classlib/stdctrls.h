// Standard controls: each one is a window of the system's own control class
// (BUTTON, EDIT, COMBOBOX, STATIC), made into the library's class of the same
// name so that its messages reach Dispatch. The parent reflects the control's
// notifications back to it (CN_COMMAND, CN_CTLCOLOR...).
#pragma once

#include "controls.h"

class TStringList;

// A solid brush for the colour behind a control's text (the result of a
// reflected WM_CTLCOLOR... message), remade when the colour changes.
class TColorBrush {
public:
    TColorBrush() = default;
    TColorBrush(const TColorBrush&) = delete;
    TColorBrush& operator=(const TColorBrush&) = delete;
    ~TColorBrush();
    HBRUSH Get(TColor color);  // a solid brush of the colour, kept until it changes

private:
    HBRUSH FBrush = nullptr;
    TColor FColor = clNone;
};

// A push button. A click sets the parent form's ModalResult to the button's
// ModalResult (when it is not mrNone) and then fires OnClick.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* AOwner);
    ~TButton() override;

    int ModalResult() const { return FModalResult; }
    void SetModalResult(int result) { FModalResult = result; }
    // The default button answers Enter in its form, the cancel button Esc
    // (for buttons placed on the form itself: they take the dialog control
    // ids IDOK and IDCANCEL that the dialog keys are sent with).
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value);

    void Dispatch(TMessage& Message) override;
    void Click() override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandleDone() override;

private:
    void UpdateDialogId();
    int FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
    LONG_PTR FOwnId = 0;  // the id the window was created with
    TColorBrush FBrush;
};

// A check box. OnClick fires when the user toggles it (mouse or keyboard);
// setting Checked by code does not fire it.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* AOwner);
    ~TCheckBox() override;

    bool Checked() const;
    void SetChecked(bool checked);

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandleDone() override;

private:
    bool FChecked = false;
    TColorBrush FBrush;
};


// A single-line edit. OnChange fires on every change of the text, typed or
// set by code (setting the text it already has changes nothing). Color is
// the colour of the text area (clWindow by default), also while disabled.
class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* AOwner);
    ~TEdit() override;

    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int length);  // 0: no limit
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool readOnly);
    void SelectAll();

    TNotifyEvent OnChange;

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandleDone() override;
    virtual void Change();

private:
    void TextFromWindow();
    int FMaxLength = 0;
    bool FReadOnly = false;
    UnicodeString FNotifiedText;  // the text the last OnChange saw
    TColorBrush FBrush;
};

enum TComboBoxStyle { csDropDown, csDropDownList };

// A combo box: csDropDown lets the user type a text, csDropDownList only
// chooses from the list. Items may be changed at any time; the list shown
// follows them. OnChange fires when the user chooses an item or types.
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle style);  // an existing window is made again
    TStringList* Items() { return FItems; }
    int ItemIndex();
    void SetItemIndex(int index);  // -1: none; setting it does not fire OnChange
    // The number of list lines shown when dropped down.
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int count) { FDropDownCount = count; }

    TNotifyEvent OnChange;

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandleDone() override;
    virtual void Change();

private:
    void SyncItems();  // brings the shown list up to Items
    TComboBoxStyle FStyle = csDropDown;
    TStringList* FItems;
    std::vector<UnicodeString> FShownItems;  // what the window's list holds
    int FItemIndex = -1;
    int FDropDownCount = 8;
    bool FSyncing = false;
    TColorBrush FBrush;
};

// A group box: a frame with a caption, and the parent of the controls in it.
class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* AOwner);
    ~TGroupBox() override;

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TColorBrush FBrush;
};

// A text label. With AutoSize (the default) it takes the size of its
// caption in its font; the parent's colour shows behind the text.
// '&' marks an accelerator unless ShowAccelChar is false.
class TLabel : public TWinControl {
public:
    explicit TLabel(TComponent* AOwner);
    ~TLabel() override;

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool show);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void AdjustSize();

private:
    bool FAutoSize = true;
    bool FShowAccelChar = true;
    TAlignment FAlignment = taLeftJustify;
    TColorBrush FBrush;
};
