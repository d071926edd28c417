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
// cannot draw from. The transparent colour of a transparent picture becomes
// the menu colour.
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
    if (picture->Transparent()) {
        COLORREF key = static_cast<COLORREF>(ColorToRGB(picture->TransparentColor()));
        COLORREF menu = ::GetSysColor(COLOR_MENU);
        auto* row = static_cast<BYTE*>(bits);
        const int stride = kSize * 3;  // 48 bytes: already a multiple of 4
        for (int y = 0; y < kSize; ++y, row += stride) {
            for (int x = 0; x < kSize; ++x) {
                BYTE* p = row + x * 3;  // blue, green, red
                if (p[0] == GetBValue(key) && p[1] == GetGValue(key) && p[2] == GetRValue(key)) {
                    p[0] = GetBValue(menu);
                    p[1] = GetGValue(menu);
                    p[2] = GetRValue(menu);
                }
            }
        }
    }
    return copy;
}

// The native menu and the bitmaps it shows, freed together.
struct NativeMenu {
    HMENU menu = nullptr;
    std::vector<HBITMAP> bitmaps;
    std::vector<TMenuItem*> commands;  // command id - 1 -> item

    NativeMenu() = default;
    NativeMenu(const NativeMenu&) = delete;
    NativeMenu& operator=(const NativeMenu&) = delete;
    ~NativeMenu() { Free(); }
    void Free() {
        if (menu) ::DestroyMenu(menu);
        menu = nullptr;
        for (HBITMAP b : bitmaps) ::DeleteObject(b);
        bitmaps.clear();
    }
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
        if (HBITMAP bitmap = MenuBitmapOf(item->Bitmap())) {
            native.bitmaps.push_back(bitmap);
            mii.fMask |= MIIM_BITMAP;
            mii.hbmpItem = bitmap;
        }
        ::InsertMenuItemW(native.menu, position++, TRUE, &mii);
    }

    HWND owner = MenuOwner();
    // A menu closes on a click elsewhere only when its owner is in the
    // foreground; the posted message lets the menu's end be noticed at once.
    if (::GetForegroundWindow() != owner) ::SetForegroundWindow(owner);
    FShown = native.menu;
    UINT command = static_cast<UINT>(::TrackPopupMenuEx(
        native.menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, X, Y, owner, nullptr));
    FShown = nullptr;
    ::PostMessageW(owner, WM_NULL, 0, 0);

    if (command == 0 || command > native.commands.size()) return;
    TMenuItem* chosen = native.commands[command - 1];
    // Something run while the menu was shown may have deleted the item.
    if (std::find(FItems.begin(), FItems.end(), chosen) == FItems.end()) return;
    native.Free();
    chosen->Click();
}
