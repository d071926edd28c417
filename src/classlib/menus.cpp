// Popup menus on native Windows popup menus. The native menu is built afresh
// for every showing from the items as they are after OnPopup, tracked with
// TPM_RETURNCMD, and destroyed before the chosen item's Click runs.
#include "menus.h"

#include "forms.h"

#include <algorithm>

namespace {

// Every live popup menu, so that a deleted item can leave their lists.
std::vector<TPopupMenu*>& LiveMenus() {
    static std::vector<TPopupMenu*> menus;
    return menus;
}

const wchar_t kMenuOwnerClass[] = L"TPopupMenuOwner";

// A hidden top-level window that owns menus when the program shows no window
// of its own (a message-only window cannot become the foreground window).
HWND HiddenMenuOwner() {
    static HWND owner = nullptr;
    if (owner && ::IsWindow(owner)) return owner;
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kMenuOwnerClass;
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw EOSError(L"The menu window class cannot be registered");
        registered = true;
    }
    owner = ::CreateWindowExW(WS_EX_TOOLWINDOW, kMenuOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!owner) throw EOSError(L"The menu window cannot be created");
    return owner;
}

// The window the menu belongs to: the thread's active window (a dialog that
// pops the menu up keeps its activation), else the main form, else our own.
HWND MenuOwner() {
    HWND active = ::GetActiveWindow();
    if (active && ::IsWindowEnabled(active)) return active;
    if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated()) {
        HWND main = Application->MainForm()->Handle();
        if (::IsWindowEnabled(main)) return main;
    }
    return HiddenMenuOwner();
}

// A 16 x 16 copy of the item's picture that the menu may use while it is
// shown: the item's own section stays selected into its canvas, which a menu
// cannot draw from.
HBITMAP MenuBitmapOf(TBitmap* picture) {
    if (!picture || picture->Empty()) return nullptr;
    constexpr int kSize = 16;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP copy = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!copy) return nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, copy);
    HDC source = picture->Canvas()->Handle();
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, 0, 0, kSize, kSize, source, 0, 0, picture->Width(), picture->Height(), SRCCOPY);
    ::GdiFlush();
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return copy;
}

// A picture as the shown menu draws it.
struct MenuPicture {
    HBITMAP bitmap = nullptr;  // the 16 x 16 copy
    bool transparent = false;  // its transparent colour lets the row show through
    COLORREF key = 0;
};

// The native menu and the pictures it shows, freed together.
struct NativeMenu {
    HMENU menu = nullptr;
    std::vector<MenuPicture> pictures;  // command id - 1 -> picture (none for an item without one)
    std::vector<TMenuItem*> commands;   // command id - 1 -> item

    NativeMenu() = default;
    NativeMenu(const NativeMenu&) = delete;
    NativeMenu& operator=(const NativeMenu&) = delete;
    ~NativeMenu() { Free(); }
    void Free() {
        if (menu) ::DestroyMenu(menu);
        menu = nullptr;
        for (const MenuPicture& p : pictures)
            if (p.bitmap) ::DeleteObject(p.bitmap);
        pictures.clear();
    }
    const MenuPicture* PictureOf(UINT id) const {
        if (id == 0 || id > pictures.size() || !pictures[id - 1].bitmap) return nullptr;
        return &pictures[id - 1];
    }
};

// The pictures are drawn by the menu's owner (HBMMENU_CALLBACK): the menu
// asks for their size with WM_MEASUREITEM and has them drawn with WM_DRAWITEM
// over the row it has already filled, highlighted or not. A bitmap handed to
// the menu itself would be copied as an opaque square (and inverted on the
// highlighted row by some systems), whatever its transparent colour. While a
// menu is tracked its owner's window procedure is replaced by this one.
const wchar_t kPreviousProcProp[] = L"TPopupMenuOwnerProc";
const NativeMenu* g_tracked = nullptr;

LRESULT CALLBACK PictureOwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kPreviousProcProp));
    if (g_tracked && msg == WM_MEASUREITEM) {
        auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (m->CtlType == ODT_MENU && g_tracked->PictureOf(m->itemID)) {
            m->itemWidth = 16;
            m->itemHeight = 16;
            return TRUE;
        }
    } else if (g_tracked && msg == WM_DRAWITEM) {
        auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (const MenuPicture* p = d->CtlType == ODT_MENU ? g_tracked->PictureOf(d->itemID) : nullptr) {
            const int x = d->rcItem.left + (d->rcItem.right - d->rcItem.left - 16) / 2;
            const int y = d->rcItem.top + (d->rcItem.bottom - d->rcItem.top - 16) / 2;
            HDC source = ::CreateCompatibleDC(d->hDC);
            HGDIOBJ old = ::SelectObject(source, p->bitmap);
            if (p->transparent)
                ::TransparentBlt(d->hDC, x, y, 16, 16, source, 0, 0, 16, 16, p->key);
            else
                ::BitBlt(d->hDC, x, y, 16, 16, source, 0, 0, SRCCOPY);
            ::SelectObject(source, old);
            ::DeleteDC(source);
            return TRUE;
        }
    }
    return ::CallWindowProcW(previous ? previous : ::DefWindowProcW, hwnd, msg, wParam, lParam);
}

