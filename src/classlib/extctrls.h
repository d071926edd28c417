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
