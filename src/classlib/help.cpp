// The application's help: HTML Help files (.chm) shown with HtmlHelpW.
#include "forms.h"

#include <htmlhelp.h>

namespace {

// The window the help viewer belongs to: the active window of this thread,
// else the main form, else none (the viewer then stands alone).
HWND HelpOwner() {
    HWND active = ::GetActiveWindow();
    if (active) return active;
    if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
        return Application->MainForm()->Handle();
    return nullptr;
}

}  // namespace

bool TApplication::HelpCommand(unsigned command, ULONG_PTR data) {
    switch (command) {
        case HELP_CONTENTS:
        case HELP_FINDER:
            if (HelpFile.empty()) return false;
            return ::HtmlHelpW(HelpOwner(), HelpFile.c_str(), HH_DISPLAY_TOC, 0) != nullptr;
        case HELP_CONTEXT:
            if (HelpFile.empty()) return false;
            return ::HtmlHelpW(HelpOwner(), HelpFile.c_str(), HH_HELP_CONTEXT, data) != nullptr;
        case HELP_QUIT:
            ::HtmlHelpW(nullptr, nullptr, HH_CLOSE_ALL, 0);
            return true;
        default:
            return false;
    }
}
