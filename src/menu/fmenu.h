// TKMenu: the popup window of the menu program. It is shown modally at a
// screen point, keeps its right and bottom edges on the primary screen, and
// draws its item buttons over a blurred, darkened and framed copy of the
// screen beneath it. A click on a button closes it with the OK result; when
// the application loses activation it closes, with every menu that it was
// popped up over, with the cancel result.
#pragma once

#include "kvar.h"
#include "vcl.h"

class TQini;
class TQMenuButtons;

class TKMenu : public TForm {
public:
    explicit TKMenu(TComponent* AOwner);
    ~TKMenu() override;

    void Dispatch(TMessage& Message) override;

    TBitmap* Back = nullptr;    // the processed screen copy that the form paints
    TBitmap* Saved = nullptr;   // the unprocessed screen copy of the last arrangement
    TQMenuButtons* Buttons = nullptr;
    TQini* Items = nullptr;     // one record line per item: field 1 caption, field 2 target
    int Kind = 0;               // 0 item menu, 1 command menu
    TKMenu* ParentMenu = nullptr;  // the menu this one was popped up over, or null
    int Selected = 0;           // the button on which a mouse button last went down

    // Shows the menu modally with its top-left corner at (x, y) and acts on
    // an OK result: the item menu runs the selected item, the command menu
    // runs the selected command on its parent menu.
    void Popup(TKMenu* parent, int x, int y);
    // Sizes and places the window (kept on the screen) and builds Back.
    void ArrangeWindow();
    void DrawItems();
    void DrawItem(int i);
    // Bound to the application's deactivation while the menu is shown.
    void AppDeactivate(TObject* Sender);
    // Appends an item line with the caption as field 1 and the path as field 2.
    void AddItem(TKVar caption, TKVar path);
    // The item keys B0 .. B49 of the store, in key order; one blank item when none.
    void LoadItems(TQini* store);
    // Keeps the menu's own image out of a capture taken while it is shown.
    void RestoreBackground();
    void FormPaint(TObject* Sender);

protected:
    void CreateParams(TCreateParams& Params) override;
    void WMNCHitTest(TMessage& Message);
};
