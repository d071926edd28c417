// Face painting: the free routines that paint button faces and panels in
// memory bitmaps. They keep no state and own nothing.
//
// Channel arithmetic: a factor k means k/256. Scaling a channel c gives
// c*k/256; lightening gives c + (255 - c)*k/256. Products are 32-bit signed
// integers, divisions truncate toward zero, and results keep their low 8 bits.
// Factors 0 .. 256 never leave 0 .. 255.
#pragma once

#include "controls.h"

#include <cstdint>

// The button's face style, hover effect and bevel contrast.
enum TKButtonStyle { qsNormal, qsSingle, qsFlat, qsFrame };
enum TKButtonEnter { qeNon, qeNormal, qeSingle, qeShade, qeReverse, qeFrame };
enum TKButtonContrast { kcClear, kcNormal, kcSoft1, kcSoft2, kcSoft3 };

// One channel scaled by factor/256.
inline uint8_t KDrawScaleChannel(int channel, int factor) {
    const auto product = static_cast<int32_t>(static_cast<uint32_t>(channel) * static_cast<uint32_t>(factor));
    return static_cast<uint8_t>(product / 256);
}

// One channel moved toward 255 by factor/256 of the distance.
inline uint8_t KDrawLightenChannel(int channel, int factor) {
    return static_cast<uint8_t>(channel + KDrawScaleChannel(255 - channel, factor));
}

// transparent != 0: the face becomes a copy of the background (size, format,
// image); a null background leaves the face as it is. Otherwise the face is
// filled with the colour. The pixel format is not touched.
void KDrawFillFace(TBitmap* face, int transparent, TColor color, TBitmap* background);

// Bevels the face in place. pressed: 0 raised, else pressed in. style: 0 a
// two-pixel bevel (with an inner shadow), else a one-pixel bevel. A contrast
// outside kcClear .. kcSoft3 is taken as the nearest of them.
void KDrawBevel(TBitmap* face, int pressed, int style, TKButtonContrast contrast);

// A one-pixel frame along all four edges in the colour (24 bits per pixel).
void KDrawFrame(TBitmap* face, TColor color);

// A raised panel of width x height at (0, 0): light top and left edges, dark
// bottom and right edges, the inside in the colour.
void KDrawPanel(TCanvas* canvas, int width, int height, TColor color);

// Every pixel's red, green and blue scaled by fR, fG and fB (24 bits per pixel).
void KDrawDarken(TBitmap* bitmap, int fR, int fG, int fB);

// Every channel of every pixel lightened by amount (24 bits per pixel).
void KDrawLighten(TBitmap* bitmap, int amount);

// Sizes the background to the button and fills it with what lies under it:
// the button's bounds copied from underGlyph (an image of the parent in its
// client coordinates) when given, else the parent's colour (clBtnFace when
// the button has no parent).
void KDrawBackground(TControl* button, TBitmap* underGlyph, TBitmap* background);
// The same on plain values: the button's bounds in its parent and the parent's colour.
void KDrawBackground(const RECT& bounds, TColor parentColor, TBitmap* underGlyph, TBitmap* background);

// The colour resolved to RGB with its red, green and blue bytes scaled by fR,
// fG and fB; the top byte stays as the resolution gave it.
TColor KDrawScaleColor(TColor color, int fB, int fG, int fR);
