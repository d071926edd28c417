#include "kdraw.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

using ChannelTable = std::array<uint8_t, 256>;

ChannelTable ScaleTable(int factor) {
    ChannelTable table{};
    for (int c = 0; c < 256; ++c) table[static_cast<size_t>(c)] = KDrawScaleChannel(c, factor);
    return table;
}

ChannelTable LightenTable(int factor) {
    ChannelTable table{};
    for (int c = 0; c < 256; ++c) table[static_cast<size_t>(c)] = KDrawLightenChannel(c, factor);
    return table;
}

ChannelTable IdentityTable() {
    ChannelTable table{};
    for (int c = 0; c < 256; ++c) table[static_cast<size_t>(c)] = static_cast<uint8_t>(c);
    return table;
}

// Applies one table per channel to every pixel of a 24-bit bitmap, row by row.
void MapPixels(TBitmap* bitmap, const ChannelTable& blue, const ChannelTable& green, const ChannelTable& red) {
    bitmap->SetPixelFormat(pf24bit);
    const int w = bitmap->Width(), h = bitmap->Height();
    if (w <= 0) return;
    for (int y = 0; y < h; ++y) {
        auto* p = static_cast<uint8_t*>(bitmap->ScanLine(y));
        for (int x = 0; x < w; ++x, p += 3) {
            p[0] = blue[p[0]];
            p[1] = green[p[1]];
            p[2] = red[p[2]];
        }
    }
}

// Light, dark and inner factors of each contrast.
struct BevelFactors {
    int light, dark, inner;
};
constexpr BevelFactors kBevelFactors[] = {
    {255, 0, 128},   // kcClear
    {192, 64, 160},  // kcNormal
    {160, 96, 192},  // kcSoft1
    {128, 128, 208}, // kcSoft2
    {96, 192, 216},  // kcSoft3
};

// The first bevel rule whose position a row or column index matches:
// 0 the last, 1 the first, 2 the last but one, 3 the second, 4 none.
// A pixel follows the earlier of its row's and its column's rule.
int EdgeRule(int i, int n) {
    if (i == n - 1) return 0;
    if (i == 0) return 1;
    if (i == n - 2) return 2;
    if (i == 1) return 3;
    return 4;
}

TColor WithChannels(TColor top, int red, int green, int blue) {
    return static_cast<TColor>((static_cast<unsigned>(top) & 0xFF000000u) | static_cast<unsigned>(blue) << 16 |
                               static_cast<unsigned>(green) << 8 | static_cast<unsigned>(red));
}

TColor LightenColor(TColor color, int factor) {
    const auto c = static_cast<unsigned>(color);
    return WithChannels(color, KDrawLightenChannel(c & 0xFF, factor), KDrawLightenChannel((c >> 8) & 0xFF, factor),
                        KDrawLightenChannel((c >> 16) & 0xFF, factor));
}

void SolidBrush(TCanvas* canvas, TColor color) {
    canvas->Brush()->Color = color;
    canvas->Brush()->Style = bsSolid;
}

}  // namespace

void KDrawFillFace(TBitmap* face, int transparent, TColor color, TBitmap* background) {
    if (!face) return;
    if (transparent != 0) {
        if (background) face->Assign(background);
        return;
    }
    TCanvas* canvas = face->Canvas();
    SolidBrush(canvas, color);
    canvas->FillRect(RECT{0, 0, face->Width(), face->Height()});
}

void KDrawBevel(TBitmap* face, int pressed, int style, TKButtonContrast contrast) {
    if (!face) return;
    const int index = std::clamp(static_cast<int>(contrast), static_cast<int>(kcClear), static_cast<int>(kcSoft3));
    const BevelFactors& f = kBevelFactors[index];
    const bool down = pressed != 0;
    const bool twoPixel = style == 0;
    // The operation of each rule, chosen once.
    const ChannelTable identity = IdentityTable();
    const ChannelTable light = LightenTable(f.light);
    const ChannelTable dark = ScaleTable(f.dark);
    const ChannelTable inner = ScaleTable(f.inner);
    const ChannelTable* rules[5] = {
        down ? &light : &dark,                    // last column or row
        down ? &dark : &light,                    // first column or row
        twoPixel && !down ? &inner : &identity,   // last but one
        twoPixel && down ? &inner : &identity,    // second
        &identity,                                // the rest
    };

    face->SetPixelFormat(pf24bit);
    const int w = face->Width(), h = face->Height();
    if (w <= 0 || h <= 0) return;
    std::vector<int> columnRule(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x) columnRule[static_cast<size_t>(x)] = EdgeRule(x, w);
    for (int y = 0; y < h; ++y) {
        const int rowRule = EdgeRule(y, h);
        auto* p = static_cast<uint8_t*>(face->ScanLine(y));
        for (int x = 0; x < w; ++x, p += 3) {
            const ChannelTable& t = *rules[std::min(rowRule, columnRule[static_cast<size_t>(x)])];
            p[0] = t[p[0]];
            p[1] = t[p[1]];
            p[2] = t[p[2]];
        }
    }
}

void KDrawFrame(TBitmap* face, TColor color) {
    if (!face) return;
    face->SetPixelFormat(pf24bit);
    TCanvas* canvas = face->Canvas();
    SolidBrush(canvas, color);
    canvas->FrameRect(RECT{0, 0, face->Width(), face->Height()});
}

void KDrawPanel(TCanvas* canvas, int width, int height, TColor color) {
    if (!canvas) return;
    SolidBrush(canvas, KDrawScaleColor(color, 96, 96, 96));
    canvas->FrameRect(RECT{0, 0, width, height});
    SolidBrush(canvas, LightenColor(ColorToRGB(color), 160));
    canvas->FrameRect(RECT{0, 0, width - 1, height - 1});
    SolidBrush(canvas, color);
    canvas->FillRect(RECT{1, 1, width - 1, height - 1});
}

void KDrawDarken(TBitmap* bitmap, int fR, int fG, int fB) {
    if (!bitmap) return;
    MapPixels(bitmap, ScaleTable(fB), ScaleTable(fG), ScaleTable(fR));
}

void KDrawLighten(TBitmap* bitmap, int amount) {
    if (!bitmap) return;
    const ChannelTable table = LightenTable(amount);
    MapPixels(bitmap, table, table, table);
}

void KDrawBackground(TControl* button, TBitmap* underGlyph, TBitmap* background) {
    if (!button) return;
    const TColor parentColor = button->Parent() ? button->Parent()->Color() : clBtnFace;
    KDrawBackground(button->BoundsRect(), parentColor, underGlyph, background);
}

void KDrawBackground(const RECT& bounds, TColor parentColor, TBitmap* underGlyph, TBitmap* background) {
    if (!background) return;
    const int w = bounds.right - bounds.left, h = bounds.bottom - bounds.top;
    background->SetSize(w, h);
    TCanvas* canvas = background->Canvas();
    if (underGlyph) {
        canvas->CopyRect(RECT{0, 0, w, h}, underGlyph->Canvas(), bounds);
    } else {
        SolidBrush(canvas, parentColor);
        canvas->FillRect(RECT{0, 0, w, h});
    }
}

TColor KDrawScaleColor(TColor color, int fB, int fG, int fR) {
    const TColor rgb = ColorToRGB(color);
    const auto c = static_cast<unsigned>(rgb);
    return WithChannels(rgb, KDrawScaleChannel(c & 0xFF, fR), KDrawScaleChannel((c >> 8) & 0xFF, fG),
                        KDrawScaleChannel((c >> 16) & 0xFF, fB));
}
