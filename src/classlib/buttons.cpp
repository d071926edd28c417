// The speed button: painted by the library, clicked through the base
// control's mouse handling.
#include "buttons.h"

namespace {

void FillSolid(HDC dc, const RECT& r, TColor color) {
    HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color)));
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
}

void Edge(HDC dc, const RECT& r, TColor topLeft, TColor bottomRight) {
    FillSolid(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

}  // namespace

TSpeedButton::TSpeedButton(TComponent* AOwner) : TCustomControl(AOwner) {
    FWidth = 23;
    FHeight = 22;
    FGlyph.OnChange = [this](TObject*) {
        if (HandleAllocated()) Invalidate();
    };
}

TSpeedButton::~TSpeedButton() { FGlyph.OnChange = nullptr; }

void TSpeedButton::SetFlat(bool flat) {
    if (flat == FFlat) return;
    FFlat = flat;
    Invalidate();
}

void TSpeedButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_ERASEBKGND:
            Message.Result = 1;  // Paint covers the whole area
            return;
        case CM_MOUSEENTER:
            FHot = true;
            TCustomControl::Dispatch(Message);
            Invalidate();
            return;
        case CM_MOUSELEAVE:
            FHot = false;
            TCustomControl::Dispatch(Message);
            Invalidate();
            return;
        case CM_ENABLEDCHANGED:
        case CM_COLORCHANGED:
            TCustomControl::Dispatch(Message);
            Invalidate();
            return;
        default:
            TCustomControl::Dispatch(Message);
    }
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Enabled()) {
        FDown = true;
        Repaint();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && FDown) {
        FDown = false;
        Invalidate();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TSpeedButton::Paint() {
    HDC dc = Canvas()->Handle();
    RECT r = ClientRect();
    TColor face = Parent() ? Parent()->Color() : Color();
    FillSolid(dc, r, face);
    // Pressed while the mouse is over it: sunken; hot or not flat: raised.
    POINT cursor{};
    ::GetCursorPos(&cursor);
    RECT screen = r;
    ::MapWindowPoints(FHandle, nullptr, reinterpret_cast<POINT*>(&screen), 2);
    const bool over = ::PtInRect(&screen, cursor) != 0;
    const bool pressed = FDown && over;
    if (Enabled() && pressed) Edge(dc, r, clBtnShadow, clBtnHighlight);
    else if (Enabled() && (FHot || !FFlat)) Edge(dc, r, clBtnHighlight, clBtnShadow);
    else if (!FFlat) Edge(dc, r, clBtnHighlight, clBtnShadow);

    if (FGlyph.Empty()) return;
    const int w = FGlyph.Width(), h = FGlyph.Height();
    int x = (r.right - w) / 2, y = (r.bottom - h) / 2;
    if (pressed) ++x, ++y;
    HDC source = FGlyph.Canvas()->Handle();
    UINT key = static_cast<UINT>(ColorToRGB(FGlyph.TransparentColor()));
    if (Enabled()) {
        ::TransparentBlt(dc, x, y, w, h, source, 0, 0, w, h, key);
        return;
    }
    // Disabled: the glyph's shape in the shadow colour, embossed with the
    // highlight colour one pixel down and right.
    for (int pass = 0; pass < 2; ++pass) {
        TColor ink = pass == 0 ? clBtnHighlight : clBtnShadow;
        COLORREF inkRgb = static_cast<COLORREF>(ColorToRGB(ink));
        int ox = pass == 0 ? 1 : 0;
        for (int gy = 0; gy < h; ++gy)
            for (int gx = 0; gx < w; ++gx)
                if (::GetPixel(source, gx, gy) != key) ::SetPixelV(dc, x + gx + ox, y + gy + ox, inkRgb);
    }
}
