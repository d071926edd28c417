// Unit FOption: the menu program's option dialog: translucent or solid
// menus, the button and text colours of the solid look, the caption font
// and the menu width. OK writes MenuSettings and lays the open item menu
// out again at once; Cancel stores nothing.
#pragma once

#include "kbutton.h"
#include "vcl.h"

class TFormOption : public TForm {
public:
    explicit TFormOption(TComponent* AOwner);
    ~TFormOption() override;

    TLabel* LabelAbort = nullptr;
    TLabel* LabelVersion = nullptr;
    TSpeedButton* SB_Help = nullptr;
    TGroupBox* GroupBoxDispMenu = nullptr;
    TCheckBox* CheckBoxTransparent = nullptr;
    TLabel* Label1 = nullptr;  // "フォント名:"
    TComboBox* ComboBoxFontName = nullptr;
    TLabel* Label2 = nullptr;  // "サイズ:"
    TComboBox* ComboBoxFontSize = nullptr;
    TLabel* Label3 = nullptr;  // "幅:"
    TComboBox* ComboBoxWidth = nullptr;
    TGroupBox* GroupBoxColor = nullptr;
    TLabel* Label4 = nullptr;  // "ボタン:"
    TLabel* Label5 = nullptr;  // "テキスト:"
    TButton* ButtonOk = nullptr;
    TButton* ButtonCancel = nullptr;
    TColorDialog* ColorDialog = nullptr;

    // The swatches of the button colour (Tag 1) and the text colour (Tag 2),
    // made by FormCreate, owned by GroupBoxColor, deleted by FormClose.
    TKButton* ButtonColorButton = nullptr;
    TKButton* TextColorButton = nullptr;

    void FormCreate(TObject* Sender);
    void CheckBoxTransparentClick(TObject* Sender);
    void ColorButtonClick(TObject* Sender);
    void ButtonOkClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void SB_HelpClick(TObject* Sender);

protected:
    void CreateParams(TCreateParams& Params) override;
};

// A combo box's text as a number: optional blanks, an optional sign and
// decimal digits only; fallback for anything else (also for a number out of
// the int range). Then kept within low .. high.
int ClampedNumber(const UnicodeString& text, int fallback, int low, int high);
