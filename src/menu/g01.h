// The menu program's settings record and its program-wide pointers.
#pragma once

#include "vcl.h"

class TQini;
class TFPelnor;
class TFormEdit;
class TFormOption;

// The settings of one run: created at the start of the run, freed at its end.
struct TMenuSettings {
    UnicodeString ExeDir;   // folder of the program file, no trailing separator
    UnicodeString IniName;  // file name of the menu file inside the menu folder
    int ColorMode = 3;      // 3: translucent menus; any other value: solid colours
    TColor ButtonColor = 14215660;
    TColor TextColor = 0;
    UnicodeString FontName = L"Tahoma";
    int FontSize = 9;        // points
    int ButtonWidth = 150;   // width of a menu window in pixels
    int ItemHeight = 0;      // height of one menu row in pixels, from the font
    HGLOBAL ClipboardHandle = nullptr;  // the block last handed to the clipboard
    // True when the menu file exists but could not be read: the run works on
    // the defaults and leaves the file alone at its end.
    bool FileUnreadable = false;
};

extern TMenuSettings* MenuSettings;
// The lines of the menu file as loaded; read for the items, never saved.
extern TQini* MenuStore;
extern TFPelnor* FPelnor;
// The edit and option dialogs while they are open, else null.
extern TFormEdit* FormEdit;
extern TFormOption* FormOption;

// The version written into every menu file.
constexpr const wchar_t* kPelnorVersion = L"0.02";
