// TKButton: the owner-drawn push button of both programs. It never lets its
// background be erased, composes each face in a memory bitmap from a snapshot
// of what lies beneath it, and draws that bitmap in one piece.
#pragma once

#include "kdraw.h"

class TKButton : public TCustomControl {
public:
    // The owner also becomes the parent when it is a windowed control (a
    // form, a group box); otherwise the button has no parent until given one.
    explicit TKButton(TComponent* AOwner);
    ~TKButton() override;

    void Dispatch(TMessage& Message) override;

    // 0 up, 1 down, 2 enter (mouse over), 3 disabled: chooses the face.
    int State = 0;
    // 1 from a left-button press until Click runs.
    int Pressed = 0;
    // Slot number given by the owner of a row of buttons; repaints nothing.
    int Index = 0;
    // The face painted in memory and the snapshot of what lies under the button.
    TBitmap* Face = nullptr;
    TBitmap* Background = nullptr;
    // Image of the parent in the parent's client coordinates, for the
    // transparent look; not owned.
    TBitmap* UnderGlyph = nullptr;

    int Style() const { return FStyle; }
    int Enter() const { return FEnter; }
    int Contrast() const { return FContrast; }
    TAlignment Alignment() const { return FAlignment; }
    int Round() const { return FRound; }
    int Margin() const { return FMargin; }
    int Spacing() const { return FSpacing; }
    int Transparent() const { return FTransparent; }
    int Select() const { return FSelect; }
    int ModalResult() const { return FModalResult; }
    TColor FaceColor() const { return FFaceColor; }
    TColor EnterTextColor() const { return FEnterTextColor; }
    int EnterShade() const { return FEnterShade; }
    TColor EnterFaceColor() const { return FEnterFaceColor; }
    TColor EnterFrameColor() const { return FEnterFrameColor; }
    TBitmap* Glyph() const { return FGlyph; }

    // Each setter stores its value and invalidates the control, except
    // SetModalResult (no invalidation) and SetGlyph (the glyph's change event
    // invalidates). SetQButtonStyle also sets the hover effect.
    void SetRound(int value);
    void SetMargin(int value);
    void SetSpacing(int value);
    void SetQButtonStyle(int style);
    void SetQButtonEnter(int enter);
    void SetQButtonContrast(int contrast);
    void SetSelect(bool select);
    void SetTransparent(bool transparent);
    void SetModalResult(int result);
    void SetAlignment(TAlignment alignment);
    void SetFaceColor(TColor color);
    void SetEnterTextColor(TColor color);
    void SetEnterShade(int shade);
    void SetEnterFaceColor(TColor color);
    void SetEnterFrameColor(TColor color);
    void SetGlyph(TBitmap* glyph);  // copies the picture

    // Unless disabled: State up and paint at once.
    void QPaint();
    void QDrawUp();
    void QDrawDown();
    void QDrawEnter();
    void QDrawDisabled();
    void QDrawCaption(int offset, TColor color);
    int QGetCaptionLength(int width);
    int QGetContrastValue(int value);
    TColor QGetFrameColor(TColor color, int mode);
    void GlyphChange(TObject* Sender);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    void Paint() override;
    void Click() override;

protected:
    // The window is never created disabled: a disabled button still takes
    // mouse input (it fires OnMouseDown and OnMouseUp).
    void CreateParams(TCreateParams& Params) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    virtual void WMEraseBkgnd(TMessage& Message);
    virtual void CMEnabledChanged(TMessage& Message);
    virtual void CMFontChanged(TMessage& Message);
    virtual void CMTextChanged(TMessage& Message);
    virtual void CMMouseEnter(TMessage& Message);
    virtual void CMMouseLeave(TMessage& Message);

private:
    int FStyle = qsNormal;
    int FEnter = qeNon;
    int FContrast = kcNormal;
    TAlignment FAlignment = taCenter;
    int FRound = 0;
    int FMargin = 4;
    int FSpacing = 4;
    int FTransparent = 0;
    int FSelect = 0;
    int FModalResult = 0;
    TColor FFaceColor = 0xE8E8E8;
    TColor FEnterTextColor = 0;
    int FEnterShade = 192;
    TColor FEnterFaceColor = 0x984E00;
    TColor FEnterFrameColor = 0x984E00;
    TBitmap* FGlyph = nullptr;
};
