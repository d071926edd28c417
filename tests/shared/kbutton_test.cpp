// TKButton: construction, setters, colours, the faces composed in its Face
// bitmap, the caption layout, and its behaviour under real mouse input on a
// shown form.
#include "kbutton.h"

#include "desktop.h"
#include "forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// --- pixels --------------------------------------------------------------------

int R(COLORREF c) { return GetRValue(c); }
int G(COLORREF c) { return GetGValue(c); }
int B(COLORREF c) { return GetBValue(c); }
COLORREF Gray(int v) { return RGB(v, v, v); }

COLORREF At(TBitmap* bitmap, int x, int y) { return static_cast<COLORREF>(bitmap->Canvas()->Pixel(x, y)) & 0xFFFFFF; }

std::string Hex(COLORREF c) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "%02X,%02X,%02X", R(c), G(c), B(c));
    return buffer;
}

// The first pixel where two images differ, or an empty text when they match.
std::string Difference(TBitmap* actual, TBitmap* expected) {
    if (actual->Width() != expected->Width() || actual->Height() != expected->Height())
        return "size " + std::to_string(actual->Width()) + "x" + std::to_string(actual->Height()) + " against " +
               std::to_string(expected->Width()) + "x" + std::to_string(expected->Height());
    for (int y = 0; y < actual->Height(); ++y)
        for (int x = 0; x < actual->Width(); ++x)
            if (At(actual, x, y) != At(expected, x, y))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + Hex(At(actual, x, y)) +
                       ", expected " + Hex(At(expected, x, y));
    return "";
}

bool HasPixel(TBitmap* bitmap, COLORREF color) {
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            if (At(bitmap, x, y) == color) return true;
    return false;
}

// --- what the test expects to see, drawn independently ---------------------------

SIZE Measure(TFont* font, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->Handle());
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size;
}

// The number of leading characters whose measured width stays within width.
int FittingLength(TFont* font, const std::wstring& text, int width) {
    int n = 0;
    while (n < static_cast<int>(text.size()) && Measure(font, text.substr(0, static_cast<size_t>(n) + 1)).cx <= width)
        ++n;
    return n;
}

void DrawText(TBitmap* bitmap, TFont* font, int x, int y, const std::wstring& text, COLORREF color) {
    HDC dc = bitmap->Canvas()->Handle();
    HGDIOBJ old = SelectObject(dc, font->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    SelectObject(dc, old);
}

// A plain face: filled, optionally bevelled or framed, like an empty button.
std::unique_ptr<TBitmap> PlainFace(int w, int h, TColor fill) {
    auto face = std::make_unique<TBitmap>();
    face->SetSize(w, h);
    KDrawFillFace(face.get(), 0, fill, nullptr);
    return face;
}

// A 16 x 16 glyph: a blue square on magenta, magenta (the bottom-left pixel)
// being left out when it is drawn transparent.
std::unique_ptr<TBitmap> MakeGlyph(int size = 16) {
    auto glyph = std::make_unique<TBitmap>();
    glyph->SetSize(size, size);
    glyph->Canvas()->Brush()->Color = 0xFF00FF;
    glyph->Canvas()->FillRect(RECT{0, 0, size, size});
    glyph->Canvas()->Brush()->Color = 0xFF0000;
    glyph->Canvas()->FillRect(RECT{2, 2, size - 2, size - 2});
    return glyph;
}

void DrawGlyph(TBitmap* face, TBitmap* glyph, int x, int y) {
    TBitmap copy;
    copy.Assign(glyph);
    copy.SetTransparent(true);
    face->Canvas()->Draw(x, y, &copy);
}

// --- the form the buttons sit on ---------------------------------------------------

constexpr int kFormLeft = 100, kFormTop = 100;
constexpr TColor kFormColor = 0x336699;

class KButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(Application);
        form->SetBorderStyle(bsNone);
        form->SetFormStyle(fsStayOnTop);
        form->SetBounds(kFormLeft, kFormTop, 560, 260);
        form->SetColor(kFormColor);
        form->Show();
        ASSERT_TRUE(testdesk::WaitUntil([&] { return IsWindowVisible(form->Handle()) != 0; }));
    }
    void TearDown() override {
        delete form;
        testdesk::PumpMessages();
    }

    // A button on the form with its window made.
    TKButton* NewButton(int left = 20, int top = 20, int width = 100, int height = 22) {
        auto* b = new TKButton(form);
        b->SetBounds(left, top, width, height);
        b->HandleNeeded();
        return b;
    }

    // Paints the button's face for a state into Face (and on its window).
    static void PaintState(TKButton* b, int state) {
        b->State = state;
        b->Paint();
    }

    TForm* form = nullptr;
};

// --- construction and setters ------------------------------------------------------

TEST_F(KButtonTest, ConstructionGivesTheDocumentedValues) {
    auto* b = new TKButton(form);
    EXPECT_EQ(b->Parent(), form);
    EXPECT_EQ(b->Owner(), form);
    EXPECT_EQ(b->Width(), 100);
    EXPECT_EQ(b->Height(), 22);
    EXPECT_EQ(b->State, 0);
    EXPECT_EQ(b->Pressed, 0);
    EXPECT_EQ(b->Index, 0);
    EXPECT_EQ(b->Style(), qsNormal);
    EXPECT_EQ(b->Enter(), qeNon);
    EXPECT_EQ(b->Contrast(), kcNormal);
    EXPECT_EQ(b->Alignment(), taCenter);
    EXPECT_EQ(b->Round(), 0);
    EXPECT_EQ(b->Margin(), 4);
    EXPECT_EQ(b->Spacing(), 4);
    EXPECT_EQ(b->Transparent(), 0);
    EXPECT_EQ(b->Select(), 0);
    EXPECT_EQ(b->ModalResult(), 0);
    EXPECT_EQ(b->Font()->Color(), 0);
    EXPECT_EQ(b->FaceColor(), 0xE8E8E8);
    EXPECT_EQ(b->EnterTextColor(), 0);
    EXPECT_EQ(b->EnterShade(), 192);
    EXPECT_EQ(b->EnterFaceColor(), 0x984E00);
    EXPECT_EQ(b->EnterFrameColor(), 0x984E00);
    ASSERT_NE(b->Face, nullptr);
    ASSERT_NE(b->Background, nullptr);
    EXPECT_EQ(b->Face->Width(), 100);
    EXPECT_EQ(b->Face->Height(), 22);
    EXPECT_EQ(b->Background->Width(), 100);
    EXPECT_EQ(b->Background->Height(), 22);
    ASSERT_NE(b->Glyph(), nullptr);
    EXPECT_TRUE(b->Glyph()->Empty());
    EXPECT_EQ(b->UnderGlyph, nullptr);
    EXPECT_STREQ(b->ClassName().c_str(), L"TKButton");
    b->HandleNeeded();
    EXPECT_EQ(testdesk::ClassOf(b->Handle()), L"TKButton");
}

