// The button gallery: one window with TKButtons in every style, pressed
// state, hover effect and contrast, with and without glyph, in each caption
// alignment, disabled, transparent over an image, and with Japanese captions.
// A look at it shows every face side by side.
#include "gallery_layout.h"
#include "kbutton.h"

#include "forms.h"

#include <exception>

namespace {

constexpr TColor kFormColor = 0xC8D0D4;
constexpr int kLabelWidth = 110;
constexpr int kColumnWidth = 125;
constexpr int kButtonWidth = 118;
constexpr int kRowHeight = 42;
constexpr int kTransparentRow = 9;

int ColumnX(int column) { return kLabelWidth + 10 + column * kColumnWidth; }
int RowY(int row) { return 10 + row * kRowHeight; }

// A 16 x 16 folder on magenta; magenta, the bottom-left pixel, is left out
// when the glyph is drawn.
void DrawFolder(TBitmap* glyph) {
    glyph->SetSize(16, 16);
    TCanvas* c = glyph->Canvas();
    c->Brush()->Color = clFuchsia;
    c->FillRect(RECT{0, 0, 16, 16});
    c->Pen()->Color = 0x004080;
    c->Brush()->Color = 0x40C0F0;
    c->Rectangle(RECT{1, 2, 8, 6});
    c->Rectangle(RECT{1, 4, 15, 14});
    c->Brush()->Color = 0x80E0FF;
    c->FillRect(RECT{2, 6, 14, 13});
}

// A 32 x 32 page with text lines and a folded corner.
void DrawPage(TBitmap* glyph) {
    glyph->SetSize(32, 32);
    TCanvas* c = glyph->Canvas();
    c->Brush()->Color = clFuchsia;
    c->FillRect(RECT{0, 0, 32, 32});
    c->Pen()->Color = 0x404040;
    c->Brush()->Color = clWhite;
    c->Rectangle(RECT{6, 2, 27, 30});
    c->Brush()->Color = 0xC0C0C0;
    c->Rectangle(RECT{20, 2, 27, 9});
    c->Brush()->Color = 0xC06020;
    for (int y = 12; y < 28; y += 4) c->FillRect(RECT{9, y, 24, y + 2});
}

class TFGallery : public TForm {
public:
    explicit TFGallery(TComponent* AOwner) : TForm(AOwner) {
        SetBorderStyle(bsSingle);
        SetCaption(L"TKButton gallery (painting)");
        SetColor(kFormColor);
        SetBounds(20, 20, 400, 300);
        SetClientWidth(gallery::kClientWidth);
        SetClientHeight(gallery::kClientHeight);
        OnPaint = [this](TObject*) { Canvas()->Draw(0, 0, FImage); };
        DrawFolder(FFolder);
        DrawPage(FPage);
        DrawImage();
        Build();
    }
    ~TFGallery() override {
        DestroyComponents();  // the buttons use the bitmaps below
        delete FImage;
        delete FFolder;
        delete FPage;
    }

private:
    TKButton* Add(int column, int row, const wchar_t* caption, int style = qsNormal, int width = kButtonWidth,
                  int height = 22) {
        auto* b = new TKButton(this);
        b->SetBounds(ColumnX(column), RowY(row) + (32 - height) / 2, width, height);
        b->SetQButtonStyle(style);
        b->SetCaption(caption);
        return b;
    }
    // Shows the hover look for good: entered, and kept when the mouse leaves.
    static void Hover(TKButton* b) {
        b->SetSelect(true);
        b->State = 2;
    }
    static void Press(TKButton* b) {
        b->State = 1;
        b->Pressed = 1;
    }

    // The form's picture: its colour, the row titles, and a striped, shaded
    // area behind the transparent buttons. It is also the transparent
    // buttons' image of what lies beneath them.
    void DrawImage() {
        FImage->SetPixelFormat(pf24bit);
        FImage->SetSize(gallery::kClientWidth, gallery::kClientHeight);
        TCanvas* c = FImage->Canvas();
        c->Brush()->Color = kFormColor;
        c->FillRect(RECT{0, 0, gallery::kClientWidth, gallery::kClientHeight});
        const int top = RowY(kTransparentRow) - 4, bottom = top + 40;
        for (int y = top; y < bottom; ++y) {
            auto* p = static_cast<uint8_t*>(FImage->ScanLine(y));
            for (int x = kLabelWidth; x < gallery::kClientWidth; ++x) {
                uint8_t* px = p + 3 * x;
                const bool stripe = ((x + y) / 12) % 2 == 0;
                px[0] = static_cast<uint8_t>(120 + (x * 135) / gallery::kClientWidth);  // blue
                px[1] = static_cast<uint8_t>(stripe ? 60 : 110);                       // green
                px[2] = static_cast<uint8_t>(200 - ((y - top) * 4));                   // red
            }
        }
        const wchar_t* titles[] = {L"Styles",   L"Pressed",   L"Hover",        L"Shade",    L"Contrast",
                                   L"Contrast (frame)", L"Glyph", L"Alignment", L"Disabled", L"Transparent",
                                   L"Japanese", L"Colours"};
        c->Font()->Assign(*Font());
        c->Brush()->Style = bsClear;
        for (int row = 0; row < static_cast<int>(std::size(titles)); ++row) c->TextOut(8, RowY(row) + 9, titles[row]);
        c->Brush()->Style = bsSolid;
    }

