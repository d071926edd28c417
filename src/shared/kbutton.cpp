#include "kbutton.h"

#include "probe.h"

#include <algorithm>
#include <cstdint>

namespace {

// Step added by QGetContrastValue and frame darkness, per contrast.
constexpr int kContrastStep[] = {0, 64, 96, 128, 192};

int ContrastIndex(int contrast) { return std::clamp(contrast, static_cast<int>(kcClear), static_cast<int>(kcSoft3)); }

int Red(TColor c) { return static_cast<int>(static_cast<unsigned>(c) & 0xFF); }
int Green(TColor c) { return static_cast<int>((static_cast<unsigned>(c) >> 8) & 0xFF); }
int Blue(TColor c) { return static_cast<int>((static_cast<unsigned>(c) >> 16) & 0xFF); }

TColor WithChannels(TColor top, int red, int green, int blue) {
    return static_cast<TColor>((static_cast<unsigned>(top) & 0xFF000000u) | static_cast<unsigned>(blue & 0xFF) << 16 |
                               static_cast<unsigned>(green & 0xFF) << 8 | static_cast<unsigned>(red & 0xFF));
}

// The button's own font selected into the face's memory DC for measuring and
// drawing the caption; the DC is left as it was found.
class FaceFont {
public:
    FaceFont(TBitmap* face, TFont* font) : FDC(face->Canvas()->Handle()) {
        FOld = ::SelectObject(FDC, font->Handle());
    }
    ~FaceFont() { ::SelectObject(FDC, FOld); }
    FaceFont(const FaceFont&) = delete;
    FaceFont& operator=(const FaceFont&) = delete;

    SIZE Extent(const wchar_t* text, int count) const {
        SIZE size{0, 0};
        KPROBE_COUNT(kcTextMeasures);
        ::GetTextExtentPoint32W(FDC, text, count, &size);
        return size;
    }
    void Draw(int x, int y, const wchar_t* text, int count, TColor color) const {
        const COLORREF oldColor = ::SetTextColor(FDC, static_cast<COLORREF>(ColorToRGB(color)));
        const int oldMode = ::SetBkMode(FDC, TRANSPARENT);
        const UINT oldAlign = ::SetTextAlign(FDC, TA_LEFT | TA_TOP | TA_NOUPDATECP);
        ::TextOutW(FDC, x, y, text, count);
        ::SetTextAlign(FDC, oldAlign);
        ::SetBkMode(FDC, oldMode);
        ::SetTextColor(FDC, oldColor);
    }

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// Draws the glyph on the face at (left, top), leaving out the pixels of the
// glyph's transparent colour; clipped to the face. It works on the two
// images' rows directly: the system's transparent copy is slow, and a glyph
// is drawn at every repaint (three times on a disabled face).
void DrawTransparent(TBitmap* face, TBitmap* glyph, int left, int top) {
    if (face->Empty() || glyph->Empty()) return;
    const auto key = static_cast<unsigned>(ColorToRGB(glyph->TransparentColor()));
    const auto keyRed = static_cast<uint8_t>(key & 0xFF), keyGreen = static_cast<uint8_t>((key >> 8) & 0xFF),
               keyBlue = static_cast<uint8_t>((key >> 16) & 0xFF);
    const int faceBytes = face->PixelFormat() == pf24bit ? 3 : 4;
    const int glyphBytes = glyph->PixelFormat() == pf24bit ? 3 : 4;
    const int x0 = std::max(0, -left), x1 = std::min(glyph->Width(), face->Width() - left);
    const int y0 = std::max(0, -top), y1 = std::min(glyph->Height(), face->Height() - top);
    for (int y = y0; y < y1; ++y) {
        const auto* s = static_cast<const uint8_t*>(glyph->ScanLine(y)) + x0 * glyphBytes;
        auto* d = static_cast<uint8_t*>(face->ScanLine(top + y)) + (left + x0) * faceBytes;
        for (int x = x0; x < x1; ++x, s += glyphBytes, d += faceBytes) {
            if (s[0] == keyBlue && s[1] == keyGreen && s[2] == keyRed) continue;
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            if (faceBytes == 4) d[3] = 0;
        }
    }
}

}  // namespace

// --- construction --------------------------------------------------------------

TKButton::TKButton(TComponent* AOwner) : TCustomControl(AOwner) {
    FStyle = qsNormal;
    FEnter = qeNon;
    State = 0;
    FAlignment = taCenter;
    FRound = 0;
    FMargin = 4;
    FSpacing = 4;
    FTransparent = 0;
    FContrast = kcNormal;
    SetBounds(Left(), Top(), 100, 22);
    // A button sits on its owner when the owner is a windowed control (a form,
    // a group box); otherwise the caller gives it a parent.
    if (auto* parent = dynamic_cast<TWinControl*>(AOwner)) SetParent(parent);
    Font()->SetColor(clBlack);
    FFaceColor = 0xE8E8E8;
    FEnterTextColor = 0;
    FEnterShade = 192;
    FEnterFaceColor = 0x984E00;
    FEnterFrameColor = 0x984E00;
    Index = 0;
    // Both in the format the pixel routines work in, so that a face copied
    // from the snapshot is not converted again at every repaint.
    Face = new TBitmap;
    Face->SetPixelFormat(pf24bit);
    Face->SetSize(Width(), Height());
    Background = new TBitmap;
    Background->SetPixelFormat(pf24bit);
    Background->SetSize(Width(), Height());
    FGlyph = new TBitmap;
    FGlyph->OnChange = [this](TObject* sender) { GlyphChange(sender); };
    UnderGlyph = nullptr;
    Pressed = 0;
}

TKButton::~TKButton() {
    delete Face;
    Face = nullptr;
    delete Background;
    Background = nullptr;
    FGlyph->OnChange = nullptr;
    delete FGlyph;
    FGlyph = nullptr;
}

void TKButton::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style &= ~static_cast<DWORD>(WS_DISABLED);
}