TEST_F(KButtonTest, AnOwnerThatIsNoWindowedControlGivesNoParent) {
    TComponent owner(nullptr);
    auto* b = new TKButton(&owner);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(b->Owner(), &owner);
    b->Paint();  // no window: the face is composed, nothing is shown
    EXPECT_EQ(At(b->Face, 50, 10), Gray(232));
}

TEST_F(KButtonTest, DeletingTheButtonLeavesTheUnderGlyph) {
    TBitmap under;
    under.SetSize(10, 10);
    {
        auto* b = NewButton();
        b->UnderGlyph = &under;
        delete b;
    }
    EXPECT_EQ(under.Width(), 10);  // still a valid bitmap
    EXPECT_EQ(form->ControlCount(), 0);
}

struct SetterCase {
    const char* name;
    std::function<void(TKButton*)> set;
    std::function<bool(TKButton*)> stored;
    bool invalidates;
};

TEST_F(KButtonTest, SettersStoreTheirValueAndInvalidate) {
    auto glyph = MakeGlyph();
    const SetterCase cases[] = {
        {"Round", [](TKButton* b) { b->SetRound(3); }, [](TKButton* b) { return b->Round() == 3; }, true},
        {"Margin", [](TKButton* b) { b->SetMargin(24); }, [](TKButton* b) { return b->Margin() == 24; }, true},
        {"Spacing", [](TKButton* b) { b->SetSpacing(7); }, [](TKButton* b) { return b->Spacing() == 7; }, true},
        {"Enter", [](TKButton* b) { b->SetQButtonEnter(qeReverse); },
         [](TKButton* b) { return b->Enter() == qeReverse; }, true},
        {"Contrast", [](TKButton* b) { b->SetQButtonContrast(kcSoft2); },
         [](TKButton* b) { return b->Contrast() == kcSoft2; }, true},
        {"Select", [](TKButton* b) { b->SetSelect(true); }, [](TKButton* b) { return b->Select() == 1; }, true},
        {"Transparent", [](TKButton* b) { b->SetTransparent(true); },
         [](TKButton* b) { return b->Transparent() == 1; }, true},
        {"ModalResult", [](TKButton* b) { b->SetModalResult(mrOk); },
         [](TKButton* b) { return b->ModalResult() == mrOk; }, false},
        {"Alignment", [](TKButton* b) { b->SetAlignment(taRightJustify); },
         [](TKButton* b) { return b->Alignment() == taRightJustify; }, true},
        {"FaceColor", [](TKButton* b) { b->SetFaceColor(0x123456); },
         [](TKButton* b) { return b->FaceColor() == 0x123456; }, true},
        {"EnterTextColor", [](TKButton* b) { b->SetEnterTextColor(0xFFFFFF); },
         [](TKButton* b) { return b->EnterTextColor() == 0xFFFFFF; }, true},
        {"EnterShade", [](TKButton* b) { b->SetEnterShade(-40); },
         [](TKButton* b) { return b->EnterShade() == -40; }, true},
        {"EnterFaceColor", [](TKButton* b) { b->SetEnterFaceColor(0x00FF00); },
         [](TKButton* b) { return b->EnterFaceColor() == 0x00FF00; }, true},
        {"EnterFrameColor", [](TKButton* b) { b->SetEnterFrameColor(0x0000FF); },
         [](TKButton* b) { return b->EnterFrameColor() == 0x0000FF; }, true},
        {"Glyph", [&](TKButton* b) { b->SetGlyph(glyph.get()); },
         [](TKButton* b) { return b->Glyph()->Width() == 16 && b->Glyph()->Height() == 16; }, true},
        {"Index", [](TKButton* b) { b->Index = 5; }, [](TKButton* b) { return b->Index == 5; }, false},
        {"UnderGlyph", [&](TKButton* b) { b->UnderGlyph = glyph.get(); },
         [&](TKButton* b) { return b->UnderGlyph == glyph.get(); }, false},
        {"Caption", [](TKButton* b) { b->SetCaption(L"OK"); }, [](TKButton* b) { return b->Caption() == L"OK"; },
         true},
        {"Font", [](TKButton* b) { b->Font()->SetSize(14); }, [](TKButton* b) { return b->Font()->Size() == 14; },
         true},
    };
    for (const SetterCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto* b = NewButton();
        testdesk::PumpMessages();
        ValidateRect(b->Handle(), nullptr);
        c.set(b);
        EXPECT_TRUE(c.stored(b));
        EXPECT_EQ(GetUpdateRect(b->Handle(), nullptr, FALSE) != 0, c.invalidates);
        delete b;
    }
}

TEST_F(KButtonTest, SetGlyphCopiesThePicture) {
    auto glyph = MakeGlyph();
    auto* b = NewButton();
    b->SetGlyph(glyph.get());
    EXPECT_NE(b->Glyph(), glyph.get());
    glyph->Canvas()->Brush()->Color = 0x00FF00;
    glyph->Canvas()->FillRect(RECT{0, 0, 16, 16});
    EXPECT_EQ(At(b->Glyph(), 8, 8), RGB(0, 0, 255));
}

TEST_F(KButtonTest, EachStyleBringsItsHoverEffect) {
    const struct {
        int style, enter;
    } cases[] = {{qsNormal, qeNormal}, {qsSingle, qeSingle}, {qsFlat, qeSingle}, {qsFrame, qeFrame}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        auto* b = NewButton();
        b->SetQButtonEnter(qeShade);  // lost with the style
        b->SetQButtonStyle(c.style);
        EXPECT_EQ(b->Style(), c.style);
        EXPECT_EQ(b->Enter(), c.enter);
        b->SetQButtonEnter(qeReverse);  // set after the style: kept
        EXPECT_EQ(b->Enter(), qeReverse);
        EXPECT_EQ(b->Style(), c.style);
        delete b;
    }
}

// --- colours -------------------------------------------------------------------------

