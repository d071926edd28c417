// TQMenuButtons: the 50 button slots of one menu window. A button is made
// the first time its slot is drawn and then reused; every drawing sets its
// whole look again from the current settings.
#pragma once

#include "kbutton.h"
#include "kvar.h"

class TKMenu;

class TQMenuButtons {
public:
    static constexpr int kSlotCount = 50;

    // Raises OutOfMemoryError when the slot block cannot be allocated.
    explicit TQMenuButtons(TKMenu* owner);
    ~TQMenuButtons();
    TQMenuButtons(const TQMenuButtons&) = delete;
    TQMenuButtons& operator=(const TQMenuButtons&) = delete;

    // Makes button i when needed and sets its look, glyph, caption and the
    // picture it shows through (the menu's Back). An index outside 0 .. 49 beeps.
    void SetButton(int i, TBitmap* glyph, TKVar caption, TBitmap* under);
    // The button of slot i, or null while none was made (or i is outside the slots).
    TKButton* ButtonAt(int i) const;

    void ButtonClick(TObject* Sender);
    void ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

    TKButton** Slots = nullptr;  // kSlotCount pointers in one zero-filled global block
    TKMenu* Owner = nullptr;     // the menu the buttons sit on; not owned
};
