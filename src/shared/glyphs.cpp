#include "glyphs.h"

namespace {

constexpr TColor GlyphBackground = clFuchsia;  // the bottom-left pixel: left out when drawn

void FillGlyph(TBitmap* bitmap) {
    bitmap->SetSize(16, 16);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->Color = GlyphBackground;
    canvas->Brush()->Style = bsSolid;
    canvas->FillRect(RECT{0, 0, 16, 16});
}

void Fill(TBitmap* bitmap, const RECT& r, TColor color) {
    bitmap->Canvas()->Brush()->Color = color;
    bitmap->Canvas()->FillRect(r);
}

}  // namespace

void DrawFolderGlyph(TBitmap* bitmap) {
    FillGlyph(bitmap);
    const TColor edge = 0x1A6496;   // dark brown
    const TColor body = 0x4CC4F0;   // folder yellow
    const TColor light = 0xA8E8FC;  // the lit front edge
    Fill(bitmap, RECT{1, 2, 7, 4}, edge);   // the tab
    Fill(bitmap, RECT{2, 3, 6, 4}, body);
    Fill(bitmap, RECT{1, 4, 15, 14}, edge);  // the body with its outline
    Fill(bitmap, RECT{2, 5, 14, 13}, body);
    Fill(bitmap, RECT{2, 5, 14, 6}, light);
}

void DrawMakerGlyph(TBitmap* bitmap) {
    FillGlyph(bitmap);
    const TColor badge = 0x984E00;  // the maker's blue
    const TColor ink = clWhite;
    // A square badge with its corners cut off.
    Fill(bitmap, RECT{2, 1, 14, 15}, badge);
    Fill(bitmap, RECT{1, 2, 15, 14}, badge);
    // The "K": a stem and two arms meeting at its middle.
    Fill(bitmap, RECT{4, 3, 6, 13}, ink);
    for (int y = 3; y <= 12; ++y) {
        const int x = y <= 7 ? 6 + (7 - y) : 6 + (y - 8);
        Fill(bitmap, RECT{x, y, x + 2, y + 1}, ink);
    }
}

void DrawHelpGlyph(TBitmap* bitmap) {
    FillGlyph(bitmap);
    const TColor badge = 0x984E00;  // the maker's blue
    const TColor ink = clWhite;
    // A round badge: rows of a circle 14 pixels across.
    static const int halfWidths[14] = {3, 5, 6, 6, 7, 7, 7, 7, 7, 7, 6, 6, 5, 3};
    for (int row = 0; row < 14; ++row) {
        const int y = row + 1, w = halfWidths[row];
        Fill(bitmap, RECT{8 - w, y, 8 + w, y + 1}, badge);
    }
    // The "?": a hook of two-pixel strokes and its dot.
    Fill(bitmap, RECT{6, 3, 10, 4}, ink);    // top of the hook
    Fill(bitmap, RECT{5, 4, 7, 6}, ink);     // its left end
    Fill(bitmap, RECT{9, 4, 11, 7}, ink);    // its right side
    Fill(bitmap, RECT{8, 7, 10, 8}, ink);    // turning in
    Fill(bitmap, RECT{7, 8, 9, 10}, ink);    // the stem
    Fill(bitmap, RECT{7, 11, 9, 13}, ink);   // the dot
}
