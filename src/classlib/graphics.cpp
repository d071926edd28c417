#include "graphics.h"

#include "probe.h"

#include <cstring>
#include <iterator>

namespace {

int ScreenPixelsPerInch() {
    static int ppi = [] {
        HDC dc = GetDC(nullptr);
        int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return v > 0 ? v : 96;
    }();
    return ppi;
}

struct ColorName {
    const wchar_t* name;
    TColor color;
};

const ColorName kColorNames[] = {
    {L"clBlack", clBlack},
    {L"clMaroon", clMaroon},
    {L"clGreen", clGreen},
    {L"clOlive", clOlive},
    {L"clNavy", clNavy},
    {L"clPurple", clPurple},
    {L"clTeal", clTeal},
    {L"clGray", clGray},
    {L"clSilver", clSilver},
    {L"clRed", clRed},
    {L"clLime", clLime},
    {L"clYellow", clYellow},
    {L"clBlue", clBlue},
    {L"clFuchsia", clFuchsia},
    {L"clAqua", clAqua},
    {L"clWhite", clWhite},
    {L"clNone", clNone},
    {L"clDefault", clDefault},
    {L"clScrollBar", clScrollBar},
    {L"clBackground", clBackground},
    {L"clActiveCaption", clActiveCaption},
    {L"clInactiveCaption", clInactiveCaption},
    {L"clMenu", clMenu},
    {L"clWindow", clWindow},
    {L"clWindowFrame", clWindowFrame},
    {L"clMenuText", clMenuText},
    {L"clWindowText", clWindowText},
    {L"clCaptionText", clCaptionText},
    {L"clActiveBorder", clActiveBorder},
    {L"clInactiveBorder", clInactiveBorder},
    {L"clAppWorkSpace", clAppWorkSpace},
    {L"clHighlight", clHighlight},
    {L"clHighlightText", clHighlightText},
    {L"clBtnFace", clBtnFace},
    {L"clBtnShadow", clBtnShadow},
    {L"clGrayText", clGrayText},
    {L"clBtnText", clBtnText},
    {L"clInactiveCaptionText", clInactiveCaptionText},
    {L"clBtnHighlight", clBtnHighlight},
    {L"cl3DDkShadow", cl3DDkShadow},
    {L"cl3DLight", cl3DLight},
    {L"clInfoText", clInfoText},
    {L"clInfoBk", clInfoBk},
};

}  // namespace

TColor ColorToRGB(TColor color) {
    if (static_cast<unsigned>(color) >> 24 == 0xFF) return static_cast<TColor>(GetSysColor(color & 0xFF));
    return color;
}

TColor StringToColor(const UnicodeString& text) {
    for (const auto& entry : kColorNames)
        if (SameText(text, entry.name)) return entry.color;
    int value = 0;
    if (!TryStrToInt(text, value)) throw EConvertError(L"'" + text + L"' is not a valid colour");
    return value;
}

UnicodeString ColorToString(TColor color) {
    for (const auto& entry : kColorNames)
        if (entry.color == color) return entry.name;
    wchar_t buffer[16];
    swprintf(buffer, std::size(buffer), L"$%08X", static_cast<unsigned>(color));
    return buffer;
}

// --- TFont -----------------------------------------------------------------

TFont::TFont() : FHeight(-MulDiv(8, ScreenPixelsPerInch(), 72)) {}

TFont::~TFont() {
    if (FHandle) DeleteObject(FHandle);
}

void TFont::Assign(const TFont& source) {
    if (&source == this) return;
    FName = source.FName;
    FHeight = source.FHeight;
    FColor = source.FColor;
    FStyle = source.FStyle;
    Changed();
}

void TFont::SetName(const UnicodeString& name) {
    if (name == FName) return;
    FName = name;
    Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetHeight(int pixels) {
    if (pixels == FHeight) return;
    FHeight = pixels;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == FStyle) return;
    FStyle = style;
    Changed();
}

