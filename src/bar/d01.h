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
    TMenuItem* PMenuEdit = nullptr;    // Tag 1: EditButton
    TMenuItem* N1 = nullptr;
    TMenuItem* PMenuAdd = nullptr;     // Tag 6: AddButton
    TMenuItem* PMenuCut = nullptr;     // Tag 2: CopyButton(1)
    TMenuItem* PMenuCopy = nullptr;    // Tag 3: CopyButton(0)
    TMenuItem* PMenuPaste = nullptr;   // Tag 4: PasteButton
    TMenuItem* PMenuDelete = nullptr;  // Tag 5: DeleteButton
    TMenuItem* N2 = nullptr;
    TMenuItem* PMenuHide = nullptr;    // Tag 7: collapse the bar
    TMenuItem* N3 = nullptr;
    TMenuItem* PMenuOption = nullptr;  // Tag 8: ShowOptions
    TMenuItem* PMenuHelp = nullptr;    // Tag 9: ShowHelp
    TMenuItem* N4 = nullptr;
    TMenuItem* PmenuExit = nullptr;    // Tag 10: close the bar in 1 s
    // The colour dialog of the colour swatches in the dialogs.
    TColorDialog* ColorDialog = nullptr;

    // 2: the exit is pending; 3: the automatic collapse is pending.
    int TimerMode = 0;
    // Created by SetTimerMode(0), destroyed by SetTimerMode(9); null otherwise.
    TTimer* Timer = nullptr;

    // The popup's OnPopup (the menu's Tag is 0: the items are enabled for
    // where the menu opened) and every item's OnClick (the command of the
    // item's Tag).
    void PMenuButtonClick(TObject* Sender);
    // The timer's OnTimer handler.
    void TimerTick(TObject* Sender);

private:
    TMenuItem* AddItem(const wchar_t* name, const wchar_t* caption, int tag);
};