TEST_F(KButtonTest, FrameColorOfLightAndDarkFaces) {
    const struct {
        TColor color;
        int mode;
        COLORREF expected;
    } cases[] = {
        {0xFFFFFF, 1, Gray(231)},
        {0x000000, 2, Gray(127)},
        {0xC0C0C0, 2, Gray(144)},
        {0xD8E9EC, 1, RGB(235, 232, 195)},
        {0xFFFFFF, 2, Gray(191)},
        {0x000000, 1, Gray(63)},
        {0x0000FF, 1, RGB(255, 63, 63)},       // red: its dark channels lightened
        {0x808080, 2, Gray(191)},              // 128 is still dark
        {0x818181, 2, Gray(96)},               // 129 is light: every channel the weakest
        {0x90A0B0, 1, RGB(175, 159, 130)},     // blue 144 is the weakest
    };
    auto* b = NewButton();
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(static_cast<COLORREF>(c.color)) + " mode " + std::to_string(c.mode));
        EXPECT_EQ(static_cast<COLORREF>(b->QGetFrameColor(c.color, c.mode)), c.expected);
    }
    // A system colour is resolved first.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(static_cast<COLORREF>(b->QGetFrameColor(clBtnFace, 1)),
              static_cast<COLORREF>(b->QGetFrameColor(static_cast<TColor>(face), 1)));
}

TEST_F(KButtonTest, ContrastValueAddsTheStepAndClamps) {
    const struct {
        int contrast, value, expected;
    } cases[] = {
        {kcClear, 0, 0},     {kcNormal, 0, 64},   {kcSoft1, 0, 96},    {kcSoft2, 0, 128},
        {kcSoft3, 0, 192},   {kcSoft3, 100, 255}, {kcNormal, -100, 0}, {kcSoft2, 10, 138},
    };
    auto* b = NewButton();
    for (const auto& c : cases) {
        b->SetQButtonContrast(c.contrast);
        EXPECT_EQ(b->QGetContrastValue(c.value), c.expected) << c.contrast << " " << c.value;
    }
}

// --- faces -----------------------------------------------------------------------------

// Grey values of an empty 100 x 22 face of 0xE8E8E8 with kcNormal at
// the rows and columns that the styles treat apart.
struct FaceCase {
    const char* name;
    int style;
    int state;  // 0 up, 1 down
    int top, left, bottom, right, row1, col1, rowH2, colW2, inside;
};

TEST_F(KButtonTest, BevelsAndFramesByStyleAndPressedState) {
    // 232 lightened by 192 is 249, scaled by 64 is 58, by 160 is 145;
    // the pressed frame face is 232 scaled by 192: 174.
    const FaceCase cases[] = {
        {"up normal", qsNormal, 0, 249, 249, 58, 58, 232, 232, 145, 145, 232},
        {"up single", qsSingle, 0, 249, 249, 58, 58, 232, 232, 232, 232, 232},
        {"up flat", qsFlat, 0, 232, 232, 232, 232, 232, 232, 232, 232, 232},
        {"up frame", qsFrame, 0, 58, 58, 58, 58, 232, 232, 232, 232, 232},
        {"down normal", qsNormal, 1, 58, 58, 249, 249, 145, 145, 232, 232, 232},
        {"down single", qsSingle, 1, 58, 58, 249, 249, 232, 232, 232, 232, 232},
        {"down flat", qsFlat, 1, 58, 58, 249, 249, 232, 232, 232, 232, 232},
        {"down frame", qsFrame, 1, 58, 58, 58, 58, 174, 174, 174, 174, 174},
    };
    for (const FaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto* b = NewButton();
        b->SetQButtonStyle(c.style);
        PaintState(b, c.state);
        TBitmap* f = b->Face;
        EXPECT_EQ(At(f, 50, 0), Gray(c.top));
        EXPECT_EQ(At(f, 0, 11), Gray(c.left));
        EXPECT_EQ(At(f, 50, 21), Gray(c.bottom));
        EXPECT_EQ(At(f, 99, 11), Gray(c.right));
        EXPECT_EQ(At(f, 50, 1), Gray(c.row1));
        EXPECT_EQ(At(f, 1, 11), Gray(c.col1));
        EXPECT_EQ(At(f, 50, 20), Gray(c.rowH2));
        EXPECT_EQ(At(f, 98, 11), Gray(c.colW2));
        EXPECT_EQ(At(f, 50, 11), Gray(c.inside));
        delete b;
    }
}

TEST_F(KButtonTest, ContrastChangesBevelAndFrame) {
    const struct {
        int contrast, style, top, bottom;
    } cases[] = {
        {kcClear, qsSingle, 254, 0},     // 232 + 23 * 255 / 256; scaled by 0
        {kcSoft3, qsSingle, 240, 174},   // 232 + 23 * 96 / 256; 232 * 192 / 256
        {kcClear, qsFrame, 0, 0},        // the frame scaled by 0
        {kcSoft2, qsFrame, 116, 116},    // by 128
        {kcSoft3, qsFrame, 174, 174},    // by 192
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.contrast) + " " + std::to_string(c.style));
        auto* b = NewButton();
        b->SetQButtonStyle(c.style);
        b->SetQButtonContrast(c.contrast);
        PaintState(b, 0);
        EXPECT_EQ(At(b->Face, 50, 0), Gray(c.top));
        EXPECT_EQ(At(b->Face, 50, 21), Gray(c.bottom));
        delete b;
    }
}

struct EnterCase {
    const char* name;
    int style;
    int enter;
    int shade;
    COLORREF top, inside;
};

TEST_F(KButtonTest, EnterFacesByHoverEffect) {
    // EnterFaceColor 0x984E00 is red 0, green 78, blue 152; lightened by 192:
    // 191, 210, 229; darkened by -128 (scaled by 127): 0, 38, 75; lightened by
    // 192 and then the single bevel's top row lightened by 192 again: 239, 243, 248.
    const EnterCase cases[] = {
        {"non", qsNormal, qeNon, 192, Gray(249), Gray(232)},
        {"normal", qsFlat, qeNormal, 192, Gray(249), Gray(232)},
        {"single", qsFlat, qeSingle, 192, Gray(249), Gray(232)},
        {"shade flat", qsFlat, qeShade, 192, RGB(191, 210, 229), RGB(191, 210, 229)},
        {"shade darkens", qsFlat, qeShade, -128, RGB(0, 38, 75), RGB(0, 38, 75)},
        {"shade single", qsSingle, qeShade, 192, RGB(239, 243, 248), RGB(191, 210, 229)},
        {"shade frame", qsFrame, qeShade, 192, Gray(58), RGB(191, 210, 229)},
        {"shade unchanged", qsFlat, qeShade, 0, RGB(0, 78, 152), RGB(0, 78, 152)},
        {"reverse", qsNormal, qeReverse, 192, RGB(0x10, 0x20, 0x30), RGB(0x10, 0x20, 0x30)},
        {"frame", qsNormal, qeFrame, 192, Gray(58), Gray(210)},
    };
    for (const EnterCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto* b = NewButton();
        b->SetQButtonStyle(c.style);
        b->SetQButtonEnter(c.enter);
        b->SetEnterShade(c.shade);
        b->Font()->SetColor(static_cast<TColor>(RGB(0x10, 0x20, 0x30)));
        PaintState(b, 2);
        EXPECT_EQ(At(b->Face, 50, 0), c.top);
        EXPECT_EQ(At(b->Face, 50, 11), c.inside);
        delete b;
    }
}

