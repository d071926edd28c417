// Unit G01: the bar's state record and its program-wide pointers.
#pragma once

#include <windows.h>

#include "graphics.h"
#include "sysutils.h"

class TFDovrak;
class TKSetup;
class TDM;
class TQini;
class TQButtonArray;
class TFormEdit;
class TFormOption;

// The number of buttons of the bar, and so the most records it shows.
constexpr int BarButtonCount = 50;

// Everything the bar knows during one run besides its button records. Made
// by TFDovrak::FormCreate (which sets the start values) and LoadSettings
// (which sets the five settings fields); freed by TFDovrak::FormClose.
struct TBarState {
    UnicodeString ExeDir;            // the program file's folder, no trailing backslash
    UnicodeString IniName;           // "dovrak.ini"
    HWND Hwnd[BarButtonCount] = {};  // window found or started for position i
    int ClickBusy = 0;               // 1 while a click is being handled
    TColor FormColor = 0x984E00;
    TColor ButtonColor = 0xD8E9EC;
    TColor TextColor = 0x984E00;
    int ButtonSize = 16;             // 16, 24, 32 or 40
    int ViewMode = 1;                // 1 open, 3 collapsed to a 2-pixel strip
    int AutoHide = 0;                // 1: collapse automatically
    int CutIndex = -1;               // record cut to the clipboard, -1 none
    HGLOBAL ClipMemory = nullptr;    // block last handed to the clipboard
    int MenuOnButton = 0;            // 1: the popup was opened over a button
    // 1 when the settings file existed but could not be read at start-up:
    // the bar then runs on the defaults and never writes that file, so that
    // what it holds is not replaced by them.
    int SettingsUnreadable = 0;
};

extern TFDovrak* FDovrak;
extern TKSetup* KSetup;
extern TBarState* BarState;
extern TDM* DM;
extern TQini* ButtonStore;
extern TQButtonArray* ButtonArray;
// The open button edit and option dialogs; null while they are closed.
extern TFormEdit* FormEdit;
extern TFormOption* FormOption;
