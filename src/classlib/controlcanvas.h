// The canvas of a control's window, shared by custom controls and forms
// (internal to the class library).
#pragma once

#include "controls.h"

// The paint DC inside WM_PAINT (PaintScope), else a window DC from GetDC,
// released at the end of the control's outermost Dispatch or by the message
// loop (FreeDeviceContexts).
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl* control);
    ~TControlCanvas() override;
    TControlCanvas(const TControlCanvas&) = delete;
    TControlCanvas& operator=(const TControlCanvas&) = delete;

    HDC Handle() override;
    void FreeWindowDC();
    // The control's font and colour, as every paint starts with them.
    void TakeControlLook();

    // BeginPaint .. EndPaint, the canvas drawing on the paint DC meanwhile.
    class PaintScope {
    public:
        PaintScope(TControlCanvas* canvas, HWND window);
        ~PaintScope();
        PaintScope(const PaintScope&) = delete;
        PaintScope& operator=(const PaintScope&) = delete;

    private:
        TControlCanvas* FCanvas;
        HWND FWindow;
        PAINTSTRUCT FPaint{};
        HDC FDC = nullptr;
        HDC FSavedDC = nullptr;
        bool FSavedOwn = false;
    };

private:
    TControl* FControl;
    HWND FWindow = nullptr;
    bool FOwnDC = false;
};