// --- setters ---------------------------------------------------------------------

void TKButton::SetRound(int value) {
    FRound = value;
    Invalidate();
}

void TKButton::SetMargin(int value) {
    FMargin = value;
    Invalidate();
}

void TKButton::SetSpacing(int value) {
    FSpacing = value;
    Invalidate();
}

void TKButton::SetQButtonStyle(int style) {
    FStyle = style;
    // Each style brings its own hover effect; another one is set afterwards.
    switch (style) {
        case qsNormal: FEnter = qeNormal; break;
        case qsSingle:
        case qsFlat: FEnter = qeSingle; break;
        case qsFrame: FEnter = qeFrame; break;
        default: break;
    }
    Invalidate();
}

void TKButton::SetQButtonEnter(int enter) {
    FEnter = enter;
    Invalidate();
}

void TKButton::SetQButtonContrast(int contrast) {
    FContrast = contrast;
    Invalidate();
}

void TKButton::SetSelect(bool select) {
    FSelect = select ? 1 : 0;
    Invalidate();
}

void TKButton::SetTransparent(bool transparent) {
    FTransparent = transparent ? 1 : 0;
    Invalidate();
}

void TKButton::SetModalResult(int result) { FModalResult = result; }

void TKButton::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    Invalidate();
}

void TKButton::SetFaceColor(TColor color) {
    FFaceColor = color;
    Invalidate();
}

void TKButton::SetEnterTextColor(TColor color) {
    FEnterTextColor = color;
    Invalidate();
}

void TKButton::SetEnterShade(int shade) {
    FEnterShade = shade;
    Invalidate();
}

void TKButton::SetEnterFaceColor(TColor color) {
    FEnterFaceColor = color;
    Invalidate();
}

void TKButton::SetEnterFrameColor(TColor color) {
    FEnterFrameColor = color;
    Invalidate();
}

// The glyph's change event does the invalidation.
void TKButton::SetGlyph(TBitmap* glyph) { FGlyph->Assign(glyph); }

void TKButton::GlyphChange(TObject* /*Sender*/) { Invalidate(); }

// --- painting --------------------------------------------------------------------

void TKButton::Paint() {
    KPROBE_COUNT(kcFaces);
    {
        KPROBE_SPAN(ksFaces);
        KDrawBackground(this, UnderGlyph, Background);
        Face->SetSize(Width(), Height());
        if (State == 0)
            QDrawUp();
        else if (State == 1)
            QDrawDown();
        else if (State == 3)
            QDrawDisabled();
        else if (State == 2)
            QDrawEnter();
    }
    // A button without a window has nothing to show yet; its first WM_PAINT
    // draws it.
    KPROBE_SPAN(ksFaceCopy);
    if (HandleAllocated()) Canvas()->Draw(0, 0, Face);
}

void TKButton::QPaint() {
    if (State == 3) return;
    State = 0;
    Paint();
}

namespace {

// The frame of the framed faces: the face colour scaled toward black.
TColor FrameColor(TColor face, int contrastValue) {
    return KDrawScaleColor(face, contrastValue, contrastValue, contrastValue);
}

}  // namespace

void TKButton::QDrawUp() {
    const TColor fontColor = Font()->Color();
    KDrawFillFace(Face, FTransparent, FFaceColor, Background);
    switch (FStyle) {
        case qsNormal: KDrawBevel(Face, 0, 0, static_cast<TKButtonContrast>(FContrast)); break;
        case qsSingle: KDrawBevel(Face, 0, 1, static_cast<TKButtonContrast>(FContrast)); break;
        case qsFrame: KDrawFrame(Face, FrameColor(FFaceColor, QGetContrastValue(0))); break;
        default: break;  // qsFlat: no bevel
    }
    QDrawCaption(0, fontColor);
}

