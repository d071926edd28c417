// Colours, fonts, canvases and bitmaps of the class library, on GDI.
#pragma once

#include "classes.h"

// 0x00BBGGRR for an RGB colour; 0xFF0000nn for the system colour with index nn.
using TColor = int;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<unsigned>(index)); }
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

// A system colour becomes its current RGB value (GetSysColor); an RGB colour
// is returned unchanged.
TColor ColorToRGB(TColor color);
// A colour name ("clRed", "clBtnFace") or an integer ("255", "$0000FF",
// "0xFF"); anything else raises EConvertError.
TColor StringToColor(const UnicodeString& text);
UnicodeString ColorToString(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// A font description with a lazily created GDI handle. Every change fires
// OnChange (controls turn it into CM_FONTCHANGED).
class TFont : public TObject {
public:
    TFont();  // "Tahoma", 8 points, black, regular
    ~TFont() override;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    void Assign(const TFont& source);  // name, height, colour, style; one OnChange

    const UnicodeString& Name() const { return FName; }
    void SetName(const UnicodeString& name);
    // Size in points; Height in pixels: negative for the character height,
    // as LOGFONT. The two are converted with the screen's pixels per inch.
    int Size() const;
    void SetSize(int points);
    int Height() const { return FHeight; }
    void SetHeight(int pixels);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles style);

    HFONT Handle() const;  // created on first use, kept until the font changes

    TNotifyEvent OnChange;

private:
    void Changed();
    UnicodeString FName = L"Tahoma";
    int FHeight;
    TColor FColor = clBlack;
    TFontStyles FStyle = 0;
    mutable HFONT FHandle = nullptr;
};

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TObject {
public:
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

class TPen : public TObject {
public:
    TColor Color = clBlack;
    int Width = 1;
};

class TBitmap;

// Drawing on a device context. The handle belongs to whoever supplies it (a
// bitmap's memory DC, a control's paint DC); the canvas selects its font,
// brush and pen into it for each call and leaves the DC as it found it.
class TCanvas : public TObject {
public:
    TCanvas();
    ~TCanvas() override;

    // The DC drawn on. A derived canvas may create one on demand.
    virtual HDC Handle();
    void SetHandle(HDC dc);

    TBrush* Brush() { return &FBrush; }
    TPen* Pen() { return &FPen; }
    TFont* Font() { return &FFont; }

    void FillRect(const RECT& rect);   // with the brush (nothing when bsClear)
    void FrameRect(const RECT& rect);  // one-pixel frame in the brush colour
    void Rectangle(const RECT& rect);  // pen outline, brush inside
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // Draws a bitmap at (x, y) with its own size; a bitmap with Transparent
    // set leaves its transparent colour out.
    void Draw(int x, int y, TBitmap* bitmap);
    void StretchDraw(const RECT& dest, TBitmap* bitmap);
    void CopyRect(const RECT& dest, TCanvas* source, const RECT& sourceRect);
    // Text in the font and font colour; the background is the brush colour,
    // or left as it is with bsClear.
    void TextOut(int x, int y, const UnicodeString& text);
    SIZE TextExtent(const UnicodeString& text);
    int TextWidth(const UnicodeString& text) { return TextExtent(text).cx; }
    int TextHeight(const UnicodeString& text) { return TextExtent(text).cy; }
    TColor Pixel(int x, int y);  // GetPixel as TColor
    void SetPixel(int x, int y, TColor color);

protected:
    HDC FHandle = nullptr;
    TBrush FBrush;
    TPen FPen;
    TFont FFont;
};

// A bitmap operation that cannot be carried out (a scan line outside the image).
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

enum TPixelFormat { pfDevice, pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };

// A bitmap on a top-down DIB section: scan line 0 is the top row; pf24bit
// rows hold blue, green, red per pixel and are padded to 4 bytes. pfDevice is
// stored as 32 bits per pixel. Changing size or format keeps the image where
// it still fits (new area is white); changes fire OnChange. A bitmap of width
// or height 0 has no section (Handle() null) and draws nothing.
class TBitmap : public TObject {
public:
    TBitmap();
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetWidth(int width);
    void SetHeight(int height);
    void SetSize(int width, int height);
    bool Empty() const { return FWidth == 0 || FHeight == 0; }

    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat format);  // redraws the image into the new section
    // Row y of the pixels (0 is the top); valid until the size or format changes.
    // Raises EInvalidGraphicOperation for y outside 0 .. Height - 1 (so always
    // for an empty bitmap).
    void* ScanLine(int y);

    // Copies size, format, image and transparency settings; a null source empties.
    void Assign(const TBitmap* source);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);
    // tmAuto: the colour of the bottom-left pixel (clDefault for an empty
    // bitmap); tmFixed: the colour set.
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode);
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);  // also sets tmFixed; clDefault sets tmAuto

    TCanvas* Canvas();   // draws into the DIB section
    HBITMAP Handle();    // the DIB section; null while the bitmap is empty
    // Gives up the section: the caller owns the returned handle; the bitmap is empty.
    HBITMAP ReleaseHandle();
    // Frees the image: the bitmap becomes empty (0 x 0).
    void FreeImage();

    TNotifyEvent OnChange;

private:
    void Recreate(int width, int height, TPixelFormat format);
    // Makes the white section of a bitmap that has a size but no section yet.
    void NeedSection();
    void Install(HBITMAP section, void* bits, int width, int height, TPixelFormat format);
    void Changed();

    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FPixelFormat = pfDevice;
    HBITMAP FBitmap = nullptr;
    void* FBits = nullptr;
    HDC FDC = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
    TCanvas* FCanvas = nullptr;
    bool FTransparent = false;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
};

// The picture of an image control: one bitmap.
class TPicture : public TObject {
public:
    TPicture();
    ~TPicture() override;
    TBitmap* Bitmap() { return FBitmap; }
    TNotifyEvent OnChange;

private:
    TBitmap* FBitmap;
};
