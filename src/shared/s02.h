// Unit S02: shell and window helpers shared by both programs. They keep no
// state and report no errors.
//
// A command line here is a target as the user typed or picked it: the path of
// a file, folder or program, optionally followed by a blank and parameters.
// Parameters are recognised only after a file extension: when the last '.',
// '\' or ':' of the line is a '.', everything from the first blank after that
// dot is the parameters. Quotation marks have no special meaning.
#pragma once

#include <windows.h>

#include "graphics.h"
#include "kvar.h"
#include "sysutils.h"

#include <vector>

// Icon kinds of DrawFileIcon.
constexpr int kIconSmall = 1;  // 16 x 16, the shell's small icon
constexpr int kIconLarge = 2;  // 32 x 32, the shell's normal icon

// Sets the bitmap to the icon's size, fills it with the background and makes
// the background its fixed transparent colour, then draws the shell icon of
// the command line's file (or the first icon stored in the file) over it. An
// empty command line, or a file without an icon, leaves the plain fill.
void DrawFileIcon(TBitmap* bitmap, const UnicodeString& cmdLine, int kind, TColor background);

// While one lives, DrawFileIcon asks the shell only once for each file and
// icon size: later calls with the same file and size draw the icon that the
// first one got (the same picture, on their own backgrounds). Lookups of a
// run of drawings, such as the items of a menu, that often name the same
// program several times; each lookup costs the shell milliseconds. The icons
// are released when it ends; scopes may nest (the innermost one serves).
class TIconLookups {
public:
    TIconLookups();
    ~TIconLookups();
    TIconLookups(const TIconLookups&) = delete;
    TIconLookups& operator=(const TIconLookups&) = delete;

    // The number of times the shell (or the file itself) was asked for an icon.
    int Queries() const { return FQueries; }

private:
    struct Entry {
        UnicodeString path;
        int kind;
        HICON icon;  // null or 1: no icon to draw
    };
    std::vector<Entry> FEntries;
    int FQueries = 0;
    TIconLookups* FOuter;
    friend void DrawFileIcon(TBitmap*, const UnicodeString&, int, TColor);
};

// The command line without its parameters.
UnicodeString StripCmdArgs(const UnicodeString& cmdLine);

// file: the program's file name without folder; directory: the folder of the
// whole line (a drive root keeps its backslash); params: the parameters.
void SplitCmdLine(const UnicodeString& cmdLine, UnicodeString& file, UnicodeString& directory,
                  UnicodeString& params);

// True when the command line without its parameters names an existing file
// (not a folder).
bool CmdFileExists(const UnicodeString& cmdLine);

// Measures the text in the font of that name and size (points, regular);
// extent receives width and height in pixels; returns the width.
int GetTextWidth(const UnicodeString& text, const UnicodeString& fontName, int size, SIZE& extent);

// Guesses the main window's class and title of one of the maker's programs
// from its file name: qtool.exe gives "TFQTool" and "QTool". A name that does
// not start with 'q' or 'Q' gives two empty texts.
void GuessWindowNames(TKVar file, TKVar& className, TKVar& title);

// Looks for a top-level window of the class and title every 100 ms, at most
// timeoutMs / 100 times, without processing messages; null when none
// appeared, or at once when the class or the title is empty.
HWND WaitForWindow(const UnicodeString& className, const UnicodeString& title, int timeoutMs);

// The current user's application-data folder without a trailing backslash;
// empty when it cannot be found.
UnicodeString GetAppDataFolder();