// Puts PictureOwnerProc in front of the owner's procedure for one tracking.
class TrackedPictures {
public:
    TrackedPictures(HWND owner, const NativeMenu& native) : FOwner(owner) {
        if (native.pictures.empty() || ::GetPropW(owner, kPreviousProcProp)) return;
        auto previous = ::GetWindowLongPtrW(owner, GWLP_WNDPROC);
        if (!::SetPropW(owner, kPreviousProcProp, reinterpret_cast<HANDLE>(previous))) return;
        ::SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PictureOwnerProc));
        FPrevious = previous;
        g_tracked = &native;
    }
    ~TrackedPictures() {
        if (!FPrevious) return;
        g_tracked = nullptr;
        // Left in place (chaining to the previous one) if another procedure
        // was put in front of it meanwhile.
        if (::GetWindowLongPtrW(FOwner, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&PictureOwnerProc)) {
            ::SetWindowLongPtrW(FOwner, GWLP_WNDPROC, FPrevious);
            ::RemovePropW(FOwner, kPreviousProcProp);
        }
    }
    TrackedPictures(const TrackedPictures&) = delete;
    TrackedPictures& operator=(const TrackedPictures&) = delete;

private:
    HWND FOwner;
    LONG_PTR FPrevious = 0;
};

}  // namespace

// --- TMenuItem -----------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
    for (TPopupMenu* menu : LiveMenus()) {
        auto& items = menu->FItems;
        items.erase(std::remove(items.begin(), items.end(), this), items.end());
    }
}

void TMenuItem::Click() {
    if (OnClick) {
        TNotifyEvent handler = OnClick;  // the handler may delete the item
        handler(this);
    }
}

// --- TPopupMenu ----------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner) { LiveMenus().push_back(this); }

TPopupMenu::~TPopupMenu() {
    auto& menus = LiveMenus();
    menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
    // The items go with their menu; each one leaves its owner's list itself.
    while (!FItems.empty()) {
        TMenuItem* item = FItems.back();
        FItems.pop_back();
        if (!item->Destroying()) delete item;
    }
}

void TPopupMenu::Add(TMenuItem* item) {
    if (!item) return;
    if (std::find(FItems.begin(), FItems.end(), item) == FItems.end()) FItems.push_back(item);
}

void TPopupMenu::Popup(int X, int Y) {
    if (OnPopup) {
        TNotifyEvent handler = OnPopup;
        handler(this);
    }

    NativeMenu native;
    native.menu = ::CreatePopupMenu();
    if (!native.menu) throw EOSError(L"The popup menu cannot be created");
    UINT position = 0;
    for (TMenuItem* item : FItems) {
        if (!item->Visible()) continue;
        if (item->IsLine()) {
            ::AppendMenuW(native.menu, MF_SEPARATOR, 0, nullptr);
            ++position;
            continue;
        }
        native.commands.push_back(item);
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
        mii.fType = MFT_STRING;
        mii.fState = (item->Enabled() ? MFS_ENABLED : MFS_DISABLED) | (item->Checked() ? MFS_CHECKED : 0);
        mii.wID = static_cast<UINT>(native.commands.size());
        UnicodeString caption = item->Caption();
        mii.dwTypeData = caption.data();
        mii.cch = static_cast<UINT>(caption.size());
        native.pictures.emplace_back();
        if (HBITMAP bitmap = MenuBitmapOf(item->Bitmap())) {
            TBitmap* picture = item->Bitmap();
            MenuPicture& p = native.pictures.back();
            p.bitmap = bitmap;
            p.transparent = picture->Transparent() || picture->TransparentMode() == tmFixed;
            p.key = static_cast<COLORREF>(ColorToRGB(picture->TransparentColor())) & 0xFFFFFFu;
            mii.fMask |= MIIM_BITMAP;
            mii.hbmpItem = HBMMENU_CALLBACK;
        }
        ::InsertMenuItemW(native.menu, position++, TRUE, &mii);
    }

    HWND owner = MenuOwner();
    // A menu closes on a click elsewhere only when its owner is in the
    // foreground; the posted message lets the menu's end be noticed at once.
    if (::GetForegroundWindow() != owner) ::SetForegroundWindow(owner);
    FShown = native.menu;
    UINT command = 0;
    {
        TrackedPictures pictures(owner, native);
        command = static_cast<UINT>(::TrackPopupMenuEx(
            native.menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, X, Y, owner, nullptr));
    }
    FShown = nullptr;
    ::PostMessageW(owner, WM_NULL, 0, 0);

    if (command == 0 || command > native.commands.size()) return;
    TMenuItem* chosen = native.commands[command - 1];
    // Something run while the menu was shown may have deleted the item.
    if (std::find(FItems.begin(), FItems.end(), chosen) == FItems.end()) return;
    native.Free();
    chosen->Click();
}
