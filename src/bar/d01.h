// Unit D01: the bar's data module TDM with its popup menu, colour dialog and
// the one timer of automatic hiding and the delayed exit.
#pragma once

#include "vcl.h"

class TDM : public TDataModule {
public:
    explicit TDM(TComponent* AOwner);
    ~TDM() override;

    // The popup menu of the bar form and of every button.
    TPopupMenu* PMenuButton = nullptr;
    // The colour dialog of the colour swatches in the dialogs.
    TColorDialog* ColorDialog = nullptr;

    // 2: the exit is pending; 3: the automatic collapse is pending.
    int TimerMode = 0;
    // Created by SetTimerMode(0), destroyed by SetTimerMode(9); null otherwise.
    TTimer* Timer = nullptr;

    // The timer's OnTimer handler.
    void TimerTick(TObject* Sender);
};
