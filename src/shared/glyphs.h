// The small pictures of the dialogs' speed buttons: 16 x 16 on a fuchsia
// background, the bottom-left pixel, which the speed buttons leave out.
#pragma once

#include "graphics.h"

// A folder (the file or folder browser).
void DrawFolderGlyph(TBitmap* bitmap);
// The maker's "K" badge (the sibling-program menu).
void DrawMakerGlyph(TBitmap* bitmap);
// A question mark in a round badge (the help file).
void DrawHelpGlyph(TBitmap* bitmap);
