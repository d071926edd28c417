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
// file that could not be read is not written, and a beep says so when the
// run changed anything that is thus lost. Returns 0.
int SaveMenuSettings(TKVar fileName, TQini* items);
// The beep of the two failures above: Beep(2000, 100). Tests put a counter
// of their own here.
extern void (*MenuBeep)();

// The settings part of the two above, on a store in memory. A width of 0 or
// less or wider than the screen, and a font size of 0 or less or whose row
// would be taller than the screen, read as their defaults (150 and 9).
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
// Runs command number command of the command menu on the item menu menu:
// 0 edit, 1 add, 2 copy, 3 insert-paste, 4 delete (each on the item menu's
// Selected item), 5 options, 6 exit; any other number does nothing. While
// the command menu is shown before the item menu exists, menu is null and
// commands 0 to 4 do nothing.
void DoMenuCommand(TKMenu* menu, int command);

// The most items a menu holds; adding or pasting beyond it beeps.
constexpr int MenuItemLimit = 50;
// The clipboard format of one item: its record line as the menu file holds
// it (fields 1 and 2 hex-coded), in a movable block of (n + 1) x 2 bytes.
extern const char* const PelnorClipboardFormat;

// Opens the edit dialog on item i; OK writes title and target back and
// redraws that one button. An index that names no item does nothing.
void EditItem(TKMenu* menu, int i);
// Appends a blank item and lays the menu out again; refused at the limit.
void AddNewItem(TKMenu* menu);
// Puts item i's record line on the clipboard ("PELNOR"). A blank item, or a
// clipboard that cannot be opened or a block that cannot be made or handed
// over, leaves the clipboard and the list alone.
void CopyItem(TKMenu* menu, int i);
// Inserts before item i (i = the number of items appends) the clipboard's
// item and, on its own, an item for the last file of a file list on it;
// refused at the limit, one beep for each item refused. A clipboard that
// cannot be opened changes nothing.
void PasteItem(TKMenu* menu, int i);
// Deletes item i (one blank item stays when it was the last one) and lays
// the menu out again.
void DeleteItem(TKMenu* menu, int i);
// Opens the option dialog; its OK applies the settings itself.
void ShowOptionDialog();
// Shows the contents of pelnor.chm in the program's folder.
void ShowHelp();

// The caption of an item made from a file: its name without folder and
// extension.
UnicodeString FileItemCaption(const UnicodeString& path);
// The window that the dialogs are shown over: the item menu while it is on
// the screen (a dialog must stay above that top-most window), else null.
HWND DialogParentWindow();
