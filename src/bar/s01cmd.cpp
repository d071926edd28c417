// Unit S01, the popup menu's commands: edit, cut, copy, insert-paste, delete
// and add a button record, the option dialog, and the clipboard format
// "DOVRAK" in which one record travels.
//
// "DOVRAK" data: one GMEM_MOVEABLE block of 2 x (n + 1) bytes, the n UTF-16
// units of the record line as ButtonStore holds it (field 1 hex-coded), then
// one 0 unit. The block belongs to the clipboard once handed over; the bar
// keeps its handle only as a note (TBarState::ClipMemory).
#include "d01.h"
#include "fedit.h"
#include "fieldtext.h"
#include "fman.h"
#include "foption.h"
#include "g01.h"
#include "qbtn.h"
#include "qini.h"
#include "s01.h"
#include "s02.h"

#include <shellapi.h>

#include <algorithm>

const char* const BarClipboardFormat = "DOVRAK";

namespace {

HWND BarWindow() { return FDovrak ? FDovrak->Handle() : nullptr; }

bool BarReady() { return BarState && ButtonStore && ButtonArray && FDovrak; }

void LimitBeep() { ::Beep(2000, 100); }

bool StoreFull() { return ButtonStore->Count() >= BarButtonCount; }

// The bar in its normal view with every record's button laid out again, and
// automatic hiding re-armed.
void Refresh() {
    ApplyViewMode(1);
    LayoutButtons();
    SetTimerMode(3);
}

// The record line at i, or empty for a place that holds no record.
UnicodeString RecordAt(int i) {
    if (i < 0 || i >= ButtonStore->Count()) return UnicodeString();
    return ButtonStore->List()->Strings(i);
}

// Where an insert at the current place goes: Current, kept inside the list.
int InsertPlace() { return std::clamp(ButtonArray->Current, 0, ButtonStore->Count()); }

// Creates a dialog of type T (owned by the application) into the global that
// names it while it is open, shows it modally and deletes it afterwards.
template <class T>
void RunDialog(T*& global) {
    T* dialog = new T(Application);
    global = dialog;
    try {
        dialog->HandleNeeded();
        dialog->DoCreate();
        dialog->ShowModal();
    } catch (...) {
        delete dialog;
        if (global == dialog) global = nullptr;
        throw;
    }
    delete dialog;
    if (global == dialog) global = nullptr;
}

}  // namespace

int CutRecordAfterInsert(int insertedAt, int cutIndex) {
    // An insert after the cut record leaves it in place; one at or before it
    // moves it one place on. An insert right after it gives the copy the
    // place after it: deleting that copy leaves the same order.
    return insertedAt > cutIndex + 1 ? cutIndex : cutIndex + 1;
}

bool ClipboardHasPasteData() {
    const UINT format = ::RegisterClipboardFormatA(BarClipboardFormat);
    const bool opened = ::OpenClipboard(BarWindow()) != 0;
    const bool available =
        (format && ::IsClipboardFormatAvailable(format)) || ::IsClipboardFormatAvailable(CF_HDROP);
    if (opened) ::CloseClipboard();
    return available;
}

int EditButton(int) {
    if (!BarReady()) return 0;
    const int i = ButtonArray->Current;
    if (i < 0 || i >= ButtonStore->Count()) return 0;  // no record at that place
    RunDialog(FormEdit);
    if (BarState && BarState->ViewMode == 1) LayoutButtons();
    if (BarState) BarState->CutIndex = -1;
    return 0;
}

void CopyButton(int cut) {
    if (!BarReady()) return;
    const UnicodeString line = RecordAt(ButtonArray->Current);
    if (line.empty()) {
        BarState->CutIndex = -1;
        return;
    }
    const UINT format = ::RegisterClipboardFormatA(BarClipboardFormat);
    // Nothing changes when the block cannot be made or handed over.
    HGLOBAL block = PutClipboardLine(BarWindow(), format, line);
    if (!block) return;
    BarState->ClipMemory = block;
    BarState->CutIndex = cut == 1 ? ButtonArray->Current : -1;
}

void PasteButton() {
    if (!BarReady()) return;
    const UINT format = ::RegisterClipboardFormatA(BarClipboardFormat);
    if (!::OpenClipboard(BarWindow())) return;  // another program holds it: nothing changes

    const int place = InsertPlace();
    int inserted = 0;
    bool insertedRecord = false;
    try {
        // A button record, read within its block's size.
        UnicodeString text;
        if (ReadClipboardLine(format, text)) {
            if (StoreFull()) {
                LimitBeep();
            } else {
                ButtonStore->List()->Insert(place, text);
                ++inserted;
                insertedRecord = true;
            }
        }
        // A file list: one record for its last file.
        if (HANDLE drop = ::GetClipboardData(CF_HDROP)) {
            UnicodeString name;
            if (LastDroppedFile(static_cast<HDROP>(drop), name)) {
                if (StoreFull()) {
                    LimitBeep();
                } else {
                    TKVar className, title;
                    GuessWindowNames(name.c_str(), className, title);
                    const UnicodeString c = className.c_str(), t = title.c_str();
                    ButtonStore->List()->Insert(place, L"");
                    ++inserted;
                    ButtonStore->SetField(place, FieldTarget, name.c_str());
                    if (IsPlainFieldSafe(c) && IsPlainFieldSafe(t)) {
                        ButtonStore->SetField(place, FieldClass, c.c_str());
                        ButtonStore->SetField(place, FieldTitle, t.c_str());
                    }
                }
            }
        }
    } catch (...) {
        ::CloseClipboard();
        throw;
    }
    ::CloseClipboard();

    const int cutIndex = BarState->CutIndex;
    if (cutIndex < 0) {
        Refresh();
    } else if (insertedRecord && inserted == 1) {
        // The copy of the cut record went in: delete the cut record itself.
        ButtonArray->Current = CutRecordAfterInsert(place, cutIndex);
        DeleteButton();
    } else {
        // Anything else deletes nothing; the cut stays pending on the cut
        // record, which an insert at or before it has moved on.
        if (inserted > 0 && place <= cutIndex) BarState->CutIndex = cutIndex + inserted;
        Refresh();
    }
}

void DeleteButton() {
    if (!BarReady()) return;
    TStringList* lines = ButtonStore->List();
    const int i = ButtonArray->Current;
    if (i >= 0 && i < lines->Count()) lines->Delete(i);
    if (lines->Count() == 0) lines->Add(L"");  // the store never becomes empty
    BarState->CutIndex = -1;
    Refresh();
}

void AddButton() {
    if (!BarReady()) return;
    if (StoreFull()) {
        LimitBeep();
        return;
    }
    ButtonStore->List()->Add(L"");
    Refresh();
}

void ShowOptions() {
    if (!BarReady()) return;
    RunDialog(FormOption);
    if (!BarState) return;
    if (BarState->ViewMode == 1) {
        ApplyViewMode(1);
        LayoutButtons();
    } else if (BarState->ViewMode == 3) {
        ApplyViewMode(3);
    }
}
