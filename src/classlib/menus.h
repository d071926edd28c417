// Popup menus and their items, on native Windows popup menus.
#pragma once

#include "graphics.h"

#include <vector>

class TMenuItem;
class TControl;

// One item. The caption may hold an accelerator ('&E'); the caption "-" makes
// a separator. Items are owned by their menu (Add) and deleted with it.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const UnicodeString& Caption() const { return FCaption; }
    void SetCaption(const UnicodeString& caption) { FCaption = caption; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled) { FEnabled = enabled; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible) { FVisible = visible; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool checked) { FChecked = checked; }
    bool IsLine() const { return FCaption == L"-"; }
    // A 16 x 16 picture shown beside the caption; empty for none. It is drawn
    // transparently when it is Transparent or has a fixed transparent colour.
    TBitmap* Bitmap() { return &FBitmap; }

    TNotifyEvent OnClick;
    // Fires OnClick with this item as sender.
    virtual void Click();

private:
    UnicodeString FCaption;
    bool FEnabled = true;
    bool FVisible = true;
    bool FChecked = false;
    TBitmap FBitmap;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Appends an item; the menu takes it into its item list (the item's
    // owner stays what it was created with).
    void Add(TMenuItem* item);
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }

    // Fires OnPopup, then shows the visible items at the screen point and
    // waits for the choice; the chosen item's Click runs before Popup returns.
    virtual void Popup(int X, int Y);
    // The control whose right click popped the menu up, or null.
    TControl* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TControl* control) { FPopupComponent = control; }

    TNotifyEvent OnPopup;

    // The native menu handle while the menu is shown, for tests; else null.
    HMENU ShownHandle() const { return FShown; }

private:
    std::vector<TMenuItem*> FItems;
    TControl* FPopupComponent = nullptr;
    HMENU FShown = nullptr;

    friend class TMenuItem;  // a deleted item leaves the lists of the menus
};
