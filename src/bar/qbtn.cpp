// Unit QBtn: the bar's button row.
#include "qbtn.h"

#include "fman.h"
#include "g01.h"
#include "probe.h"
#include "s01.h"

#include <cstdlib>

TQButtonArray::TQButtonArray(int count, TForm* owner, TPopupMenu* popup) {
    Count = count > 0 ? count : 1;
    Owner = owner;
    Buttons = static_cast<TKButton**>(std::calloc(static_cast<size_t>(Count), sizeof(TKButton*)));
    if (!Buttons) throw OutOfMemoryError();
    KPROBE_SPAN(ksButtonMake);
    for (int i = 0; i < Count; ++i) {
        auto* button = new TKButton(owner);
        Buttons[i] = button;
        button->Index = i;
        button->Hide();
        button->OnClick = Bind(this, &TQButtonArray::ButtonClick);
        button->OnMouseDown = Bind(this, &TQButtonArray::ButtonMouseDown);
        button->SetPopupMenu(popup);
        button->Font()->SetName(L"MS UI Gothic");
        button->Font()->SetSize(10);
        button->SetQButtonStyle(qsSingle);
    }
    Current = 1;
    KPROBE_MOMENT(kpButtonsMade);
}

TQButtonArray::~TQButtonArray() {
    for (int i = 0; i < Count; ++i) {
        delete Buttons[i];
        Buttons[i] = nullptr;
    }
    std::free(Buttons);
    Buttons = nullptr;
}

void TQButtonArray::Clear() {
    for (int i = 0; i < Count; ++i) {
        TKButton* b = Buttons[i];
        b->Font()->SetColor(BarState->TextColor);
        b->SetFaceColor(BarState->ButtonColor);
        b->Hide();
    }
    Owner->SetHeight(BarHeightFor(BarState->ButtonSize));
}

void TQButtonArray::Collapse() {
    for (int i = 0; i < Count; ++i) Buttons[i]->Hide();
    Owner->SetHeight(2);
}

void TQButtonArray::RefreshButton(int i) {
    if (i < 0 || i >= Count) return;
    TKButton* b = Buttons[i];
    b->Glyph()->FreeImage();
    Application->ProcessMessages();
    // Messages may have closed the bar meanwhile.
    if (!BarState || ButtonArray != this) return;
    b->SetFaceColor(BarState->ButtonColor);
    b->Paint();
}

void TQButtonArray::ButtonClick(TObject* Sender) {
    auto* button = dynamic_cast<TKButton*>(Sender);
    if (!button || !BarState) return;
    Current = button->Index;
    if (BarState->ClickBusy != 0) return;  // a launch is running: only remember the button
    BarState->ClickBusy = 1;
    // The bar refuses to close while the flag is up; a close that came
    // meanwhile is made again once this click has returned.
    struct EndClick {
        ~EndClick() {
            if (BarState) BarState->ClickBusy = 0;
            if (FDovrak) FDovrak->ClickEnded();
        }
    } endClick;
    ::ButtonClick(Current);
}

void TQButtonArray::ButtonMouseDown(TObject* Sender, TMouseButton, TShiftState, int, int) {
    auto* button = dynamic_cast<TKButton*>(Sender);
    if (!button || !BarState) return;
    Current = button->Index;
    BarState->MenuOnButton = 1;
}
