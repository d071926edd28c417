// Unit FOption: the bar's option dialog: button size, bar colour, default
// button colour and automatic hiding. It writes only into BarState, on OK.
#pragma once

#include "kbutton.h"
#include "vcl.h"

class TFormOption : public TForm {
public:
    explicit TFormOption(TComponent* AOwner);
    ~TFormOption() override;

    TLabel* LabelPrgName = nullptr;
    TLabel* LabelVersion = nullptr;
    TGroupBox* GroupBoxButton = nullptr;
    TLabel* Label1 = nullptr;
    TComboBox* ComboBoxButtonSize = nullptr;
    TGroupBox* GroupBoxColor = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TGroupBox* GroupBoxForm = nullptr;
    TCheckBox* CheckBoxAutoHide = nullptr;
    TButton* ButtonOK = nullptr;
    TButton* ButtonCancel = nullptr;

    // The swatches of the bar colour (Tag 0) and the default button colour
    // (Tag 1), made by FormCreate, owned by GroupBoxColor.
    TKButton* FormColorButton = nullptr;
    TKButton* ButtonColorButton = nullptr;

    void FormCreate(TObject* Sender);
    void ColorButtonClick(TObject* Sender);
    void ButtonOKClick(TObject* Sender);
};

// The entry of the size list for a button size: size / 8 - 2 (-1 when the
// size has no entry); and the size of an entry: (index + 2) x 8.
int SizeListIndexOf(int buttonSize);
int ButtonSizeOfListIndex(int index);
