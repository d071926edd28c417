// Panels and images: controls of the library that paint themselves.
#include "extctrls.h"

namespace {

TColor BackColorOf(TControl* control) {
    return control->Parent() ? control->Parent()->Color() : control->Color();
}

void FillSolid(HDC dc, const RECT& r, TColor color) {
    HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color)));
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
}

// One 3-D edge of width pixels just inside r: top and left in topLeft,
// bottom and right in bottomRight. r becomes the area inside the edge.
void Frame3D(HDC dc, RECT& r, TColor topLeft, TColor bottomRight, int width) {
    for (int i = 0; i < width && r.right - r.left > 1 && r.bottom - r.top > 1; ++i) {
        FillSolid(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
        FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
        FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
        FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
        ::InflateRect(&r, -1, -1);
    }
}

void Bevel(HDC dc, RECT& r, TBevelCut cut, int width) {
    if (cut == bvRaised) Frame3D(dc, r, clBtnHighlight, clBtnShadow, width);
    else if (cut == bvLowered) Frame3D(dc, r, clBtnShadow, clBtnHighlight, width);
}

}  // namespace

// --- TPanel --------------------------------------------------------------

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    FWidth = 185;
    FHeight = 41;
    FColor = clBtnFace;
}

TPanel::~TPanel() = default;

void TPanel::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_CONTROLPARENT;
    Params.Style |= WS_CLIPCHILDREN;
    Params.ClassStyle |= CS_HREDRAW | CS_VREDRAW;  // the bevels follow the size
}

void TPanel::SetBevelInner(TBevelCut bevel) {
    if (bevel == FBevelInner) return;
    FBevelInner = bevel;
    Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
    if (bevel == FBevelOuter) return;
    FBevelOuter = bevel;
    Invalidate();
}

void TPanel::SetBevelWidth(int width) {
    if (width < 1) width = 1;
    if (width == FBevelWidth) return;
    FBevelWidth = width;
    Invalidate();
}

void TPanel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_ERASEBKGND:
            Message.Result = 1;  // Paint covers the whole area
            return;
        case CM_TEXTCHANGED:
        case CM_FONTCHANGED:
        case CM_COLORCHANGED:
            TCustomControl::Dispatch(Message);
            Invalidate();
            return;
        default:
            TCustomControl::Dispatch(Message);
    }
}

void TPanel::Paint() {
    HDC dc = Canvas()->Handle();
    RECT r = ClientRect();
    FillSolid(dc, r, Color());
    Bevel(dc, r, FBevelOuter, FBevelWidth);
    Bevel(dc, r, FBevelInner, FBevelWidth);
    if (!Caption().empty()) {
        HGDIOBJ oldFont = ::SelectObject(dc, Font()->Handle());
        int oldMode = ::SetBkMode(dc, TRANSPARENT);
        COLORREF oldColor = ::SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
        UnicodeString text = Caption();
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::SetTextColor(dc, oldColor);
        ::SetBkMode(dc, oldMode);
        ::SelectObject(dc, oldFont);
    }
}

// --- TImage --------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TCustomControl(AOwner), FPicture(new TPicture) {
    FWidth = 105;
    FHeight = 105;
    FPicture->OnChange = [this](TObject*) {
        if (HandleAllocated()) Invalidate();
    };
}

TImage::~TImage() {
    FPicture->OnChange = nullptr;
    delete FPicture;
}

void TImage::SetTransparent(bool transparent) {
    if (transparent == FTransparent) return;
    FTransparent = transparent;
    Invalidate();
}

void TImage::SetStretch(bool stretch) {
    if (stretch == FStretch) return;
    FStretch = stretch;
    Invalidate();
}

void TImage::SetCenter(bool center) {
    if (center == FCenter) return;
    FCenter = center;
    Invalidate();
}

void TImage::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_ERASEBKGND) {
        Message.Result = 1;  // Paint covers the whole area
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TImage::Paint() {
    HDC dc = Canvas()->Handle();
    RECT r = ClientRect();
    FillSolid(dc, r, BackColorOf(this));
    TBitmap* bitmap = FPicture->Bitmap();
    if (bitmap->Empty()) return;
    const int w = bitmap->Width(), h = bitmap->Height();
    RECT dest{0, 0, w, h};
    if (FStretch) {
        dest = r;
    } else if (FCenter) {
        dest.left = (r.right - w) / 2;
        dest.top = (r.bottom - h) / 2;
        dest.right = dest.left + w;
        dest.bottom = dest.top + h;
    }
    HDC source = bitmap->Canvas()->Handle();
    const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    if (FTransparent || bitmap->Transparent()) {
        UINT key = static_cast<UINT>(ColorToRGB(bitmap->TransparentColor()));
        ::TransparentBlt(dc, dest.left, dest.top, dw, dh, source, 0, 0, w, h, key);
    } else {
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, dest.left, dest.top, dw, dh, source, 0, 0, w, h, SRCCOPY);
    }
}
