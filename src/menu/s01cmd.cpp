// The item commands of the command menu: edit, add, copy, insert-paste and
// delete an item of the item menu, the option dialog, help and exit, and
// the clipboard format "PELNOR" in which one item travels.
//
// "PELNOR" data: one GMEM_MOVEABLE block of (n + 1) x 2 bytes, the n UTF-16
// units of the item's record line as the menu file holds it, then one 0
// unit. Once handed over the block belongs to the clipboard; the program
// keeps its handle only as a note (TMenuSettings::ClipboardHandle).
#include "clipdata.h"
#include "f01.h"
#include "fedit.h"
#include "fmenu.h"
#include "foption.h"
#include "g01.h"
#include "qini.h"
#include "s01.h"

#include <algorithm>

const char* const PelnorClipboardFormat = "PELNOR";

namespace {

constexpr int FieldTitle = 1;
constexpr int FieldTarget = 2;

HWND OwnerWindow() { return FPelnor ? FPelnor->Handle() : nullptr; }

void LimitBeep() { ::Beep(2000, 100); }

bool ValidItem(TKMenu* menu, int i) { return menu && i >= 0 && i < menu->Items->Count(); }

bool MenuFull(TKMenu* menu) { return menu->Items->Count() >= MenuItemLimit; }

// The menu in its new size, over a fresh copy of the screen, every button drawn again.
void Relayout(TKMenu* menu) {
    menu->ArrangeWindow();
    menu->DrawItems();
}

// Makes a dialog of type T into the global that names it while it is open:
// constructed with the main form as owner, its window made, OnCreate run.
template <class T>
T* MakeDialog(T*& global) {
    T* dialog = new T(FPelnor);
    global = dialog;
    try {
        dialog->HandleNeeded();
        dialog->DoCreate();
    } catch (...) {
        delete dialog;
        global = nullptr;
        throw;
    }
    return dialog;
}

// Deletes the dialog when the scope ends, however it ends.
template <class T>
struct DialogScope {
    T*& global;
    T* dialog;
    ~DialogScope() {
        delete dialog;
        if (global == dialog) global = nullptr;
    }
};

}  // namespace

UnicodeString FileItemCaption(const UnicodeString& path) {
    const UnicodeString name = ExtractFileName(path);
    return name.substr(0, name.size() - ExtractFileExt(name).size());
}

HWND DialogParentWindow() {
    if (!FPelnor || !FPelnor->ItemMenu || !FPelnor->ItemMenu->HandleAllocated()) return nullptr;
    HWND menu = FPelnor->ItemMenu->Handle();
    return ::IsWindowVisible(menu) ? menu : nullptr;
}

void DoMenuCommand(TKMenu* menu, int command) {
    switch (command) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            // Shown before the item menu exists, the command menu has no item to act on.
            if (!menu) return;
            break;
        default:
            break;
    }
    switch (command) {
        case 0:
            EditItem(menu, menu->Selected);
            break;
        case 1:
            AddNewItem(menu);
            break;
        case 2:
            CopyItem(menu, menu->Selected);
            break;
        case 3:
            PasteItem(menu, menu->Selected);
            break;
        case 4:
            DeleteItem(menu, menu->Selected);
            break;
        case 5:
            ShowOptionDialog();
            break;
        case 6:  // the open menus close with cancel; the run saves and ends
            Application->Terminate();
            break;
        default:
            break;
    }
}

void EditItem(TKMenu* menu, int i) {
    if (!ValidItem(menu, i)) return;
    TFormEdit* dialog = MakeDialog(FormEdit);
    DialogScope<TFormEdit> scope{FormEdit, dialog};
    dialog->EditTitle->SetText(menu->Items->GetField(i, FieldTitle).c_str());
    dialog->EditFile->SetText(menu->Items->GetField(i, FieldTarget).c_str());
    dialog->ShowModal();
    if (dialog->ModalResult() != mrOK) return;
    // Read out before either write: each field read reuses the store's slot.
    const UnicodeString title = dialog->EditTitle->Text(), target = dialog->EditFile->Text();
    if (!ValidItem(menu, i)) return;
    menu->Items->SetField(i, FieldTitle, title.c_str());
    menu->Items->SetField(i, FieldTarget, target.c_str());
    menu->DrawItem(i);
}

void AddNewItem(TKMenu* menu) {
    if (!menu) return;
    if (MenuFull(menu)) {
        LimitBeep();
        return;
    }
    menu->AddItem(L"", L"");
    Relayout(menu);
}

void CopyItem(TKMenu* menu, int i) {
    if (!ValidItem(menu, i)) return;
    const UnicodeString line = menu->Items->GetLine(i).c_str();
    if (line.empty()) return;  // a blank item is not copied
    const UINT format = ::RegisterClipboardFormatA(PelnorClipboardFormat);
    HGLOBAL block = PutClipboardLine(OwnerWindow(), format, line);
    if (block && MenuSettings) MenuSettings->ClipboardHandle = block;
}

void PasteItem(TKMenu* menu, int i) {
    if (!menu) return;
    const UINT format = ::RegisterClipboardFormatA(PelnorClipboardFormat);
    if (!::OpenClipboard(OwnerWindow())) return;  // another program holds it: nothing changes
    TStringList* lines = menu->Items->List();
    const int place = std::clamp(i, 0, lines->Count());
    int inserted = 0;
    try {
        // An item's line, read within its block's size.
        UnicodeString line;
        if (ReadClipboardLine(format, line)) {
            if (MenuFull(menu)) {
                LimitBeep();
            } else {
                lines->Insert(place, line);
                ++inserted;
            }
        }
        // A file list: one item for its last file, in front of the other.
        UnicodeString file;
        if (LastDroppedFile(static_cast<HDROP>(::GetClipboardData(CF_HDROP)), file)) {
            if (MenuFull(menu)) {
                LimitBeep();
            } else {
                lines->Insert(place, L"");
                ++inserted;
                menu->Items->SetField(place, FieldTitle, FileItemCaption(file).c_str());
                menu->Items->SetField(place, FieldTarget, file.c_str());
            }
        }
    } catch (...) {
        ::CloseClipboard();
        throw;
    }
    ::CloseClipboard();
    if (inserted > 0) Relayout(menu);
}

void DeleteItem(TKMenu* menu, int i) {
    if (!ValidItem(menu, i)) return;
    menu->Items->List()->Delete(i);
    if (menu->Items->Count() == 0) menu->AddItem(L"", L"");  // the list never becomes empty
    Relayout(menu);
}

void ShowOptionDialog() {
    TFormOption* dialog = MakeDialog(FormOption);
    DialogScope<TFormOption> scope{FormOption, dialog};
    dialog->ShowModal();
}

void ShowHelp() {
    if (!MenuSettings) return;
    Application->HelpFile = MenuSettings->ExeDir + L"\\pelnor.chm";
    Application->HelpCommand(HELP_CONTENTS, 0);
}