TEST_F(KButtonTest, EnterCaptionColour) {
    const struct {
        int enter;
        TColor enterText;
        COLORREF present, absent;
    } cases[] = {
        {qeNormal, 0, RGB(255, 0, 0), RGB(0, 160, 0)},             // 0: the font colour
        {qeNormal, 0x00A000, RGB(0, 160, 0), RGB(255, 0, 0)},      // its own colour
        {qeFrame, 0x00A000, RGB(0, 160, 0), RGB(255, 0, 0)},
        {qeReverse, 0x00A000, RGB(0x40, 0x50, 0x60), RGB(0, 160, 0)},  // the face colour on the font colour
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.enter);
        auto* b = NewButton(20, 20, 160, 40);
        b->Font()->SetColor(static_cast<TColor>(RGB(255, 0, 0)));
        b->Font()->SetHeight(-24);
        b->Font()->SetStyle(fsBold);
        b->SetFaceColor(static_cast<TColor>(RGB(0x40, 0x50, 0x60)));
        b->SetCaption(L"IIII");
        b->SetQButtonStyle(qsFlat);
        b->SetQButtonEnter(c.enter);
        b->SetEnterTextColor(c.enterText);
        PaintState(b, 2);
        EXPECT_TRUE(HasPixel(b->Face, c.present));
        EXPECT_FALSE(HasPixel(b->Face, c.absent));
        delete b;
    }
}

// An image of the form's client area: a colour per pixel, so that a copied
// rectangle shows where it comes from.
std::unique_ptr<TBitmap> PatternImage(int w, int h) {
    auto image = std::make_unique<TBitmap>();
    image->SetPixelFormat(pf24bit);
    image->SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        auto* p = static_cast<uint8_t*>(image->ScanLine(y));
        for (int x = 0; x < w; ++x, p += 3) {
            p[0] = static_cast<uint8_t>(x * 2);        // blue
            p[1] = static_cast<uint8_t>(y * 5);        // green
            p[2] = static_cast<uint8_t>(200 - x % 50); // red
        }
    }
    return image;
}

TEST_F(KButtonTest, TransparentFacesStartFromTheImageBeneath) {
    auto under = PatternImage(300, 120);
    const int left = 40, top = 30;
    // up flat: the snapshot as it is; qeShade: the snapshot lightened, the
    // fill colour ignored; down single: the snapshot bevelled.
    const struct {
        const char* name;
        int style, enter, state;
        std::function<COLORREF(COLORREF under)> inside, topRow;
    } cases[] = {
        {"up flat", qsFlat, qeSingle, 0, [](COLORREF u) { return u; }, [](COLORREF u) { return u; }},
        {"shade", qsFlat, qeShade, 2,
         [](COLORREF u) {
             return RGB(KDrawLightenChannel(R(u), 192), KDrawLightenChannel(G(u), 192), KDrawLightenChannel(B(u), 192));
         },
         [](COLORREF u) {
             return RGB(KDrawLightenChannel(R(u), 192), KDrawLightenChannel(G(u), 192), KDrawLightenChannel(B(u), 192));
         }},
        {"down single", qsSingle, qeSingle, 1, [](COLORREF u) { return u; },
         [](COLORREF u) {
             return RGB(KDrawScaleChannel(R(u), 64), KDrawScaleChannel(G(u), 64), KDrawScaleChannel(B(u), 64));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* b = NewButton(left, top, 100, 22);
        b->SetQButtonStyle(c.style);
        b->SetQButtonEnter(c.enter);
        b->SetTransparent(true);
        b->SetFaceColor(0x00FF00);
        b->SetEnterFaceColor(0x0000FF);
        b->UnderGlyph = under.get();
        PaintState(b, c.state);
        for (int x : {5, 37, 80}) {
            EXPECT_EQ(At(b->Face, x, 11), c.inside(At(under.get(), left + x, top + 11))) << x;
            EXPECT_EQ(At(b->Face, x, 0), c.topRow(At(under.get(), left + x, top))) << x;
        }
        delete b;
    }
}

TEST_F(KButtonTest, WithoutUnderGlyphTheFaceStartsFromTheParentColour) {
    auto* b = NewButton();
    b->SetQButtonStyle(qsFlat);
    b->SetTransparent(true);
    PaintState(b, 0);
    EXPECT_EQ(At(b->Face, 50, 11), static_cast<COLORREF>(kFormColor));
    EXPECT_EQ(At(b->Background, 50, 11), static_cast<COLORREF>(kFormColor));
}

TEST_F(KButtonTest, PaintDrawsTheFaceOnTheScreen) {
    auto* b = NewButton(30, 40, 100, 22);
    b->SetQButtonStyle(qsFrame);
    b->SetCaption(L"Screen");
    testdesk::PumpMessages();
    b->QPaint();
    const int sx = kFormLeft + 30, sy = kFormTop + 40;
    for (int y : {0, 1, 11, 20, 21})
        for (int x : {0, 1, 30, 50, 98, 99})
            EXPECT_EQ(testdesk::ScreenPixel(sx + x, sy + y), At(b->Face, x, y)) << x << "," << y;
}

// The first paint of a button with a glyph makes the glyph transparent; that
// paint already draws it so, and leaves nothing to paint again. A change of
// the glyph made by its user still repaints.
TEST_F(KButtonTest, AGlyphMadeTransparentByThePaintAsksForNoSecondPaint) {
    auto glyph = MakeGlyph();
    ASSERT_FALSE(glyph->Transparent());
    auto* b = NewButton(30, 40, 100, 22);
    b->SetCaption(L"Glyph");
    testdesk::PumpMessages();
    b->SetGlyph(glyph.get());
    UpdateWindow(b->Handle());
    EXPECT_TRUE(b->Glyph()->Transparent());
    EXPECT_FALSE(GetUpdateRect(b->Handle(), nullptr, FALSE)) << "the paint asked for another one";
    const int sx = kFormLeft + 30, sy = kFormTop + 40;
    EXPECT_TRUE(testdesk::WaitUntil([&] {
        for (int y : {0, 5, 11, 21})
            for (int x : {0, 10, 30, 50, 99})
                if (testdesk::ScreenPixel(sx + x, sy + y) != At(b->Face, x, y)) return false;
        return true;
    })) << "the face with its glyph is on the screen";
    b->Glyph()->SetTransparent(false);
    EXPECT_TRUE(GetUpdateRect(b->Handle(), nullptr, FALSE));
}

TEST_F(KButtonTest, QPaintShowsTheUpFaceUnlessDisabled) {
    auto* b = NewButton();
    b->SetQButtonStyle(qsFrame);
    PaintState(b, 2);
    EXPECT_EQ(At(b->Face, 50, 11), Gray(210));
    b->QPaint();
    EXPECT_EQ(b->State, 0);
    EXPECT_EQ(At(b->Face, 50, 11), Gray(232));
    b->SetEnabled(false);
    b->QPaint();
    EXPECT_EQ(b->State, 3);
}

TEST_F(KButtonTest, AnEmptyButtonPaintsEveryFaceWithoutFailing) {
    auto glyph = MakeGlyph();
    auto under = PatternImage(300, 120);
    for (const auto& size : {SIZE{0, 0}, SIZE{0, 22}, SIZE{100, 0}, SIZE{1, 1}, SIZE{2, 3}}) {
        for (int transparent = 0; transparent < 2; ++transparent) {
            SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy) + " transparent " +
                         std::to_string(transparent));
            auto* b = NewButton(20, 20, size.cx, size.cy);
            b->SetCaption(L"Caption");
            b->SetGlyph(glyph.get());
            b->SetTransparent(transparent != 0);
            if (transparent) b->UnderGlyph = under.get();
            for (int style = qsNormal; style <= qsFrame; ++style)
                for (int enter = qeNon; enter <= qeFrame; ++enter)
                    for (int state = 0; state <= 3; ++state) {
                        b->SetQButtonStyle(style);
                        b->SetQButtonEnter(enter);
                        PaintState(b, state);
                        EXPECT_EQ(b->Face->Width(), size.cx);
                        EXPECT_EQ(b->Face->Height(), size.cy);
                    }
            delete b;
        }
    }
}