void TKButton::QDrawDown() {
    const TColor fontColor = Font()->Color();
    KDrawFillFace(Face, FTransparent, FFaceColor, Background);
    switch (FStyle) {
        case qsNormal:
            KDrawBevel(Face, 1, 0, static_cast<TKButtonContrast>(FContrast));
            QDrawCaption(1, fontColor);
            break;
        case qsFrame:
            KDrawFillFace(Face, FTransparent, QGetFrameColor(FFaceColor, 2), Background);
            KDrawFrame(Face, FrameColor(FFaceColor, QGetContrastValue(0)));
            QDrawCaption(0, fontColor);
            break;
        default:  // qsSingle, qsFlat
            KDrawBevel(Face, 1, 1, static_cast<TKButtonContrast>(FContrast));
            QDrawCaption(1, fontColor);
            break;
    }
}

void TKButton::QDrawEnter() {
    const TColor c = FEnterTextColor != 0 ? FEnterTextColor : Font()->Color();
    const auto contrast = static_cast<TKButtonContrast>(FContrast);
    switch (FEnter) {
        case qeNormal:
            KDrawFillFace(Face, FTransparent, FFaceColor, Background);
            KDrawBevel(Face, 0, 0, contrast);
            QDrawCaption(0, c);
            break;
        case qeSingle:
            KDrawFillFace(Face, FTransparent, FFaceColor, Background);
            KDrawBevel(Face, 0, 1, contrast);
            QDrawCaption(0, c);
            break;
        case qeShade:
            KDrawFillFace(Face, FTransparent, FEnterFaceColor, Background);
            if (FEnterShade >= 0)
                KDrawLighten(Face, FEnterShade);
            else
                KDrawDarken(Face, FEnterShade + 255, FEnterShade + 255, FEnterShade + 255);
            switch (FStyle) {
                case qsNormal: KDrawBevel(Face, 0, 0, contrast); break;
                case qsSingle: KDrawBevel(Face, 0, 1, contrast); break;
                case qsFrame: KDrawFrame(Face, FrameColor(FFaceColor, QGetContrastValue(0))); break;
                default: break;
            }
            QDrawCaption(0, c);
            break;
        case qeReverse:
            KDrawFillFace(Face, FTransparent, Font()->Color(), Background);
            QDrawCaption(0, FFaceColor);
            break;
        case qeFrame:
            KDrawFillFace(Face, FTransparent, QGetFrameColor(FFaceColor, 1), Background);
            KDrawFrame(Face, FrameColor(FFaceColor, QGetContrastValue(0)));
            QDrawCaption(0, c);
            break;
        default:  // qeNon: the up face
            QDrawUp();
            break;
    }
}

void TKButton::QDrawDisabled() {
    // The emboss starts from the face colour, a system colour resolved to its
    // current value (its index bytes are no colour to lighten or darken). A
    // transparent face has no colour of its own: it takes what lies beneath
    // it, the snapshot's pixel at (2, 2) (clamped into a smaller snapshot).
    TColor base = ColorToRGB(FFaceColor);
    if (FTransparent == 1 && Background && !Background->Empty()) {
        const int x = std::min(2, Background->Width() - 1), y = std::min(2, Background->Height() - 1);
        base = Background->Canvas()->Pixel(x, y);
    }
    const TColor light = WithChannels(base, KDrawLightenChannel(Red(base), 128), KDrawLightenChannel(Green(base), 128),
                                      KDrawLightenChannel(Blue(base), 128));
    const TColor dark = WithChannels(base, KDrawScaleChannel(Red(base), 128), KDrawScaleChannel(Green(base), 128),
                                     KDrawScaleChannel(Blue(base), 128));
    QDrawUp();
    QDrawCaption(1, light);
    QDrawCaption(0, dark);
}

