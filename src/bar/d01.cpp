// Unit D01: the bar's data module.
#include "d01.h"

#include "fman.h"
#include "g01.h"
#include "s01.h"

TDM::TDM(TComponent* AOwner) : TDataModule(AOwner) {
    Name = L"DM";
    PMenuButton = new TPopupMenu(this);
    PMenuButton->Name = L"PMenuButton";
    ColorDialog = new TColorDialog(this);
    ColorDialog->Name = L"ColorDialog";
}

TDM::~TDM() {
    if (DM == this) DM = nullptr;
}

void TDM::TimerTick(TObject*) {
    if (!Timer || !BarState) return;
    Timer->SetEnabled(false);
    if (TimerMode == 2) {
        // Closing frees this module: nothing of it is touched afterwards.
        if (FDovrak) FDovrak->Close();
        return;
    }
    if (TimerMode == 3) {
        if (FormEdit || FormOption) {
            SetTimerMode(3);  // a dialog is open: try again in a fresh 10 s
        } else if (BarState->AutoHide == 1) {
            ApplyViewMode(3);
        }
    }
}