// --- caption layout ----------------------------------------------------------------------

struct LayoutCase {
    const char* name;
    int width, height;
    TAlignment alignment;
    int margin;
    int glyph;     // glyph size, 0 for none
    int style;     // qsFlat: no bevel
    int state;     // 0 up, 1 down
    const wchar_t* caption;
};

// Where the glyph and the text go, as the layout rules place them.
struct Placement {
    int n, glyphX, glyphY, textX, textY;
};

Placement Place(TKButton* b, const LayoutCase& c) {
    const int w = c.width, h = c.height, g = c.glyph, gh = c.glyph, m = c.margin;
    const int gap = g > 0 ? b->Spacing() : 0;
    const int available = c.alignment == taLeftJustify    ? w - (m + gap + 4)
                          : c.alignment == taRightJustify ? w - (g + gap + m + 4)
                                                          : w - (g + gap + 4);
    std::wstring caption = c.caption;
    Placement p{};
    p.n = FittingLength(b->Font(), caption, available);
    const SIZE size = Measure(b->Font(), caption.substr(0, static_cast<size_t>(p.n)));
    const int content = p.n == 0 ? g : g + gap + size.cx;
    p.glyphY = h / 2 - gh / 2;
    p.textY = h / 2 - (size.cy / 2 + 1);
    if (c.alignment == taLeftJustify) {
        p.glyphX = 4;
        p.textX = m + 2;
    } else {
        p.glyphX = c.alignment == taCenter ? w / 2 - content / 2 : w - (content + m + 2);
        p.textX = p.glyphX + g + gap;
    }
    return p;
}

TEST_F(KButtonTest, CaptionAndGlyphPlacement) {
    const LayoutCase cases[] = {
        {"centred", 100, 22, taCenter, 4, 0, qsFlat, 0, L"Caption"},
        {"centred pressed", 100, 22, taCenter, 4, 0, qsNormal, 1, L"Caption"},
        {"centred pressed single", 100, 22, taCenter, 4, 0, qsSingle, 1, L"Caption"},
        {"centred up bevelled", 100, 22, taCenter, 4, 0, qsNormal, 0, L"Caption"},
        {"right", 100, 22, taRightJustify, 4, 0, qsFlat, 0, L"Caption"},
        {"left", 100, 22, taLeftJustify, 4, 0, qsFlat, 0, L"Caption"},
        {"left glyph margin 4", 140, 22, taLeftJustify, 4, 16, qsFlat, 0, L"Item"},
        {"left glyph margin 24", 140, 22, taLeftJustify, 24, 16, qsFlat, 0, L"Item"},
        {"centred glyph", 140, 30, taCenter, 4, 16, qsFlat, 0, L"Item"},
        {"right glyph", 140, 30, taRightJustify, 6, 16, qsFlat, 0, L"Item"},
        {"glyph alone centred", 60, 30, taCenter, 4, 16, qsFlat, 0, L""},
        {"glyph alone pressed", 60, 30, taCenter, 4, 16, qsSingle, 1, L""},
        {"odd sizes", 77, 25, taCenter, 4, 0, qsFlat, 0, L"Odd"},
        {"cut centred", 60, 22, taCenter, 4, 0, qsFlat, 0, L"A caption far too long"},
        {"cut left", 60, 22, taLeftJustify, 8, 0, qsFlat, 0, L"A caption far too long"},
        {"cut right with glyph", 80, 22, taRightJustify, 4, 16, qsFlat, 0, L"A caption far too long"},
        {"narrower than margins", 10, 22, taLeftJustify, 4, 0, qsFlat, 0, L"Wide"},
        {"narrower than glyph", 20, 22, taCenter, 4, 16, qsFlat, 0, L"Wide"},
        {"glyph clipped at the top left", 12, 10, taRightJustify, 4, 16, qsFlat, 0, L"X"},
        {"glyph clipped at the bottom", 40, 8, taLeftJustify, 24, 16, qsSingle, 1, L""},
        {"Japanese", 120, 22, taCenter, 4, 0, qsFlat, 0, L"ボタンの編集"},
    };
    auto glyph = MakeGlyph();
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto* b = NewButton(20, 20, c.width, c.height);
        b->SetQButtonStyle(c.style);
        b->SetAlignment(c.alignment);
        b->SetMargin(c.margin);
        b->SetCaption(c.caption);
        if (c.glyph) b->SetGlyph(glyph.get());
        PaintState(b, c.state);

        const Placement p = Place(b, c);
        EXPECT_EQ(b->QGetCaptionLength(c.alignment == taLeftJustify ? c.width - (c.margin + (c.glyph ? 4 : 0) + 4)
                                       : c.alignment == taRightJustify
                                           ? c.width - (c.glyph + (c.glyph ? 4 : 0) + c.margin + 4)
                                           : c.width - (c.glyph + (c.glyph ? 4 : 0) + 4)),
                  p.n);
        const int offset = c.state == 1 && c.style != qsFrame ? 1 : 0;
        auto expected = PlainFace(c.width, c.height, b->FaceColor());
        if (c.style == qsNormal || c.style == qsSingle || c.state == 1)
            KDrawBevel(expected.get(), c.state, c.style == qsNormal ? 0 : 1, kcNormal);
        if (c.glyph) DrawGlyph(expected.get(), glyph.get(), p.glyphX + offset, p.glyphY + offset);
        std::wstring text = c.caption;
        if (p.n > 0)
            DrawText(expected.get(), b->Font(), p.textX + offset, p.textY + offset, text.substr(0, static_cast<size_t>(p.n)),
                     0);
        EXPECT_EQ(Difference(b->Face, expected.get()), "");
        delete b;
    }
}

