// Common dialogs: the colour dialog, message display and the folder browser.
#pragma once

#include "graphics.h"

// The system's colour dialog as a component. CustomColors holds up to 16
// lines "ColorA=984E00" .. "ColorP=FFFFFF": the value is the TColor (0xBBGGRR)
// in hexadecimal. Slots without a line start white; after the dialog the
// list holds all 16 slots as the user left them.
class TColorDialog : public TComponent {
public:
    explicit TColorDialog(TComponent* AOwner);
    ~TColorDialog() override;

    TColor Color() const { return FColor; }
    void SetColor(TColor color) { FColor = color; }
    TStringList* CustomColors() { return FCustomColors; }

    // Shows the dialog modally, owned by the active window of the program;
    // true on OK, and then Color holds the choice. On cancel Color stays.
    virtual bool Execute();

    // The list's lines as the dialog's 16 custom colour slots, and back.
    // Lines whose name is not ColorA .. ColorP (in any case) or whose value
    // is not a hexadecimal number are left out.
    static void ParseCustomColors(const TStringList& list, COLORREF (&colors)[16]);
    static void FormatCustomColors(const COLORREF (&colors)[16], TStringList& list);

private:
    TColor FColor = clBlack;
    TStringList* FCustomColors;
};

// Shows text in a message box with an OK button, owned by the program's
// active window; returns when the user closes it.
void ShowMessage(const UnicodeString& text);

// The shell's browser for a file or folder of the file system: the whole
// namespace from the desktop, an edit box, no new-folder button, no parent
// window, caption shown above the tree. On OK returns true with the chosen
// item's path in path; on cancel returns false and leaves path as it was.
bool BrowseForFileOrFolder(const UnicodeString& caption, UnicodeString& path);
// The same browser owned by the window owner: it stays above that window,
// which is disabled while the browser is shown.
bool BrowseForFileOrFolder(const UnicodeString& caption, UnicodeString& path, HWND owner);
