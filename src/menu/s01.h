// The menu program's logic: its settings and item file, the command line,
// starting an item and the dispatch of the item commands.
#pragma once

#include "kvar.h"
#include "vcl.h"

#include <vector>

class TKMenu;
class TQini;
struct TMenuSettings;

// --- the menu file ---------------------------------------------------------

// Loads MenuStore from the file in the menu folder and sets the look of the
// menus in MenuSettings. A file that exists but cannot be read gives the
// defaults, and marks the run so that the file is left alone at its end.
// Returns 0.
int LoadMenuSettings(TKVar fileName);
// Writes the whole file from the item list (one item line per line) and
// MenuSettings: the version, the non-empty items as B<index>, then the
// settings. A file that cannot be written stays whole (a beep says so); a
// file that could not be read is not written. Returns 0.
int SaveMenuSettings(TKVar fileName, TQini* items);

// The settings part of the two above, on a store in memory.
void ReadMenuSettings(TQini* store, TMenuSettings* settings);
void WriteMenuSettings(TQini* store, TQini* items, const TMenuSettings* settings);

// Height of one menu row: the height of "/" in the font, plus 8.
int MenuItemHeight(const UnicodeString& fontName, int fontSize);

// --- the command line --------------------------------------------------------

// What the arguments ask for. x and y come in as the cursor position and are
// replaced by the values after "-x" and "-y" when they read as integers.
struct TMenuArguments {
    int X = 0;
    int Y = 0;
    bool CommandsFirst = false;  // "-d"
    bool HasName = false;        // a menu name was given
    UnicodeString Name;          // the last menu name given
};
// args[0] is the program path and is not read. The arguments are compared
// exactly; an empty one ends the list; the value after "-x" or "-y" is
// always that switch's value.
void ReadMenuArguments(const std::vector<UnicodeString>& args, TMenuArguments& result);
// The program's arguments as the system splits its command line.
std::vector<UnicodeString> ProgramArguments();
// True when name followed by ".ini" is a plain file name of the menu folder:
// no folder part, drive or stream, no character that a file name cannot
// hold, not blank, and not a device name.
bool IsSafeMenuName(const UnicodeString& name);

// --- items and commands ------------------------------------------------------

// Starts item i of the item menu; returns what LaunchItem returns.
int RunItem(TKMenu* menu, int i);
// Starts the target of item i through the shell's "open" verb with the main
// form as owner. Returns 1 when the shell started it, else 0 (also for an
// empty target or an index that names no item).
int LaunchItem(TKMenu* menu, int i);
// Runs command number command of the command menu on the item menu menu
// (null while the command menu is shown before the item menu exists; the
// commands that act on an item then do nothing).
void DoMenuCommand(TKMenu* menu, int command);