TEST_F(KButtonTest, GlyphsOfEitherPixelFormatAndTransparentColour) {
    const struct {
        const char* name;
        TPixelFormat format;
        TColor fixedKey;  // clDefault: the bottom-left pixel
        int style;
    } cases[] = {
        {"32 bits on a flat face", pfDevice, clDefault, qsFlat},
        {"24 bits on a flat face", pf24bit, clDefault, qsFlat},
        {"32 bits on a bevelled face", pfDevice, clDefault, qsNormal},
        {"24 bits on a bevelled face", pf24bit, clDefault, qsNormal},
        {"a fixed transparent colour", pfDevice, 0xFF0000, qsFlat},  // the square left out, the rim drawn
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto glyph = MakeGlyph();
        glyph->SetPixelFormat(c.format);
        glyph->SetTransparentColor(c.fixedKey);
        auto* b = NewButton(20, 20, 60, 24);
        b->SetQButtonStyle(c.style);
        b->SetGlyph(glyph.get());
        PaintState(b, 0);
        EXPECT_TRUE(b->Glyph()->Transparent());
        auto expected = PlainFace(60, 24, b->FaceColor());
        if (c.style == qsNormal) KDrawBevel(expected.get(), 0, 0, kcNormal);
        TBitmap copy;
        copy.Assign(glyph.get());
        copy.SetTransparent(true);
        expected->Canvas()->Draw(30 - 8, 12 - 8, &copy);
        EXPECT_EQ(Difference(b->Face, expected.get()), "");
        delete b;
    }
}

TEST_F(KButtonTest, TheWorkedExampleOfA100By22Button) {
    // Centred at (50 - cx / 2, 11 - (cy / 2 + 1)), right-aligned at
    // 100 - (cx + 6), left-aligned at 6; the pressed bevelled face one pixel
    // right and down.
    auto* b = NewButton();
    b->SetQButtonStyle(qsFlat);
    b->SetCaption(L"Abc de");
    const SIZE size = Measure(b->Font(), L"Abc de");
    const int y = 11 - (size.cy / 2 + 1);
    const struct {
        TAlignment alignment;
        int style, state, x, y;
    } cases[] = {
        {taCenter, qsFlat, 0, 50 - size.cx / 2, y},
        {taCenter, qsNormal, 1, 50 - size.cx / 2 + 1, y + 1},
        {taRightJustify, qsFlat, 0, 100 - (size.cx + 6), y},
        {taLeftJustify, qsFlat, 0, 6, y},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        b->SetAlignment(c.alignment);
        b->SetQButtonStyle(c.style);
        PaintState(b, c.state);
        auto expected = PlainFace(100, 22, b->FaceColor());
        if (c.style == qsNormal) KDrawBevel(expected.get(), c.state, 0, kcNormal);
        DrawText(expected.get(), b->Font(), c.x, c.y, L"Abc de", 0);
        EXPECT_EQ(Difference(b->Face, expected.get()), "");
    }
}

TEST_F(KButtonTest, CaptionLengthSearch) {
    auto* b = NewButton();
    const int wWidth = Measure(b->Font(), L"W").cx;
    const struct {
        std::wstring caption;
        int width, expected;
    } cases[] = {
        {L"", 1000, 0},
        {L"", -5, 0},
        {L"WWW", 1000, 3},
        {L"WWW", 3 * wWidth, 3},
        {L"WWW", 3 * wWidth - 1, 2},
        {L"WWW", wWidth, 1},
        {L"WWW", wWidth - 1, 0},
        {L"WWW", 0, 0},
        {L"WWW", -10, 0},
        {std::wstring(254, L'i'), 100000, 254},
        {std::wstring(255, L'i'), 100000, 255},
        {std::wstring(400, L'i'), 100000, 255},
        {std::wstring(400, L'W'), 10 * wWidth, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.caption.size()) + " chars in " + std::to_string(c.width));
        b->SetCaption(c.caption);
        EXPECT_EQ(b->QGetCaptionLength(c.width), c.expected);
    }
}

TEST_F(KButtonTest, ALongCaptionIsDrawnWithAtMost255Characters) {
    auto* b = NewButton(0, 0, 1200, 22);
    b->Font()->SetHeight(-6);  // narrow characters: all 400 would fit
    b->SetQButtonStyle(qsFlat);
    b->SetAlignment(taLeftJustify);
    const std::wstring caption(400, L'i');
    b->SetCaption(caption);
    PaintState(b, 0);
    ASSERT_LE(Measure(b->Font(), caption).cx, 1200 - 8);
    EXPECT_EQ(b->QGetCaptionLength(1200 - 8), 255);
    auto expected = PlainFace(1200, 22, b->FaceColor());
    const SIZE size = Measure(b->Font(), caption.substr(0, 255));
    DrawText(expected.get(), b->Font(), 6, 11 - (size.cy / 2 + 1), caption.substr(0, 255), 0);
    EXPECT_EQ(Difference(b->Face, expected.get()), "");
}

TEST_F(KButtonTest, ANoGlyphButtonIgnoresSpacing) {
    auto* b = NewButton();
    b->SetQButtonStyle(qsFlat);
    b->SetCaption(L"Gap");
    b->SetSpacing(30);
    PaintState(b, 0);
    auto expected = PlainFace(100, 22, b->FaceColor());
    const SIZE size = Measure(b->Font(), L"Gap");
    DrawText(expected.get(), b->Font(), 50 - size.cx / 2, 11 - (size.cy / 2 + 1), L"Gap", 0);
    EXPECT_EQ(Difference(b->Face, expected.get()), "");
}

