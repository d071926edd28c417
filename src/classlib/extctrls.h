// Timer and the extra controls (panel, image).
#pragma once

#include "controls.h"

// A timer on its own hidden window. Setting Interval or Enabled to the value
// it already has does not restart the count; a change restarts it.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned milliseconds);  // 1000 by default
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);  // true by default, as a new timer runs

    TNotifyEvent OnTimer;

private:
    void UpdateTimer();
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    unsigned FInterval = 1000;
    bool FEnabled = true;
    HWND FWindow = nullptr;
};

enum TBevelCut { bvNone, bvLowered, bvRaised };

// A panel: a plain area in its Color with optional 3-D bevels (the outer one
// at the edge, the inner one inside it, each BevelWidth pixels) and an
// optional centred caption; the parent of the controls placed on it.
class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* AOwner);
    ~TPanel() override;

    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut bevel);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut bevel);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int width);

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;

private:
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
};

// An image: shows Picture()->Bitmap() at its top-left corner on the parent's
// colour. With Transparent the bitmap's transparent colour (its bottom-left
// pixel unless set otherwise) lets the parent's colour show through. The
// image repaints when the picture changes.
class TImage : public TCustomControl {
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture* Picture() { return FPicture; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool stretch);  // the bitmap fills the control
    bool Center() const { return FCenter; }
    void SetCenter(bool center);

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;

private:
    TPicture* FPicture;
    bool FTransparent = false;
    bool FStretch = false;
    bool FCenter = false;
};