    void Build() {
        const wchar_t* styleNames[] = {L"Normal", L"Single", L"Flat", L"Frame"};
        for (int s = qsNormal; s <= qsFrame; ++s) Add(s, 0, styleNames[s], s);
        for (int s = qsNormal; s <= qsFrame; ++s) Press(Add(s, 1, styleNames[s], s));

        // Hover effects; each button's own effect set after its style.
        const struct {
            const wchar_t* name;
            int style, enter;
        } hovers[] = {{L"qeNon", qsNormal, qeNon},       {L"qeNormal", qsFlat, qeNormal},
                      {L"qeSingle", qsFlat, qeSingle},   {L"qeShade", qsFlat, qeShade},
                      {L"qeReverse", qsNormal, qeReverse}, {L"qeFrame", qsFrame, qeFrame}};
        for (int i = 0; i < 6; ++i) {
            TKButton* b = Add(i, 2, hovers[i].name, hovers[i].style);
            b->SetQButtonEnter(hovers[i].enter);
            Hover(b);
        }
        // The shade effect by amount and style; the menu's items use 50 with white text.
        const struct {
            const wchar_t* name;
            int style, shade;
            TColor text;
        } shades[] = {{L"Shade 192", qsFlat, 192, 0},       {L"Shade 50 white", qsFlat, 50, clWhite},
                      {L"Shade -100", qsFlat, -100, clWhite}, {L"Shade single", qsSingle, 192, 0},
                      {L"Shade normal", qsNormal, 192, 0},  {L"Shade frame", qsFrame, 192, 0}};
        for (int i = 0; i < 6; ++i) {
            TKButton* b = Add(i, 3, shades[i].name, shades[i].style);
            b->SetQButtonEnter(qeShade);
            b->SetEnterShade(shades[i].shade);
            b->SetEnterTextColor(shades[i].text);
            Hover(b);
        }
        const wchar_t* contrastNames[] = {L"kcClear", L"kcNormal", L"kcSoft1", L"kcSoft2", L"kcSoft3"};
        for (int k = kcClear; k <= kcSoft3; ++k) {
            Add(k, 4, contrastNames[k], qsNormal)->SetQButtonContrast(k);
            Add(k, 5, contrastNames[k], qsFrame)->SetQButtonContrast(k);
        }
        TKButton* pressedClear = Add(5, 4, L"kcClear down", qsNormal);
        pressedClear->SetQButtonContrast(kcClear);
        Press(pressedClear);
        TKButton* frameHover = Add(5, 5, L"kcSoft3 hover", qsFrame);
        frameHover->SetQButtonContrast(kcSoft3);
        Hover(frameHover);

        // Glyphs: centred beside the caption, left with the menu's margin,
        // left overlapping with the default margin, right, alone, large.
        TKButton* g = Add(0, 6, L"Folder");
        g->SetGlyph(FFolder);
        g = Add(1, 6, L"Margin 24", qsFlat);
        g->SetGlyph(FFolder);
        g->SetAlignment(taLeftJustify);
        g->SetMargin(24);
        g = Add(2, 6, L"Margin 4", qsFlat);
        g->SetGlyph(FFolder);
        g->SetAlignment(taLeftJustify);
        g = Add(3, 6, L"Right", qsSingle);
        g->SetGlyph(FFolder);
        g->SetAlignment(taRightJustify);
        g = Add(4, 6, L"", qsSingle, 23, 22);  // an icon button of the bar
        g->SetGlyph(FFolder);
        g = Add(5, 6, L"Page", qsNormal, kButtonWidth, 38);
        g->SetGlyph(FPage);

        // Caption alignment and cutting.
        Add(0, 7, L"Left", qsSingle)->SetAlignment(taLeftJustify);
        Add(1, 7, L"Centre", qsSingle);
        Add(2, 7, L"Right", qsSingle)->SetAlignment(taRightJustify);
        Add(3, 7, L"A caption far too long to fit", qsSingle);
        Add(4, 7, L"Narrow", qsSingle, 12, 22)->SetAlignment(taLeftJustify);  // narrower than its margins: no text
        TKButton* down = Add(5, 7, L"Left pressed", qsSingle);
        down->SetAlignment(taLeftJustify);
        Press(down);

        // Disabled: embossed caption and glyph.
        Add(0, 8, L"Disabled")->SetEnabled(false);
        g = Add(1, 8, L"With glyph", qsSingle);
        g->SetGlyph(FFolder);
        g->SetEnabled(false);
        Add(2, 8, L"Frame", qsFrame)->SetEnabled(false);
        TKButton* coloured = Add(3, 8, L"Coloured", qsSingle);
        coloured->SetFaceColor(0x3080C0);
        coloured->SetEnabled(false);
        TKButton* system = Add(4, 8, L"clBtnFace", qsSingle);
        system->SetFaceColor(clBtnFace);
        system->SetEnabled(false);
        TKButton* seeThrough = Add(5, 8, L"Transparent", qsFlat);
        seeThrough->SetTransparent(true);
        seeThrough->UnderGlyph = FImage;
        seeThrough->SetEnabled(false);

        // Transparent over the striped area.
        const struct {
            const wchar_t* name;
            int style;
            int look;  // 0 up, 1 down, 2 hover
        } clear[] = {{L"Flat", qsFlat, 0},       {L"Single", qsSingle, 0}, {L"Normal", qsNormal, 0},
                     {L"Pressed", qsSingle, 1}, {L"Hover shade", qsFlat, 2}, {L"Hover frame", qsFrame, 2}};
        for (int i = 0; i < 6; ++i) {
            TKButton* b = Add(i, kTransparentRow, clear[i].name, clear[i].style);
            b->SetTransparent(true);
            b->UnderGlyph = FImage;
            b->Font()->SetColor(clWhite);
            if (i == 4) {
                b->SetQButtonEnter(qeShade);
                b->SetEnterShade(50);
                b->SetEnterTextColor(clWhite);
            }
            if (clear[i].look == 1) Press(b);
            if (clear[i].look == 2) Hover(b);
        }

        // Japanese captions in the bar's font.
        const wchar_t* japanese[] = {L"ボタンの編集", L"メニューの編集", L"オプション", L"終了", L"貼り付け", L"削除"};
        for (int i = 0; i < 6; ++i) {
            TKButton* b = Add(i, 10, japanese[i], i < 3 ? qsSingle : qsFlat);
            b->Font()->SetName(L"MS UI Gothic");
            b->Font()->SetSize(10);
            if (i == 1) Hover(b);
            if (i == 2) Press(b);
            if (i == 3) {
                b->SetQButtonEnter(qeShade);
                b->SetEnterShade(50);
                b->SetEnterTextColor(clWhite);
                Hover(b);
            }
            if (i == 4) b->SetGlyph(FFolder);
            if (i == 5) b->SetEnabled(false);
        }

        // Faces in colour, as the bar's text buttons and the dialogs' swatches.
        const struct {
            const wchar_t* name;
            TColor face, text;
            int style, look;
        } colours[] = {{L"Red", 0x0000FF, clWhite, qsSingle, 0},    {L"Swatch", 0x00A000, 0, qsNormal, 0},
                       {L"Dark frame", 0x402010, clWhite, qsFrame, 2}, {L"Dark down", 0x402010, clWhite, qsFrame, 1},
                       {L"Reverse", 0xF0E0D0, 0x802000, qsNormal, 2}, {L"0xD8E9EC", 0xD8E9EC, 0, qsFrame, 2}};
        for (int i = 0; i < 6; ++i) {
            TKButton* b = Add(i, 11, colours[i].name, colours[i].style);
            b->SetFaceColor(colours[i].face);
            b->Font()->SetColor(colours[i].text);
            if (i == 4) b->SetQButtonEnter(qeReverse);
            if (colours[i].look == 1) Press(b);
            if (colours[i].look == 2) Hover(b);
        }

        TKButton* reference = new TKButton(this);
        reference->SetBounds(gallery::kReferenceLeft, gallery::kReferenceTop, gallery::kReferenceWidth,
                             gallery::kReferenceHeight);
        reference->SetQButtonStyle(qsFlat);
    }

    TBitmap* FImage = new TBitmap;
    TBitmap* FFolder = new TBitmap;
    TBitmap* FPage = new TBitmap;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        Application->Initialize();
        TFGallery* form = nullptr;
        Application->CreateForm(&form);
        // Once shown, paint everything at once and say so in the caption.
        Application->PostJob([form] {
            ::RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            form->SetCaption(gallery::kTitle);
        });
        Application->Run();
    } catch (const std::exception& e) {
        if (Application) Application->ShowException(e);
        return 1;
    }
    return 0;
}