// --- the disabled face -----------------------------------------------------------------

TColor Lightened(TColor c) {
    return static_cast<TColor>(RGB(KDrawLightenChannel(R(c), 128), KDrawLightenChannel(G(c), 128),
                                   KDrawLightenChannel(B(c), 128)));
}
TColor Halved(TColor c) { return static_cast<TColor>(RGB(R(c) / 2, G(c) / 2, B(c) / 2)); }

TEST_F(KButtonTest, DisabledFaceIsTheUpFaceWithAnEmbossedCaption) {
    const struct {
        const char* name;
        TColor face;
        bool transparent;
    } cases[] = {
        {"light face", 0xE8E8E8, false},
        {"coloured face", 0x3080C0, false},
        {"system colour face", clBtnFace, false},
        {"transparent", 0x00FF00, true},
    };
    auto glyph = MakeGlyph();
    auto under = PatternImage(300, 120);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* b = NewButton(20, 20, 120, 24);
        b->SetCaption(L"Disabled");
        b->SetGlyph(glyph.get());
        b->SetFaceColor(c.face);
        b->Font()->SetColor(0x0000FF);
        if (c.transparent) {
            b->SetQButtonStyle(qsFlat);
            b->SetTransparent(true);
            b->UnderGlyph = under.get();
        }
        b->SetEnabled(false);
        EXPECT_EQ(b->State, 3);
        b->Paint();

        // The up face with its caption, then the caption one pixel down and
        // right in the light colour, then in place in the dark colour.
        const TColor base = c.transparent ? static_cast<TColor>(At(under.get(), 20 + 2, 20 + 2)) : ColorToRGB(c.face);
        std::unique_ptr<TBitmap> expected;
        if (c.transparent) {
            expected = std::make_unique<TBitmap>();
            expected->SetSize(120, 24);
            expected->Canvas()->CopyRect(RECT{0, 0, 120, 24}, under->Canvas(), RECT{20, 20, 140, 44});
        } else {
            expected = PlainFace(120, 24, c.face);
            KDrawBevel(expected.get(), 0, 0, kcNormal);
        }
        LayoutCase layout{"", 120, 24, taCenter, 4, 16, qsFlat, 0, L"Disabled"};
        const Placement p = Place(b, layout);
        const std::wstring text = std::wstring(L"Disabled").substr(0, static_cast<size_t>(p.n));
        DrawGlyph(expected.get(), glyph.get(), p.glyphX, p.glyphY);
        DrawText(expected.get(), b->Font(), p.textX, p.textY, text, 0x0000FF);
        DrawGlyph(expected.get(), glyph.get(), p.glyphX + 1, p.glyphY + 1);
        DrawText(expected.get(), b->Font(), p.textX + 1, p.textY + 1, text, static_cast<COLORREF>(Lightened(base)));
        DrawGlyph(expected.get(), glyph.get(), p.glyphX, p.glyphY);
        DrawText(expected.get(), b->Font(), p.textX, p.textY, text, static_cast<COLORREF>(Halved(base)));
        EXPECT_EQ(Difference(b->Face, expected.get()), "");
        delete b;
    }
}

// --- real mouse input ---------------------------------------------------------------------

class KButtonMouseTest : public KButtonTest {
protected:
    void SetUp() override {
        testdesk::MoveMouse(5, 5);  // away from the form
        KButtonTest::SetUp();
        button = NewButton(kLeft, kTop, 100, 22);
        button->OnMouseEnter = [this](TObject* s) { Record(s, "enter"); };
        button->OnMouseLeave = [this](TObject* s) { Record(s, "leave"); };
        button->OnMouseDown = [this](TObject* s, TMouseButton mb, TShiftState, int, int) {
            Record(s, mb == mbLeft ? "down L" : "down R");
        };
        button->OnMouseUp = [this](TObject* s, TMouseButton mb, TShiftState, int, int) {
            Record(s, mb == mbLeft ? "up L" : "up R");
        };
        button->OnClick = [this](TObject* s) { Record(s, "click"); };
        testdesk::PumpMessages();
    }
    void TearDown() override {
        testdesk::MoveMouse(5, 5);
        KButtonTest::TearDown();
    }

    void Record(TObject* sender, const std::string& what) {
        EXPECT_EQ(sender, button);
        log.push_back(what);
    }
    // Waits until the log holds count entries.
    bool WaitLog(size_t count) {
        return testdesk::WaitUntil([&] { return log.size() >= count; }, 5000);
    }
    bool WaitState(int state) {
        return testdesk::WaitUntil([&] { return button->State == state; }, 5000);
    }
    // Waits until the screen shows the button's interior in a colour.
    bool WaitScreen(COLORREF color) {
        return testdesk::WaitUntil([&] { return testdesk::ScreenPixel(kInsideX, kInsideY - 8) == color; }, 5000);
    }
    void Enter() { testdesk::MoveMouse(kInsideX, kInsideY); }
    void EnterAndWait() {
        Enter();
        ASSERT_TRUE(WaitState(2));
    }

    static constexpr int kLeft = 20, kTop = 20;
    static constexpr int kInsideX = kFormLeft + kLeft + 50, kInsideY = kFormTop + kTop + 11;
    static constexpr int kOutsideX = kFormLeft + 300, kOutsideY = kFormTop + 200;
    TKButton* button = nullptr;
    std::vector<std::string> log;
};

using Events = std::vector<std::string>;

TEST_F(KButtonMouseTest, EnterAndLeaveChangeTheStateAndFireTheEvents) {
    button->SetQButtonStyle(qsFrame);  // the enter look is the lighter frame face
    ASSERT_TRUE(WaitScreen(Gray(232)));
    Enter();
    ASSERT_TRUE(WaitLog(1));
    EXPECT_EQ(button->State, 2);
    EXPECT_TRUE(WaitScreen(Gray(210)));
    testdesk::MoveMouse(kOutsideX, kOutsideY);
    ASSERT_TRUE(WaitLog(2));
    EXPECT_EQ(button->State, 0);
    EXPECT_TRUE(WaitScreen(Gray(232)));
    EXPECT_EQ(log, (Events{"enter", "leave"}));
}

