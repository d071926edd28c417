// Unit S01: the bar's program logic: its settings file, the layout of the
// button row and its view modes, the timer modes, launching a button with
// the control of the window it started, and the popup menu's commands
// (s01cmd.cpp).
#pragma once

#include <windows.h>

#include "clipdata.h"
#include "graphics.h"
#include "kvar.h"

#include <vector>

// The fields of a button record and the flags of its flag string (field 4).
constexpr int FieldTarget = 1;
constexpr int FieldClass = 2;
constexpr int FieldTitle = 3;
constexpr int FieldFlags = 4;
constexpr int FieldCaption = 5;
constexpr int FieldTextColor = 6;
constexpr int FieldFaceColor = 7;
constexpr int FlagControl = 0;
constexpr int FlagTopMost = 1;
constexpr int FlagAutoStart = 2;
constexpr int FlagShowText = 4;

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

// Whether a bar of this button size (S + 6 pixels high) can be shown on a
// screen of that height: more than 0 pixels high and not higher.
bool ButtonSizeFitsScreen(int buttonSize, int screenHeight);
// Where the bar with this rectangle is put so that it can be reached: a top-
// left corner that lies on one of the monitors is kept; otherwise the bar
// goes onto the monitor that holds it (the one sharing most of its
// rectangle, else the nearest), each coordinate that is off that monitor
// moved so that the bar lies on it as far as it fits, corner first.
POINT BarPlaceOnMonitor(int left, int top, int width, int height, const std::vector<RECT>& monitors);

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

// --- popup menu commands (s01cmd.cpp) -----------------------------------------------
//
// The button commands act on the record at ButtonArray->Current. "The refresh"
// after a paste, delete or add: ApplyViewMode(1), LayoutButtons, SetTimerMode(3).

// Opens the edit dialog on the current record; the dialog writes it on OK.
// Ends a pending cut. The argument is not used; the result is always 0.
int EditButton(int unused);
// Puts the current record on the clipboard ("DOVRAK"); cut = 1 also marks it
// as cut, to be deleted when its copy is pasted. An empty record ends any
// pending cut and puts nothing there. When the clipboard cannot be opened or
// the block cannot be made or handed over, nothing changes.
void CopyButton(int cut);
// Inserts at the current place the clipboard's record and, independently, a
// record for the last file of a file list on it; completes a pending cut
// when exactly the cut record's copy went in. Refused at 50 records (beep).
void PasteButton();
// Deletes the current record (the store keeps at least one), ends a pending
// cut and refreshes.
void DeleteButton();
// Appends an empty record and refreshes; refused at 50 records (beep).
void AddButton();
// Opens the option dialog, then applies the view mode again.
void ShowOptions();

// Whether the clipboard holds a button record or a file list.
bool ClipboardHasPasteData();
// The clipboard format name of one button record.
extern const char* const BarClipboardFormat;
// The record line of a "DOVRAK" block: ClipboardRecordText (clipdata.h).
// Where the cut record stands after its copy was inserted at insertedAt,
// with the cut record at cutIndex before the insert.
int CutRecordAfterInsert(int insertedAt, int cutIndex);

// --- help ------------------------------------------------------------------------

// Shows the contents of dovrak.chm beside the program file.
void ShowHelp();
