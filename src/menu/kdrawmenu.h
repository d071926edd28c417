// The picture work of the menu window: the screen copy beneath it, its
// blur and its frame. All of them work on 24-bit scan lines directly.
#pragma once

#include "vcl.h"

class TKMenu;

// Copies the screen rectangle at the menu's Left, Top of the bitmap's size
// into the bitmap. Results of the system calls are not looked at.
void KDrawCaptureScreen(TKMenu* menu, TBitmap* bitmap);
// The same for a given screen point (the menu's Left and Top above).
void KDrawCaptureScreenAt(int left, int top, TBitmap* bitmap);

// A 5 x 5 box blur in place, each of blue, green and red on its own. Rows are
// filtered top to bottom and each row left to right, so a window reads the
// values already written above it and to its left. The two-pixel border
// keeps its values; a bitmap less than 5 pixels wide or high is unchanged.
void KDrawBlur(TBitmap* bitmap);

// A one-pixel bevel frame with an inner shadow: the right column and bottom
// row scaled to 96/256, the left column and top row lightened by 160/256,
// the column and row inside the dark edges scaled to 128/256.
void KDrawMenuFrame(TBitmap* bitmap);