TEST_F(KButtonMouseTest, APressAndReleaseInsideClicksOnceBeforeMouseUp) {
    button->SetQButtonStyle(qsFrame);
    EnterAndWait();
    testdesk::LeftDown();
    ASSERT_TRUE(WaitState(1));
    EXPECT_EQ(button->Pressed, 1);
    EXPECT_TRUE(WaitScreen(Gray(174)));  // the pressed frame face
    testdesk::LeftUp();
    ASSERT_TRUE(WaitLog(4));
    EXPECT_EQ(log, (Events{"enter", "down L", "click", "up L"}));
    EXPECT_EQ(button->State, 2);
    EXPECT_EQ(button->Pressed, 0);
    EXPECT_TRUE(WaitScreen(Gray(210)));
}

TEST_F(KButtonMouseTest, AReleaseOutsideClicksFromMouseUp) {
    EnterAndWait();
    testdesk::LeftDown();
    ASSERT_TRUE(WaitLog(2));
    testdesk::MoveMouse(kOutsideX, kOutsideY);
    ASSERT_TRUE(WaitLog(3));
    testdesk::LeftUp();
    ASSERT_TRUE(WaitLog(5));
    EXPECT_EQ(log, (Events{"enter", "down L", "leave", "up L", "click"}));
    EXPECT_EQ(button->Pressed, 0);
}

TEST_F(KButtonMouseTest, ADoubleClickClicksTwice) {
    EnterAndWait();
    testdesk::DoubleClick(kInsideX, kInsideY);
    ASSERT_TRUE(WaitLog(7));
    // The class library clicks at the first release; the release of the
    // double click brings no click of its own, so MouseUp clicks.
    EXPECT_EQ(log, (Events{"enter", "down L", "click", "up L", "down L", "up L", "click"}));
    EXPECT_EQ(button->Pressed, 0);
}

TEST_F(KButtonMouseTest, ARightPressFiresMouseDownAndUpButNoClick) {
    EnterAndWait();
    testdesk::RightDown();
    ASSERT_TRUE(WaitLog(2));
    EXPECT_EQ(button->State, 2);  // not pressed
    EXPECT_EQ(button->Pressed, 0);
    testdesk::RightUp();
    ASSERT_TRUE(WaitLog(3));
    testdesk::PumpMessages();
    EXPECT_EQ(log, (Events{"enter", "down R", "up R"}));
    EXPECT_EQ(button->State, 2);
}

TEST_F(KButtonMouseTest, ADisabledButtonKeepsItsWindowEnabledAndClicksNot) {
    button->SetCaption(L"Off");
    button->Font()->SetHeight(-20);
    button->Font()->SetStyle(fsBold);
    button->SetEnabled(false);
    EXPECT_EQ(button->State, 3);
    EXPECT_TRUE(IsWindowEnabled(button->Handle()));
    // The embossed face is what the screen shows.
    ASSERT_TRUE(testdesk::WaitUntil([&] {
        for (int y = 0; y < 22; ++y)
            for (int x = 0; x < 100; ++x)
                if (testdesk::ScreenPixel(kFormLeft + kLeft + x, kFormTop + kTop + y) != At(button->Face, x, y))
                    return false;
        return true;
    }));
    EXPECT_TRUE(HasPixel(button->Face, Gray(116)));  // 232 halved: the dark caption
    Enter();
    testdesk::LeftDown();
    ASSERT_TRUE(WaitLog(1));
    testdesk::LeftUp();
    ASSERT_TRUE(WaitLog(2));
    testdesk::MoveMouse(kOutsideX, kOutsideY);
    testdesk::PumpMessages();
    EXPECT_EQ(log, (Events{"down L", "up L"}));  // no enter, no leave, no click
    EXPECT_EQ(button->State, 3);
    EXPECT_EQ(button->Pressed, 0);
}

TEST_F(KButtonMouseTest, AButtonDisabledBeforeItsWindowExistsGetsAnEnabledWindow) {
    auto* b = new TKButton(form);
    b->SetEnabled(false);
    b->HandleNeeded();
    EXPECT_TRUE(IsWindowEnabled(b->Handle()));
    EXPECT_EQ(b->State, 3);
    b->SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(b->Handle()));
    EXPECT_EQ(b->State, 0);
}

TEST_F(KButtonMouseTest, EnablingRestoresAWindowThatWasDisabled) {
    button->SetEnabled(false);
    EnableWindow(button->Handle(), FALSE);  // disabled from outside
    button->SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(button->Handle()));
    EXPECT_EQ(button->State, 0);
}

TEST_F(KButtonMouseTest, EnablingUnderTheMouseShowsTheUpFaceUntilTheMouseEntersAgain) {
    int moves = 0;
    button->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
    button->SetEnabled(false);
    Enter();
    ASSERT_TRUE(testdesk::WaitUntil([&] { return moves >= 1; }));
    EXPECT_EQ(button->State, 3);
    button->SetEnabled(true);
    EXPECT_EQ(button->State, 0);
    testdesk::MoveMouse(kInsideX + 10, kInsideY);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return moves >= 2; }));
    EXPECT_EQ(button->State, 0);
    testdesk::MoveMouse(kOutsideX, kOutsideY);
    ASSERT_TRUE(WaitLog(1));
    Enter();
    EXPECT_TRUE(WaitState(2));
    EXPECT_EQ(log, (Events{"leave", "enter"}));
}

TEST_F(KButtonMouseTest, SelectKeepsTheEnterLookAfterLeaving) {
    button->SetQButtonStyle(qsFrame);
    button->SetSelect(true);
    EnterAndWait();
    testdesk::MoveMouse(kOutsideX, kOutsideY);
    ASSERT_TRUE(WaitLog(2));
    EXPECT_EQ(log, (Events{"enter", "leave"}));
    EXPECT_EQ(button->State, 2);
    EXPECT_TRUE(WaitScreen(Gray(210)));
}

TEST_F(KButtonMouseTest, FrameStyleHoversWithTheFrameEffectWhateverWasSetBefore) {
    button->SetQButtonEnter(qeReverse);
    button->SetQButtonStyle(qsFrame);
    EXPECT_EQ(button->Enter(), qeFrame);
    EnterAndWait();
    EXPECT_TRUE(WaitScreen(Gray(210)));  // the frame hover, not the reversed face
}

TEST_F(KButtonMouseTest, TheBackgroundIsNeverErased) {
    TBitmap target;
    target.SetSize(100, 22);  // white
    EXPECT_EQ(button->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(target.Canvas()->Handle()), 0), 1);
    EXPECT_EQ(At(&target, 50, 11), RGB(255, 255, 255));
    EXPECT_EQ(SendMessageW(button->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(target.Canvas()->Handle()), 0), 1);
    EXPECT_EQ(At(&target, 0, 0), RGB(255, 255, 255));
}

}  // namespace
