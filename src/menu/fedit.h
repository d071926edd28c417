// Unit FEdit: the menu program's item edit dialog: the target (a file, a
// folder or a command line) with its icon, and the title. EditItem fills it
// and reads it back on OK; the dialog itself writes nothing into the item.
// Each dialog has its own sibling-program menu TKSetup (in the global
// KSetup while the dialog is open), whose click handler, defined here,
// fills the dialog.
#pragma once

#include "vcl.h"

class TFormEdit : public TForm {
public:
    explicit TFormEdit(TComponent* AOwner);
    ~TFormEdit() override;

    TPanel* PanelIcon = nullptr;
    TImage* ImageIcon = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* EditFile = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* EditTitle = nullptr;
    TButton* ButtonOK = nullptr;
    TButton* ButtonCancel = nullptr;
    TSpeedButton* SBQSetup = nullptr;
    TSpeedButton* SpeedButtonFolder = nullptr;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void EditFileChange(TObject* Sender);
    void SpeedButtonFolderClick(TObject* Sender);
    void SBQSetupClick(TObject* Sender);

protected:
    void CreateParams(TCreateParams& Params) override;
};
