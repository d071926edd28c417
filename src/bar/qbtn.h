// Unit QBtn: TQButtonArray, the bar's fixed row of buttons. Button i always
// shows record i of ButtonStore.
#pragma once

#include "kbutton.h"
#include "vcl.h"

class TQButtonArray : public TObject {
public:
    // count buttons (at least 1) owned by and placed on owner, each with the
    // popup menu. Raises OutOfMemoryError when the block cannot be had.
    TQButtonArray(int count, TForm* owner, TPopupMenu* popup);
    ~TQButtonArray() override;
    TQButtonArray(const TQButtonArray&) = delete;
    TQButtonArray& operator=(const TQButtonArray&) = delete;

    TKButton** Buttons = nullptr;  // slot i: the button with Index i
    int Count = 0;
    TForm* Owner = nullptr;
    // The button last clicked or pressed with any mouse button; the popup's
    // commands and the edit dialog act on its record.
    int Current = 1;

    // Every button in the default colours and hidden; the owner as high as a button row.
    void Clear();
    // Every button hidden; the owner 2 pixels high.
    void Collapse();
    // Empties button i's glyph, gives it the default face and paints it now.
    void RefreshButton(int i);

    // OnClick of every button.
    void ButtonClick(TObject* Sender);
    // OnMouseDown of every button (any mouse button).
    void ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
};
