#include "qbtn.h"

#include "f01.h"
#include "fmenu.h"
#include "g01.h"
#include "probe.h"

TQMenuButtons::TQMenuButtons(TKMenu* owner) : Owner(owner) {
    Slots = static_cast<TKButton**>(::GlobalAlloc(GMEM_ZEROINIT, sizeof(TKButton*) * kSlotCount));
    if (!Slots) throw OutOfMemoryError();
}

TQMenuButtons::~TQMenuButtons() {
    for (int i = 0; i < kSlotCount; ++i) {
        delete Slots[i];
        Slots[i] = nullptr;
    }
    ::GlobalFree(Slots);
    Slots = nullptr;
}

TKButton* TQMenuButtons::ButtonAt(int i) const {
    if (i < 0 || i >= kSlotCount) return nullptr;
    return Slots[i];
}

void TQMenuButtons::SetButton(int i, TBitmap* glyph, TKVar caption, TBitmap* under) {
    if (i < 0 || i >= kSlotCount) {
        ::Beep(2000, 100);
        return;
    }
    TKButton* button = Slots[i];
    if (!button) {
        KPROBE_SPAN(ksButtonMake);
        button = new TKButton(Owner);
        Slots[i] = button;
        button->Index = i;
        button->OnClick = Bind(this, &TQMenuButtons::ButtonClick);
        button->OnMouseDown = Bind(this, &TQMenuButtons::ButtonMouseDown);
        button->SetParentFont(false);
        button->SetEnterTextColor(0xFFFFFF);
        button->SetEnterShade(50);
        button->SetLeft(1);
        button->SetMargin(24);
        button->SetAlignment(taLeftJustify);
        button->SetVisible(true);
    }
    {
        KPROBE_SPAN(ksButtonLook);
        if (MenuSettings->ColorMode == 3) {
            button->SetQButtonStyle(qsFlat);
            button->SetTransparent(true);
            button->Font()->SetColor(0xFFFFFF);
        } else {
            button->SetQButtonStyle(qsFlat);
            button->SetTransparent(false);
            button->Font()->SetColor(MenuSettings->TextColor);
            button->SetFaceColor(MenuSettings->ButtonColor);
        }
        // Setting the style also sets the hover effect, so this comes after it.
        button->SetQButtonEnter(qeShade);
        button->Font()->SetName(MenuSettings->FontName);
        button->Font()->SetSize(MenuSettings->FontSize);
    }
    {
        KPROBE_SPAN(ksButtonPlace);
        const int height = MenuSettings->ItemHeight;
        button->SetHeight(height);
        button->SetTop(height * i + 1);
        button->SetWidth(Owner->Width() - 2);
    }
    {
        KPROBE_SPAN(ksButtonGlyph);
        button->UnderGlyph = under;
        button->SetGlyph(glyph);
    }
    KPROBE_SPAN(ksButtonCaption);
    button->SetCaption(caption.c_str());
}

void TQMenuButtons::ButtonClick(TObject* /*Sender*/) { Owner->SetModalResult(mrOK); }

void TQMenuButtons::ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState /*Shift*/, int /*X*/,
                                    int /*Y*/) {
    auto* button = dynamic_cast<TKButton*>(Sender);
    if (!button) return;
    Owner->Selected = button->Index;
    if (Button != mbRight || Owner->Kind != 0) return;
    if (!FPelnor || !FPelnor->CommandMenu) return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The command menu runs its own modal loop inside this handler; the item
    // menu stays open and its loop goes on afterwards.
    FPelnor->CommandMenu->Popup(Owner, cursor.x, cursor.y);
}
