// Unit FEdit: the bar's button edit dialog. It fills its controls from the
// record at ButtonArray->Current and writes fields 1 to 7 back on OK; the
// bar's click handler of the sibling-program menu TKSetup writes into it.
#pragma once

#include "glyphs.h"
#include "kbutton.h"
#include "vcl.h"

class TFormEdit : public TForm {
public:
    explicit TFormEdit(TComponent* AOwner);
    ~TFormEdit() override;

    TPanel* PanelIcon = nullptr;
    TImage* ImageIcon = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* EditFile = nullptr;
    TSpeedButton* SpeedButtonFolder = nullptr;
    TSpeedButton* SBQSetup = nullptr;
    TCheckBox* CheckBoxControl = nullptr;
    TPanel* PanelControl = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TEdit* EditClass = nullptr;
    TEdit* EditTitle = nullptr;
    TCheckBox* CheckBoxTop = nullptr;
    TCheckBox* CheckBoxAuto = nullptr;
    TCheckBox* CheckBoxHide = nullptr;
    TCheckBox* CheckBoxText = nullptr;
    TPanel* PanelText = nullptr;
    TLabel* Label4 = nullptr;
    TLabel* Label5 = nullptr;
    TLabel* Label6 = nullptr;
    TEdit* EditText = nullptr;
    TButton* ButtonOK = nullptr;
    TButton* ButtonCancel = nullptr;

    // The colour swatches of the caption (Tag 0) and the face (Tag 1), made
    // by FormCreate, owned by PanelText.
    TKButton* TextColorButton = nullptr;
    TKButton* ButtonColorButton = nullptr;
    // The colours the dialog opened with; set only by FormCreate.
    int TextColor = 0;
    int ButtonColor = 0;
    // 1 while EditFileChange runs.
    int Updating = 0;

    void FormCreate(TObject* Sender);
    void CheckBoxControlClick(TObject* Sender);
    void CheckBoxTextClick(TObject* Sender);
    void ButtonOKClick(TObject* Sender);
    void EditFileChange(TObject* Sender);
    void SBQSetupClick(TObject* Sender);
    void SpeedButtonFolderClick(TObject* Sender);
    void ColorButtonClick(TObject* Sender);
    // Creates the empty settings file of the menu that the target names, when
    // the target is the menu program with a menu name and no such file exists.
    void PrepareMenuFile();
};

// The path of the menu file that a target names ("...\pelnor.exe pn000007"
// gives AppData\Kestovar\Pelnor\pn000007.ini); empty for any other target.
UnicodeString MenuFileOfTarget(const UnicodeString& target);
