// Unit S01: the bar's program logic: its settings file, the layout of the
// button row and its view modes, the timer modes, and launching a button
// with the control of the window it started.
#pragma once

#include <windows.h>

#include "graphics.h"
#include "kvar.h"

// --- settings file ---------------------------------------------------------------

// Reads the settings file (name in the Kestovar\Dovrak folder) into
// ButtonStore, the form's position and the settings fields of BarState.
// A file that exists but cannot be read gives the defaults and marks
// BarState->SettingsUnreadable.
void LoadSettings(TKVar name);
// Writes the settings file afresh from ButtonStore, the form's position and
// BarState. Does nothing while BarState->SettingsUnreadable is set. A failed
// write raises the store's error.
void SaveSettings(TKVar name);

// The version written under the key "Dovrak".
extern const wchar_t* const BarVersion;

// --- button row, view modes, timer -----------------------------------------------

// 1 opens the bar (all buttons hidden until LayoutButtons), 3 collapses it.
void ApplyViewMode(int mode);
// Places and dresses button i for record i; returns its right edge.
int LayoutButton(int i);
// Lays out every record's button and fits the bar's width to them.
void LayoutButtons();
// 0 create the timer (stopped), 2 close the bar in 1 s, 3 collapse in 10 s
// when AutoHide is 1, 9 stop and destroy the timer.
void SetTimerMode(int t);

// Geometry by button size S: bar and button height S + 6, icon button width
// S + 7; the caption font size in points; the icon kind of DrawFileIcon.
int BarHeightFor(int buttonSize);
int IconButtonWidthFor(int buttonSize);
int CaptionFontSizeFor(int buttonSize);
int IconKindFor(int buttonSize);
// The colour of a record's colour field (6 or 7): the field's colour, or
// fallback when the field is empty or names no colour.
TColor FieldColor(const UnicodeString& field, TColor fallback);

// --- launching and window control ------------------------------------------------

// The whole reaction to a click on button i.
void ButtonClick(int i);
// Starts record i's target unless its controlled window exists; learns the
// foreground window afterwards. 1 when the shell reported a start.
int LaunchButton(int i);
// Launches every record marked for automatic start, in order.
void AutoStartButtons();
// Shows again every controlled window the bar knows (at exit).
void ReleaseControlledWindows();
// Makes the windows of the top-most records top-most, then the bar itself.
void ApplyTopMost();
// The window of that class and title, or null (also for an empty class).
HWND FindNamedWindow(const UnicodeString& className, const UnicodeString& title);

// --- help ------------------------------------------------------------------------

// Shows the contents of dovrak.chm beside the program file.
void ShowHelp();
