// Common dialogs on comdlg32 and the shell.
#include "dialogs.h"

#include "forms.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

namespace {

// The window a dialog belongs to: the program's active window, else its
// main form, else none.
HWND DialogOwner() {
    HWND active = ::GetActiveWindow();
    if (active) return active;
    if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
        return Application->MainForm()->Handle();
    return nullptr;
}

// "ColorA" .. "ColorP" in any case: the slot 0 .. 15; else -1.
int CustomColorSlot(const UnicodeString& name) {
    if (name.size() != 6 || !SameText(name.substr(0, 5), L"Color")) return -1;
    wchar_t letter = name[5];
    if (letter >= L'a' && letter <= L'p') return letter - L'a';
    if (letter >= L'A' && letter <= L'P') return letter - L'A';
    return -1;
}

// A hexadecimal number of 1 to 8 digits, nothing else; false otherwise.
bool ParseHex(const UnicodeString& text, COLORREF& value) {
    UnicodeString t = Trim(text);
    if (t.empty() || t.size() > 8) return false;
    COLORREF v = 0;
    for (wchar_t c : t) {
        int digit;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        else if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
        else return false;
        v = (v << 4) | static_cast<COLORREF>(digit);
    }
    value = v & 0x00FFFFFF;
    return true;
}

// The application's title, else the program file's name without extension.
UnicodeString ProgramTitle() {
    if (Application && !Application->Title.empty()) return Application->Title;
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    UnicodeString name = ExtractFileName(path);
    UnicodeString ext = ExtractFileExt(name);
    return name.substr(0, name.size() - ext.size());
}

}  // namespace

// --- TColorDialog --------------------------------------------------------

TColorDialog::TColorDialog(TComponent* AOwner) : TComponent(AOwner), FCustomColors(new TStringList) {}

TColorDialog::~TColorDialog() { delete FCustomColors; }

void TColorDialog::ParseCustomColors(const TStringList& list, COLORREF (&colors)[16]) {
    for (COLORREF& c : colors) c = RGB(255, 255, 255);
    for (int i = 0; i < list.Count(); ++i) {
        int slot = CustomColorSlot(Trim(list.Names(i)));
        COLORREF value = 0;
        if (slot >= 0 && ParseHex(list.ValueFromIndex(i), value)) colors[slot] = value;
    }
}

void TColorDialog::FormatCustomColors(const COLORREF (&colors)[16], TStringList& list) {
    list.Clear();
    for (int i = 0; i < 16; ++i) {
        wchar_t line[32];
        std::swprintf(line, 32, L"Color%c=%06X", static_cast<wchar_t>(L'A' + i),
                      static_cast<unsigned>(colors[i] & 0x00FFFFFF));
        list.Add(line);
    }
}

bool TColorDialog::Execute() {
    COLORREF custom[16];
    ParseCustomColors(*FCustomColors, custom);
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = DialogOwner();
    cc.rgbResult = static_cast<COLORREF>(ColorToRGB(FColor)) & 0x00FFFFFF;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
    BOOL ok = ::ChooseColorW(&cc);
    // The slots may have been edited even when the dialog was cancelled.
    FormatCustomColors(custom, *FCustomColors);
    if (!ok) return false;
    FColor = static_cast<TColor>(cc.rgbResult & 0x00FFFFFF);
    return true;
}

// --- messages and the folder browser --------------------------------------

void ShowMessage(const UnicodeString& text) {
    UnicodeString title = ProgramTitle();
    ::MessageBoxW(DialogOwner(), text.c_str(), title.c_str(), MB_OK);
}

bool BrowseForFileOrFolder(const UnicodeString& caption, UnicodeString& path) {
    return BrowseForFileOrFolder(caption, path, nullptr);
}

bool BrowseForFileOrFolder(const UnicodeString& caption, UnicodeString& path, HWND owner) {
    // The new dialog style needs COM on this thread; a thread that has it
    // already (in any model) is left as it is.
    HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    struct ComScope {
        bool owned;
        ~ComScope() {
            if (owned) ::CoUninitialize();
        }
    } scope{SUCCEEDED(init)};

    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.pidlRoot = nullptr;
    bi.pszDisplayName = displayName;
    bi.lpszTitle = caption.c_str();
    bi.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_BROWSEINCLUDEFILES | BIF_RETURNONLYFSDIRS |
                 BIF_NONEWFOLDERBUTTON;
    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&bi);
    if (!item) return false;
    wchar_t chosen[MAX_PATH] = {};
    BOOL got = ::SHGetPathFromIDListW(item, chosen);
    ::CoTaskMemFree(item);
    if (!got || !chosen[0]) return false;
    path = chosen;
    return true;
}
