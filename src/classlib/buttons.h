// The speed button: a flat button with a small picture.
#pragma once

#include "controls.h"

// A flat button with a glyph (a 16 x 16 bitmap drawn centred, its
// transparent colour left out: the bottom-left pixel unless set otherwise).
// It shows a raised edge while the mouse is over it and a sunken one while
// pressed; a click fires OnClick. Hint with ShowHint gives it a tooltip.
class TSpeedButton : public TCustomControl {
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    TBitmap* Glyph() { return &FGlyph; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool flat);

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TBitmap FGlyph;
    bool FFlat = true;
    bool FDown = false;
    bool FHot = false;
};