HFONT TFont::Handle() const {
    if (!FHandle) {
        LOGFONTW lf{};
        lf.lfHeight = FHeight;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
        lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH;
        wcsncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
        FHandle = CreateFontIndirectW(&lf);
        KPROBE_COUNT(kcFonts);
    }
    return FHandle;
}

void TFont::Changed() {
    if (FHandle) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    if (OnChange) OnChange(this);
}

// --- TCanvas ---------------------------------------------------------------

namespace {

// Selects the canvas's tools into the DC for one call and restores the DC.
class ToolScope {
public:
    ToolScope(HDC dc, HGDIOBJ font, HGDIOBJ brush, HGDIOBJ pen) : FDC(dc) {
        FSaved = SaveDC(dc);
        if (font) SelectObject(dc, font);
        if (brush) SelectObject(dc, brush);
        if (pen) SelectObject(dc, pen);
    }
    ~ToolScope() { RestoreDC(FDC, FSaved); }

private:
    HDC FDC;
    int FSaved;
};

}  // namespace

TCanvas::TCanvas() = default;

TCanvas::~TCanvas() = default;

HDC TCanvas::Handle() { return FHandle; }

void TCanvas::SetHandle(HDC dc) { FHandle = dc; }

void TCanvas::FillRect(const RECT& rect) {
    HDC dc = Handle();
    if (!dc || FBrush.Style == bsClear) return;
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(FBrush.Color)));
    ::FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void TCanvas::FrameRect(const RECT& rect) {
    HDC dc = Handle();
    if (!dc) return;
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(FBrush.Color)));
    ::FrameRect(dc, &rect, brush);
    DeleteObject(brush);
}

void TCanvas::Rectangle(const RECT& rect) {
    HDC dc = Handle();
    if (!dc) return;
    HPEN pen = CreatePen(PS_SOLID, FPen.Width, static_cast<COLORREF>(ColorToRGB(FPen.Color)));
    HBRUSH brush = FBrush.Style == bsClear ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                            : CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(FBrush.Color)));
    {
        ToolScope scope(dc, nullptr, brush, pen);
        ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
    DeleteObject(pen);
    if (FBrush.Style != bsClear) DeleteObject(brush);
}

void TCanvas::MoveTo(int x, int y) {
    if (HDC dc = Handle()) MoveToEx(dc, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    HDC dc = Handle();
    if (!dc) return;
    HPEN pen = CreatePen(PS_SOLID, FPen.Width, static_cast<COLORREF>(ColorToRGB(FPen.Color)));
    HGDIOBJ old = SelectObject(dc, pen);
    ::LineTo(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* source, const RECT& sourceRect) {
    HDC dc = Handle();
    HDC src = source ? source->Handle() : nullptr;
    if (!dc || !src) return;
    int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    int sw = sourceRect.right - sourceRect.left, sh = sourceRect.bottom - sourceRect.top;
    if (dw == sw && dh == sh) {
        BitBlt(dc, dest.left, dest.top, dw, dh, src, sourceRect.left, sourceRect.top, SRCCOPY);
    } else {
        int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, dest.left, dest.top, dw, dh, src, sourceRect.left, sourceRect.top, sw, sh, SRCCOPY);
        SetStretchBltMode(dc, oldMode);
    }
}

void TCanvas::TextOut(int x, int y, const UnicodeString& text) {
    HDC dc = Handle();
    if (!dc) return;
    ToolScope scope(dc, FFont.Handle(), nullptr, nullptr);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(FFont.Color())));
    if (FBrush.Style == bsClear) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(FBrush.Color)));
    }
    ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

SIZE TCanvas::TextExtent(const UnicodeString& text) {
    SIZE size{0, 0};
    HDC dc = Handle();
    if (!dc) return size;
    ToolScope scope(dc, FFont.Handle(), nullptr, nullptr);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

TColor TCanvas::Pixel(int x, int y) {
    HDC dc = Handle();
    return dc ? static_cast<TColor>(GetPixel(dc, x, y)) : clBlack;
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    if (HDC dc = Handle()) ::SetPixel(dc, x, y, static_cast<COLORREF>(ColorToRGB(color)));
}