void TKButton::QDrawCaption(int offset, TColor color) {
    const int w = Width(), h = Height();
    const int g = FGlyph->Empty() ? 0 : FGlyph->Width();
    const int gh = FGlyph->Empty() ? 0 : FGlyph->Height();
    const int gap = g > 0 ? FSpacing : 0;
    const int m = FMargin;

    int available;
    switch (FAlignment) {
        case taLeftJustify: available = w - (m + gap + 4); break;
        case taRightJustify: available = w - (g + gap + m + 4); break;
        default: available = w - (g + gap + 4); break;
    }
    const int n = QGetCaptionLength(available);
    const UnicodeString& caption = Caption();

    FaceFont font(Face, Font());
    const SIZE extent = font.Extent(caption.c_str(), n);
    const int cx = extent.cx, cy = extent.cy;
    const int content = n == 0 ? g : g + gap + cx;

    const int glyphY = h / 2 - gh / 2;
    const int textY = h / 2 - (cy / 2 + 1);
    int glyphX, textX;
    switch (FAlignment) {
        case taLeftJustify:
            // The text keeps its place beside the margin whatever the glyph:
            // a caller with a glyph sets the margin to clear it.
            glyphX = 4;
            textX = m + 2;
            break;
        case taRightJustify:
            glyphX = w - (content + m + 2);
            textX = glyphX + g + gap;
            break;
        default:
            glyphX = w / 2 - content / 2;
            textX = glyphX + g + gap;
            break;
    }

    if (g > 0) {
        if (!FGlyph->Transparent()) {
            // This paint draws the glyph transparent already: the change must
            // not ask for a second paint of the same face.
            TNotifyEvent change = FGlyph->OnChange;
            FGlyph->OnChange = nullptr;
            FGlyph->SetTransparent(true);
            FGlyph->OnChange = change;
        }
        DrawTransparent(Face, FGlyph, glyphX + offset, glyphY + offset);
    }
    if (n > 0) font.Draw(textX + offset, textY + offset, caption.c_str(), n, color);
}

int TKButton::QGetCaptionLength(int width) {
    const UnicodeString& caption = Caption();
    const int length = static_cast<int>(caption.size());
    if (length == 0) return 0;
    FaceFont font(Face, Font());
    for (int n = 1;; ++n) {
        // Never more than 255 characters: the 255th is not measured.
        if (n >= 255) return 255;
        if (font.Extent(caption.c_str(), n).cx > width) return n - 1;
        if (n >= length) return n;
    }
}

int TKButton::QGetContrastValue(int value) {
    return std::clamp(value + kContrastStep[ContrastIndex(FContrast)], 0, 255);
}

TColor TKButton::QGetFrameColor(TColor color, int mode) {
    const TColor rgb = ColorToRGB(color);
    int r = Red(rgb), g = Green(rgb), b = Blue(rgb);
    const int m = std::min({r, g, b});
    if (m <= 128) {
        // Some channel is dark: everything lighter.
        const int amount = mode == 2 ? 128 : 64;
        r = KDrawLightenChannel(r, amount);
        g = KDrawLightenChannel(g, amount);
        b = KDrawLightenChannel(b, amount);
    } else {
        // A light colour: its weakest channels darker, the rest one step down.
        const int weakest = mode == 2 ? 192 : 232;
        r = KDrawScaleChannel(r, r == m ? weakest : 255);
        g = KDrawScaleChannel(g, g == m ? weakest : 255);
        b = KDrawScaleChannel(b, b == m ? weakest : 255);
    }
    return WithChannels(rgb, r, g, b);
}

// --- messages and mouse ----------------------------------------------------------

void TKButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
        case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
        case CM_FONTCHANGED: CMFontChanged(Message); break;
        case CM_TEXTCHANGED: CMTextChanged(Message); break;
        case CM_MOUSEENTER: CMMouseEnter(Message); break;
        case CM_MOUSELEAVE: CMMouseLeave(Message); break;
        default: TCustomControl::Dispatch(Message); break;
    }
}

void TKButton::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TKButton::CMEnabledChanged(TMessage& /*Message*/) {
    if (Enabled()) {
        State = 0;
        Invalidate();
        if (HandleAllocated() && !::IsWindowEnabled(FHandle)) ::EnableWindow(FHandle, TRUE);
    } else {
        State = 3;
        Invalidate();
    }
}

void TKButton::CMFontChanged(TMessage& /*Message*/) { Invalidate(); }

void TKButton::CMTextChanged(TMessage& /*Message*/) { Invalidate(); }

void TKButton::CMMouseEnter(TMessage& /*Message*/) {
    if (State == 3) return;
    if (OnMouseEnter) {
        TNotifyEvent handler = OnMouseEnter;
        handler(this);
    }
    State = 2;
    Invalidate();
}

void TKButton::CMMouseLeave(TMessage& /*Message*/) {
    if (State == 3) return;
    if (OnMouseLeave) {
        TNotifyEvent handler = OnMouseLeave;
        handler(this);
    }
    State = FSelect == 1 ? 2 : 0;
    Invalidate();
}

void TKButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (State != 3 && Button == mbLeft) {
        Pressed = 1;
        State = 1;
        Invalidate();
    }
}

void TKButton::MouseMove(TShiftState Shift, int X, int Y) { TCustomControl::MouseMove(Shift, X, Y); }

void TKButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (State != 3) {
        State = 2;
        Invalidate();
        // A release outside the button brings no click from the class
        // library, and the release that ends a double click neither.
        if (Pressed == 1) Click();
    }
}

void TKButton::Click() {
    if (State == 3) return;
    TCustomControl::Click();
    Pressed = 0;
}
