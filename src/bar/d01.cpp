// Unit D01: the bar's data module.
#include "d01.h"

#include "fman.h"
#include "g01.h"
#include "s01.h"

TDM::TDM(TComponent* AOwner) : TDataModule(AOwner) {
    Name = L"DM";
    PMenuButton = new TPopupMenu(this);
    PMenuButton->Name = L"PMenuButton";
    PMenuButton->OnPopup = Bind(this, &TDM::PMenuButtonClick);
    PMenuEdit = AddItem(L"PMenuEdit", L"ボタンの編集(&E)...", 1);
    N1 = AddItem(L"N1", L"-", 0);
    PMenuAdd = AddItem(L"PMenuAdd", L"追加(&A)", 6);
    PMenuCut = AddItem(L"PMenuCut", L"切り取り(&T)", 2);
    PMenuCopy = AddItem(L"PMenuCopy", L"コピー(&C)", 3);
    PMenuPaste = AddItem(L"PMenuPaste", L"挿入貼り付け(&P)", 4);
    PMenuDelete = AddItem(L"PMenuDelete", L"削除(&D)", 5);
    N2 = AddItem(L"N2", L"-", 0);
    PMenuHide = AddItem(L"PMenuHide", L"隠す", 7);
    N3 = AddItem(L"N3", L"-", 0);
    PMenuOption = AddItem(L"PMenuOption", L"オプション(&O)...", 8);
    PMenuHelp = AddItem(L"PMenuHelp", L"ヘルプ(&H)...", 9);
    N4 = AddItem(L"N4", L"-", 0);
    PmenuExit = AddItem(L"PmenuExit", L"終了(&X)", 10);
    ColorDialog = new TColorDialog(this);
    ColorDialog->Name = L"ColorDialog";
}

TDM::~TDM() {
    if (DM == this) DM = nullptr;
}

TMenuItem* TDM::AddItem(const wchar_t* name, const wchar_t* caption, int tag) {
    auto* item = new TMenuItem(this);
    item->Name = name;
    item->SetCaption(caption);
    item->Tag = tag;
    if (!item->IsLine()) item->OnClick = Bind(this, &TDM::PMenuButtonClick);
    PMenuButton->Add(item);
    return item;
}

void TDM::PMenuButtonClick(TObject* Sender) {
    auto* component = dynamic_cast<TComponent*>(Sender);
    if (!component || !BarState) return;
    switch (component->Tag) {
        case 0: {
            TMenuItem* buttonItems[] = {PMenuEdit, PMenuAdd, PMenuCut, PMenuCopy, PMenuPaste, PMenuDelete};
            for (TMenuItem* item : buttonItems) item->SetEnabled(false);
            if (BarState->MenuOnButton == 1) {
                for (TMenuItem* item : {PMenuEdit, PMenuCopy, PMenuAdd, PMenuCut, PMenuDelete}) item->SetEnabled(true);
                PMenuPaste->SetEnabled(ClipboardHasPasteData());
            }
            break;
        }
        case 1:
            EditButton(0);
            break;
        case 2:
            CopyButton(1);
            break;
        case 3:
            CopyButton(0);
            break;
        case 4:
            PasteButton();
            break;
        case 5:
            DeleteButton();
            break;
        case 6:
            AddButton();
            break;
        case 7:
            ApplyViewMode(3);
            break;
        case 8:
            ShowOptions();
            break;
        case 9:
            ShowHelp();
            break;
        case 10:
            SetTimerMode(2);
            break;
        default:
            break;
    }
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
