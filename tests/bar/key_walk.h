// The dialog tests' hold on the class library's forms: whether a form is
// shown, which control has the focus, a real click on a control, and a walk
// through a dialog with real key presses.
#pragma once

#include "bar_test_support.h"

class TControl;
class TForm;
class TWinControl;

namespace bartest {

// True when the form's window exists and is visible.
bool Shown(TForm* form);
// The name of the form's control that has the keyboard focus (the edit
// field inside a combo box counts as the combo box), or empty.
std::wstring FocusedName(TForm* form);
// A real left click at the control's centre.
void Click(TControl* control);

// A dialog walked with the keys: Tab round its controls and Shift+Tab back
// (AddTabWalk), then a key typed into one field, Enter, Tab, Esc and Tab;
// once that Tab has moved on, the dialog's Cancel button closes it.
struct KeyWalk {
    const char* name;
    std::function<void()> command;            // opens the dialog modally
    std::function<TForm*()> dialog;           // the dialog while it exists
    std::vector<std::wstring> order;          // the Tab order it should have
    std::function<TWinControl*()> field;      // where the key is typed and Enter pressed
    size_t fieldAt;                           // the field's place in the order
    WORD change;                              // the key that changes the field
    std::function<void()> cancel;             // clicks the dialog's Cancel button
    // What the walk saw:
    std::vector<std::wstring> seen;
    bool openAfterEnter = false;
    bool openAfterEsc = false;
    std::wstring before, changed;
};
// The walk's steps, for a modal loop that opens the dialog (walk.command).
void AddKeyWalk(StepRunner& steps, KeyWalk& walk);
// Checks what the walk saw: the Tab order round and back, the change in the
// field, the dialog open after Enter and after Esc, and closed by Cancel.
void ExpectKeyWalk(const KeyWalk& walk);

}  // namespace bartest
